#include "app/transport.h"

#include "base/frame_time.h"
#include "timeline/clip_list.h"
#include "timeline/scheduler.h"
#include "timeline/timeline_state.h"

namespace {

// A clip is in force after its start up to and including the next one's; the head also at 0.
int32_t firstTimeOf(const Clip* clip) { return clip->prev ? clip->start + 1 : clip->start; }

int32_t clamp(int64_t time, const TimelineState* timeline) {
    if (time < 0) return 0;
    return time > timeline->globalEnd ? timeline->globalEnd : static_cast<int32_t>(time);
}

}  // namespace

int32_t nextFrameTime(int32_t time, int32_t fps) {
    int64_t m = int64_t(time) * fps / 1000;
    while (captureFrameTime(0, static_cast<int32_t>(m), fps) <= time) ++m;
    return captureFrameTime(0, static_cast<int32_t>(m), fps);
}

int32_t previousFrameTime(int32_t time, int32_t fps) {
    int64_t m = (int64_t(time) * fps + 999) / 1000;
    while (m > 0 && captureFrameTime(0, static_cast<int32_t>(m), fps) >= time) --m;
    return captureFrameTime(0, static_cast<int32_t>(m), fps);
}

TransportAction transportKey(Transport* t, PlatformKey key, bool shift, const TransportView& view,
                             int32_t* target) {
    const TimelineState* timeline = view.timeline;
    int32_t sceneTime = 0;
    const Clip* clip = clipAt(timeline, view.now, &sceneTime);
    int64_t to = view.now;
    switch (key) {
        case PLATFORM_KEY_SPACE:
            t->paused = !t->paused;
            t->heldTime = view.now;
            return t->paused ? TRANSPORT_PAUSE : TRANSPORT_RESUME;
        case PLATFORM_KEY_TAB:
            t->overlay = !t->overlay;
            return TRANSPORT_NONE;
        case PLATFORM_KEY_L:
            t->loopClip = clip && !t->loopClip;
            if (t->loopClip) {
                t->loopFrom = firstTimeOf(clip);
                t->loopTo = clip->next->start;
            }
            return TRANSPORT_NONE;
        case PLATFORM_KEY_LEFT:
            to -= shift ? 10000 : 1000;
            break;
        case PLATFORM_KEY_RIGHT:
            to += shift ? 10000 : 1000;
            break;
        case PLATFORM_KEY_PAGE_UP:
            if (!clip) return TRANSPORT_NONE;
            to = firstTimeOf(clip->prev ? clip->prev : clip);
            break;
        case PLATFORM_KEY_PAGE_DOWN:
            // The last clip has no next one to go to.
            if (!clip || !clip->next->next) return TRANSPORT_NONE;
            to = firstTimeOf(clip->next);
            break;
        case PLATFORM_KEY_COMMA:
            if (!t->paused) return TRANSPORT_NONE;
            to = previousFrameTime(view.now, view.fps);
            break;
        case PLATFORM_KEY_PERIOD:
            if (!t->paused) return TRANSPORT_NONE;
            to = nextFrameTime(view.now, view.fps);
            break;
        case PLATFORM_KEY_HOME:
            to = view.origin;
            break;
    }
    *target = clamp(to, timeline);
    if (t->paused) t->heldTime = *target;
    return TRANSPORT_JUMP;
}

int32_t transportLoopBack(const Transport* t, int32_t demoTime) {
    return t->loopClip && !t->paused && demoTime > t->loopTo ? t->loopFrom : -1;
}
