// Setting up the main window's device for a run.
#pragma once
#include <cstdint>

struct DemoContext;
struct PlatformWindow;

// Main-window set-up, run while the window is created (its context current): stores the window,
// empties the caches and scene slots, sets the default GL state, compiles the depth programs,
// and creates the shadow buffer.
void setupDevice(DemoContext* context, PlatformWindow* window);
