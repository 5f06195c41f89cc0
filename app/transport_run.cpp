#include "app/transport_run.h"

#include <cstdio>

#include "app/demo_context.h"
#include "app/music.h"
#include "app/overlay_line.h"
#include "app/transport.h"
#include "render/overlay_text.h"
#include "timeline/catch_up.h"
#include "timeline/clip_list.h"
#include "timeline/scheduler.h"

namespace {

Transport gTransport;
int32_t gShownTime;  // the demo time of the last frame drawn

struct FrameRate {
    int32_t since = -1;  // clock at the last update; -1 before
    int32_t frames = 0;
    float fps = 0.0f;
};
FrameRate gRate;

void countFrame() {
    const int32_t clock = platformClockMs();
    if (gRate.since < 0) gRate.since = clock;
    ++gRate.frames;
    // Twice a second: steady enough to read, quick enough to follow a seek.
    if (clock - gRate.since >= 500) {
        gRate.fps = static_cast<float>(gRate.frames) * 1000.0f / static_cast<float>(clock - gRate.since);
        gRate.frames = 0;
        gRate.since = clock;
    }
}

}  // namespace

void transportJump(DemoContext* context, const TransportClock& clock, int32_t target) {
    context->timeline.startClock = platformClockMs() + clock.origin - target;
    catchUpEffects(&context->timeline, &context->render, target, clock.fps);
    if (!gTransport.paused) startMusic(target);
}

void transportOnKey(DemoContext* context, const TransportClock& clock, PlatformKey key, bool shift) {
    if (context->render.settings.capture || context->timeline.startClock == -1) return;
    TransportView view = {&context->timeline, gShownTime, clock.origin, clock.fps};
    int32_t target = 0;
    switch (transportKey(&gTransport, key, shift, view, &target)) {
        case TRANSPORT_JUMP:
            transportJump(context, clock, target);
            break;
        case TRANSPORT_PAUSE:
            pauseMusic();
            break;
        case TRANSPORT_RESUME:
            // The held frame's effects are where they were: only the clock and the music move on.
            context->timeline.startClock = platformClockMs() + clock.origin - gTransport.heldTime;
            startMusic(gTransport.heldTime);
            break;
        case TRANSPORT_NONE:
            break;
    }
}

int32_t transportFrameTime(DemoContext* context, const TransportClock& clock, int32_t demoTime) {
    if (gTransport.paused) demoTime = gTransport.heldTime;
    const int32_t back = transportLoopBack(&gTransport, demoTime);
    if (back >= 0) {
        transportJump(context, clock, back);
        demoTime = back;
    }
    gShownTime = demoTime;
    return demoTime;
}

void drawTransportOverlay(DemoContext* context, int32_t demoTime) {
    countFrame();
    if (!gTransport.overlay) return;
    const TimelineState& timeline = context->timeline;
    int32_t sceneTime = 0;
    const Clip* clip = clipAt(&timeline, demoTime, &sceneTime);
    OverlayInfo info = {};
    info.demoTime = demoTime;
    for (const Clip* c = timeline.clipHead; c && c->next; c = c->next) {
        ++info.clipCount;
        if (c == clip) info.clip = info.clipCount;
    }
    if (clip && clip->scene) info.scene = clip->scene->name;
    if (clip && clip->camera) info.camera = clip->camera->name;
    info.fps = gRate.fps;
    info.paused = gTransport.paused;
    info.loopClip = gTransport.loopClip;
    info.message = overlayMessage();
    char line[512];
    formatOverlayLine(info, line, sizeof line);
    drawOverlayText(&context->render, line);
}
