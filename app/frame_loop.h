// The paint-driven frame loop: loading screen, warm-up, the timed frame, border bars, capture.
#pragma once
#include <cstdint>

struct DemoContext;

// The largest 4:3 picture that fits the client area; never 0 wide or high.
void fitPicture(int clientWidth, int clientHeight, int32_t* width, int32_t* height);

struct BorderBars {
    int count;  // 0 or 2
    int x[2], y[2], width[2], height[2];
};
// The black bars beside or above and below the picture.
BorderBars borderBars(int clientWidth, int clientHeight, int width, int height);

// The window's new client size.
void onResize(DemoContext* context, int clientWidth, int clientHeight);
// Viewport = the centred picture rectangle.
void setPictureViewport(DemoContext* context);

struct FrameLoopConfig {
    int32_t frameLimit;      // timed frames before the demo ends; 0 = no limit
    int32_t startTime;       // demo time of the first timed frame; -1 = the timeline's own start
    int32_t fps;             // capture frames per demo second
};
void frameLoopConfigure(const FrameLoopConfig& config);
// Puts the loop's own counters back to their start values.
void frameLoopReset();

// One loading-bar step: counts and repaints the loading screen while the clock has not started.
void progressTick(int n);
// The frame driver: a warm-up step (returns 0) or the scheduler's timed frame (returns 1).
int runFrame(int32_t demoTime, DemoContext* context);
// One frame, as the main window's paint handler draws it.
void paintFrame(DemoContext* context);
// Reads and handles the window's events; Escape and closing post the quit message.
void pumpEvents(DemoContext* context);
