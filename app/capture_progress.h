// A capture's progress on standard error: one line rewritten in place on a terminal, a plain line at
// every tenth of the way elsewhere, and a summary at the end.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

struct CaptureProgress {
    int32_t total;      // frames expected
    int32_t startMs;    // wall clock at the first frame
    int32_t shownMs;    // wall clock of the last terminal update; -1 = none yet
    int32_t tenths;     // tenths of the way already reported without a terminal
    int32_t drawn;      // frames the terminal line shows
    int32_t done, demoTime;  // the last update's
    bool terminal;
    bool lineOpen;      // a terminal line waits for its newline
};

void captureProgressBegin(CaptureProgress* progress, int32_t total, bool terminal, int32_t clockMs);
// "frame 120/250 (48%)  demo 0:04.800  20.1 fps  0:06 left"
std::string captureProgressText(int32_t done, int32_t total, int32_t demoTime, int32_t elapsedMs);
// After each frame; done frames are written, the last one showed demoTime.
void captureProgressUpdate(CaptureProgress* progress, FILE* out, int32_t done, int32_t demoTime, int32_t clockMs);
// Ends the terminal line, showing where the run stopped; other messages may follow.
void captureProgressCloseLine(CaptureProgress* progress, FILE* out, int32_t clockMs);
// The line closed, then "velmora: captured 250 frames in 12.40 s, 20.2 frames per second".
void captureProgressEnd(CaptureProgress* progress, FILE* out, int32_t done, int32_t clockMs);
