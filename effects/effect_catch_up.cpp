#include "effects/effect_catch_up.h"

#include "effects/effect_families.h"
#include "scene/scene.h"

namespace {

template <typename Fn>
void forEachSlot(Scene* scenes, int32_t sceneCount, Fn fn) {
    for (int32_t s = 0; scenes && s < sceneCount; ++s)
        for (int32_t k = 0; k < scenes[s].effectSlotCount && k < SCENE_EFFECT_SLOTS; ++k)
            fn(&scenes[s].effectSlots[k], effectFamily(scenes[s].effectSlots[k].family));
}

}  // namespace

void keepEffectStates(Scene* scenes, int32_t sceneCount) {
    forEachSlot(scenes, sceneCount, [](EffectSlot* slot, const EffectFamilyDescriptor* family) {
        if (family->keepState) family->keepState(slot);
    });
}

void restoreEffectStates(Scene* scenes, int32_t sceneCount) {
    forEachSlot(scenes, sceneCount, [](EffectSlot* slot, const EffectFamilyDescriptor* family) {
        if (family->restoreState) family->restoreState(slot);
    });
}

void advanceSceneEffects(RenderState* render, Scene* scene, int32_t timeMs, bool lastingOnly) {
    for (int32_t k = 0; k < scene->effectSlotCount && k < SCENE_EFFECT_SLOTS; ++k) {
        EffectSlot* slot = &scene->effectSlots[k];
        const EffectFamilyDescriptor* family = effectFamily(slot->family);
        if (!effectSlotDrawn(slot) || !family->advance) continue;
        if (lastingOnly && !family->restoreState) continue;
        family->advance(render, slot, timeMs);
    }
}
