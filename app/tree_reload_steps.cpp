// What a saved file touches, and reloading each of those things beside the one in use, swapped in
// only when it loaded without a problem.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "app/demo_context.h"
#include "app/tree_reload.h"
#include "app/tree_reload_parts.h"
#include "base/report.h"
#include "data/package.h"
#include "effects/clip_script.h"
#include "effects/effect_binding.h"
#include "platform/platform.h"
#include "render/device_release.h"
#include "render/mesh_build.h"
#include "render/scene_load.h"
#include "render/texture_upload.h"
#include "scene/envelope.h"
#include "scene/lws_reader.h"
#include "scene/setup_table.h"
#include "timeline/clip_list.h"

namespace {

// A loader that would end the process (a rejected program, a damaged picture, no memory) ends only
// the reload: what it had begun is left alone, never used.
struct ReloadAbort {
    int exitCode;
};

void noteMessage(const char* caption, const char* text) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
    TreeReloadState* tree = treeReloadState();
    if (tree->messages++ == 0) std::snprintf(tree->firstMessage, sizeof tree->firstMessage, "%s", text);
}

void quiet(const char*, const char*) {}

void abortReload(int exitCode) { throw ReloadAbort{exitCode}; }

// While a reload runs, messages are lines (an author mid-edit saves broken files all the time) and
// an end of the process becomes the end of the reload.
struct ReloadHooks {
    ReportHooks saved;
    explicit ReloadHooks(void (*message)(const char*, const char*)) : saved(reportHooks()) {
        ReportHooks hooks = saved;
        hooks.message = message;
        hooks.end = abortReload;
        setReportHooks(hooks);
    }
    ~ReloadHooks() { setReportHooks(saved); }
};

bool inPackage(const std::string& path) {
    const DataPackage* pk = package();
    for (uint32_t i = 0; i < pk->entryCount; ++i)
        if (path == pk->entries[i].name) return true;
    return false;
}

// The file is the still picture, or one frame of the numbered sequence.
bool pictureUsesFile(const TextureImage* image, const std::string& file) {
    const std::string prefix(image->path, strnlen(image->path, sizeof image->path));
    if (image->digits == 0) return file == prefix;
    const std::string suffix(image->suffix, strnlen(image->suffix, sizeof image->suffix));
    if (file.size() != prefix.size() + size_t(image->digits) + suffix.size()) return false;
    if (file.compare(0, prefix.size(), prefix) != 0) return false;
    if (file.compare(file.size() - suffix.size(), suffix.size(), suffix) != 0) return false;
    for (size_t k = prefix.size(); k < prefix.size() + size_t(image->digits); ++k)
        if (file[k] < '0' || file[k] > '9') return false;
    return true;
}

void releaseSceneSlot(Scene* scene) {
    releaseSceneEffects(scene);
    releaseSceneContents(scene);
    releaseSceneSetup(&scene->setup);
}

bool meshInUse(const TimelineState* timeline, const Mesh* mesh) {
    for (int32_t s = 0; timeline->scenes && s < timeline->sceneCount; ++s) {
        const Scene& scene = timeline->scenes[s];
        for (int32_t i = 0; scene.items && i < scene.itemCount; ++i)
            if (scene.items[i].mesh == mesh) return true;
    }
    return false;
}

// Meshes of a changed object file leave the cache's index, so that loading builds them again; the
// scenes not yet reloaded keep drawing the old ones until they are.
void retireMeshes(RenderState* render, const std::string& file, std::vector<int32_t>* retired) {
    for (int32_t k = 0; k < render->meshes.count; ++k) {
        Mesh* mesh = &render->meshes.entries[k];
        if (mesh->surfaces && file == mesh->path) {
            mesh->path[0] = '\0';
            retired->push_back(k);
        }
    }
}

void freeRetiredMeshes(RenderState* render, const TimelineState* timeline, std::vector<int32_t>* retired) {
    for (size_t k = 0; k < retired->size();) {
        Mesh* mesh = &render->meshes.entries[(*retired)[k]];
        if (meshInUse(timeline, mesh)) {
            ++k;
            continue;
        }
        for (int32_t s = 0; mesh->surfaces && s < mesh->surfaceCount; ++s) deleteMeshBuffers(&mesh->surfaces[s]);
        releaseMesh(mesh);
        retired->erase(retired->begin() + long(k));
    }
}

std::vector<int32_t> gRetiredMeshes;

// The scene of one slot read again into a scratch record; it replaces the slot's scene only when it
// loaded without a message and still holds every camera the timeline shows it through.
bool reloadScene(DemoContext* context, size_t index) {
    TreeReloadState* tree = treeReloadState();
    TimelineState* timeline = &context->timeline;
    RenderState* render = &context->render;
    SceneFiles& files = tree->scenes[index];
    Scene* slot = &timeline->scenes[index];
    if (!inPackage(files.file)) {
        showError("Scene %s is not in the production folder.", files.file.c_str());
        return false;
    }
    const int before = tree->messages;
    Scene* scratch = static_cast<Scene*>(std::calloc(1, sizeof(Scene)));
    if (!scratch) {
        showError("There is not enough memory to reload scene %s.", slot->name);
        return false;
    }
    std::memcpy(scratch->name, slot->name, sizeof scratch->name);
    SceneFiles fresh;
    fresh.file = files.file;
    tree->recording = &fresh.reads;
    const bool loaded = loadSceneSlot(render, scratch, files.file.c_str());
    tree->recording = nullptr;

    std::vector<std::pair<Clip*, int32_t>> shots;
    for (Clip* clip = timeline->clipHead; loaded && clip; clip = clip->next) {
        if (clip->scene != slot || !clip->camera) continue;
        int32_t found = -1;
        for (int32_t c = 0; c < scratch->cameraCount && c < SCENE_CAMERAS && found < 0; ++c)
            if (std::strcmp(scratch->cameras[c].name, clip->camera->name) == 0) found = c;
        if (found < 0)
            showError("Scene %s: the timeline plays camera %s, which it no longer has.", files.file.c_str(),
                      clip->camera->name);
        shots.push_back({clip, found});
    }
    if (!loaded || tree->messages > before) {
        if (loaded) {
            releaseSceneContents(scratch);
            releaseSceneSetup(&scratch->setup);
        }
        std::free(scratch);
        return false;
    }
    releaseSceneSlot(slot);
    std::memcpy(slot, scratch, sizeof *slot);
    std::free(scratch);
    {
        // The links point into the record they were resolved in; the reader has already said what
        // was wrong with them.
        ReloadHooks muted(quiet);
        resolveSceneLinks(slot, files.file.c_str());
    }
    for (const auto& shot : shots) shot.first->camera = &slot->cameras[shot.second];
    bindSceneEffects(slot);
    tree->recording = &fresh.reads;
    initSceneEffects(render, slot);
    tree->recording = nullptr;
    addMeshFiles(slot, &fresh);
    files = fresh;
    return tree->messages == before;
}

// A new timeline with all its scenes, swapped in for the old one when nothing went wrong.
bool reloadTimeline(DemoContext* context) {
    TreeReloadState* tree = treeReloadState();
    const int before = tree->messages;
    TimelineState fresh;
    std::vector<SceneFiles> files;
    loadTimelineForReload(context, &fresh, &files);
    if (tree->messages == before && !fresh.quit.posted) initTimelineForReload(context, &fresh, &files);
    if (tree->messages > before || fresh.quit.posted) {
        for (int32_t s = 0; fresh.scenes && s < fresh.sceneCount; ++s) releaseSceneSlot(&fresh.scenes[s]);
        freeTimelineLists(&fresh);
        std::free(fresh.scenes);
        return false;
    }
    TimelineState* timeline = &context->timeline;
    for (int32_t s = 0; timeline->scenes && s < timeline->sceneCount; ++s) releaseSceneSlot(&timeline->scenes[s]);
    freeTimelineLists(timeline);
    std::free(timeline->scenes);
    // The demo goes on where it is, with the looping the viewer chose.
    fresh.startClock = timeline->startClock;
    fresh.quit = timeline->quit;
    fresh.loop = timeline->loop;
    fresh.lastScene = nullptr;
    *timeline = fresh;
    tree->scenes = std::move(files);
    context->render.currentScene = nullptr;
    context->render.currentCamera = nullptr;
    return true;
}

// The clip script is parsed once on its own first: a script that reports a problem is not used.
bool reloadClipScriptChecked(DemoContext* context) {
    TreeReloadState* tree = treeReloadState();
    const int before = tree->messages;
    DemoFile file = fileOpen(clipScriptPath(), "rb");
    if (!file) {
        showError("The clip script %s is not in the production folder.", clipScriptPath());
        return false;
    }
    ClipScript* trial = static_cast<ClipScript*>(std::calloc(1, sizeof(ClipScript)));
    if (!trial) return false;
    parseClipScript(file, clipScriptPath(), trial);
    fileClose(file);
    for (int k = 0; k < trial->envelopeCount; ++k) releaseEnvelope(&trial->envelopes[k]);
    std::free(trial);
    if (tree->messages > before) return false;
    reloadClipScript(context);
    return tree->messages == before;
}

void append(std::string* list, const std::string& what) {
    if (!list->empty()) *list += ", ";
    *list += what;
}

}  // namespace

void addMeshFiles(const Scene* scene, SceneFiles* files) {
    for (int32_t i = 0; scene->items && i < scene->itemCount; ++i)
        if (scene->items[i].mesh) files->reads.insert(scene->items[i].mesh->path);
}

void reloadFiles(DemoContext* context, const std::set<std::string>& changed) {
    TreeReloadState* tree = treeReloadState();
    RenderState* render = &context->render;
    bool timeline = false, clips = false;
    std::vector<size_t> scenes;
    std::vector<int32_t> pictures;
    std::vector<std::string> objects;
    for (const std::string& file : changed) {
        timeline = timeline || file == timelineScriptPath();
        clips = clips || file == clipScriptPath() || tree->clipReads.count(file);
        for (size_t s = 0; s < tree->scenes.size(); ++s)
            if (!tree->scenes[s].file.empty() && tree->scenes[s].reads.count(file) &&
                std::find(scenes.begin(), scenes.end(), s) == scenes.end())
                scenes.push_back(s);
        for (int32_t k = 0; k < render->textures.count; ++k)
            if (render->textures.entries[k].names && pictureUsesFile(&render->textures.entries[k], file))
                pictures.push_back(k);
        for (int32_t k = 0; k < render->meshes.count; ++k)
            if (render->meshes.entries[k].surfaces && file == render->meshes.entries[k].path) objects.push_back(file);
    }
    // Files nothing has read (an editor's backup, a new file no one names) change nothing.
    if (!timeline && !clips && scenes.empty() && pictures.empty() && objects.empty()) return;

    tree->messages = 0;
    tree->firstMessage[0] = '\0';
    const int32_t started = platformClockMs();
    std::string reloaded, kept, step;
    auto outcome = [&](bool ok) { append(ok ? &reloaded : &kept, step); };
    {
        ReloadHooks hooks(noteMessage);
        try {
            step = "the production folder";
            if (!packageLoadTree(tree->dir.c_str())) {
                outcome(false);
            } else {
                for (int32_t k : pictures) {
                    TextureImage* image = &render->textures.entries[k];
                    step = image->path;
                    outcome(reloadTexture(image, &render->settings));
                }
                for (const std::string& file : objects) retireMeshes(render, file, &gRetiredMeshes);
                if (timeline) {
                    step = "the timeline";
                    outcome(reloadTimeline(context));
                } else {
                    for (size_t s : scenes) {
                        step = std::string("scene ") + context->timeline.scenes[s].name;
                        outcome(reloadScene(context, s));
                    }
                }
                if (clips) {
                    step = "the clip script";
                    outcome(reloadClipScriptChecked(context));
                }
            }
        } catch (const ReloadAbort&) {
            tree->recording = nullptr;
            tree->loadingTimeline = nullptr;
            tree->loadingScenes = nullptr;
            outcome(false);
        }
    }
    freeRetiredMeshes(render, &context->timeline, &gRetiredMeshes);
    rebuildGcLists(&context->timeline, render);

    if (kept.empty()) {
        std::snprintf(tree->message, sizeof tree->message, "reloaded %s in %d ms", reloaded.c_str(),
                      int(platformClockMs() - started));
    } else {
        std::snprintf(tree->message, sizeof tree->message, "%s (still showing the previous version of %s)",
                      tree->firstMessage[0] ? tree->firstMessage : "reload failed", kept.c_str());
    }
    std::fprintf(stderr, "velmora: %s\n", tree->message);
    std::fflush(stderr);
}
