#include "effects/effect_passes.h"

#include "scene/scene.h"

void renderEffectPass(DemoContext* context, Scene* scene, int32_t pass, int32_t timeMs) {
    for (int32_t k = 0; k < scene->effectSlotCount && k < SCENE_EFFECT_SLOTS; ++k) {
        EffectSlot* slot = &scene->effectSlots[k];
        if (slot->pass == pass && slot->render) slot->render(context, slot, timeMs);
    }
}

void renderNullEffect(DemoContext* context, Scene* scene, int32_t nullIndex, int32_t timeMs) {
    if (nullIndex < 0 || nullIndex >= scene->effectSlotCount || nullIndex >= SCENE_EFFECT_SLOTS) return;
    EffectSlot* slot = &scene->effectSlots[nullIndex];
    if (slot->pass == 2 && slot->render) slot->render(context, slot, timeMs);
}
