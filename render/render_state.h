// Everything the renderer draws with: the settings, the device, the caches of uploaded textures, meshes
// and programs, what is being drawn, and the objects of the shadow and glow passes.
#pragma once
#include <cstdint>

#include "base/settings.h"
#include "data/texture.h"
#include "render/pass_times.h"
#include "render/program_builder.h"
#include "render/scene_setup_pass.h"
#include "render/shadow_pass.h"
#include "scene/scene.h"

struct DeviceCaps;
struct EffectsState;

struct RenderState {
    Settings settings;
    DeviceCaps* caps;
    uint8_t resized;

    TextureCache textures;
    MeshCache meshes;
    ProgramCache vertexPrograms;
    ProgramCache fragmentPrograms;
    ProgramBuilder programText;  // the text of the program being generated
    Scene* currentScene;
    Camera* currentCamera;
    bool warmingUp;  // the frames drawn only to prime programs and state: never shown

    // The loading screen: its picture and how far loading has come.
    TextureImage loadingPicture;
    int32_t progress;
    int32_t progressTotal;

    // Shadow off-screen buffer: a framebuffer object whose colour attachment is the shadow texture.
    uint32_t shadowFramebuffer;
    uint32_t shadowTexture;
    uint32_t shadowDepthBuffer;
    // The depth programs of the shadow pass, compiled once at set-up.
    uint32_t depthVertexProgram;         // rigid meshes
    uint32_t depthSkinnedVertexProgram;  // meshes with weight maps
    uint32_t depthFragmentProgram;       // packs the height difference into RGBA
    ShadowTextureUnits shadowUnits;
    SceneSetUp setUp;
    // The glow post-process, made by the first scene that needs it and shared by all.
    uint32_t glowTexture;
    uint32_t glowBlurProgram;       // horizontal blur of the glow in alpha
    uint32_t glowCompositeProgram;  // vertical blur, tint, colour grading

    // The effect families' shared objects; the renderer only hands them on to the effects it calls.
    EffectsState* effects;
    // The picture overlays drawn over every frame after the glow; null: none.
    void (*overlayPass)(RenderState* render, int32_t demoTime);
    PassTimes passTimes;  // --pass-times
};
