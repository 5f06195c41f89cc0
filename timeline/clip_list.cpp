#include "timeline/clip_list.h"

#include <cstdint>
#include <cstdlib>

#include "base/out_of_memory.h"
#include "base/report.h"
#include "timeline/timeline_state.h"

namespace {

Clip* newClip(int32_t start, int32_t offset, Scene* scene, Camera* camera) {
    Clip* clip = static_cast<Clip*>(std::calloc(1, sizeof(Clip)));
    if (!clip) outOfMemory("a clip");
    clip->start = start;
    clip->offset = offset;
    clip->scene = scene;
    clip->camera = camera;
    return clip;
}

void linkAfter(Clip* at, Clip* clip) {
    clip->prev = at;
    clip->next = at->next;
    if (at->next) at->next->prev = clip;
    at->next = clip;
}

void linkBefore(Clip* at, Clip* clip) {
    clip->next = at;
    clip->prev = at->prev;
    if (at->prev) at->prev->next = clip;
    at->prev = clip;
}

// Never called for the head or the tail.
void unlinkAndFree(Clip* clip) {
    clip->prev->next = clip->next;
    clip->next->prev = clip->prev;
    std::free(clip);
}

}  // namespace

void freeTimelineLists(TimelineState* s) {
    for (Clip* clip = s->clipHead; clip;) {
        Clip* next = clip->next;
        std::free(clip);
        clip = next;
    }
    for (GcNode* node = s->gcHead; node;) {
        GcNode* next = node->next;
        std::free(node);
        node = next;
    }
    s->clipHead = s->clipTail = nullptr;
    s->gcHead = s->gcTail = nullptr;
}

void initClipList(TimelineState* s) {
    freeTimelineLists(s);
    s->lastScene = nullptr;
    // A negative duration would put the tail before the head; such a demo ends at once anyway.
    int32_t end = s->duration > 0 ? s->duration : 0;
    s->clipHead = newClip(0, 0, nullptr, nullptr);
    s->clipTail = newClip(end, 0, nullptr, nullptr);
    linkAfter(s->clipHead, s->clipTail);
}

bool addClip(TimelineState* timeline, int32_t t1, int32_t t2, int32_t t3, Scene* scene, Camera* camera) {
    Clip* head = timeline->clipHead;
    Clip* tail = timeline->clipTail;
    if (!head || t3 <= t2) return false;
    if (t1 < head->start || t1 >= tail->start) return false;
    // Where the clip ends, in demo time; past the tail it simply runs to the end.
    int64_t end = int64_t(t1) + (int64_t(t3) - t2);

    // What is in force at the end, on the list before any change: it resumes there.
    // Copied: that node may be reused or cut away below.
    const Clip* inForce = head;
    while (inForce->next && inForce->next->start < end) inForce = inForce->next;
    const Clip resumed = *inForce;

    // Place the clip at t1: reuse a node starting there, or link a new one in.
    Clip* at = head;
    while (at->next && at->next->start <= t1) at = at->next;
    Clip* placed;
    if (at->start == t1) {
        placed = at;
        placed->scene = scene;
        placed->camera = camera;
        placed->offset = t2;
    } else {
        placed = newClip(t1, t2, scene, camera);
        linkAfter(at, placed);
    }

    // Cut away what the clip covers; the tail always stays.
    Clip* after = placed->next;
    while (after != tail && after->start < end) {
        Clip* next = after->next;
        unlinkAndFree(after);
        after = next;
    }
    // A node starting exactly at the end already takes over there: a continuation would only shadow
    // its own time mapping. Past the tail there is nothing to resume.
    if (after->start > end) {
        int32_t e = static_cast<int32_t>(end);
        int32_t offset = static_cast<int32_t>(int64_t(resumed.offset) + (end - resumed.start));
        Clip* continuation = newClip(e, offset, resumed.scene, resumed.camera);
        linkBefore(after, continuation);
    }
    return true;
}
