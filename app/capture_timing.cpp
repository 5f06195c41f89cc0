#include "app/capture_timing.h"

int32_t captureFrameTime(int32_t start, int32_t frame, int32_t fps) {
    // 64-bit: a long capture at a high rate passes 2^31 in the product long before the time does.
    return static_cast<int32_t>(start + int64_t(frame) * 1000 / fps);
}
