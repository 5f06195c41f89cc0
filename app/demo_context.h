// The one global record of the player: the records of every layer, and the player's own state.
#pragma once
#include <cstdint>

#include "effects/effects_state.h"
#include "render/render_state.h"
#include "timeline/timeline_state.h"

struct PlatformWindow;

struct DemoContext {
    RenderState render;
    TimelineState timeline;
    EffectsState effects;

    PlatformWindow* window;
    int32_t warmUp;   // the scenes are drawn once each before the clock starts
    int32_t loading;  // the production is being loaded
};

// The process's one instance, its records linked to each other.
DemoContext* demoContext();
// Links the records of a context made elsewhere (tests, tools) the way demoContext() links its own.
void linkDemoContext(DemoContext* context);
