// How a frame calls the effect slots of its scene.
#pragma once
#include <cstdint>

struct RenderState;
struct Scene;

// At the start of a frame: the prepare step of every slot the frame draws, in slot order, then the
// work they queued starts on the helper threads.
void prepareEffectSlots(RenderState* render, Scene* scene, int32_t timeMs);
// The passes before the scene's objects and after the overlays: every slot of that pass, in slot
// order.
void renderEffectPass(RenderState* render, Scene* scene, int32_t pass, int32_t timeMs);
// The pass at the nulls, from the walk over the items: the slot of the nullIndex-th null item (counting from 0),
// when it draws in that pass. True when an effect was drawn.
bool renderNullEffect(RenderState* render, Scene* scene, int32_t nullIndex, int32_t timeMs);
