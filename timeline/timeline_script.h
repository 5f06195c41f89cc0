// The timeline script: header (scene count, global times, loop) and main section (scenes, clips,
// collection points). Words are at most 100 characters; a longer one is read as several words.
#pragma once
#include <cstdint>

struct RenderState;
struct TimelineState;

enum {
    TIMELINE_WORD_LENGTH = 100,
    TIMELINE_MAX_SCENES = 1024,  // larger "maxscenes" values are clamped to it, with a message
};

// Reads the header section, sets maxScenes, duration, globalStart, globalEnd and loop, and allocates
// the scene table. An inconsistent header (start after end or after the duration) posts the quit
// message. A script missing from the package ends the process with EXIT_MISSING_FILE.
void readTimelineHeader(const char* path, TimelineState* timeline);
// Reads the main section: loads scenes into free slots and enters clips and collection points.
void readTimelineMain(const char* path, TimelineState* timeline, RenderState* render);
