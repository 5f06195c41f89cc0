#include "render/material_keys.h"

#include "render/material_inputs.h"
#include "render/material_programs.h"
#include "render/render_state.h"
#include "scene/layer_flags.h"
#include "scene/program_cache.h"

namespace {

// Fields may lie past bit 31 (many layers, many lights): the shift wraps, fields overlap.
uint32_t field(uint32_t value, uint32_t shift) { return value << (shift & 31u); }

int32_t lightCountOf(const Scene* scene) {
    return scene->lightCount < SCENE_LIGHTS ? scene->lightCount : SCENE_LIGHTS;
}

int32_t layerCountOf(const Surface* surface) {
    if (surface->layerCount < 0) return 0;
    return surface->layerCount < SURFACE_LAYERS ? surface->layerCount : SURFACE_LAYERS;
}

uint32_t vertexLayerCode(uint32_t flags) {
    if (flags & LAYER_UV) return 1;
    if (flags & LAYER_ENVIRONMENT) return 2;
    if (flags & LAYER_CAUSTICS) return 3;
    return 0;
}

uint32_t fragmentLayerCode(uint32_t flags) {
    uint32_t opacity = (flags & LAYER_MULTIPLY) ? 1 : (flags & LAYER_ADD) ? 2 : 0;
    uint32_t kind = 0;
    if (flags & LAYER_NORMAL_MAP) kind = 3;
    else if (flags & LAYER_SPECULAR_MAP) kind = 4;
    else if (flags & LAYER_GLOSS_MAP) kind = 5;
    else if (flags & LAYER_HEIGHT_MAP) kind = 6;
    else if (flags & (LAYER_TRANSPARENT | LAYER_ADDITIVE | LAYER_ALPHA)) kind = 7;
    else if (flags & LAYER_CAUSTICS) kind = 8;
    else if (flags & LAYER_ENVIRONMENT) kind = 9;
    return opacity | kind;
}

// Lights without a vector (spot lights) change both programs, which the fields above cannot tell
// apart: their pattern is mixed in, and scenes without such lights keep the plain fields.
uint32_t withSilentLights(uint32_t key, const Scene* scene) {
    const uint32_t silent = silentLightMask(scene);
    return silent ? key ^ (silent * 0x9E3779B1u) : key;
}

// A LUMI layer adds the glow to the layer's alpha where TRAN and TRNL layers have it replaced, yet all
// three share one layer code: the difference is mixed in so that their texts get keys of their own.
uint32_t withAlphaLayer(uint32_t key, const Surface* surface) {
    for (int32_t m = 0; m < layerCountOf(surface); ++m)
        if (surface->layerFlags[m] & LAYER_ALPHA) return key ^ 0x85EBCA77u;
    return key;
}

}  // namespace

uint32_t vertexMaterialKey(const Scene* scene, const SceneItem* item, const Surface* surface) {
    const SceneSetup* setup = &scene->setup;
    const uint32_t lights = uint32_t(lightCountOf(scene));
    uint32_t key = 0;
    if (item->boneCount > 0) key |= 1u << 0;
    if (setup->fogType != 0) key |= 1u << 1;
    if (setup->shadowsOn) key |= 1u << 2;
    if (surface->bumpLayer != 0) key |= 1u << 3;
    if (surfaceNeedsViewVector(surface)) key |= 1u << 4;  // the view vector is written
    key |= lights << 5;
    for (uint32_t j = 0; j < lights; ++j)
        if (uint8_t(scene->lights[j].type) == 0) key |= field(1, 8 + j);
    const int32_t layers = layerCountOf(surface);
    for (int32_t m = 0; m < layers; ++m)
        key |= field(vertexLayerCode(surface->layerFlags[m]), 8 + lights + 2 * uint32_t(m));
    return withSilentLights(key, scene);
}

uint32_t fragmentMaterialKey(const Scene* scene, const Surface* surface) {
    const SceneSetup* setup = &scene->setup;
    uint32_t key = 0;
    if (setup->fogType != 0) key |= 1u << 0;
    if (setup->shadowsOn && setup->shadowMode == 1) key |= 1u << 1;
    if (setup->shadowsOn && setup->shadowMode == 2) key |= 1u << 2;
    if (surface->bumpLayer != 0) key |= 1u << 3;
    if (surface->specular > 0.001f) key |= 1u << 4;
    if (surface->glow > 0.001f) key |= 1u << 5;
    key |= uint32_t(lightCountOf(scene)) << 6;
    const int32_t layers = layerCountOf(surface);
    for (int32_t m = 0; m < layers; ++m) key |= field(fragmentLayerCode(surface->layerFlags[m]), 9 + 4 * uint32_t(m));
    return withAlphaLayer(withSilentLights(key, scene), surface);
}

void assignMaterialPrograms(RenderState* render, Scene* scene) {
    for (int32_t i = 0; scene->items && i < scene->itemCount; ++i) {
        SceneItem* item = &scene->items[i];
        for (int32_t s = 0; item->surfaces && s < item->surfaceCount; ++s) {
            SurfaceInstance* instance = &item->surfaces[s];
            const Surface* surface = instance->surface;
            if (!surface) continue;

            uint32_t key = vertexMaterialKey(scene, item, surface);
            int slot = programCacheFind(&render->vertexPrograms, key);
            if (slot < 0) {
                generateMaterialVertexProgram(&render->programText, scene, i, s);
                programCacheInsert(&render->vertexPrograms, key, instance->vertexProgram);
            } else {
                instance->vertexProgram = render->vertexPrograms.slots[slot].program;
            }

            key = fragmentMaterialKey(scene, surface);
            slot = programCacheFind(&render->fragmentPrograms, key);
            if (slot < 0) {
                generateMaterialFragmentProgram(&render->programText, scene, i, s);
                programCacheInsert(&render->fragmentPrograms, key, instance->fragmentProgram);
            } else {
                instance->fragmentProgram = render->fragmentPrograms.slots[slot].program;
            }
        }
    }
}
