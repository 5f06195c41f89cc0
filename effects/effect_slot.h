// One effect instance bound to a null item of a scene.
#pragma once
#include <cstdint>

#include "scene/envelope.h"

struct Scene;
struct DemoContext;
struct EffectSlot;

struct Colour {
    float r, g, b, a;
};

typedef void (*EffectInitFn)(Scene* scene, EffectSlot* slot);
typedef void (*EffectRenderFn)(DemoContext* context, EffectSlot* slot, int32_t timeMs);
// Each effect family casts its variant to the signature it needs.
typedef void (*EffectVariantFn)(void);

enum { EFFECT_PARAMS = 16, EFFECT_FILE_NAME = 128 };

struct EffectSlot {
    uint8_t reset;  // 1: start afresh at the next render; the effect clears it
    void* parent;
    uint8_t parentKind;
    int32_t pass;  // 0 never, 1 before the objects, 2 at the null's place, 3 after the overlays
    Envelope motion[MOTION_CHANNELS];
    uint32_t handles[4];
    int32_t intParams[EFFECT_PARAMS];
    float floatParams[EFFECT_PARAMS];
    int32_t count;
    Colour colorA;
    Colour colorB;
    EffectVariantFn variant;
    EffectRenderFn render;
    EffectInitFn init;
    char fileName[EFFECT_FILE_NAME];
    void* state;
};
