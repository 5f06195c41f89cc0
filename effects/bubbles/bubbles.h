// Rising bubble plumes: camera-facing quads with a generated sphere-normal texture, lit per pixel.
#pragma once
#include <cstdint>

#include "effects/effect_check.h"
#include "effects/effect_family.h"
#include "scene/effect_slot.h"
#include "scene/envelope.h"

struct Scene;
struct RenderState;

enum BubbleEmitter {
    BUBBLES_PLAIN = 0,        // "Bubbles": wraps at its height
    BUBBLES_WHALE,            // "Bubbles_Whale": starts after a delay, rewinds on reset
    BUBBLES_NUREK,            // "Bubbles_Nurek": as the whale, a narrower plume
    BUBBLES_DZIAD,            // "Bubbles_Dziad"
    BUBBLES_DZIAD_SPADA_BOK,  // "Bubbles_Dziad_Spada_Bok"
    BUBBLES_NOS1,             // "Bubbles_Nos1": follows three envelope files
    BUBBLE_EMITTERS,
};

enum {
    BUBBLE_TEXTURE_SIZE = 256,
    // Four corners per particle must be addressable by 16-bit indices.
    BUBBLE_MAX_PARTICLES = 16384,
};

struct BubbleParticle {
    float s0, s1, s2;  // s2 unused
    float h, hStart;
    float v, vStart;
    float a, aStart;
};

// intParams 3..8, 10 and 11 and floatParams[0] of the row; the slot's count is the particles asked for.
struct BubbleParams {
    int32_t height;           // 3: a plain plume wraps above it
    int32_t speedDivisor;     // 4
    int32_t accelDivisor;     // 5
    int32_t sizeSpread;       // 6
    int32_t sizeDivisor;      // 7
    int32_t cornerDivisor;    // 8
    int32_t sizeBase;         // 10
    int32_t sizeBaseDivisor;  // 11
    float delay;              // seconds before a delayed plume starts
};
BubbleParams bubbleParams(const EffectSlot* slot);

struct BubblesState {
    BubbleEmitter emitter;
    BubbleParams params;
    bool seeded;       // the particles drawn their start values
    int32_t lastTime;  // ms of the previous emission
    int32_t count;              // particles, capped at BUBBLE_MAX_PARTICLES
    BubbleParticle* particles;  // count
    float* positions;           // count x 4 corners x 3
    float* corners;             // count x 4 corners x (cx, cy, size, phase)
    Envelope path[3];           // "Bubbles_Nos1" only: X, Y, Z against the particle's parameter
    // The particles as the warm-up left them: a seek starts the plume's history again from there.
    BubbleParticle* kept;
    bool keptSeeded;
    int32_t keptLastTime;
    uint32_t positionBuffer, cornerBuffer, indexBuffer;
};

// The sphere-normal texture and the two programs, shared by every plume.
struct BubblesShared {
    uint32_t texture, vertexProgram, fragmentProgram;
};

// The emitter a binding's variant names (the plain plume for a variant of another family).
BubbleEmitter bubbleEmitterOf(EffectVariant variant);
// Allocates the state with the slot's parameters and draws the corner attributes from a generator
// reseeded with 0.
BubblesState* bubblesCreate(const EffectSlot* slot, BubbleEmitter emitter);
void bubblesFree(BubblesState* state);
// Seeds (first call), re-bases on reset, moves the particles to timeMs and writes their positions.
void bubblesEmit(BubblesState* state, EffectSlot* slot, int32_t timeMs);
// False while a delayed plume waits for its start (timeMs x 0.001 <= delay).
bool bubblesVisible(const BubblesState* state, int32_t timeMs);
// The 256 x 256 RGBA sphere-normal texture with its softened alpha.
void bubbleTexture(uint8_t* rgba);

void bubblesInit(RenderState* render, Scene* scene, EffectSlot* slot);
void bubblesRender(RenderState* render, EffectSlot* slot, int32_t timeMs);
// The particles' part of a render, without drawing.
void bubblesAdvance(RenderState* render, EffectSlot* slot, int32_t timeMs);
void bubblesKeepState(EffectSlot* slot);
void bubblesRestoreState(EffectSlot* slot);
void bubblesRelease(EffectSlot* slot);
void bubblesReleaseShared(EffectsState* effects);

inline constexpr EffectFamilyDescriptor kBubblesFamily = {
    FAMILY_BUBBLES, "bubbles",        bubblesInit, bubblesRender, bubblesRelease, bubblesReleaseShared,
    kNoFamilyFiles, checkRowFileLines, bubblesAdvance, bubblesKeepState, bubblesRestoreState, nullptr};
