// LightWave object files (LWO2) read into a RawObject, the input of the mesh builder.
#pragma once
#include <cstdint>

enum {
    OBJECT_TAGS = 1024,
    OBJECT_TRIANGLES_PER_POINT = 64,
    OBJECT_WEIGHTS_PER_POINT = 2,
    OBJECT_SURFACES = 128,
    OBJECT_CLIPS = 128,
    OBJECT_UV_MAPS = 255,
    OBJECT_WEIGHT_MAPS = 50,
    OBJECT_SURFACE_LAYERS = 8,
    OBJECT_NAME_LENGTH = 128,     // tags, surface names, clip file names and suffixes
    OBJECT_MAP_NAME_LENGTH = 64,  // UV and weight map names (63 characters and the NUL)
};

// Channel codes of a texture layer, from its "CHAN" sub-chunk.
enum TextureChannel : uint8_t {
    CHANNEL_COLR = 0,
    CHANNEL_REFL = 1,
    CHANNEL_SPEC = 2,
    CHANNEL_TRAN = 3,
    CHANNEL_TRNL = 4,
    CHANNEL_BUMP = 5,
    CHANNEL_DIFF = 6,
    CHANNEL_LUMI = 7,
    CHANNEL_GLOS = 8,
    CHANNEL_RIND = 9,
};

// One UV of a point; a point's UVs are chained through next (-1 ends) in file order.
struct ObjectUv {
    float u;
    float v;
    int32_t map;   // index into RawObject::uvMapNames
    int32_t next;  // index into RawObject::uvs
};

struct ObjectPoint {
    float position[3];
    int32_t triangles[OBJECT_TRIANGLES_PER_POINT];  // triangles using this point
    int32_t triangleCount;
    int32_t firstUv;  // index into RawObject::uvs, -1 when the point has none
    float weights[OBJECT_WEIGHTS_PER_POINT];
    int32_t weightMaps[OBJECT_WEIGHTS_PER_POINT];  // index into RawObject::weightMapNames
    int32_t weightCount;
};

struct ObjectTriangle {
    int32_t points[3];
    float normal[3];   // unit length; zero for a degenerate triangle
    float tangent[3];  // left to the mesh builder
    int16_t surface;   // index into RawObject::surfaces, always valid
};

// Fields in the order the texture cache takes them. A still: start 0, end 1, digits 0, empty suffix.
struct ImageClip {
    int32_t start;
    int32_t end;
    int32_t reserved;
    int32_t digits;
    int32_t extra;
    char fileName[OBJECT_NAME_LENGTH];  // still image path, or the sequence prefix
    char suffix[OBJECT_NAME_LENGTH];
    uint32_t index;  // the clip's own index in the file, which "IMAG" refers to
};

struct TextureLayer {
    float opacity;
    uint8_t channel;  // TextureChannel
    uint8_t opacityType;
    uint8_t pixelBlending;
    uint8_t widthWrap;
    uint8_t heightWrap;
    uint8_t uvMap;       // index into RawObject::uvMapNames (0 when the layer names none)
    ImageClip* image;    // never null: layers without a usable image are dropped
};

struct RawSurface {
    char name[OBJECT_NAME_LENGTH];
    float diffuse;
    float specular;
    float glow;
    int32_t shininess;
    float smoothingAngle;  // radians; 0 = flat
    float smoothingCosine;
    float color[4];  // r, g, b from "COLR"; a is 1.0 unless "TRAN" gives it
    uint8_t lines;
    uint8_t layerCount;
    TextureLayer layers[OBJECT_SURFACE_LAYERS];
};

struct RawObject {
    ObjectTriangle* triangles;
    ObjectPoint* points;
    RawSurface surfaces[OBJECT_SURFACES];
    int32_t surfaceCount;
    int32_t triangleCount;
    int32_t pointCount;
    ImageClip clips[OBJECT_CLIPS];
    int32_t clipCount;
    char uvMapNames[OBJECT_UV_MAPS][OBJECT_MAP_NAME_LENGTH];
    int32_t uvMapCount;
    char weightMapNames[OBJECT_WEIGHT_MAPS][OBJECT_MAP_NAME_LENGTH];
    int32_t weightMapCount;
    uint8_t hasWeights;
    ObjectUv* uvs;
    int32_t uvCount;
};

// Reads the object file at path from the package. Problems are shown naming the file. What cannot
// be used is dropped and the rest read (bad indices, capacities, non-triangles, later layers);
// a file whose structure cannot be trusted (not LWO2, truncated, chunks overrunning their parent,
// no points or polygons) is refused: the result is then null.
RawObject* readObject(const char* path);
void freeRawObject(RawObject* object);

// The first UV of a point in the given map, or null.
const ObjectUv* findPointUv(const RawObject* object, int32_t point, int32_t map);
