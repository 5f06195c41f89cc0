// The loaded-scene records shared by loaders, renderers and effects.
#pragma once
#include <cstdint>

#include "scene/effect_slot.h"
#include "scene/envelope.h"
#include "scene/scene_setup.h"

struct Settings;

enum {
    SCENE_EFFECT_SLOTS = 16,
    SCENE_LIGHTS = 8,
    SCENE_CAMERAS = 8,
    SCENE_ITEMS = 256,
    ITEM_BONES = 50,
    MESH_CACHE_CAPACITY = 256,
    PROGRAM_CACHE_SLOTS = 2081,
    SURFACE_LAYERS = 8,
    SCENE_NAME_LENGTH = 64,
    ITEM_NAME_LENGTH = 128,
};

// Kinds of an ItemRef (bits 28..31) and of a resolved parent.
enum ItemKind : uint8_t {
    ITEM_NONE = 0,
    ITEM_OBJECT = 1,
    ITEM_LIGHT = 2,
    ITEM_CAMERA = 3,
    ITEM_BONE = 4,
};

typedef uint32_t ItemRef;

struct Surface {
    char name[128];
    uint32_t vertexBuffer;
    int32_t triangleCount;
    int32_t vertexStride;
    int32_t layerCount;
    uint32_t layerFlags[SURFACE_LAYERS];
    int32_t layerTexture[SURFACE_LAYERS];
    uint32_t indexBuffer;
    uint32_t* displayLists;
    int32_t displayListCount;
    int32_t frame;
    uint32_t shadowPrograms[2];  // vertex, fragment
    Colour color;
    float diffuse;
    float glow;
    float specular;
    int32_t shininess;
    uint8_t bumpLayer;  // 1 + index of the normal-map layer; 0 none
    uint8_t lines;
};

struct SurfaceInstance {
    Surface* surface;
    uint32_t vertexProgram;
    uint32_t fragmentProgram;
    float user[2];
};

struct Bone {
    ItemRef parentRef;
    void* parent;
    uint8_t parentKind;
    float matrix[16];       // GL column-major
    float inverseRest[16];  // GL column-major
    float restPosition[3];
    float restDirection[3];  // heading, pitch, bank in degrees
    float restLength;
    int32_t weightMapIndex;
    Envelope motion[MOTION_CHANNELS];
    float user[3];
};

struct Mesh {
    char path[128];
    char** weightMapNames;
    uint8_t weightMapCount;
    Surface* surfaces;
    int32_t surfaceCount;
    uint8_t hasBlending;
};

struct SceneItem {
    ItemRef parentRef;
    void* parent;
    int32_t meshIndex;
    uint8_t parentKind;
    float matrix[16];  // GL column-major
    Envelope motion[MOTION_CHANNELS];
    float pivot[3];
    int32_t surfaceCount;
    SurfaceInstance* surfaces;
    Bone* bones;
    int32_t boneCount;
    Mesh* mesh;
    char name[ITEM_NAME_LENGTH];
    uint8_t isNull;
};

struct Light {
    Envelope motion[MOTION_CHANNELS];
    int32_t type;  // 0 distant, 1 point, 2 spot
    float position[4];
    float direction[4];
    float intensity;
    Envelope intensityEnvelope;
    Colour color;
    Colour effectiveColor;
    int32_t falloffType;
    float range;
    float coneAngle;  // degrees
    float edgeAngle;  // degrees
};

struct Camera {
    char name[128];
    float zoom;
    Envelope zoomEnvelope;
    Envelope motion[CAMERA_MOTION_CHANNELS];
    float axes[16];
};

struct Scene {
    char name[SCENE_NAME_LENGTH];
    float backdropColor[3];
    int32_t itemCount;
    EffectSlot effectSlots[SCENE_EFFECT_SLOTS];
    int32_t effectSlotCount;
    Light lights[SCENE_LIGHTS];
    int32_t lightCount;
    Camera cameras[SCENE_CAMERAS];
    int32_t cameraCount;
    Settings* settings;
    SceneSetup setup;
    SceneItem* items;
    int32_t time;  // ms
};

struct MeshCache {
    Mesh entries[MESH_CACHE_CAPACITY];
    int32_t count;
};

struct ProgramSlot {
    uint32_t key;  // MaterialKey; 0 marks an empty slot
    uint32_t program;
};

struct ProgramCache {
    ProgramSlot slots[PROGRAM_CACHE_SLOTS];
};
