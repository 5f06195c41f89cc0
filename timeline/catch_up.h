// A jump in demo time (a start or a seek) that must show the frame a capture from the timeline's
// start shows there.
#pragma once
#include <cstdint>

struct RenderState;
struct TimelineState;

// Replays, without drawing, the frames a capture at fps from demo time 0 draws before demoTime, as
// far as effects with a past need them: the current scene's since its last reset, and every showing
// of slots whose state outlives a reset. Leaves the scheduler's last scene as those frames do.
void catchUpEffects(TimelineState* timeline, RenderState* render, int32_t demoTime, int32_t fps);
