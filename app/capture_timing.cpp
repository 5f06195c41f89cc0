#include "app/capture_timing.h"

int32_t capturePlannedFrames(int32_t start, int32_t end, int32_t fps, int32_t limit) {
    if (end < start) return 0;
    // Frame n is shown while floor(n * 1000 / fps) <= end - start, that is n * 1000 < (end - start + 1) * fps.
    int64_t span = (int64_t(end) - start + 1) * fps;
    int64_t frames = (span + 999) / 1000;
    if (limit > 0 && frames > limit) frames = limit;
    return frames > INT32_MAX ? INT32_MAX : static_cast<int32_t>(frames);
}

int64_t soundtrackSampleFrames(int32_t frames, int32_t fps) {
    return (int64_t(frames) * SOUNDTRACK_RATE * 2 + fps) / (int64_t(fps) * 2);
}

int64_t soundtrackSampleAt(int32_t ms) { return (int64_t(ms) * SOUNDTRACK_RATE * 2 + 1000) / 2000; }
