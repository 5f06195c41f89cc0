// Drawing the fish of a flock bent along their spines, and the light shafts of the shoal scene.
#pragma once
#include <cstdint>

#include "base/shared_work.h"
#include "effects/effect_check.h"
#include "effects/effect_family.h"
#include "scene/scene.h"

struct Boid;
struct FlockSet;
struct ProgramBuilder;
struct RenderState;

// Shared by every boids slot of the run; the programs are whole package entries.
#define SHAFT_OBJECT "Demo/SwiatlaPrzezroczyste8.lwo"
#define SHAFT_VERTEX_PROGRAM "Demo/lights.vsh"
#define SHAFT_FRAGMENT_PROGRAM "Demo/lights.psh"
// The scene whose boids swim through light shafts.
#define SHAFT_SCENE "Lawica"

enum { SHAFT_COUNT = 40 };

// floatParams[0] the simulation step (s), floatParams[1] the time the flock is seeded at (s).
struct BoidsParams {
    float step;
    float startTime;
};
BoidsParams boidsParams(const EffectSlot* slot);

struct BoidsState {
    BoidsParams params;
    FlockSet* flock;
    SceneItem fish;  // the fish object, loaded for this slot
    int32_t swamTo;  // the scene time (ms) the flock was last brought to; INT32_MIN before
    double swimSeconds;  // how long that took: the longest swim of a frame starts first
    // The frame's swim, handed to the helper threads by boidsPrepare, and its time (ms).
    SharedTicket swim;
    int32_t swimTarget;
};

struct LightShaft {
    float position[3];
    float baseX;
    float sway;
};

// Shared by every boids slot of the run: the shaft object with its two programs, and the shafts,
// placed by the first frame that draws them.
struct BoidsShared {
    bool loaded;
    bool placed;
    SceneItem shaftItem;
    LightShaft shafts[SHAFT_COUNT];
};

// The fish vertex program (locals 4..7 the body curve, 8..11 the reference curve) and its lit
// fragment program, stored in the surface instance.
void buildFishPrograms(ProgramBuilder* builder, const Scene* scene, SurfaceInstance* instance);
// Their texts after the target's header; the caller opens and closes them.
void writeFishVertexProgram(ProgramBuilder* builder, const Scene* scene, const Surface* surface);
void writeFishFragmentProgram(ProgramBuilder* builder, const Scene* scene, const Surface* surface);
// Body curve P0..P3 = the spine (head first); reference curve Q = each spine point moved by the
// z axis turned onto its segment. w = 1.
void fishControlPoints(const Boid* boid, float p[4][4], float q[4][4]);
// How far a shaft (hanging down from height 60, at most 70 long) reaches before the first fish of
// the flock that swims through it.
float shaftLength(const FlockSet* set, const LightShaft& shaft);

void boidsInit(RenderState* render, Scene* scene, EffectSlot* slot);
void boidsRender(RenderState* render, EffectSlot* slot, int32_t timeMs);
// At the start of a frame: every flock the frame draws starts swimming to timeMs on the other
// cores, while the frame's first passes are drawn; each render then waits for its own flock.
void boidsPrepare(RenderState* render, EffectSlot* slot, int32_t timeMs);
// The flock's part of a render: a reset reseeds it, then it swims on to timeMs.
void boidsAdvance(RenderState* render, EffectSlot* slot, int32_t timeMs);
void boidsRelease(EffectSlot* slot);
void boidsReleaseShared(EffectsState* effects);
// The fish among the scene's lights, sized for its preset; the light shafts.
void boidsCheck(EffectCheck* check, const EffectBinding* row);

inline constexpr const char* kBoidsFiles[] = {SHAFT_OBJECT, SHAFT_VERTEX_PROGRAM, SHAFT_FRAGMENT_PROGRAM, nullptr};
inline constexpr EffectFamilyDescriptor kBoidsFamily = {
    FAMILY_BOIDS, "boids",    boidsInit, boidsRender, boidsRelease, boidsReleaseShared,
    kBoidsFiles,  boidsCheck, boidsAdvance,         nullptr,           nullptr, boidsPrepare};
