// The reload's own record and the steps its two files share.
#pragma once
#include <set>
#include <string>
#include <vector>

struct DemoContext;
struct PlatformWatch;
struct Scene;
struct TimelineState;

// What one scene slot was loaded from and every file its loading opened (found or not), its
// objects and its effects' files included.
struct SceneFiles {
    std::string file;
    std::set<std::string> reads;
};

struct TreeReloadState {
    bool open;
    std::string dir;
    PlatformWatch* watch;
    std::vector<SceneFiles> scenes;  // by slot of the timeline's scene table
    std::set<std::string> clipReads;
    // Where file opens are noted now: a main-section read names its slot; otherwise recording.
    const TimelineState* loadingTimeline;
    std::vector<SceneFiles>* loadingScenes;
    std::set<std::string>* recording;
    // Messages of the reload under way, and the line the overlay shows.
    int messages;
    char firstMessage[400];
    char message[512];
};

TreeReloadState* treeReloadState();

// The object files of the scene's items: a scene that takes a mesh from the cache never opens them.
void addMeshFiles(const Scene* scene, SceneFiles* files);
// Reloads everything that depends on these changed paths (relative to the folder).
void reloadFiles(DemoContext* context, const std::set<std::string>& changed);
// A fresh timeline read from the script with its scenes, each slot's files noted; then its effects.
void loadTimelineForReload(DemoContext* context, TimelineState* fresh, std::vector<SceneFiles>* files);
void initTimelineForReload(DemoContext* context, TimelineState* fresh, std::vector<SceneFiles>* files);
void reloadClipScript(DemoContext* context);
const char* timelineScriptPath();
const char* clipScriptPath();
