// Loading one LightWave scene into a scene slot of the timeline.
#pragma once

#include "scene/lws_reader.h"

struct RenderState;
struct Scene;

// The device side of reading a scene: meshes through the mesh cache, the coordinate-set check, the
// material programs.
SceneDeviceHooks sceneDeviceHooks(RenderState* render);

// Fills a slot whose name the timeline has set: the per-scene setup keyed by file, the scene file
// itself, the resolved item links and the glow resources. False when the scene cannot be used; the
// loader has then released what it took and the caller frees the slot.
bool loadSceneSlot(RenderState* render, Scene* slot, const char* file);
