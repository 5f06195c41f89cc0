#include "timeline/timeline_script.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/out_of_memory.h"
#include "base/report.h"
#include "data/file_words.h"
#include "data/package.h"
#include "render/render_state.h"
#include "render/scene_load.h"
#include "timeline/clip_list.h"
#include "timeline/timeline_state.h"

namespace {

typedef char Word[TIMELINE_WORD_LENGTH + 1];

bool readWord(DemoFile file, Word word) { return fileScan(file, "%100s", word) == 1; }

bool skipTo(DemoFile file, const char* keyword) {
    Word word;
    while (readWord(file, word))
        if (std::strcmp(word, keyword) == 0) return true;
    return false;
}

// After a malformed time: a piece of it split off by a blank (":30:0", "5:0") belongs to the rejected
// statement and is dropped; a word is left for the statement reader.
void skipTimeRest(DemoFile file) {
    uint32_t at = file->cursor;
    Word word;
    if (!readWord(file, word)) return;
    if (std::strchr(":+-0123456789", word[0])) return;
    fileSeek(file, static_cast<long>(at - file->offset), SEEK_SET);
}

// A time, or false with the malformed time consumed.
bool readTimeOrSkip(DemoFile file, int32_t* ms) {
    if (fileReadTime(file, ms)) return true;
    skipTimeRest(file);
    return false;
}

DemoFile openScript(const char* path) {
    DemoFile file = fileOpen(path, "rb");
    if (!file) {
        showError("The timeline script \"%s\" is not in the data package.", path);
        fatalExit(EXIT_MISSING_FILE);
    }
    return file;
}

void readSetStatement(const char* path, DemoFile file, TimelineState* timeline) {
    Word word;
    if (!readWord(file, word)) return;
    if (std::strcmp(word, "maxscenes") == 0) {
        int32_t n;
        if (!fileReadInteger(file, &n)) return;  // the count stays as it was
        if (n < 1) {
            std::fprintf(stderr, "velmora: %s: \"maxscenes %d\" refused (1 to %d); keeping %d\n", path, n,
                         TIMELINE_MAX_SCENES, timeline->maxScenes);
        } else if (n > TIMELINE_MAX_SCENES) {
            std::fprintf(stderr, "velmora: %s: \"maxscenes %d\" is over the capacity; using %d\n", path, n,
                         TIMELINE_MAX_SCENES);
            timeline->maxScenes = TIMELINE_MAX_SCENES;
        } else {
            timeline->maxScenes = n;
        }
        return;
    }
    if (std::strcmp(word, "global") != 0) return;
    if (!readWord(file, word)) return;
    int32_t* target = nullptr;
    if (std::strcmp(word, "duration") == 0)
        target = &timeline->duration;
    else if (std::strcmp(word, "start") == 0)
        target = &timeline->globalStart;
    else if (std::strcmp(word, "end") == 0)
        target = &timeline->globalEnd;
    else if (std::strcmp(word, "loop") == 0)
        timeline->loop = 1;
    if (!target) return;
    int32_t ms;
    if (readTimeOrSkip(file, &ms))
        *target = ms;
    else
        std::fprintf(stderr, "velmora: %s: \"set global %s\" without a valid m:s:ms time; ignored\n", path, word);
}

Scene* findScene(TimelineState* timeline, const char* name) {
    for (int32_t k = 0; timeline->scenes && k < timeline->sceneCount; ++k)
        if (std::strcmp(timeline->scenes[k].name, name) == 0) return &timeline->scenes[k];
    return nullptr;
}

void readLoadStatement(const char* path, DemoFile file, TimelineState* timeline, RenderState* render) {
    Word word, name;
    if (!readWord(file, word) || std::strcmp(word, "scene") != 0) return;
    if (!readWord(file, name)) return;
    if (std::strlen(name) >= SCENE_NAME_LENGTH) {
        // Cutting it short could make it collide with another name: the statement goes.
        std::fprintf(stderr, "velmora: %s: scene name \"%s\" is longer than %d characters; not loaded\n", path, name,
                     SCENE_NAME_LENGTH - 1);
        readWord(file, word);
        return;
    }
    if (findScene(timeline, name)) return;  // loaded already; its file is met as an ordinary word
    Scene* slot = findScene(timeline, "");
    if (!slot) {
        std::fprintf(stderr, "velmora: %s: no free scene slot for \"%s\" (maxscenes %d); not loaded\n", path, name,
                     timeline->sceneCount);
        return;
    }
    Word sceneFile;
    if (!readWord(file, sceneFile)) return;
    std::memcpy(slot->name, name, std::strlen(name) + 1);
    timeline->loadingScene = slot;
    timeline->loadingFile = sceneFile;
    const bool loaded = loadSceneSlot(render, slot, sceneFile);
    timeline->loadingScene = nullptr;
    timeline->loadingFile = nullptr;
    if (!loaded) {
        // As with a missing file, the name stays taken by an empty slot: a later "load scene" of the
        // same name must not load another file under it.
        std::fprintf(stderr, "velmora: %s: scene \"%s\" (%s) could not be loaded; it stays empty\n", path, name,
                     sceneFile);
        std::memset(slot, 0, sizeof *slot);
        std::memcpy(slot->name, name, std::strlen(name) + 1);
        slot->settings = &render->settings;
    }
    render->currentScene = slot;
}

void readPlayStatement(const char* path, DemoFile file, TimelineState* timeline) {
    Word word, sceneName, cameraName;
    if (!readWord(file, word) || std::strcmp(word, "scene") != 0) return;
    if (!readWord(file, sceneName) || !readWord(file, cameraName)) return;
    Scene* scene = findScene(timeline, sceneName);
    Camera* camera = nullptr;
    for (int32_t k = 0; scene && k < scene->cameraCount && k < SCENE_CAMERAS && !camera; ++k)
        if (std::strcmp(scene->cameras[k].name, cameraName) == 0) camera = &scene->cameras[k];
    if (!camera) {
        // The rest of the statement is read as ordinary words.
        std::fprintf(stderr, "velmora: %s: \"play scene %s %s\": %s not found; ignored\n", path, sceneName, cameraName,
                     scene ? "camera" : "scene");
        return;
    }
    // All three pairs are read even when one is malformed, so that the whole statement goes.
    int32_t times[3];
    bool valid = true;
    for (int k = 0; k < 3; ++k) {
        if (!readWord(file, word)) return;
        valid = readTimeOrSkip(file, &times[k]) && valid;
    }
    if (!valid) {
        std::fprintf(stderr, "velmora: %s: \"play scene %s %s\" without three valid m:s:ms times; ignored\n", path,
                     sceneName, cameraName);
        return;
    }
    if (times[2] <= times[1]) {
        std::fprintf(stderr, "velmora: %s: \"play scene %s %s\" ends before it starts; ignored\n", path, sceneName,
                     cameraName);
        return;
    }
    addClip(timeline, times[0], times[1], times[2], scene, camera);
}

void readGcStatement(const char* path, DemoFile file, TimelineState* timeline, const RenderState* render) {
    Word word;
    int32_t time;
    if (!readWord(file, word) || !readTimeOrSkip(file, &time)) {
        std::fprintf(stderr, "velmora: %s: \"garbage_collection\" without a valid m:s:ms time; ignored\n", path);
        return;
    }
    addGcPoint(timeline, render, time);
}

}  // namespace

void readTimelineHeader(const char* path, TimelineState* timeline) {
    DemoFile file = openScript(path);
    if (skipTo(file, "init")) {
        Word word;
        while (readWord(file, word) && std::strcmp(word, "end_init") != 0)
            if (std::strcmp(word, "set") == 0) readSetStatement(path, file, timeline);
    }
    fileClose(file);

    std::free(timeline->scenes);
    timeline->scenes = static_cast<Scene*>(std::calloc(timeline->maxScenes, sizeof(Scene)));
    if (!timeline->scenes) outOfMemory("%d scenes", timeline->maxScenes);
    timeline->sceneCount = timeline->maxScenes;

    if (timeline->globalStart > timeline->globalEnd || timeline->globalStart > timeline->duration)
        postQuit(&timeline->quit, EXIT_OK);
}

void readTimelineMain(const char* path, TimelineState* timeline, RenderState* render) {
    DemoFile file = openScript(path);
    if (!timeline->clipHead) initClipList(timeline);
    if (skipTo(file, "begin")) {
        Word word;
        while (readWord(file, word) && std::strcmp(word, "end") != 0) {
            if (std::strcmp(word, "load") == 0)
                readLoadStatement(path, file, timeline, render);
            else if (std::strcmp(word, "play") == 0)
                readPlayStatement(path, file, timeline);
            else if (std::strcmp(word, "garbage_collection") == 0)
                readGcStatement(path, file, timeline, render);
        }
    }
    fileClose(file);
    // Clips entered after a collection point may still need what it listed.
    rebuildGcLists(timeline, render);
}
