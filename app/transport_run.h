// The transport keys and the overlay line in a running window: the frame loop's side of transport.h.
#pragma once
#include <cstdint>

#include "platform/platform.h"

struct DemoContext;

// origin: the demo time the clock counts from (where Home goes); fps: the capture rate, which sets the
// size of a frame step and the frames a jump replays.
struct TransportClock {
    int32_t origin;
    int32_t fps;
};

// A jump to target: the effects catch up, the demo clock is set to show it next, the music follows.
void transportJump(DemoContext* context, const TransportClock& clock, int32_t target);
// A key pressed while the demo runs.
void transportOnKey(DemoContext* context, const TransportClock& clock, PlatformKey key, bool shift);
// The demo time a window frame shows: held while paused; a looped clip that has run out starts again.
int32_t transportFrameTime(DemoContext* context, const TransportClock& clock, int32_t demoTime);
// The overlay line over the frame just drawn at demoTime, when Tab has turned it on.
void drawTransportOverlay(DemoContext* context, int32_t demoTime);
