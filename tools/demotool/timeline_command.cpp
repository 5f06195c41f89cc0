// timeline: the schedule the player builds from the timeline script, as text for content authors.
#include <cstdio>

#include "app/demo_context.h"
#include "data/package.h"
#include "timeline/clip_list.h"
#include "timeline/timeline_script.h"
#include "timeline/timeline_state.h"
#include "tools/demotool/commands.h"

namespace {

const char* sceneName(const Scene* scene) { return scene && scene->name[0] ? scene->name : "-"; }
const char* cameraName(const Camera* camera) { return camera ? camera->name : "-"; }

}  // namespace

int commandTimeline(int argc, char** argv) {
    if (argc != 1) {
        std::fprintf(stderr, "usage: demotool timeline PKG\n");
        return 2;
    }
    if (!openPackageForTool(argv[0])) return 1;
    DemoContext* context = demoContext();
    resetSettings(&context->render.settings);
    resetTimeline(&context->timeline);
    context->timeline.startClock = -1;
    readTimelineHeader("Demo/Skrypt.txt", &context->timeline);
    if (context->timeline.quit.posted) {
        std::fprintf(stderr, "demotool: the timeline's header is inconsistent\n");
        packageRelease();
        return 1;
    }
    readTimelineMain("Demo/Skrypt.txt", &context->timeline, &context->render);
    const TimelineState& s = context->timeline;
    std::printf("header maxscenes %d duration %d start %d end %d loop %d\n", s.maxScenes, s.duration,
                s.globalStart, s.globalEnd, s.loop);
    for (const Clip* clip = s.clipHead; clip; clip = clip->next)
        std::printf("clip %d %d %s %s\n", clip->start, clip->offset, sceneName(clip->scene), cameraName(clip->camera));
    for (const GcNode* node = s.gcHead; node; node = node->next) std::printf("gc %d\n", node->time);
    packageRelease();
    return 0;
}
