#include "render/light_slots.h"

#include "render/material_inputs.h"
#include "scene/scene.h"

int32_t lightVectorCount(const Scene* scene) {
    int32_t count = 0;
    for (int32_t i = 0; i < scene->lightCount && i < SCENE_LIGHTS; ++i)
        count += lightHasVector(uint8_t(scene->lights[i].type));
    return count;
}

LightSlotOverflow findLightSlotOverflow(const Scene* scene, int32_t coordinateSets) {
    LightSlotOverflow overflow = {-1, -1, 0};
    if (coordinateSets <= 0 || !scene->items) return overflow;
    const int32_t lights = lightVectorCount(scene);
    for (int32_t i = 0; i < scene->itemCount; ++i) {
        const SceneItem& item = scene->items[i];
        if (item.isNull || !item.surfaces) continue;
        for (int32_t s = 0; s < item.surfaceCount; ++s) {
            const Surface* surface = item.surfaces[s].surface;
            const int32_t needed = (surface ? surface->layerCount : 0) + lights;
            if (needed > coordinateSets) return {i, s, needed};
        }
    }
    return overflow;
}

AliasedUvLayer findAliasedUvLayer(const Scene* scene) {
    for (int32_t i = 0; scene->items && i < scene->itemCount; ++i) {
        const SceneItem& item = scene->items[i];
        if (item.isNull || !item.surfaces) continue;
        for (int32_t s = 0; s < item.surfaceCount; ++s) {
            const Surface* surface = item.surfaces[s].surface;
            const int32_t layer = surface ? aliasedUvLayer(surface) : -1;
            if (layer >= 0) return {i, s, layer};
        }
    }
    return {-1, -1, -1};
}
