// The overlay line of a window run (Tab): where the demo is, what it shows, how fast it draws, and
// the last message an author should see (a reload that failed, for instance).
#pragma once
#include <cstddef>
#include <cstdint>

struct OverlayInfo {
    int32_t demoTime;    // ms
    const char* scene;   // null or empty: none
    const char* camera;  // null or empty: none
    int32_t clip;        // 1-based place in the clip list; 0: past its end
    int32_t clipCount;
    float fps;
    bool paused;
    bool loopClip;
    const char* message;  // shown when not empty
};

// "0:33:040  Lawica  Camera  clip 5/23  24.8 fps", then "  paused", "  loop" and the message.
void formatOverlayLine(const OverlayInfo& info, char* out, size_t size);
// A demo time as the timeline script writes it: m:ss:mmm.
void formatDemoTime(int32_t ms, char* out, size_t size);

// The message line; kept until replaced, an empty text clears it.
void setOverlayMessage(const char* message);
const char* overlayMessage();
