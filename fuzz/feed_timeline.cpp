// The timeline script with its clip list and collection points, and where the schedule lands.
#include <cstdlib>
#include <cstring>

#include "base/settings.h"
#include "data/package.h"
#include "fuzz/feed.h"
#include "fuzz/feed_support.h"
#include "render/mesh_build.h"
#include "render/render_state.h"
#include "scene/lws_reader.h"
#include "scene/setup_table.h"
#include "timeline/clip_list.h"
#include "timeline/scheduler.h"
#include "timeline/timeline_script.h"
#include "timeline/timeline_state.h"

namespace {

TimelineState gTimeline;
RenderState* gRender;

void releaseTimeline() {
    for (int32_t k = 0; gTimeline.scenes && k < gTimeline.sceneCount; ++k) {
        releaseSceneContents(&gTimeline.scenes[k]);
        releaseSceneSetup(&gTimeline.scenes[k].setup);
    }
    std::free(gTimeline.scenes);
    gTimeline.scenes = nullptr;
    freeTimelineLists(&gTimeline);
    for (int32_t m = 0; m < gRender->meshes.count; ++m) releaseMesh(&gRender->meshes.entries[m]);
}

}  // namespace

// The package holds the script alone: the scenes it loads are missing, and stay empty, as the player
// leaves them; nothing reaches the device.
FeedOutcome feedTimeline(const uint8_t* bytes, size_t size) {
    const char* path = "Demo/Skrypt.txt";
    feedPackageOf(path, bytes, size);
    if (!gRender) gRender = new RenderState();
    std::memset(static_cast<void*>(gRender), 0, sizeof *gRender);
    resetSettings(&gRender->settings);
    std::memset(static_cast<void*>(&gTimeline), 0, sizeof gTimeline);
    resetTimeline(&gTimeline);
    gTimeline.startClock = -1;
    static FeedOutcome outcome;
    outcome = FEED_READ;
    gFeedExitArmed = true;
    if (setjmp(gFeedExit) == 0) {
        readTimelineHeader(path, &gTimeline);
        readTimelineMain(path, &gTimeline, gRender);
        // Where the schedule stands at the clip boundaries and between them.
        int32_t sceneTime;
        for (const Clip* clip = gTimeline.clipHead; clip; clip = clip->next) {
            clipAt(&gTimeline, clip->start, &sceneTime);
            clipAt(&gTimeline, clip->start - 1, &sceneTime);
        }
        clipAt(&gTimeline, gTimeline.duration / 2, &sceneTime);
    } else {
        outcome = FEED_ENDED;
    }
    gFeedExitArmed = false;
    releaseTimeline();
    packageRelease();
    return outcome;
}
