// The demo clock of a capture: fixed steps of demo time per frame, whatever the render time.
#pragma once
#include <cstdint>

enum { CAPTURE_DEFAULT_FPS = 25, CAPTURE_MAX_FPS = 240 };

// Demo time of capture frame n: start + floor(n * 1000 / fps) ms.
int32_t captureFrameTime(int32_t start, int32_t frame, int32_t fps);
