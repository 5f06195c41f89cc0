// Where a frame's time goes, pass by pass, for `velmora --pass-times`. Off, it costs one test a
// switch. On, each switch waits for the renderer (glFinish) and charges the time since the last
// switch to the pass that was running, per scene: the frames get slower, but the shares tell which
// pass to make cheaper. Waiting once per frame instead (`--frame-times`) keeps the frames at their
// speed: a renderer that works on a thread of its own (Mesa's threaded drivers) is otherwise handed
// over to and waited for at every switch.
#pragma once
#include <cstdint>
#include <cstdio>

struct Scene;

enum FramePass {
    FRAME_PASS_NONE = -1,
    FRAME_PASS_SHADOW = 0,  // the shadow map
    FRAME_PASS_SCENE,       // the objects
    FRAME_PASS_EFFECTS,     // every effect slot, before the objects, at their nulls and after
    FRAME_PASS_GLOW,        // the glow and colour grading
    FRAME_PASS_OVERLAYS,    // the picture overlays
    FRAME_PASS_COUNT,
};

enum { PASS_TIMES_SCENES = 32 };

struct PassTimesRow {
    const Scene* scene;
    int64_t frames;
    double seconds[FRAME_PASS_COUNT];
};

struct PassTimes {
    bool on;
    bool waitOncePerFrame;  // wait for the renderer when the frame ends, not at every switch
    int32_t current;  // FramePass
    double since;     // seconds on the steady clock when the current pass began
    const Scene* scene;
    int32_t rowCount;
    PassTimesRow rows[PASS_TIMES_SCENES];
};

// Charges the running pass and starts `pass` (FRAME_PASS_NONE ends the frame). Returns the pass that
// was running, so that a pass nested in another can hand back to it. Null times: nothing to count.
int32_t switchPass(PassTimes* times, int32_t pass);
// Starts a frame of scene: its time is charged to the scene's row (new scenes beyond the table's
// capacity go uncounted).
void beginPassFrame(PassTimes* times, const Scene* scene);
// Forgets what was counted (the warm-up's frames).
void clearPassTimes(PassTimes* times);
// One line per scene: frames, milliseconds a frame and each pass's share of them.
void printPassTimes(const PassTimes* times, FILE* out);
