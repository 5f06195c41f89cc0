// LWO2 object files: the chunks are visited by ID, so extra chunks (VMPA, ENVL, DESC...) are passed
// by their size and files in LightWave's usual order read the same as with a sequential reader.
//
// What the reader does with a file it cannot fully use, and why:
// - Refused (null, one message): not an LWO2 FORM, a chunk or sub-chunk running past the file or its
//   parent, a string without its NUL, a points chunk whose size is not a multiple of 12, no points
//   or no polygon chunk. Such a file is damaged or is not an object; reading on would only guess.
// - Read with the unusable part dropped (one message per kind of problem): polygons that are not
//   triangles or use points that do not exist, map entries for missing points, tags without a
//   surface, triangles without a tag, capacities exceeded, layers after the first with points,
//   texture layers without an image. The author sees what to fix and the rest of the object shows.
// - Silently: triangles of the "Bone" surface (never drawn), VMAD chunks, unknown chunks.
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/out_of_memory.h"
#include "base/report.h"
#include "data/package.h"
#include "scene/lwo_read_state.h"

void lwoWarn(LwoReader* reader, const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    showError("Object %s: %s", reader->path, text);
}

void lwoRefuse(LwoReader* reader, const char* format, ...) {
    if (reader->refused) return;
    reader->refused = true;
    char text[512];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    showError("Object %s cannot be loaded: %s", reader->path, text);
}

void lwoReadName(LwoReader* reader, IffSpan* span, char* out, uint32_t capacity, const char* what) {
    bool truncated = false;
    if (iffString(span, out, capacity, &truncated) && truncated)
        lwoWarn(reader, "the %s name \"%s...\" is longer than %u characters and is cut", what, out,
                capacity - 1);
}

static void readTags(LwoReader* reader, IffChunk* chunk) {
    while (iffLeft(&chunk->body) > 0 && !chunk->body.overrun) {
        if (reader->tagCount == OBJECT_TAGS) {
            char ignored[4];
            bool truncated;
            iffString(&chunk->body, ignored, sizeof ignored, &truncated);
            if (!chunk->body.overrun) reader->extraTags++;
            continue;
        }
        int32_t tag = reader->tagCount;
        lwoReadName(reader, &chunk->body, reader->tags[tag], OBJECT_NAME_LENGTH, "tag");
        if (chunk->body.overrun) break;
        reader->tagSurface[tag] = -1;
        reader->tagCount++;
    }
}

static void readPoints(LwoReader* reader, IffChunk* chunk) {
    uint32_t size = iffLeft(&chunk->body);
    if (size % 12 != 0) {
        lwoRefuse(reader, "its points chunk holds %u bytes, not a whole number of points", size);
        return;
    }
    RawObject* object = reader->object;
    object->pointCount = int32_t(size / 12);
    object->points = static_cast<ObjectPoint*>(calloc(size / 12 + 1, sizeof(ObjectPoint)));
    if (!object->points) outOfMemory("the points of %s", reader->path);
    for (int32_t i = 0; i < object->pointCount; i++) {
        ObjectPoint* point = &object->points[i];
        for (int k = 0; k < 3; k++) point->position[k] = iffF4(&chunk->body);
        point->firstUv = -1;
    }
}

static void appendUv(LwoReader* reader, int32_t point, float u, float v, int32_t map) {
    RawObject* object = reader->object;
    if (object->uvCount == reader->uvCapacity) {
        reader->uvCapacity = reader->uvCapacity == 0 ? 1024 : reader->uvCapacity * 2;
        object->uvs = static_cast<ObjectUv*>(
            realloc(object->uvs, size_t(reader->uvCapacity) * sizeof(ObjectUv)));
        if (!object->uvs) outOfMemory("the UV maps of %s", reader->path);
    }
    int32_t entry = object->uvCount++;
    object->uvs[entry] = ObjectUv{u, v, map, -1};
    int32_t* link = &object->points[point].firstUv;
    while (*link >= 0) link = &object->uvs[*link].next;
    *link = entry;
}

static void addWeight(LwoReader* reader, ObjectPoint* point, float weight, int32_t map) {
    if (point->weightCount < OBJECT_WEIGHTS_PER_POINT) {
        point->weights[point->weightCount] = weight;
        point->weightMaps[point->weightCount] = map;
        point->weightCount++;
        return;
    }
    // Keep the strongest influences.
    reader->extraWeights++;
    int weakest = point->weights[0] <= point->weights[1] ? 0 : 1;
    if (weight > point->weights[weakest]) {
        point->weights[weakest] = weight;
        point->weightMaps[weakest] = map;
    }
}

static void readVertexMap(LwoReader* reader, IffChunk* chunk) {
    RawObject* object = reader->object;
    IffSpan* body = &chunk->body;
    uint32_t type = iffU4(body);
    bool uv = type == iffId("TXUV");
    bool weight = type == iffId("WGHT");
    if (!uv && !weight) return;
    uint32_t dimension = iffU2(body);
    char name[OBJECT_MAP_NAME_LENGTH];
    lwoReadName(reader, body, name, sizeof name, uv ? "UV map" : "weight map");
    if (body->overrun) return;
    if ((uv && dimension < 2) || (weight && dimension < 1)) {
        lwoWarn(reader, "the %s \"%s\" has %u values per point; it is ignored",
                uv ? "UV map" : "weight map", name, dimension);
        return;
    }
    int32_t map;
    if (uv) {
        if (object->uvMapCount == OBJECT_UV_MAPS) {
            reader->extraUvMaps++;
            return;
        }
        map = object->uvMapCount++;
        memcpy(object->uvMapNames[map], name, sizeof name);
    } else {
        if (object->weightMapCount == OBJECT_WEIGHT_MAPS) {
            reader->extraWeightMaps++;
            return;
        }
        map = object->weightMapCount++;
        memcpy(object->weightMapNames[map], name, sizeof name);
        object->hasWeights = 1;
    }
    while (iffLeft(body) > 0) {
        uint32_t point = iffVX(body);
        float values[2] = {0, 0};
        for (uint32_t k = 0; k < dimension; k++) {
            float value = iffF4(body);
            if (k < 2) values[k] = value;
        }
        if (body->overrun) break;
        if (point >= uint32_t(object->pointCount)) {
            reader->badMapPoints++;
            continue;
        }
        if (uv)
            appendUv(reader, int32_t(point), values[0], values[1], map);
        else
            addWeight(reader, &object->points[point], values[0], map);
    }
}

static void faceNormal(const RawObject* object, ObjectTriangle* triangle) {
    const float* p0 = object->points[triangle->points[0]].position;
    const float* p1 = object->points[triangle->points[1]].position;
    const float* p2 = object->points[triangle->points[2]].position;
    float a[3] = {p0[0] - p1[0], p0[1] - p1[1], p0[2] - p1[2]};
    float b[3] = {p0[0] - p2[0], p0[1] - p2[1], p0[2] - p2[2]};
    float n[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    float length = sqrtf(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    for (int k = 0; k < 3; k++) triangle->normal[k] = length > 0.0f ? n[k] / length : 0.0f;
}

static void readPolygons(LwoReader* reader, IffChunk* chunk) {
    RawObject* object = reader->object;
    IffSpan body = chunk->body;
    iffSkip(&body, 4);  // FACE or PTCH, checked by the caller
    IffSpan walk = body;
    int32_t polygons = 0;
    int32_t triangles = 0;
    while (iffLeft(&walk) > 0) {
        uint32_t count = iffU2(&walk) & 0x03FFu;
        for (uint32_t k = 0; k < count; k++) iffVX(&walk);
        if (walk.overrun) break;
        polygons++;
        if (count == 3) triangles++;
    }
    if (walk.overrun) {
        lwoRefuse(reader, "its polygon chunk at byte %u ends inside a polygon", chunk->offset);
        return;
    }
    reader->havePolygons = true;
    reader->polygonCount = polygons;
    reader->polygonTriangle = static_cast<int32_t*>(malloc(sizeof(int32_t) * size_t(polygons + 1)));
    reader->triangleTag = static_cast<int32_t*>(malloc(sizeof(int32_t) * size_t(triangles + 1)));
    object->triangles =
        static_cast<ObjectTriangle*>(calloc(size_t(triangles) + 1, sizeof(ObjectTriangle)));
    if (!reader->polygonTriangle || !reader->triangleTag || !object->triangles)
        outOfMemory("the polygons of %s", reader->path);
    for (int32_t p = 0; p < polygons; p++) {
        uint32_t count = iffU2(&body) & 0x03FFu;
        uint32_t points[3] = {0, 0, 0};
        bool inRange = true;
        for (uint32_t k = 0; k < count; k++) {
            uint32_t index = iffVX(&body);
            if (k < 3) points[k] = index;
            if (index >= uint32_t(object->pointCount)) inRange = false;
        }
        reader->polygonTriangle[p] = -1;
        if (count != 3) {
            reader->nonTriangles++;
            continue;
        }
        if (!inRange) {
            reader->badPolygonPoints++;
            continue;
        }
        int32_t t = object->triangleCount++;
        ObjectTriangle* triangle = &object->triangles[t];
        for (int k = 0; k < 3; k++) triangle->points[k] = int32_t(points[k]);
        faceNormal(object, triangle);
        reader->triangleTag[t] = -1;
        reader->polygonTriangle[p] = t;
    }
}

static void readPolygonTags(LwoReader* reader, IffChunk* chunk) {
    IffSpan* body = &chunk->body;
    if (iffU4(body) != iffId("SURF")) return;
    while (iffLeft(body) > 0) {
        uint32_t polygon = iffVX(body);
        uint32_t tag = iffU2(body);
        if (body->overrun) break;
        if (polygon >= uint32_t(reader->polygonCount)) {
            reader->badTagPolygons++;
            continue;
        }
        int32_t triangle = reader->polygonTriangle[polygon];
        if (triangle < 0) continue;  // a polygon already dropped
        if (tag >= uint32_t(reader->tagCount)) {
            reader->badTagIndices++;
            reader->triangleTag[triangle] = -1;
            continue;
        }
        reader->triangleTag[triangle] = int32_t(tag);
    }
}

// Geometry comes from the first layer that has points; later layers are passed over.
static bool geometryWanted(LwoReader* reader) {
    return reader->layerState == GEOMETRY_READING;
}

static void readChunk(LwoReader* reader, IffChunk* chunk) {
    uint32_t id = chunk->id;
    if (id == iffId("TAGS")) {
        readTags(reader, chunk);
    } else if (id == iffId("LAYR")) {
        if (reader->layerState == GEOMETRY_READING) reader->layerState = GEOMETRY_DONE;
    } else if (id == iffId("PNTS")) {
        if (iffLeft(&chunk->body) == 0) return;  // an empty layer
        reader->layersWithPoints++;
        if (reader->layerState == GEOMETRY_NONE_YET) {
            reader->layerState = GEOMETRY_READING;
            readPoints(reader, chunk);
        } else {
            // A second point list, in this layer or a later one, starts geometry we do not read.
            reader->layerState = GEOMETRY_DONE;
        }
    } else if (id == iffId("VMAP")) {
        if (geometryWanted(reader)) readVertexMap(reader, chunk);
    } else if (id == iffId("POLS")) {
        reader->ptagsForTriangles = false;
        if (!geometryWanted(reader)) return;
        IffSpan peek = chunk->body;
        uint32_t type = iffU4(&peek);
        if (type != iffId("FACE") && type != iffId("PTCH")) return;  // bones, curves: not drawn
        if (reader->havePolygons) {
            reader->extraPolygonChunks++;
            return;
        }
        readPolygons(reader, chunk);
        reader->ptagsForTriangles = true;
    } else if (id == iffId("PTAG")) {
        if (reader->ptagsForTriangles && geometryWanted(reader)) readPolygonTags(reader, chunk);
    } else if (id == iffId("CLIP")) {
        lwoReadClip(reader, chunk);
    } else if (id == iffId("SURF")) {
        lwoReadSurface(reader, chunk);
    }
    // Anything else (BBOX, VMPA, VMAD, ENVL, DESC, TEXT, ICON...) is not needed.
    if (chunk->body.overrun && !reader->refused) {
        char name[5];
        iffChunkName(id, name);
        lwoRefuse(reader, "its %s chunk at byte %u is malformed", name, chunk->offset);
    }
}

static void countProblems(LwoReader* reader) {
    if (reader->extraLayers > 0)
        lwoWarn(reader, "it has %d layers with points; only the first is loaded",
                reader->extraLayers + 1);
    if (reader->extraPolygonChunks > 0)
        lwoWarn(reader, "its first layer has %d polygon lists; only the first is loaded",
                reader->extraPolygonChunks + 1);
    if (reader->nonTriangles > 0)
        lwoWarn(reader, "%d polygons are not triangles and are left out (triangulate the object)",
                reader->nonTriangles);
    if (reader->badPolygonPoints > 0)
        lwoWarn(reader, "%d triangles use points that do not exist and are left out",
                reader->badPolygonPoints);
    if (reader->badMapPoints > 0)
        lwoWarn(reader, "%d vertex map entries name points that do not exist and are ignored",
                reader->badMapPoints);
    if (reader->badTagPolygons > 0)
        lwoWarn(reader, "%d surface tags name polygons that do not exist and are ignored",
                reader->badTagPolygons);
    if (reader->badTagIndices > 0)
        lwoWarn(reader, "%d polygons name surface tags that do not exist", reader->badTagIndices);
    if (reader->extraTags > 0)
        lwoWarn(reader, "it has more than %d tags; %d are ignored", OBJECT_TAGS, reader->extraTags);
    if (reader->extraSurfaces > 0)
        lwoWarn(reader, "it has more than %d surfaces; %d are ignored", OBJECT_SURFACES,
                reader->extraSurfaces);
    if (reader->extraClips > 0)
        lwoWarn(reader, "it has more than %d images; %d are ignored", OBJECT_CLIPS,
                reader->extraClips);
    if (reader->extraUvMaps > 0)
        lwoWarn(reader, "it has more than %d UV maps; %d are ignored", OBJECT_UV_MAPS,
                reader->extraUvMaps);
    if (reader->extraWeightMaps > 0)
        lwoWarn(reader, "it has more than %d weight maps; %d are ignored", OBJECT_WEIGHT_MAPS,
                reader->extraWeightMaps);
    if (reader->extraWeights > 0)
        lwoWarn(reader, "some points have more than %d weights (%d more in all); the strongest "
                "are kept", OBJECT_WEIGHTS_PER_POINT, reader->extraWeights);
}

// Gives every kept triangle its surface, drops the others, then links points to triangles.
static void finishTriangles(LwoReader* reader) {
    RawObject* object = reader->object;
    for (int32_t s = 0; s < object->surfaceCount; s++) {
        for (int32_t t = 0; t < reader->tagCount; t++) {
            if (strcmp(reader->tags[t], object->surfaces[s].name) == 0) {
                reader->tagSurface[t] = s;
                break;
            }
        }
    }
    int32_t untagged = 0;
    int32_t withoutSurface = 0;
    int32_t missingTag = -1;
    int32_t kept = 0;
    for (int32_t t = 0; t < object->triangleCount; t++) {
        int32_t tag = reader->triangleTag[t];
        if (tag < 0) {
            untagged++;
            continue;
        }
        if (reader->tagSurface[tag] < 0) {
            if (!reader->hasBoneSurface || strcmp(reader->tags[tag], "Bone") != 0) {
                withoutSurface++;
                if (missingTag < 0) missingTag = tag;
            }
            continue;
        }
        ObjectTriangle triangle = object->triangles[t];
        triangle.surface = int16_t(reader->tagSurface[tag]);
        object->triangles[kept++] = triangle;
    }
    object->triangleCount = kept;
    if (untagged > 0)
        lwoWarn(reader, "%d triangles have no surface tag and are left out", untagged);
    if (withoutSurface > 0)
        lwoWarn(reader, "%d triangles use surfaces the file does not define (such as \"%s\") and are "
                "left out", withoutSurface, reader->tags[missingTag]);

    for (int32_t t = 0; t < object->triangleCount; t++) {
        for (int k = 0; k < 3; k++) {
            ObjectPoint* point = &object->points[object->triangles[t].points[k]];
            if (point->triangleCount == OBJECT_TRIANGLES_PER_POINT) {
                reader->extraTriangleRefs++;
                continue;
            }
            point->triangles[point->triangleCount++] = t;
        }
    }
    if (reader->extraTriangleRefs > 0)
        lwoWarn(reader, "some points are shared by more than %d triangles; their smooth normals "
                "use the first %d", OBJECT_TRIANGLES_PER_POINT, OBJECT_TRIANGLES_PER_POINT);
}

static RawObject* parseObject(LwoReader* reader, const uint8_t* file, uint32_t size) {
    reader->file = file;
    if (size < 12 || memcmp(file, "FORM", 4) != 0) {
        lwoRefuse(reader, "it is not an IFF file");
        return nullptr;
    }
    if (memcmp(file + 8, "LWO2", 4) != 0) {
        char type[5];
        IffSpan at = iffSpanAt(file, 8, 12);
        iffChunkName(iffU4(&at), type);
        lwoRefuse(reader, "it is of type %s, not LWO2 (save it from LightWave 6 or later)", type);
        return nullptr;
    }
    IffSpan header = iffSpanAt(file, 4, 8);
    uint64_t formEnd = 8 + uint64_t(iffU4(&header));
    if (formEnd > size) {
        lwoRefuse(reader, "it is truncated (%u of %llu bytes)", size,
                  static_cast<unsigned long long>(formEnd));
        return nullptr;
    }
    reader->object = static_cast<RawObject*>(calloc(1, sizeof(RawObject)));
    if (!reader->object) outOfMemory("object %s", reader->path);
    IffSpan form = iffSpanAt(file, 12, uint32_t(formEnd));
    IffChunk chunk;
    IffChunkStatus status;
    while (!reader->refused && (status = iffNextChunk(&form, 4, &chunk)) != IFF_CHUNK_END) {
        if (status == IFF_CHUNK_BAD) {
            char name[5];
            iffChunkName(chunk.id, name);
            if (iffLeft(&form) < 8)
                lwoRefuse(reader, "it ends inside a chunk header at byte %u", form.pos);
            else
                lwoRefuse(reader, "its %s chunk at byte %u runs past the end of the file", name,
                          chunk.offset);
            break;
        }
        readChunk(reader, &chunk);
    }
    if (!reader->refused && reader->layerState == GEOMETRY_NONE_YET)
        lwoRefuse(reader, "it has no points");
    if (!reader->refused && !reader->havePolygons) lwoRefuse(reader, "it has no polygons");
    if (reader->refused) {
        freeRawObject(reader->object);
        return nullptr;
    }
    reader->extraLayers = reader->layersWithPoints - 1;
    countProblems(reader);
    lwoResolveLayers(reader);
    finishTriangles(reader);
    return reader->object;
}

RawObject* readObject(const char* path) {
    LwoReader* reader = static_cast<LwoReader*>(calloc(1, sizeof(LwoReader)));
    if (!reader) outOfMemory("object %s", path);
    reader->path = path;
    DemoFile file = fileOpen(path, "rb");
    if (!file) {
        showError("Object %s is not in the package", path);
        free(reader);
        return nullptr;
    }
    uint32_t size = fileSize(file);
    uint8_t* bytes = static_cast<uint8_t*>(malloc(size_t(size) + 1));
    if (!bytes) outOfMemory("object %s", path);
    fileSeek(file, 0, SEEK_SET);
    size_t got = fileRead(bytes, 1, size, file);
    fileClose(file);
    RawObject* object = nullptr;
    if (got != size)
        lwoRefuse(reader, "only %zu of its %u bytes could be read", got, size);
    else
        object = parseObject(reader, bytes, size);
    free(bytes);
    free(reader->polygonTriangle);
    free(reader->triangleTag);
    free(reader);
    return object;
}

void freeRawObject(RawObject* object) {
    if (!object) return;
    free(object->triangles);
    free(object->points);
    free(object->uvs);
    free(object);
}

const ObjectUv* findPointUv(const RawObject* object, int32_t point, int32_t map) {
    if (point < 0 || point >= object->pointCount) return nullptr;
    for (int32_t e = object->points[point].firstUv; e >= 0; e = object->uvs[e].next)
        if (object->uvs[e].map == map) return &object->uvs[e];
    return nullptr;
}
