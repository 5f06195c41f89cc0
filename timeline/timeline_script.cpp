#include "timeline/timeline_script.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/demo_context.h"
#include "app/shutdown.h"
#include "data/file_words.h"
#include "data/package.h"
#include "scene/scene_load.h"
#include "timeline/clip_list.h"

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

void readSetStatement(const char* path, DemoFile file, Settings* settings) {
    Word word;
    if (!readWord(file, word)) return;
    if (std::strcmp(word, "maxscenes") == 0) {
        int32_t n;
        if (!fileReadInteger(file, &n)) return;  // the count stays as it was
        if (n < 1) {
            std::fprintf(stderr, "%s: \"maxscenes %d\" refused (1 to %d); keeping %d\n", path, n,
                         TIMELINE_MAX_SCENES, settings->maxScenes);
        } else if (n > TIMELINE_MAX_SCENES) {
            std::fprintf(stderr, "%s: \"maxscenes %d\" is over the capacity; using %d\n", path, n,
                         TIMELINE_MAX_SCENES);
            settings->maxScenes = TIMELINE_MAX_SCENES;
        } else {
            settings->maxScenes = n;
        }
        return;
    }
    if (std::strcmp(word, "global") != 0) return;
    if (!readWord(file, word)) return;
    int32_t* target = nullptr;
    if (std::strcmp(word, "duration") == 0)
        target = &settings->duration;
    else if (std::strcmp(word, "start") == 0)
        target = &settings->globalStart;
    else if (std::strcmp(word, "end") == 0)
        target = &settings->globalEnd;
    else if (std::strcmp(word, "loop") == 0)
        settings->loop = 1;
    if (!target) return;
    int32_t ms;
    if (readTimeOrSkip(file, &ms))
        *target = ms;
    else
        std::fprintf(stderr, "%s: \"set global %s\" without a valid m:s:ms time; ignored\n", path, word);
}

Scene* findScene(DemoContext* context, const char* name) {
    for (int32_t k = 0; context->scenes && k < context->sceneCount; ++k)
        if (std::strcmp(context->scenes[k].name, name) == 0) return &context->scenes[k];
    return nullptr;
}

void readLoadStatement(const char* path, DemoFile file, DemoContext* context) {
    Word word, name;
    if (!readWord(file, word) || std::strcmp(word, "scene") != 0) return;
    if (!readWord(file, name)) return;
    if (std::strlen(name) >= SCENE_NAME_LENGTH) {
        // Cutting it short could make it collide with another name: the statement goes.
        std::fprintf(stderr, "%s: scene name \"%s\" is longer than %d characters; not loaded\n", path, name,
                     SCENE_NAME_LENGTH - 1);
        readWord(file, word);
        return;
    }
    if (findScene(context, name)) return;  // loaded already; its file is met as an ordinary word
    Scene* slot = findScene(context, "");
    if (!slot) {
        std::fprintf(stderr, "%s: no free scene slot for \"%s\" (maxscenes %d); not loaded\n", path, name,
                     context->sceneCount);
        return;
    }
    Word sceneFile;
    if (!readWord(file, sceneFile)) return;
    std::memcpy(slot->name, name, std::strlen(name) + 1);
    if (!loadSceneSlot(context, slot, sceneFile)) {
        // As with a missing file, the name stays taken by an empty slot: a later "load scene" of the
        // same name must not load another file under it.
        std::fprintf(stderr, "%s: scene \"%s\" (%s) could not be loaded; it stays empty\n", path, name,
                     sceneFile);
        std::memset(slot, 0, sizeof *slot);
        std::memcpy(slot->name, name, std::strlen(name) + 1);
        slot->settings = &context->settings;
    }
    context->currentScene = slot;
}

void readPlayStatement(const char* path, DemoFile file, DemoContext* context) {
    Word word, sceneName, cameraName;
    if (!readWord(file, word) || std::strcmp(word, "scene") != 0) return;
    if (!readWord(file, sceneName) || !readWord(file, cameraName)) return;
    Scene* scene = findScene(context, sceneName);
    Camera* camera = nullptr;
    for (int32_t k = 0; scene && k < scene->cameraCount && k < SCENE_CAMERAS && !camera; ++k)
        if (std::strcmp(scene->cameras[k].name, cameraName) == 0) camera = &scene->cameras[k];
    if (!camera) {
        // The rest of the statement is read as ordinary words.
        std::fprintf(stderr, "%s: \"play scene %s %s\": %s not found; ignored\n", path, sceneName, cameraName,
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
        std::fprintf(stderr, "%s: \"play scene %s %s\" without three valid m:s:ms times; ignored\n", path, sceneName,
                     cameraName);
        return;
    }
    if (times[2] <= times[1]) {
        std::fprintf(stderr, "%s: \"play scene %s %s\" ends before it starts; ignored\n", path, sceneName,
                     cameraName);
        return;
    }
    addClip(context, times[0], times[1], times[2], scene, camera);
}

void readGcStatement(const char* path, DemoFile file, DemoContext* context) {
    Word word;
    int32_t time;
    if (!readWord(file, word) || !readTimeOrSkip(file, &time)) {
        std::fprintf(stderr, "%s: \"garbage_collection\" without a valid m:s:ms time; ignored\n", path);
        return;
    }
    addGcPoint(context, time);
}

}  // namespace

void readTimelineHeader(const char* path, DemoContext* context) {
    DemoFile file = openScript(path);
    Settings* settings = &context->settings;
    if (skipTo(file, "init")) {
        Word word;
        while (readWord(file, word) && std::strcmp(word, "end_init") != 0)
            if (std::strcmp(word, "set") == 0) readSetStatement(path, file, settings);
    }
    fileClose(file);

    std::free(context->scenes);
    context->scenes = static_cast<Scene*>(std::calloc(settings->maxScenes, sizeof(Scene)));
    if (!context->scenes) {
        context->sceneCount = 0;
        showError("There is not enough memory for %d scenes.", settings->maxScenes);
        postQuit(context, EXIT_OUT_OF_MEMORY);
        return;
    }
    context->sceneCount = settings->maxScenes;

    if (settings->globalStart > settings->globalEnd || settings->globalStart > settings->duration) postQuit(context, 0);
}

void readTimelineMain(const char* path, DemoContext* context) {
    DemoFile file = openScript(path);
    if (!context->settings.clipHead) initClipList(context);
    if (skipTo(file, "begin")) {
        Word word;
        while (readWord(file, word) && std::strcmp(word, "end") != 0) {
            if (std::strcmp(word, "load") == 0)
                readLoadStatement(path, file, context);
            else if (std::strcmp(word, "play") == 0)
                readPlayStatement(path, file, context);
            else if (std::strcmp(word, "garbage_collection") == 0)
                readGcStatement(path, file, context);
        }
    }
    fileClose(file);
    // Clips entered after a collection point may still need what it listed.
    rebuildGcLists(context);
}
