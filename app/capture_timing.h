// The demo clock of a capture: fixed steps of demo time per frame, whatever the render time, and the
// soundtrack's length that goes with a number of frames.
#pragma once
#include <cstdint>

#include "base/frame_time.h"

enum { CAPTURE_DEFAULT_FPS = 25, CAPTURE_MAX_FPS = 240, SOUNDTRACK_RATE = 44100 };

// Frames a capture from start writes before its demo time passes end, at most limit (0 = no limit).
int32_t capturePlannedFrames(int32_t start, int32_t end, int32_t fps, int32_t limit);
// Sample frames of sound that last as long as the given video frames: round(frames * 44100 / fps).
int64_t soundtrackSampleFrames(int32_t frames, int32_t fps);
// The sample frame of the music heard at a demo time: round(ms * 44.1).
int64_t soundtrackSampleAt(int32_t ms);
