#include "app/tree_reload.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "app/demo_context.h"
#include "app/overlay_line.h"
#include "app/tree_reload_parts.h"
#include "base/report.h"
#include "data/package.h"
#include "effects/clip_script.h"
#include "effects/effect_binding.h"
#include "effects/typing/typing.h"
#include "platform/platform.h"
#include "timeline/clip_list.h"
#include "timeline/timeline_script.h"

namespace {

const char* kTimeline = "Demo/Skrypt.txt";
const char* kClipScript = "Demo/ClipScript.txt";

TreeReloadState gTree;

// Files opened while something loads are what it depends on: the slot a "load scene" statement is
// filling, or else whatever the reload is recording at the moment.
void onFileOpened(const char* path) {
    const TimelineState* timeline = gTree.loadingTimeline;
    if (timeline && timeline->loadingScene && gTree.loadingScenes) {
        size_t slot = static_cast<size_t>(timeline->loadingScene - timeline->scenes);
        if (slot < gTree.loadingScenes->size()) {
            SceneFiles& files = (*gTree.loadingScenes)[slot];
            if (timeline->loadingFile) files.file = timeline->loadingFile;
            files.reads.insert(path);
            return;
        }
    }
    if (gTree.recording) gTree.recording->insert(path);
}

void onFileChanged(void* user, const char* path) { static_cast<std::set<std::string>*>(user)->insert(path); }

// Every scene's effects, each scene's initialisation recorded with the scene's files.
void bindTimelineEffects(RenderState* render, TimelineState* timeline, std::vector<SceneFiles>* files) {
    for (int32_t s = 0; timeline->scenes && s < timeline->sceneCount; ++s) bindSceneEffects(&timeline->scenes[s]);
    for (int32_t s = 0; timeline->scenes && s < timeline->sceneCount; ++s) {
        gTree.recording = size_t(s) < files->size() ? &(*files)[s].reads : nullptr;
        initSceneEffects(render, &timeline->scenes[s]);
    }
    gTree.recording = nullptr;
}

}  // namespace

TreeReloadState* treeReloadState() { return &gTree; }

bool openProductionTree(const char* dir) {
    if (!packageLoadTree(dir)) return false;
    gTree.dir = dir;
    gTree.open = true;
    gTree.watch = platformWatchTree(dir);
    if (!gTree.watch)
        std::fprintf(stderr, "velmora: %s cannot be watched; saved files will not be reloaded\n", dir);
    packageSetOpenObserver(onFileOpened);
    return true;
}

bool playingTree() { return gTree.open; }

void loadProductionContent(DemoContext* context) {
    TimelineState* timeline = &context->timeline;
    RenderState* render = &context->render;
    gTree.scenes.assign(timeline->scenes ? size_t(timeline->sceneCount) : 0, SceneFiles());
    gTree.loadingTimeline = timeline;
    gTree.loadingScenes = &gTree.scenes;
    readTimelineMain(kTimeline, timeline, render);
    gTree.loadingTimeline = nullptr;
    gTree.loadingScenes = nullptr;

    gTree.clipReads.clear();
    gTree.recording = &gTree.clipReads;
    readClipScript(kClipScript, render);
    gTree.recording = nullptr;
    render->overlayPass = drawClipOverlays;
    // A captured run must give the same frames every time: its login number does not follow the clock.
    if (render->settings.capture) typingSetLoginSeed(0);
    bindTimelineEffects(render, timeline, &gTree.scenes);
    for (int32_t s = 0; s < timeline->sceneCount && size_t(s) < gTree.scenes.size(); ++s)
        addMeshFiles(&timeline->scenes[s], &gTree.scenes[s]);
}

void reloadChangedFiles(DemoContext* context) {
    if (!gTree.open || !gTree.watch || context->timeline.startClock == -1) return;
    std::set<std::string> changed;
    if (platformWatchChanges(gTree.watch, onFileChanged, &changed) == 0) return;
    reloadFiles(context, changed);
    setOverlayMessage(gTree.message);
}

void loadTimelineForReload(DemoContext* context, TimelineState* fresh, std::vector<SceneFiles>* files) {
    resetTimeline(fresh);
    readTimelineHeader(kTimeline, fresh);
    if (fresh->quit.posted) {
        showError("The timeline script %s has a start after its end or after its duration.", kTimeline);
        return;
    }
    initClipList(fresh);
    files->assign(size_t(fresh->sceneCount), SceneFiles());
    gTree.loadingTimeline = fresh;
    gTree.loadingScenes = files;
    readTimelineMain(kTimeline, fresh, &context->render);
    gTree.loadingTimeline = nullptr;
    gTree.loadingScenes = nullptr;
}

void initTimelineForReload(DemoContext* context, TimelineState* fresh, std::vector<SceneFiles>* files) {
    bindTimelineEffects(&context->render, fresh, files);
    for (int32_t s = 0; s < fresh->sceneCount && size_t(s) < files->size(); ++s)
        addMeshFiles(&fresh->scenes[s], &(*files)[s]);
}

void reloadClipScript(DemoContext* context) {
    gTree.clipReads.clear();
    gTree.recording = &gTree.clipReads;
    readClipScript(kClipScript, &context->render);
    gTree.recording = nullptr;
}

const char* timelineScriptPath() { return kTimeline; }
const char* clipScriptPath() { return kClipScript; }

const char* lastReloadMessage() { return gTree.message; }

void closeProductionTree() {
    platformWatchClose(gTree.watch);
    packageSetOpenObserver(nullptr);
    gTree.watch = nullptr;
    gTree.open = false;
}
