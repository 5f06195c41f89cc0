// The timeline's own record: the scene table, the clip and collection lists and the global times.
#pragma once
#include <cstdint>

#include "base/report.h"

struct Clip;
struct GcNode;
struct Scene;

struct TimelineState {
    int32_t maxScenes;
    Scene* scenes;  // maxScenes slots once the script's header is read
    int32_t sceneCount;
    Clip* clipHead;
    Clip* clipTail;
    int32_t duration;     // ms
    int32_t globalStart;  // ms
    int32_t globalEnd;    // ms
    int32_t loop;
    int32_t seekable;  // the viewer can seek back: nothing is collected, as when looping
    GcNode* gcHead;
    GcNode* gcTail;
    const Scene* lastScene;  // the scene of the previous timed frame; its change resets effects
    int32_t startClock;      // process clock at the demo clock's start; -1 before
    // While a "load scene" statement fills a slot: the slot and its scene file (what the slot's
    // loading reads is traced back to them); null otherwise.
    const Scene* loadingScene;
    const char* loadingFile;
    // The quit message: set by whoever ends the demo (its end, a bad script, the viewer); the
    // message loop ends with its code.
    QuitRequest quit;
};

// The values of a script without a header: 8 scenes, 60 s.
void resetTimeline(TimelineState* timeline);
