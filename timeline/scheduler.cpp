#include "timeline/scheduler.h"

#include "effects/effect_binding.h"
#include "platform/platform.h"
#include "render/render_frame.h"
#include "render/render_state.h"
#include "timeline/clip_list.h"
#include "timeline/timeline_state.h"

namespace {

// The timeline is over: restart the demo clock when looping, otherwise end the demo.
void endOfTimeline(TimelineState* timeline, bool resetEffects) {
    if (!timeline->loop) {
        postQuit(&timeline->quit, EXIT_OK);
        return;
    }
    timeline->startClock = platformClockMs();
    if (resetEffects) resetAllEffects(timeline->scenes, timeline->sceneCount);
}

// Every due point not yet freed, in time order: a long frame that passes two points frees both.
// A looping demo collects nothing: after the restart its first scenes would draw freed objects; nor
// does a run the viewer can seek back in.
void collectDue(TimelineState* timeline, RenderState* render, int32_t demoTime) {
    if (timeline->loop || timeline->seekable) return;
    for (GcNode* node = timeline->gcHead; node && node->time < demoTime; node = node->next) {
        if (node->done) continue;
        node->done = 1;
        collect(timeline, render, node);
    }
}

}  // namespace

const Clip* clipAt(const TimelineState* timeline, int32_t demoTime, int32_t* sceneTime) {
    const Clip* clip = timeline->clipHead;
    if (!clip) return nullptr;
    while (clip->next && clip->next->start < demoTime) clip = clip->next;
    if (!clip->next) return nullptr;  // past the tail
    *sceneTime = static_cast<int32_t>(int64_t(demoTime) + clip->offset - clip->start);
    return clip;
}

bool advanceTimeline(TimelineState* timeline, RenderState* render, int32_t demoTime, int32_t* sceneTime) {
    if (demoTime > timeline->globalEnd) {
        endOfTimeline(timeline, true);
        return false;
    }
    collectDue(timeline, render, demoTime);
    const Clip* clip = clipAt(timeline, demoTime, sceneTime);
    if (!clip) {
        endOfTimeline(timeline, false);
        return false;
    }
    Scene* scene = clip->scene;
    render->currentScene = scene;
    render->currentCamera = clip->camera;
    if (scene) {
        scene->time = demoTime;
        if (scene != timeline->lastScene) {
            resetSceneEffects(scene);
            timeline->lastScene = scene;
        }
    }
    return true;
}

int schedule(TimelineState* timeline, RenderState* render, int32_t demoTime) {
    int32_t sceneTime = 0;
    if (!advanceTimeline(timeline, render, demoTime, &sceneTime)) return 1;
    if (render->currentScene && render->currentCamera) renderFrame(render, sceneTime);
    else clearPicture();
    return 1;
}
