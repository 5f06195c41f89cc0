// The authoring keys of a window run: pause, seek, clip jumps, frame steps, restart, clip loop and
// the overlay. What a key does is decided here, away from the window, so that it can be tested.
#pragma once
#include <cstdint>

#include "platform/platform.h"

struct TimelineState;

struct Transport {
    bool paused;
    int32_t heldTime;  // the demo time shown while paused
    bool loopClip;
    int32_t loopFrom, loopTo;  // the looped clip's first and last demo time
    bool overlay;
};

enum TransportAction {
    TRANSPORT_NONE,
    TRANSPORT_JUMP,     // to the returned time: effects catch up, the clock and the music follow
    TRANSPORT_PAUSE,    // the picture stays at heldTime, the music stops
    TRANSPORT_RESUME,   // on from heldTime
};

struct TransportView {
    const TimelineState* timeline;
    int32_t now;     // the demo time of the frame on screen
    int32_t origin;  // where Home goes
    int32_t fps;     // the capture rate, the size of a frame step
};

// What the key does; a jump's target goes to *target, within 0 and the timeline's end.
TransportAction transportKey(Transport* transport, PlatformKey key, bool shift, const TransportView& view,
                             int32_t* target);
// The looped clip has run out at demoTime: the time to jump back to, or -1.
int32_t transportLoopBack(const Transport* transport, int32_t demoTime);
// The next or previous time a capture at fps from 0 shows a frame.
int32_t nextFrameTime(int32_t time, int32_t fps);
int32_t previousFrameTime(int32_t time, int32_t fps);
