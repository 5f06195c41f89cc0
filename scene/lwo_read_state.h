// Internals of the object reader: bounded big-endian reads over the file image, and the state that
// lives while one file is read.
#pragma once
#include <cstdint>

#include "scene/lwo_reader.h"

// Reads never pass end; a read that would sets overrun and yields zeros.
struct IffSpan {
    const uint8_t* data;
    uint32_t pos;
    uint32_t end;
    bool overrun;
};

struct IffChunk {
    uint32_t id;
    uint32_t offset;  // of the header, from the start of the file
    IffSpan body;
};

enum IffChunkStatus { IFF_CHUNK_OK, IFF_CHUNK_END, IFF_CHUNK_BAD };

constexpr uint32_t iffId(const char (&s)[5]) {
    return (uint32_t(uint8_t(s[0])) << 24) | (uint32_t(uint8_t(s[1])) << 16) |
           (uint32_t(uint8_t(s[2])) << 8) | uint32_t(uint8_t(s[3]));
}

IffSpan iffSpanAt(const uint8_t* data, uint32_t begin, uint32_t end);
uint32_t iffLeft(const IffSpan* span);
void iffSkip(IffSpan* span, uint32_t count);
uint8_t iffU1(IffSpan* span);
uint16_t iffU2(IffSpan* span);
uint32_t iffU4(IffSpan* span);
float iffF4(IffSpan* span);
// A variable-length index: 2 bytes, or 4 when the first byte is 0xFF (then 24 bits of index).
uint32_t iffVX(IffSpan* span);
// A NUL-terminated string padded to an even length. Stores at most capacity - 1 characters;
// *truncated tells whether it was longer. False (and overrun) when the NUL never comes.
bool iffString(IffSpan* span, char* out, uint32_t capacity, bool* truncated);
// The next chunk inside parent, with a 4-byte (chunks) or 2-byte (sub-chunks) size; steps parent
// past it and its pad byte. IFF_CHUNK_END when parent is used up, IFF_CHUNK_BAD when the header or body
// would run past parent's end.
IffChunkStatus iffNextChunk(IffSpan* parent, int sizeBytes, IffChunk* chunk);
// "ABCD" for messages; unprintable bytes become '?'.
void iffChunkName(uint32_t id, char out[5]);

// Per texture layer, what is resolved once the whole file is read.
struct LwoPendingLayer {
    uint32_t clipIndex;
    uint8_t hasImage;
    uint8_t notImageMap;  // a procedural, gradient or shader block
    uint8_t hasUvName;
    uint8_t badChannel;
    char uvName[OBJECT_MAP_NAME_LENGTH];
};

enum LwoGeometryState { GEOMETRY_NONE_YET, GEOMETRY_READING, GEOMETRY_DONE };

struct LwoReader {
    const char* path;
    const uint8_t* file;
    RawObject* object;
    bool refused;

    char tags[OBJECT_TAGS][OBJECT_NAME_LENGTH];
    int32_t tagCount;
    int32_t tagSurface[OBJECT_TAGS];  // -1: no surface
    bool hasBoneSurface;              // triangles tagged "Bone" are then dropped without a word

    LwoGeometryState layerState;
    int32_t layersWithPoints;
    bool havePolygons;
    bool ptagsForTriangles;  // the latest polygon chunk is the one read as triangles
    int32_t polygonCount;
    int32_t* polygonTriangle;  // per polygon of the triangle chunk: its triangle, or -1
    int32_t* triangleTag;      // per triangle: tag index, or -1 untagged
    int32_t uvCapacity;        // entries allocated in object->uvs

    LwoPendingLayer pending[OBJECT_SURFACES][OBJECT_SURFACE_LAYERS];

    // Problems met in bulk, reported once each after reading.
    int32_t nonTriangles;
    int32_t badPolygonPoints;
    int32_t badMapPoints;
    int32_t badTagPolygons;
    int32_t badTagIndices;
    int32_t extraWeights;
    int32_t extraTriangleRefs;
    int32_t extraTags;
    int32_t extraSurfaces;
    int32_t extraClips;
    int32_t extraUvMaps;
    int32_t extraWeightMaps;
    int32_t extraLayers;
    int32_t extraPolygonChunks;
};

void lwoWarn(LwoReader* reader, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Shows the first reason the file is refused; later calls only keep the refusal.
void lwoRefuse(LwoReader* reader, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Copies a name into a fixed slot, warning when it is cut.
void lwoReadName(LwoReader* reader, IffSpan* span, char* out, uint32_t capacity, const char* what);

void lwoReadClip(LwoReader* reader, IffChunk* chunk);
void lwoReadSurface(LwoReader* reader, IffChunk* chunk);
// Points layers at their clips and UV maps; drops layers without a usable image.
void lwoResolveLayers(LwoReader* reader);
