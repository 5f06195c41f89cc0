// How a frame calls the effect slots of its scene.
#pragma once
#include <cstdint>

struct DemoContext;
struct Scene;

// Passes 1 (before the scene's objects) and 3 (after the overlays): every slot of that pass, in
// slot order.
void renderEffectPass(DemoContext* context, Scene* scene, int32_t pass, int32_t timeMs);
// Pass 2, from the walk over the items: the slot of the nullIndex-th null item (counting from 0),
// when it draws in that pass.
void renderNullEffect(DemoContext* context, Scene* scene, int32_t nullIndex, int32_t timeMs);
