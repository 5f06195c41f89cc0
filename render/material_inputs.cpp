#include "render/material_inputs.h"

#include "render/device_caps.h"
#include "scene/layer_flags.h"

namespace {

int32_t clampedLayers(const Surface* surface) {
    if (surface->layerCount < 0) return 0;
    return surface->layerCount < SURFACE_LAYERS ? surface->layerCount : SURFACE_LAYERS;
}

int32_t clampedLights(const Scene* scene) {
    if (scene->lightCount < 0) return 0;
    return scene->lightCount < SCENE_LIGHTS ? scene->lightCount : SCENE_LIGHTS;
}

}  // namespace

bool lightHasVector(uint8_t type) { return type == 0 || type == 1; }

uint32_t silentLightMask(const Scene* scene) {
    uint32_t mask = 0;
    for (int32_t j = 0; j < clampedLights(scene); ++j)
        if (!lightHasVector(uint8_t(scene->lights[j].type))) mask |= 1u << j;
    return mask;
}

bool surfaceHasHeightMap(const Surface* surface) {
    for (int32_t j = 0; j < clampedLayers(surface); ++j)
        if (surface->layerFlags[j] & LAYER_HEIGHT_MAP) return true;
    return false;
}

bool surfaceNeedsViewVector(const Surface* surface) {
    return surface->specular > 0.001f || surfaceHasHeightMap(surface);
}

int32_t aliasedUvLayer(const Surface* surface) {
    if (surface->bumpLayer == 0) return -1;
    for (int32_t j = 6; j < clampedLayers(surface); ++j)
        if (surface->layerFlags[j] & LAYER_UV) return j;
    return -1;
}

bool isColourLayer(uint32_t flags) {
    return (flags & (LAYER_NORMAL_MAP | LAYER_SPECULAR_MAP | LAYER_GLOSS_MAP | LAYER_HEIGHT_MAP)) == 0;
}

bool isAlphaLayer(uint32_t flags) { return (flags & (LAYER_TRANSPARENT | LAYER_ADDITIVE | LAYER_ALPHA)) != 0; }

bool layerAdds(uint32_t flags, bool previous) {
    if (flags & LAYER_MULTIPLY) return false;
    if (flags & LAYER_ADD) return true;
    return previous;
}

bool hasLayer(const MaterialInputs* in, uint32_t flag) {
    for (int32_t j = 0; j < in->layerCount; ++j)
        if (in->layerFlags[j] & flag) return true;
    return false;
}

int32_t shadowPositionSlot(const MaterialInputs* in) {
    for (int32_t j = 0; j < in->layerCount; ++j)
        if (in->layerFlags[j] & LAYER_CAUSTICS) return j;
    return in->layerCount;
}

bool nvFragmentPath() { return deviceCaps()->states[EXT_NV_FRAGMENT_PROGRAM] == EXTENSION_FOUND; }

void readMaterialInputs(const Scene* scene, const SceneItem* item, const Surface* surface, MaterialInputs* out) {
    const SceneSetup* setup = &scene->setup;
    *out = MaterialInputs();
    out->skinned = item->boneCount != 0;
    out->fog = setup->fogType != 0;
    out->shadows = setup->shadowsOn != 0;
    out->softShadows = setup->shadowsOn != 0 && setup->shadowMode == 2;
    out->normalMap = surface->bumpLayer != 0;
    out->bumpLayer = out->normalMap ? surface->bumpLayer - 1 : 0;
    out->specular = surface->specular > 0.001f;
    out->height = surfaceHasHeightMap(surface);
    out->viewVector = surfaceNeedsViewVector(surface);
    out->glow = surface->glow > 0.001f;
    out->nv = nvFragmentPath();
    out->layerCount = clampedLayers(surface);
    for (int32_t j = 0; j < out->layerCount; ++j) out->layerFlags[j] = surface->layerFlags[j];
    out->lightCount = clampedLights(scene);
    for (int32_t i = 0; i < out->lightCount; ++i) out->lightTypes[i] = uint8_t(scene->lights[i].type);
}
