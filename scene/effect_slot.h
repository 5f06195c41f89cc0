// One effect instance bound to a null item of a scene.
#pragma once
#include <cstdint>

#include "scene/envelope.h"

struct Scene;
struct RenderState;
struct EffectSlot;

struct Colour {
    float r, g, b, a;
};

// Init gets the renderer's state (caches, settings, the families' shared objects) and the scene
// whose null the slot is bound to.
typedef void (*EffectInitFn)(RenderState* render, Scene* scene, EffectSlot* slot);
typedef void (*EffectRenderFn)(RenderState* render, EffectSlot* slot, int32_t timeMs);

// When in a frame a slot draws.
enum EffectPass : int32_t {
    EFFECT_PASS_NEVER = 0,
    EFFECT_PASS_BEFORE_OBJECTS = 1,
    EFFECT_PASS_AT_NULL = 2,  // among the objects, where the walk over the items meets the null
    EFFECT_PASS_AFTER_OVERLAYS = 3,
};

// Which effect a slot runs; FAMILY_NONE for a null whose name is no effect.
enum EffectFamily : int32_t {
    FAMILY_NONE = 0,
    FAMILY_FRACTAL,
    FAMILY_PICTURE,
    FAMILY_BLUR,
    FAMILY_TYPING,
    FAMILY_SOFT_BODY,
    FAMILY_LIGHT_BLOB,
    FAMILY_METABALLS,
    FAMILY_SWIMMING,
    FAMILY_BOIDS,
    FAMILY_ELECTRO_SURFACE,
    FAMILY_ELECTRO_RIBBON,
    FAMILY_BUBBLES,
    FAMILY_COUNT
};

// What distinguishes the variants of one family: a flock preset, a surface or ribbon generator, a
// bubble emitter, a fractal texture builder. A value, not a function: each family maps its own
// values to its own typed functions or data, so no call goes through a mismatched signature.
enum EffectVariant : int32_t {
    VARIANT_NONE = 0,
    // Flock presets.
    VARIANT_FLOCK_HERRING,
    VARIANT_FLOCK_HERRING_THREE,
    VARIANT_FLOCK_HERRING_TWO,
    VARIANT_FLOCK_YELLOW,
    VARIANT_FLOCK_YELLOW_TWO,
    VARIANT_FLOCK_BLUE,
    VARIANT_FLOCK_BLUE_TWO,
    VARIANT_FLOCK_GREEN,
    VARIANT_FLOCK_GREEN_THREE,
    VARIANT_FLOCK_LOTS_OF_HERRINGS,
    VARIANT_FLOCK_SMALL,
    VARIANT_FLOCK_MEDIUM,
    // Electro surface generators.
    VARIANT_SURFACE_BLOB,
    VARIANT_SURFACE_TORUS,
    VARIANT_SURFACE_SINE,
    VARIANT_SURFACE_COSINE,
    VARIANT_SURFACE_TANGENT,
    VARIANT_SURFACE_COTANGENT,
    VARIANT_SURFACE_EXPONENTIAL,
    // The ribbon generator.
    VARIANT_RIBBON,
    // Bubble emitters, named after the first effect that selects each.
    VARIANT_BUBBLES,
    VARIANT_BUBBLES_NUREK,
    VARIANT_BUBBLES_WHALE,
    VARIANT_BUBBLES_DZIAD,
    VARIANT_BUBBLES_DZIAD_SPADA_BOK,
    VARIANT_BUBBLES_NOS1,
    // Fractal texture builders.
    VARIANT_FRACTAL_4D,
    VARIANT_FRACTAL_BRAIN,
    VARIANT_FRACTAL_SMALL_1,
    VARIANT_FRACTAL_SMALL_2,
    VARIANT_COUNT
};

enum { EFFECT_PARAMS = 16, EFFECT_FILE_NAME = 128 };

struct EffectSlot {
    uint8_t reset;  // 1: start afresh at the next render; the effect clears it
    void* parent;
    uint8_t parentKind;
    int32_t pass;  // EffectPass
    Envelope motion[MOTION_CHANNELS];
    int32_t intParams[EFFECT_PARAMS];
    float floatParams[EFFECT_PARAMS];
    int32_t count;
    Colour colorA;
    Colour colorB;
    EffectFamily family;
    EffectVariant variant;
    EffectRenderFn render;
    EffectRenderFn prepare;  // at the start of each frame that draws the slot; null: nothing to start
    EffectInitFn init;
    char fileName[EFFECT_FILE_NAME];
    // The row above stays as bound; what a family keeps while the demo plays lives in its own record
    // (BoidsState, SoftBodyState, ...), made by its init, freed by its release (releaseSceneEffects),
    // read only when `family` is its own.
    void* state;
};

// Whether every frame of its scene draws the slot: it has a render and a pass the frame runs.
inline bool effectSlotDrawn(const EffectSlot* slot) {
    return slot->render && (slot->pass == EFFECT_PASS_BEFORE_OBJECTS || slot->pass == EFFECT_PASS_AT_NULL ||
                            slot->pass == EFFECT_PASS_AFTER_OVERLAYS);
}
