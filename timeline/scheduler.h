// The timed frame: which clip is in force, what is collected, and what is drawn.
#pragma once
#include <cstdint>

struct Clip;
struct RenderState;
struct TimelineState;

// The clip in force at demoTime and the scene time it shows; null past the tail (the end).
const Clip* clipAt(const TimelineState* timeline, int32_t demoTime, int32_t* sceneTime);
// Everything a timed frame decides before drawing: the end of the timeline (quit, or restart when
// looping), due collection points, the current scene and camera and the effect resets of a scene
// change. False when the frame ends or restarts the demo and nothing is to be drawn.
bool advanceTimeline(TimelineState* timeline, RenderState* render, int32_t demoTime, int32_t* sceneTime);
// The timed frame: advances the timeline and draws the current scene, or black. Returns 1.
int schedule(TimelineState* timeline, RenderState* render, int32_t demoTime);
