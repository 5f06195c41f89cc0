#include "effects/effect_binding.h"

#include <cstring>

#include "base/report.h"
#include "effects/effect_families.h"
#include "render/render_state.h"

namespace {

void storeRow(EffectSlot* slot, const EffectBinding& row) {
    const EffectFamilyDescriptor* family = effectFamily(row.family);
    slot->family = row.family;
    slot->variant = row.variant;
    slot->init = family->init;
    slot->render = family->render;
    slot->prepare = family->prepare;
    slot->pass = row.pass;
    slot->count = row.count;
    std::memcpy(slot->intParams, row.intParams, sizeof slot->intParams);
    std::memcpy(slot->floatParams, row.floatParams, sizeof slot->floatParams);
    slot->colorA = row.colorA;
    slot->colorB = row.colorB;
    std::strncpy(slot->fileName, row.fileName, EFFECT_FILE_NAME - 1);
    slot->fileName[EFFECT_FILE_NAME - 1] = '\0';
}

}  // namespace

const char* effectFamilyName(EffectFamily family) {
    return family >= 0 && family < FAMILY_COUNT ? kEffectFamilies[family]->name : "?";
}

const char* const* familyFiles(EffectFamily family) { return effectFamily(family)->files; }

int32_t bindSceneEffects(Scene* scene) {
    scene->effectSlotCount = 0;
    int32_t unbound = 0;
    for (int32_t i = 0; scene->items && i < scene->itemCount; ++i) {
        const SceneItem& item = scene->items[i];
        if (!item.isNull) continue;
        if (scene->effectSlotCount == SCENE_EFFECT_SLOTS) {
            ++unbound;
            continue;
        }
        EffectSlot* slot = &scene->effectSlots[scene->effectSlotCount];
        if (const EffectBinding* row = findEffectBinding(item.name)) storeRow(slot, *row);
        for (int c = 0; c < MOTION_CHANNELS; ++c) slot->motion[c] = item.motion[c];
        slot->parent = item.parent;
        slot->parentKind = item.parentKind;
        ++scene->effectSlotCount;
    }
    if (unbound > 0)
        showError("Scene %s: %d null items; the first %d carry effects, the other %d are left without.",
                  scene->name, SCENE_EFFECT_SLOTS + unbound, SCENE_EFFECT_SLOTS, unbound);
    return unbound;
}

void initSceneEffects(RenderState* render, Scene* scene) {
    for (int32_t k = 0; k < scene->effectSlotCount; ++k) {
        EffectSlot* slot = &scene->effectSlots[k];
        slot->reset = 1;
        if (slot->init) slot->init(render, scene, slot);
        progressTick(1);
    }
}

void bindEffects(RenderState* render, Scene* scenes, int32_t sceneCount) {
    for (int32_t s = 0; scenes && s < sceneCount; ++s) bindSceneEffects(&scenes[s]);
    for (int32_t s = 0; scenes && s < sceneCount; ++s) initSceneEffects(render, &scenes[s]);
}

void resetSceneEffects(Scene* scene) {
    for (EffectSlot& slot : scene->effectSlots) slot.reset = 1;
}

void resetAllEffects(Scene* scenes, int32_t sceneCount) {
    for (int32_t s = 0; scenes && s < sceneCount; ++s) resetSceneEffects(&scenes[s]);
}
