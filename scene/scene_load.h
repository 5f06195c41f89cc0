// Loading one LightWave scene into a scene slot of the timeline.
#pragma once

struct DemoContext;
struct Scene;

// Fills a slot whose name the timeline has set: the per-scene setup keyed by file, the scene file
// itself, the resolved item links and the glow resources. False when the scene cannot be used; the
// loader has then released what it took and the caller frees the slot.
bool loadSceneSlot(DemoContext* context, Scene* slot, const char* file);
