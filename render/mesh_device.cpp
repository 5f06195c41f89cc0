#include "render/mesh_device.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdlib>
#include <cstring>

#include "base/out_of_memory.h"
#include "data/image.h"
#include "render/device_caps.h"
#include "render/device_entry_points.h"
#include "render/render_state.h"
#include "render/texture_upload.h"
#include "scene/layer_flags.h"
#include "scene/mesh_geometry.h"

namespace {

// The wrap code of a texture layer; -1 leaves the texture's mode as it is (mirror, and anything
// unknown).
GLint wrapMode(uint8_t wrap) {
    switch (wrap) {
        case 0: return GL_CLAMP_TO_BORDER_ARB;
        case 1: return GL_REPEAT;
        case 3: return GL_CLAMP_TO_EDGE;
        default: return -1;
    }
}

void blendFunctions(GLenum colourSource, GLenum colourDestination) {
    const GlEntryPoints* gl = glEntryPoints();
    // Alpha (zero, one): blended surfaces keep the destination alpha as it was.
    if (gl->glBlendFuncSeparateEXT)
        gl->glBlendFuncSeparateEXT(colourSource, colourDestination, GL_ZERO, GL_ONE);
    else
        glBlendFunc(colourSource, colourDestination);
}

// The texture of a cache entry that frame f shows: a still's one texture; a shorter sequence than the
// surface's longest starts again from its first frame.
GLuint frameTexture(const TextureCache* textures, int32_t entry, int32_t f) {
    if (entry < 0 || entry >= textures->count || entry >= TEXTURE_CACHE_CAPACITY) return 0;
    const TextureImage* image = &textures->entries[entry];
    if (!image->names) return 0;
    int64_t frames = int64_t(image->end) - int64_t(image->first);
    if (frames <= 1) return image->names[0];
    return image->names[f % frames];
}

void layerState(const TextureLayer* layer, uint32_t flags, int32_t k, GLuint texture, const Settings* settings,
                TextureUnitLimits units) {
    if (flags & LAYER_TRANSPARENT) {
        glDepthMask(GL_FALSE);
        glEnable(GL_BLEND);
        blendFunctions(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else if (flags & LAYER_ADDITIVE) {
        glDepthMask(GL_FALSE);
        glEnable(GL_BLEND);
        blendFunctions(GL_SRC_ALPHA, GL_ONE);
    }
    // A unit the device does not have cannot be selected: the calls would change the active one.
    if (k >= units.selectable) return;
    const GlEntryPoints* gl = glEntryPoints();
    if (gl->glActiveTextureARB) gl->glActiveTextureARB(GLenum(GL_TEXTURE0_ARB + k));
    if (k < units.fixedFunction) glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint wrapS = wrapMode(layer->widthWrap);
    GLint wrapT = wrapMode(layer->heightWrap);
    if (wrapS >= 0) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrapS);
    if (wrapT >= 0) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrapT);
    if (layer->pixelBlending == 0) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    } else {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    }
    applyAnisotropy(settings);
}

}  // namespace

bool meshDeviceReady(const RenderState* render) {
    const GlEntryPoints* gl = glEntryPoints();
    return render->caps && render->caps->states[EXT_ARB_VERTEX_BUFFER_OBJECT] == EXTENSION_FOUND &&
           gl->glGenBuffersARB && gl->glBindBufferARB && gl->glBufferDataARB;
}

void loadObjectTextures(RenderState* render, const RawObject* object, const Settings* settings,
                        int32_t clipTexture[OBJECT_CLIPS]) {
    for (int32_t c = 0; c < OBJECT_CLIPS; ++c) clipTexture[c] = -1;
    for (int32_t c = 0; c < object->clipCount && c < OBJECT_CLIPS; ++c) {
        // Every clip, used by a layer or not: the loading bar's fixed total counts each one's files.
        const ImageClip* clip = &object->clips[c];
        TextureImage image = {};
        image.first = clip->start;
        image.end = clip->end;
        image.reserved = clip->reserved;
        image.digits = clip->digits;
        image.user[0] = clip->extra;
        std::memcpy(image.path, clip->fileName, strnlen(clip->fileName, sizeof image.path - 1));
        std::memcpy(image.suffix, clip->suffix, strnlen(clip->suffix, sizeof image.suffix - 1));
        clipTexture[c] = textureCacheGet(&render->textures, &image, settings);
    }
}

TextureUnitLimits textureUnitLimits(const RenderState* render, const Settings* settings) {
    TextureUnitLimits units;
    units.fixedFunction = settings->maxTextureUnits;
    units.selectable = settings->maxTextureUnits;
    if (!glEntryPoints()->glActiveTextureARB) {
        units.selectable = units.fixedFunction < 1 ? units.fixedFunction : 1;
        return units;
    }
    if (render->caps && render->caps->states[EXT_ARB_FRAGMENT_PROGRAM] == EXTENSION_FOUND) {
        GLint imageUnits = 0;
        glGetIntegerv(GL_MAX_TEXTURE_IMAGE_UNITS_ARB, &imageUnits);
        if (imageUnits > units.selectable) units.selectable = imageUnits;
    }
    return units;
}

void buildSurfaceLists(Surface* surface, const RawSurface* raw, const TextureCache* textures,
                       const Settings* settings, TextureUnitLimits units) {
    const int32_t count = surface->displayListCount;
    surface->displayLists = static_cast<uint32_t*>(std::calloc(size_t(count), sizeof(uint32_t)));
    if (!surface->displayLists) outOfMemory("the display lists of surface %s", surface->name);
    GLuint base = glGenLists(count);
    if (base == 0) return;  // the lists stay 0, which draws no state

    const float d = surface->diffuse;
    const float sp = surface->specular;
    const Colour& c = surface->color;
    const GLfloat diffuse[4] = {d * c.r, d * c.g, d * c.b, 1.0f};
    const GLfloat specular[4] = {sp * c.r, sp * c.g, sp * c.b, 1.0f};
    // The programs read the full exponent; the fixed-function limit is 128.
    GLint shininess = surface->shininess < 0 ? 0 : surface->shininess > 128 ? 128 : surface->shininess;

    for (int32_t f = 0; f < count; ++f) {
        surface->displayLists[f] = base + GLuint(f);
        glNewList(base + GLuint(f), GL_COMPILE_AND_EXECUTE);
        glMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
        glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
        glMateriali(GL_FRONT, GL_SHININESS, shininess);
        for (int32_t k = 0; k < surface->layerCount; ++k)
            layerState(&raw->layers[k], surface->layerFlags[k], k,
                       frameTexture(textures, surface->layerTexture[k], f), settings, units);
        glEndList();
    }
}

void uploadSurfaceGeometry(Surface* surface, const SurfaceGeometry* geometry) {
    const GlEntryPoints* gl = glEntryPoints();
    GLuint buffers[2] = {0, 0};
    gl->glGenBuffersARB(2, buffers);
    surface->vertexBuffer = buffers[0];
    surface->indexBuffer = buffers[1];
    gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, buffers[0]);
    gl->glBufferDataARB(GL_ARRAY_BUFFER_ARB, GLsizeiptrARB(geometry->vertices.size() * sizeof(float)),
                        geometry->vertices.empty() ? nullptr : geometry->vertices.data(), GL_STATIC_DRAW_ARB);
    gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
    gl->glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, buffers[1]);
    gl->glBufferDataARB(GL_ELEMENT_ARRAY_BUFFER_ARB, GLsizeiptrARB(geometry->indices.size() * sizeof(uint16_t)),
                        geometry->indices.empty() ? nullptr : geometry->indices.data(), GL_STATIC_DRAW_ARB);
    gl->glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
}
