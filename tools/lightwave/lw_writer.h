// Writes LightWave object files (LWO2 bytes) and scene files (LWS text) from plain descriptions.
// Used by the tests and the content generators. Everything written is exactly what is described,
// including broken data (indices out of range, polygons that are not triangles), so that tests
// can make malformed files too.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// ---- Big-endian building blocks -------------------------------------------------------------

void lwPutU1(std::vector<uint8_t>& out, uint32_t value);
void lwPutU2(std::vector<uint8_t>& out, uint32_t value);
void lwPutU4(std::vector<uint8_t>& out, uint32_t value);
void lwPutF4(std::vector<uint8_t>& out, float value);
void lwPutId(std::vector<uint8_t>& out, const char* id);  // four characters
// A point, polygon or clip index: 2 bytes below 0xFF00 (unless wide), else 0xFF and 3 bytes.
void lwPutVX(std::vector<uint8_t>& out, uint32_t index, bool wide = false);
// NUL-terminated, padded to an even length.
void lwPutString(std::vector<uint8_t>& out, const std::string& text);
void lwPutBytes(std::vector<uint8_t>& out, const std::vector<uint8_t>& bytes);
// Chunk: ID, U4 size, body, pad byte. Sub-chunk: ID, U2 size, body, pad byte.
std::vector<uint8_t> lwChunk(const char* id, const std::vector<uint8_t>& body);
std::vector<uint8_t> lwSubChunk(const char* id, const std::vector<uint8_t>& body);

// A chunk or sub-chunk written as given (e.g. "VMAD", "ENVL", a second "POLS").
struct LwRawChunk {
    std::string id;
    std::vector<uint8_t> body;
};

// ---- Objects ----------------------------------------------------------------------------------

struct LwPoint {
    float x, y, z;
};

struct LwPolygon {
    std::vector<uint32_t> points;
    int32_t tag = 0;  // index into LwObject::tags for the "PTAG" "SURF" chunk; -1 writes no entry
};

struct LwMapEntry {
    uint32_t point;
    float values[2];  // a weight uses values[0]
};

struct LwVertexMap {
    std::string type = "TXUV";  // "TXUV", "WGHT", or any other type
    std::string name;
    uint16_t dimension = 2;     // values per entry (2 for TXUV, 1 for WGHT); past 2 written as 0
    std::vector<LwMapEntry> entries;
};

struct LwLayer {
    uint16_t number = 0;
    std::string name;
    float pivot[3] = {0, 0, 0};
    int32_t parent = -1;  // -1 writes no parent field
    std::vector<LwPoint> points;
    std::vector<LwVertexMap> vertexMaps;
    bool mapPreambles = false;  // "VMPA" before every "VMAP", as newer LightWave writes
    std::string polygonType = "FACE";
    std::vector<LwPolygon> polygons;
    std::vector<LwRawChunk> extraChunks;  // written after the polygon tags (VMAD, bone POLS...)
};

struct LwTextureLayer {
    std::string blockType = "IMAP";  // "PROC", "GRAD" or "SHDR" make a block that is no image map
    std::string channel = "COLR";
    bool writeOpacity = true;
    uint16_t opacityType = 0;
    float opacity = 1.0f;
    uint16_t projection = 5;  // UV
    std::optional<uint32_t> image = 1u;  // clip index for "IMAG"; empty writes none
    uint16_t widthWrap = 1;
    uint16_t heightWrap = 1;
    std::optional<uint16_t> pixelBlending;  // "PIXB"
    std::string uvMap;                      // "VMAP"; empty writes none
    std::vector<LwRawChunk> extraSubChunks;  // at the end of the block
};

struct LwSurface {
    std::string name;
    std::string source;
    float color[3] = {0.784f, 0.784f, 0.784f};
    bool writeColor = true;
    float diffuse = 1.0f;
    std::optional<float> specular;
    std::optional<float> glossiness;
    std::optional<float> glow;
    std::optional<float> transparency;
    std::optional<float> smoothingAngle;  // radians
    bool transparencyBeforeColor = false;
    bool lines = false;
    std::vector<LwTextureLayer> layers;
    std::vector<LwRawChunk> extraSubChunks;  // after the values, before the blocks
};

struct LwClip {
    uint32_t index = 1;
    bool sequence = false;     // "ISEQ" instead of "STIL"
    std::string fileName;      // the still's path, or the sequence prefix
    std::string suffix;        // sequences only
    uint8_t digits = 3;
    uint8_t flags = 0;
    uint16_t offset = 0;
    uint16_t reserved = 0;
    uint16_t start = 0;
    uint16_t end = 0;
    std::string kind;  // overrides the sub-chunk ID ("ANIM", "XREF"...); empty: STIL or ISEQ
    std::vector<LwRawChunk> extraSubChunks;  // after the STIL or ISEQ sub-chunk
};

struct LwObject {
    std::vector<std::string> tags;
    std::vector<LwLayer> layers;
    std::vector<LwClip> clips;
    std::vector<LwSurface> surfaces;
    bool wideIndices = false;  // every index in the 4-byte form
    bool clipsAfterSurfaces = false;
    std::vector<LwRawChunk> extraChunks;  // at the end of the file
};

// The whole file: FORM LWO2 with TAGS, per layer LAYR PNTS BBOX VMAP* POLS PTAG extra*, CLIP*, SURF*.
std::vector<uint8_t> writeLwo(const LwObject& object);
// Index of the tag with this name, appended when missing.
int32_t lwTag(LwObject& object, const std::string& name);
// A numbered image sequence: prefix + frame number written with `digits` digits + suffix, frames
// start .. end - 1.
LwClip lwSequenceClip(uint32_t index, const std::string& prefix, uint8_t digits, const std::string& suffix,
                      uint16_t start, uint16_t end);
// A one-layer object with a triangle list, every triangle on one surface of the given name.
LwObject lwTriangles(const std::vector<LwPoint>& points, const std::vector<uint32_t>& corners,
                     const std::string& surface);

// ---- Scenes -----------------------------------------------------------------------------------

// "Key value time shape p1..p6"; shapes: 0 TCB, 1 Hermite, 2 Bezier, 3 linear, 4 stepped, 5 2D.
struct LwKey {
    float value = 0;
    float time = 0;  // seconds
    int shape = 0;
    float params[6] = {0, 0, 0, 0, 0, 0};
};

struct LwEnvelope {
    std::vector<LwKey> keys;
    int preBehavior = 1;  // 0 reset, 1 constant, 2 repeat, 3 oscillate, 4 offset repeat, 5 linear
    int postBehavior = 1;
};

LwEnvelope lwConstant(float value);

// Channels: position x y z, heading pitch bank (radians), scale x y z. Cameras write the first 6.
struct LwMotion {
    LwEnvelope channels[9];
};

// Constant position and rotation, scale 1.
LwMotion lwStill(float x = 0, float y = 0, float z = 0, float heading = 0, float pitch = 0,
                 float bank = 0);

// ItemRef values for ParentItem.
uint32_t lwObjectRef(uint32_t itemIndex);  // objects and nulls share the item numbering
uint32_t lwLightRef(uint32_t lightIndex);
uint32_t lwCameraRef(uint32_t cameraIndex);
uint32_t lwBoneRef(uint32_t itemIndex, uint32_t boneIndex);

struct LwBone {
    std::string name = "Bone";
    float restPosition[3] = {0, 0, 0};
    float restDirection[3] = {0, 0, 0};  // heading, pitch, bank in degrees
    float restLength = 1.0f;
    std::string weightMap = "Weight";  // one word
    LwMotion motion = lwStill();
    uint32_t parent = 0;  // 0: the owning item
};

struct LwItem {
    bool isNull = false;
    std::string name;  // the object path, or the null's name (one word)
    int layer = 1;
    LwMotion motion = lwStill();
    std::optional<LwPoint> pivot;
    uint32_t parent = 0;  // ItemRef; 0 none
    std::vector<LwBone> bones;
    int shadowOptions = 7;
};

struct LwLight {
    std::string name = "Light";
    LwMotion motion = lwStill();
    float color[3] = {1, 1, 1};
    float intensity = 1.0f;
    std::optional<LwEnvelope> intensityEnvelope;  // written as "(envelope)" when set
    int type = 0;                                 // 0 distant, 1 point, 2 spot
    std::optional<int> falloffType;               // with range when set
    float range = 1.0f;
    float coneAngle = 30.0f;  // spot lights
    float edgeAngle = 5.0f;
    uint32_t parent = 0;
};

struct LwCamera {
    std::string name = "Camera";  // one word
    LwMotion motion = lwStill();
    float zoom = 3.2f;
    std::optional<LwEnvelope> zoomEnvelope;
    uint32_t parent = 0;
};

struct LwScene {
    int firstFrame = 1;
    int lastFrame = 60;
    int framesPerSecond = 30;
    std::vector<LwItem> items;
    std::vector<LwLight> lights;
    std::vector<LwCamera> cameras;
    float backdropColor[3] = {0, 0, 0};
    int fogType = 0;
    float fogMinDistance = 0;
    float fogMaxDistance = 1;
    float fogMinAmount = 0;
    float fogMaxAmount = 1;
    float fogColor[3] = {0.5f, 0.5f, 0.5f};
};

// LWSC version 3 text as LightWave 6 writes it (objects, lights, cameras, effects).
std::string writeLws(const LwScene& scene);
// One "{ Envelope ... }" block, as inside a scene file and as the whole of an ".env" file.
std::string writeEnvelope(const LwEnvelope& envelope);
