#include "effects/effect_binding.h"

#include <cstring>

#include "render/render_state.h"
#include "base/report.h"
#include "effects/boids/boids_draw.h"
#include "effects/effect_families.h"

namespace {

struct FamilyFunctions {
    const char* name;
    EffectInitFn init;
    EffectRenderFn render;
};

// Indexed by EffectFamily.
const FamilyFunctions kFamilies[FAMILY_COUNT] = {
    {"none", nullptr, nullptr},
    {"fractal", fractalInit, fractalRender},
    {"picture", pictureInit, pictureRender},
    {"blur", gaussianBlurInit, gaussianBlurRender},
    {"typing", typingInit, typingRender},
    {"soft-body", softBodyInit, softBodyFrame},
    {"light-blob", lightBlobInit, lightBlobRender},
    {"metaballs", initMetaballs, drawMetaballs},
    {"swimming", swimInit, swimFrame},
    {"boids", boidsInit, boidsRender},
    {"electro-surface", electroSurfaceInit, electroSurfaceRender},
    {"electro-ribbon", electroRibbonInit, electroRibbonRender},
    {"bubbles", bubblesInit, bubblesRender},
};

const char* const kNoFiles[] = {nullptr};
const char* const kBoidsFiles[] = {SHAFT_OBJECT, SHAFT_VERTEX_PROGRAM, SHAFT_FRAGMENT_PROGRAM, nullptr};
const char* const kTypingFiles[] = {"Demo/Fonts.JPG", nullptr};
const char* const kBlobFiles[] = {"Demo/Env1.JPG", nullptr};
const char* const kSurfaceFiles[] = {"Demo/Kolorki.JPG", "Demo/Kolorki3.JPG", nullptr};
const char* const kRibbonFiles[] = {"Demo/Kolorki2.JPG", nullptr};

void storeRow(EffectSlot* slot, const EffectBinding& row) {
    const FamilyFunctions& functions = kFamilies[row.family];
    slot->family = row.family;
    slot->variant = row.variant;
    slot->init = functions.init;
    slot->render = functions.render;
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
    return family >= 0 && family < FAMILY_COUNT ? kFamilies[family].name : "?";
}

const char* const* familyFiles(EffectFamily family) {
    switch (family) {
        case FAMILY_BOIDS: return kBoidsFiles;
        case FAMILY_TYPING: return kTypingFiles;
        case FAMILY_LIGHT_BLOB: return kBlobFiles;
        case FAMILY_ELECTRO_SURFACE: return kSurfaceFiles;
        case FAMILY_ELECTRO_RIBBON: return kRibbonFiles;
        default: return kNoFiles;
    }
}

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
