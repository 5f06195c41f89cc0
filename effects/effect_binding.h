// The effect names a null item can carry, what each stores in its slot, and the binding of every
// loaded scene's nulls to their slots. The one table the player and "demotool check" both read.
#pragma once
#include <cstdint>

#include "scene/effect_slot.h"

struct RenderState;
struct Scene;

struct EffectBinding {
    const char* name;
    EffectFamily family;
    EffectVariant variant;
    int32_t pass;
    int32_t count;
    int32_t intParams[EFFECT_PARAMS];
    float floatParams[EFFECT_PARAMS];
    Colour colorA;
    Colour colorB;
    // An object, a scene, a picture or a text; three envelope paths joined by line feeds for the
    // bubbles that follow a path; empty when the effect loads no file.
    const char* fileName;
};

// The row of exactly this name (whole name, case-sensitive), or null.
const EffectBinding* findEffectBinding(const char* name);
const EffectBinding* effectBindings(int* count);
// "boids", "soft-body", ...; "none" for FAMILY_NONE.
const char* effectFamilyName(EffectFamily family);
// Files every instance of the family loads besides its own (null-terminated list).
const char* const* familyFiles(EffectFamily family);

// Slot k of a scene takes the k-th null item: a matching name stores its row (callbacks, pass,
// parameters, file), every null copies its motion and parent. Nulls past the 16th get no slot and
// are reported. Returns the number of nulls left without a slot.
int32_t bindSceneEffects(Scene* scene);
// Every slot in order: reset set, its init called, one step of the loading bar.
void initSceneEffects(RenderState* render, Scene* scene);
// Both over every scene of the table: binding first, then initialisation.
void bindEffects(RenderState* render, Scene* scenes, int32_t sceneCount);
// Every slot of the scene starts afresh at its next render (warm-up end, loop restart, scene switch).
void resetSceneEffects(Scene* scene);
// The same over every scene of the table (warm-up end, loop restart).
void resetAllEffects(Scene* scenes, int32_t sceneCount);
