// Bringing effects whose picture depends on their past up to a time the player jumped to: the frames
// the jump skipped are replayed through each family's advance, without drawing.
#pragma once
#include <cstdint>

struct RenderState;
struct Scene;

// At the warm-up's end: what every slot whose state outlives a reset holds then.
void keepEffectStates(Scene* scenes, int32_t sceneCount);
// Those slots back to what keepEffectStates kept.
void restoreEffectStates(Scene* scenes, int32_t sceneCount);
// One skipped frame of the scene at timeMs, for the slots a frame draws: every one, or (lastingOnly)
// only those whose state outlives a reset.
void advanceSceneEffects(RenderState* render, Scene* scene, int32_t timeMs, bool lastingOnly);
