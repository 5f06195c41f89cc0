#include "render/effect_passes.h"

#include "base/shared_work.h"
#include "render/render_state.h"
#include "scene/scene.h"

void renderEffectPass(RenderState* render, Scene* scene, int32_t pass, int32_t timeMs) {
    for (int32_t k = 0; k < scene->effectSlotCount && k < SCENE_EFFECT_SLOTS; ++k) {
        EffectSlot* slot = &scene->effectSlots[k];
        if (slot->pass == pass && slot->render) slot->render(render, slot, timeMs);
    }
}

void prepareEffectSlots(RenderState* render, Scene* scene, int32_t timeMs) {
    for (int32_t k = 0; k < scene->effectSlotCount && k < SCENE_EFFECT_SLOTS; ++k) {
        EffectSlot* slot = &scene->effectSlots[k];
        if (slot->prepare && effectSlotDrawn(slot)) slot->prepare(render, slot, timeMs);
    }
    startQueuedWork();
}

bool renderNullEffect(RenderState* render, Scene* scene, int32_t nullIndex, int32_t timeMs) {
    if (nullIndex < 0 || nullIndex >= scene->effectSlotCount || nullIndex >= SCENE_EFFECT_SLOTS) return false;
    EffectSlot* slot = &scene->effectSlots[nullIndex];
    if (slot->pass != EFFECT_PASS_AT_NULL || !slot->render) return false;
    PassTimes* times = render ? &render->passTimes : nullptr;  // tools draw effects without a renderer
    const int32_t around = switchPass(times, FRAME_PASS_EFFECTS);
    slot->render(render, slot, timeMs);
    switchPass(times, around);
    return true;
}
