// The one global record of the player and its options block.
#pragma once
#include <cstdint>

#include "data/texture.h"
#include "scene/scene.h"

struct Clip;
struct GcNode;
struct DeviceCaps;

struct Settings {
    int32_t maxScenes;
    int32_t fullscreen;
    int32_t noMusic;
    int32_t width;
    int32_t height;
    int32_t clientWidth;
    int32_t clientHeight;
    int32_t screenWidth;
    int32_t screenHeight;
    int32_t colorBits;
    int32_t depthBits;
    int32_t shadowMapSize;
    int32_t anisotropy;
    int32_t maxAnisotropy;
    int32_t maxTextureUnits;       // fixed-function units
    int32_t maxTextureImageUnits;  // units a fragment program samples (at least maxTextureUnits)
    int32_t maxTextureCoords;      // coordinate sets a vertex program passes on
    int32_t samples;
    int32_t textureMode;  // 0 plain, 1 sixteen-bit, 2 compressed internal formats
    int32_t refreshRate;
    int32_t capture;
    Clip* clipHead;
    Clip* clipTail;
    int32_t duration;     // ms
    int32_t globalStart;  // ms
    int32_t globalEnd;    // ms
    int32_t loop;
    GcNode* gcHead;
    GcNode* gcTail;
};

struct PlatformWindow;

struct DemoContext {
    uint8_t resized;
    int32_t sceneCount;
    Settings settings;
    DeviceCaps* caps;

    int32_t startClock;  // process clock at the demo clock's start; -1 before
    TextureCache textures;
    MeshCache meshes;
    Scene* scenes;
    Scene* currentScene;
    Camera* currentCamera;
    ProgramCache vertexPrograms;
    ProgramCache fragmentPrograms;

    TextureImage loadingPicture;
    int32_t progress;
    int32_t progressTotal;
    PlatformWindow* window;
    int32_t warmUp;
    int32_t loading;
    // The quit message: set by whoever ends the demo; the message loop ends with quitCode.
    int32_t quitPosted;
    int32_t quitCode;

    // Shadow off-screen buffer: a framebuffer object whose colour attachment is the shadow texture.
    uint32_t shadowFramebuffer;
    uint32_t shadowTexture;
    uint32_t shadowDepthBuffer;
    // The depth programs of the shadow pass, compiled once at set-up.
    uint32_t depthVertexProgram;         // rigid meshes
    uint32_t depthSkinnedVertexProgram;  // meshes with weight maps
    uint32_t depthFragmentProgram;       // packs the height difference into RGBA
};

// The process's one instance.
DemoContext* demoContext();

void resetSettings(Settings* settings);
