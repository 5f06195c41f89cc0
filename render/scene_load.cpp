#include "render/scene_load.h"

#include <cstdio>

#include "render/glow.h"
#include "render/light_slots.h"
#include "render/material_keys.h"
#include "render/mesh_build.h"
#include "render/render_state.h"
#include "scene/lws_reader.h"
#include "scene/setup_table.h"

namespace {

void attachObject(void* user, Scene* scene, SceneItem* item) {
    RenderState* render = static_cast<RenderState*>(user);
    int m = findMesh(&render->meshes, item->name);
    if (m >= 0) attachMesh(render, item, m);
    else buildMesh(render, scene, item);
}

bool finishScene(void* user, Scene* scene, char* why, size_t whySize) {
    // A program writing past the device's coordinate sets would be refused by the driver and end
    // the run: the scene is refused instead, and the demo goes on without it.
    const LightSlotOverflow overflow = findLightSlotOverflow(scene, scene->settings->maxTextureCoords);
    if (overflow.item >= 0) {
        const SceneItem& item = scene->items[overflow.item];
        const Surface* surface = item.surfaces[overflow.surface].surface;
        std::snprintf(why, whySize,
                      "its %d lights and the %d texture layers of surface \"%s\" of %s need %d texture "
                      "coordinate sets, and the device has %d",
                      lightVectorCount(scene), surface ? surface->layerCount : 0, surface ? surface->name : "",
                      item.name, overflow.needed, scene->settings->maxTextureCoords);
        return false;
    }
    // Likewise a normal-mapped surface whose UV layer shares its vertex inputs with the tangents.
    const AliasedUvLayer aliased = findAliasedUvLayer(scene);
    if (aliased.item >= 0) {
        const SceneItem& item = scene->items[aliased.item];
        std::snprintf(why, whySize,
                      "surface \"%s\" of %s has a normal map and a UV layer at index %d, whose texture "
                      "coordinates share their vertex inputs with the normal map's tangents",
                      item.surfaces[aliased.surface].surface->name, item.name, aliased.layer);
        return false;
    }
    assignMaterialPrograms(static_cast<RenderState*>(user), scene);
    return true;
}

}  // namespace

SceneDeviceHooks sceneDeviceHooks(RenderState* render) { return {render, attachObject, finishScene}; }

// The setup comes first: the scene file writes its fog into it and the material keys read its
// shadow settings.
bool loadSceneSlot(RenderState* render, Scene* slot, const char* file) {
    slot->settings = &render->settings;
    applySceneSetup(&slot->setup, file);
    const SceneDeviceHooks device = sceneDeviceHooks(render);
    if (!loadScene(&device, slot, file)) {
        releaseSceneSetup(&slot->setup);
        return false;
    }
    resolveSceneLinks(slot, file);
    setUpGlow(render, slot);
    return true;
}
