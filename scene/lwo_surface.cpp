// Image clips and surfaces of an LWO2 file.
#include <cmath>
#include <cstring>

#include "scene/lwo_read_state.h"

void lwoReadClip(LwoReader* reader, IffChunk* chunk) {
    RawObject* object = reader->object;
    IffSpan* body = &chunk->body;
    uint32_t index = iffU4(body);
    IffChunk sub;
    IffChunkStatus status = iffNextChunk(body, 2, &sub);
    if (status == IFF_CHUNK_BAD) {
        lwoRefuse(reader, "the image chunk at byte %u has a part running past its end",
                  chunk->offset);
        return;
    }
    if (status == IFF_CHUNK_END || body->overrun) {
        lwoWarn(reader, "image %u names no file; it is ignored", index);
        return;
    }
    bool still = sub.id == iffId("STIL");
    if (!still && sub.id != iffId("ISEQ")) {
        char name[5];
        iffChunkName(sub.id, name);
        lwoWarn(reader, "image %u is of kind %s, neither a still image nor an image sequence; "
                "it is ignored", index, name);
        return;
    }
    if (object->clipCount == OBJECT_CLIPS) {
        reader->extraClips++;
        return;
    }
    ImageClip clip;
    memset(&clip, 0, sizeof clip);
    clip.index = index;
    if (still) {
        lwoReadName(reader, &sub.body, clip.fileName, sizeof clip.fileName, "image file");
        clip.start = 0;
        clip.end = 1;
    } else {
        clip.digits = iffU1(&sub.body);
        iffU1(&sub.body);  // flags
        iffU2(&sub.body);  // offset
        clip.reserved = iffU2(&sub.body);
        clip.start = iffU2(&sub.body);
        clip.end = iffU2(&sub.body);
        lwoReadName(reader, &sub.body, clip.fileName, sizeof clip.fileName, "image sequence");
        lwoReadName(reader, &sub.body, clip.suffix, sizeof clip.suffix, "image sequence suffix");
        // A 32-bit value 14 bytes past the names, in what follows the sequence in the clip.
        IffSpan after = iffSpanAt(body->data, sub.body.pos, chunk->body.end);
        iffSkip(&after, 14);
        uint32_t extra = iffU4(&after);
        clip.extra = after.overrun ? 0 : int32_t(extra);
    }
    if (sub.body.overrun) {
        lwoRefuse(reader, "image %u at byte %u is malformed", index, chunk->offset);
        return;
    }
    if (clip.end < clip.start) {
        lwoWarn(reader, "the image sequence %s runs backwards (%d to %d); it is ignored",
                clip.fileName, clip.start, clip.end);
        return;
    }
    object->clips[object->clipCount++] = clip;
}

struct LwoSurfaceWalk {
    LwoReader* reader;
    RawSurface* surface;
    int32_t surfaceIndex;
    int32_t layer;  // the block being read, -1 outside blocks
    bool tooManyLayers;
    int depth;
};

static int32_t glossShininess(float gloss) {
    float scaled = 10.0f * gloss;
    int whole = scaled >= 28.0f ? 28 : !(scaled > -30.0f) ? -30 : int(scaled);
    int exponent = 2 + whole;
    return exponent >= 0 ? int32_t(1) << exponent : 0;
}

static bool channelCode(uint32_t id, uint8_t* code) {
    static const uint32_t channels[] = {
        iffId("COLR"), iffId("REFL"), iffId("SPEC"), iffId("TRAN"), iffId("TRNL"),
        iffId("BUMP"), iffId("DIFF"), iffId("LUMI"), iffId("GLOS"), iffId("RIND"),
    };
    for (uint8_t i = 0; i < sizeof channels / sizeof channels[0]; i++) {
        if (channels[i] == id) {
            *code = i;
            return true;
        }
    }
    return false;
}

static void readSubChunks(LwoSurfaceWalk* walk, IffSpan* span);

static void startLayer(LwoSurfaceWalk* walk, IffChunk* block) {
    RawSurface* surface = walk->surface;
    if (surface->layerCount == OBJECT_SURFACE_LAYERS) {
        if (!walk->tooManyLayers)
            lwoWarn(walk->reader, "the surface \"%s\" has more than %d texture layers; the rest are "
                    "ignored", surface->name, OBJECT_SURFACE_LAYERS);
        walk->tooManyLayers = true;
        return;
    }
    int32_t layer = surface->layerCount++;
    TextureLayer* texture = &surface->layers[layer];
    memset(texture, 0, sizeof *texture);
    texture->opacity = 1.0f;
    memset(&walk->reader->pending[walk->surfaceIndex][layer], 0, sizeof(LwoPendingLayer));
    int32_t outer = walk->layer;
    walk->layer = layer;
    readSubChunks(walk, &block->body);
    walk->layer = outer;
}

// Block sub-chunks are honoured wherever they sit inside the block, also under its header and
// under "TMAP".
static void readBlockPart(LwoSurfaceWalk* walk, IffChunk* sub) {
    uint32_t id = sub->id;
    IffSpan* body = &sub->body;
    TextureLayer* layer = &walk->surface->layers[walk->layer];
    LwoPendingLayer* pending = &walk->reader->pending[walk->surfaceIndex][walk->layer];
    if (id == iffId("IMAP")) {
        char ordinal[OBJECT_NAME_LENGTH];
        bool truncated;
        iffString(body, ordinal, sizeof ordinal, &truncated);
        readSubChunks(walk, body);
    } else if (id == iffId("TMAP")) {
        readSubChunks(walk, body);
    } else if (id == iffId("PROC") || id == iffId("GRAD") || id == iffId("SHDR")) {
        pending->notImageMap = 1;
    } else if (id == iffId("OPAC")) {
        layer->opacityType = uint8_t(iffU2(body));
        layer->opacity = iffF4(body);
    } else if (id == iffId("CHAN")) {
        if (!channelCode(iffU4(body), &layer->channel)) pending->badChannel = 1;
    } else if (id == iffId("PIXB")) {
        layer->pixelBlending = uint8_t(iffU2(body));
    } else if (id == iffId("WRAP")) {
        layer->widthWrap = uint8_t(iffU2(body));
        layer->heightWrap = uint8_t(iffU2(body));
    } else if (id == iffId("IMAG")) {
        pending->clipIndex = iffVX(body);
        pending->hasImage = 1;
    } else if (id == iffId("VMAP")) {
        lwoReadName(walk->reader, body, pending->uvName, sizeof pending->uvName, "UV map");
        pending->hasUvName = 1;
    }
}

static void readSurfacePart(LwoSurfaceWalk* walk, IffChunk* sub) {
    RawSurface* surface = walk->surface;
    IffSpan* body = &sub->body;
    uint32_t id = sub->id;
    if (id == iffId("COLR")) {
        for (int k = 0; k < 3; k++) surface->color[k] = iffF4(body);
        // A colour is opaque: a transparency read before it does not survive it.
        surface->color[3] = 1.0f;
    } else if (id == iffId("DIFF")) {
        surface->diffuse = iffF4(body);
    } else if (id == iffId("TRAN")) {
        surface->color[3] = iffF4(body);
    } else if (id == iffId("SPEC")) {
        surface->specular = iffF4(body);
    } else if (id == iffId("GLOS")) {
        surface->shininess = glossShininess(iffF4(body));
    } else if (id == iffId("GVAL")) {
        surface->glow = iffF4(body);
    } else if (id == iffId("LINE")) {
        surface->lines = 1;
    } else if (id == iffId("SMAN")) {
        surface->smoothingAngle = iffF4(body);
        surface->smoothingCosine = cosf(surface->smoothingAngle);
    } else if (id == iffId("BLOK")) {
        startLayer(walk, sub);
    } else if (walk->layer >= 0) {
        readBlockPart(walk, sub);
    }
}

static void readSubChunks(LwoSurfaceWalk* walk, IffSpan* span) {
    if (++walk->depth > 16) {  // deeper nesting is not LightWave's; pass it over
        walk->depth--;
        return;
    }
    IffChunk sub;
    IffChunkStatus status;
    while (!walk->reader->refused && (status = iffNextChunk(span, 2, &sub)) != IFF_CHUNK_END) {
        char name[5];
        iffChunkName(sub.id, name);
        if (status == IFF_CHUNK_BAD) {
            lwoRefuse(walk->reader, "a part of the surface \"%s\" at byte %u runs past its end",
                      walk->surface->name, sub.offset);
            break;
        }
        readSurfacePart(walk, &sub);
        if (sub.body.overrun)
            lwoRefuse(walk->reader, "the %s part of the surface \"%s\" at byte %u is too short", name,
                      walk->surface->name, sub.offset);
    }
    walk->depth--;
}

void lwoReadSurface(LwoReader* reader, IffChunk* chunk) {
    RawObject* object = reader->object;
    IffSpan* body = &chunk->body;
    char name[OBJECT_NAME_LENGTH];
    char source[OBJECT_NAME_LENGTH];
    bool truncated;
    lwoReadName(reader, body, name, sizeof name, "surface");
    iffString(body, source, sizeof source, &truncated);
    if (body->overrun) return;
    if (strcmp(name, "Bone") == 0) {
        reader->hasBoneSurface = true;
        return;
    }
    if (object->surfaceCount == OBJECT_SURFACES) {
        reader->extraSurfaces++;
        return;
    }
    int32_t index = object->surfaceCount++;
    RawSurface* surface = &object->surfaces[index];
    memset(surface, 0, sizeof *surface);
    memcpy(surface->name, name, sizeof name);
    surface->color[3] = 1.0f;
    surface->smoothingCosine = 1.0f;
    LwoSurfaceWalk walk = {reader, surface, index, -1, false, 0};
    readSubChunks(&walk, body);
}

static const ImageClip* findClip(const RawObject* object, uint32_t index) {
    for (int32_t c = 0; c < object->clipCount; c++)
        if (object->clips[c].index == index) return &object->clips[c];
    // Clips numbered apart from their order: the index counts clips from 1.
    if (index >= 1 && index <= uint32_t(object->clipCount)) return &object->clips[index - 1];
    return nullptr;
}

void lwoResolveLayers(LwoReader* reader) {
    RawObject* object = reader->object;
    for (int32_t s = 0; s < object->surfaceCount; s++) {
        RawSurface* surface = &object->surfaces[s];
        int kept = 0;
        for (int l = 0; l < surface->layerCount; l++) {
            const LwoPendingLayer* pending = &reader->pending[s][l];
            TextureLayer layer = surface->layers[l];
            const ImageClip* clip = pending->hasImage ? findClip(object, pending->clipIndex) : nullptr;
            const char* problem = nullptr;
            if (pending->notImageMap)
                problem = "is not an image map";
            else if (pending->badChannel)
                problem = "has an unknown channel";
            else if (!pending->hasImage)
                problem = "has no image";
            else if (!clip)
                problem = "uses an image the file does not hold";
            if (problem) {
                lwoWarn(reader, "texture layer %d of the surface \"%s\" %s; it is left out", l + 1,
                        surface->name, problem);
                continue;
            }
            layer.image = const_cast<ImageClip*>(clip);
            layer.uvMap = 0;
            if (pending->hasUvName) {
                int32_t map = 0;
                while (map < object->uvMapCount && strcmp(object->uvMapNames[map], pending->uvName))
                    map++;
                if (map < object->uvMapCount)
                    layer.uvMap = uint8_t(map);
                else
                    lwoWarn(reader, "texture layer %d of the surface \"%s\" uses the UV map \"%s\", "
                            "which the file does not hold", l + 1, surface->name, pending->uvName);
            }
            surface->layers[kept++] = layer;
        }
        surface->layerCount = uint8_t(kept);
    }
}
