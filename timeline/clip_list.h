// The timeline's schedule: which scene and camera are shown when, and when unused resources are freed.
#pragma once
#include <cstdint>

#include "data/texture.h"
#include "scene/scene.h"

struct RenderState;
struct TimelineState;

// One node of the clip list: in force from `start` up to the next node's `start`.
struct Clip {
    Clip* next;
    Clip* prev;
    int32_t start;   // demo time (ms) at which this node begins
    int32_t offset;  // scene time (ms) shown at `start`
    Scene* scene;    // null: nothing is drawn (black)
    Camera* camera;  // null: nothing is drawn
};

// A garbage-collection point and what it frees: the textures and meshes that no clip in force at or
// after `time` needs. Each index appears at most once, so the cache capacities bound the counts.
struct GcNode {
    GcNode* next;
    GcNode* prev;
    int32_t textures[TEXTURE_CACHE_CAPACITY];  // texture cache indices
    int32_t meshes[MESH_CACHE_CAPACITY];       // mesh cache indices
    int32_t textureCount;
    int32_t meshCount;
    int32_t time;  // demo time (ms)
    int32_t done;  // 1 once freed; never cleared
};

// ---- clip list ----

// Frees any existing clip and collection lists, forgets the last scene shown and creates the empty
// head (start 0) and tail (start `duration`) nodes.
void initClipList(TimelineState* timeline);
// Frees both lists and clears their heads and tails.
void freeTimelineLists(TimelineState* timeline);
// Lays a clip over the list: from demo time t1 the scene shows scene times t2 up to t3, so the clip
// ends at t1 + t3 - t2; what it covers is cut away and the clip in force at its end resumes there.
// False (nothing changed) when t3 <= t2 or t1 lies outside [head, tail).
bool addClip(TimelineState* timeline, int32_t t1, int32_t t2, int32_t t3, Scene* scene, Camera* camera);

// ---- garbage collection ----

// Appends a collection point at demo time t and builds its free lists from the clips entered so far.
// Ends the process with EXIT_GC_ORDER when t is before the last point or after the clip list's tail;
// a point at the same time as the last one is ignored.
void addGcPoint(TimelineState* timeline, const RenderState* render, int32_t t);
// Builds every point's free lists again from the clip list as it stands now, so that clips entered
// after a point are taken into account. The script reader calls it after the whole script is read.
void rebuildGcLists(TimelineState* timeline, const RenderState* render);
// Frees the textures, mesh buffers and material programs a point lists.
void collect(TimelineState* timeline, RenderState* render, GcNode* node);

// Material programs are shared through the program caches: true while any surface instance of any
// scene still holds this program.
bool programInUse(const TimelineState* timeline, uint32_t program, bool fragment);
