#include <GL/gl.h>

#include "app/demo_context.h"
#include "app/shutdown.h"
#include "effects/effect_binding.h"
#include "platform/platform.h"
#include "render/render_frame.h"
#include "timeline/clip_list.h"

namespace {

// The scene drawn by the previous timed frame.
const Scene* gLastScene;

// The timeline is over: restart the demo clock when looping, otherwise end the demo.
void endOfTimeline(DemoContext* context, bool resetAllEffects) {
    if (!context->settings.loop) {
        postQuit(context, 0);
        return;
    }
    context->startClock = platformClockMs();
    if (resetAllEffects)
        for (int32_t k = 0; context->scenes && k < context->sceneCount; ++k) resetSceneEffects(&context->scenes[k]);
}

// Every due point not yet freed, in time order: a long frame that passes two points frees both.
// A looping demo collects nothing: after the restart its first scenes would draw freed objects.
void collectDue(DemoContext* context, int32_t demoTime) {
    if (context->settings.loop) return;
    for (GcNode* node = context->settings.gcHead; node && node->time < demoTime; node = node->next) {
        if (node->done) continue;
        node->done = 1;
        collect(context, node);
    }
}

}  // namespace

void resetLastScene() { gLastScene = nullptr; }

const Clip* clipAt(const DemoContext* context, int32_t demoTime, int32_t* sceneTime) {
    const Clip* clip = context->settings.clipHead;
    if (!clip) return nullptr;
    while (clip->next && clip->next->start < demoTime) clip = clip->next;
    if (!clip->next) return nullptr;  // past the tail
    *sceneTime = static_cast<int32_t>(int64_t(demoTime) + clip->offset - clip->start);
    return clip;
}

bool advanceTimeline(DemoContext* context, int32_t demoTime, int32_t* sceneTime) {
    if (demoTime > context->settings.globalEnd) {
        endOfTimeline(context, true);
        return false;
    }
    collectDue(context, demoTime);
    const Clip* clip = clipAt(context, demoTime, sceneTime);
    if (!clip) {
        endOfTimeline(context, false);
        return false;
    }
    Scene* scene = clip->scene;
    context->currentScene = scene;
    context->currentCamera = clip->camera;
    if (scene) {
        scene->time = demoTime;
        if (scene != gLastScene) {
            resetSceneEffects(scene);
            gLastScene = scene;
        }
    }
    return true;
}

int schedule(DemoContext* context, int32_t demoTime) {
    int32_t sceneTime = 0;
    if (!advanceTimeline(context, demoTime, &sceneTime)) return 1;
    if (context->currentScene && context->currentCamera) {
        renderFrame(context, sceneTime);
    } else {
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    return 1;
}
