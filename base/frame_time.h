// The demo clock of a capture: fixed steps of demo time per frame, whatever the render time.
#pragma once
#include <cstdint>

// Demo time of capture frame n: start + floor(n * 1000 / fps) ms.
inline int32_t captureFrameTime(int32_t start, int32_t frame, int32_t fps) {
    // 64-bit: a long capture at a high rate passes 2^31 in the product long before the time does.
    return static_cast<int32_t>(start + int64_t(frame) * 1000 / fps);
}
