// Swimming deformation: an object carried by its null and bent by a travelling sine wave that the
// vertex program evaluates from the first texture coordinate u along the body.
#pragma once
#include <cstdint>

#include "effects/effect_check.h"
#include "effects/effect_family.h"

struct Scene;
struct RenderState;

// intParams[0] the wave (0 or 4), floatParams[0] the wave's speed (radians a second).
struct SwimParams {
    int32_t wave;
    float speed;
};
SwimParams swimParams(const EffectSlot* slot);

void swimInit(RenderState* render, Scene* scene, EffectSlot* slot);
void swimFrame(RenderState* render, EffectSlot* slot, int32_t timeMs);
void swimRelease(EffectSlot* slot);
// The object among the scene's lights, lying horizontal with u along it.
void swimCheck(EffectCheck* check, const EffectBinding* row);

inline constexpr EffectFamilyDescriptor kSwimmingFamily = {
    FAMILY_SWIMMING, "swimming", swimInit, swimFrame, swimRelease, nullptr, kNoFamilyFiles, swimCheck,
    nullptr,         nullptr,    nullptr, nullptr};
