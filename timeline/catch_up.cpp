#include "timeline/catch_up.h"

#include "base/frame_time.h"
#include "effects/effect_binding.h"
#include "effects/effect_catch_up.h"
#include "scene/scene.h"
#include "timeline/clip_list.h"
#include "timeline/scheduler.h"
#include "timeline/timeline_state.h"

void catchUpEffects(TimelineState* timeline, RenderState* render, int32_t demoTime, int32_t fps) {
    if (fps < 1) fps = 1;
    // Everything as the warm-up's end leaves it.
    restoreEffectStates(timeline->scenes, timeline->sceneCount);
    resetAllEffects(timeline->scenes, timeline->sceneCount);

    // The scene in force when demoTime is reached, and the frame that last reset it.
    const Scene* current = nullptr;
    int64_t currentFrom = 0;
    int32_t sceneTime = 0;
    for (int32_t m = 0;; ++m) {
        const int32_t t = captureFrameTime(0, m, fps);
        const Clip* clip = t < demoTime ? clipAt(timeline, t, &sceneTime) : nullptr;
        if (!clip) break;
        if (clip->scene && clip->scene != current) {
            current = clip->scene;
            currentFrom = m;
        }
    }
    // The frames again, as the scheduler meets them: a change of scene resets it; a frame without a
    // camera draws nothing.
    const Scene* shown = nullptr;
    for (int32_t m = 0;; ++m) {
        const int32_t t = captureFrameTime(0, m, fps);
        const Clip* clip = t < demoTime ? clipAt(timeline, t, &sceneTime) : nullptr;
        if (!clip) break;
        Scene* scene = clip->scene;
        if (!scene) continue;
        if (scene != shown) {
            resetSceneEffects(scene);
            shown = scene;
        }
        if (!clip->camera) continue;
        const bool whole = scene == current && m >= currentFrom;
        advanceSceneEffects(render, scene, sceneTime, !whole);
    }
    timeline->lastScene = current;
}
