// The paint-driven frame loop: loading screen, warm-up, the timed frame, border bars, capture.
#pragma once
#include <cstdint>

struct DemoContext;

// The window's new client size.
void onResize(DemoContext* context, int clientWidth, int clientHeight);
struct FrameLoopConfig {
    int32_t frameLimit;      // timed frames before the demo ends; 0 = no limit
    int32_t startTime;       // demo time of the first timed frame; -1 = the timeline's own start
    int32_t fps;             // capture frames per demo second
};
void frameLoopConfigure(const FrameLoopConfig& config);
// One loading-bar step: counts and repaints the loading screen while the clock has not started.
// The player's progress hook.
void loadingStep(int n);
// Makes the window current, draws the loading screen and shows it.
void showLoadingScreen(DemoContext* context);
// The frame driver: a warm-up step (returns 0) or the scheduler's timed frame (returns 1).
int runFrame(int32_t demoTime, DemoContext* context);
// One frame, as the main window's paint handler draws it.
void paintFrame(DemoContext* context);
// Reads and handles the window's events; Escape and closing post the quit message.
void pumpEvents(DemoContext* context);
