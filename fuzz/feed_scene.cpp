// LightWave objects (with the mesh geometry built from them), scenes and envelopes, and the setup rows.
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/settings.h"
#include "data/package.h"
#include "fuzz/feed.h"
#include "fuzz/feed_support.h"
#include "scene/envelope.h"
#include "scene/lwo_reader.h"
#include "scene/lws_reader.h"
#include "scene/mesh_geometry.h"
#include "scene/scene.h"
#include "scene/setup_table.h"

namespace {

void noObject(void*, Scene*, SceneItem*) {}
bool noDeviceCheck(void*, Scene*, char*, size_t) { return true; }

// The first row's key: the path the setup is applied for, as the player asks for a scene in the table.
void firstRowKey(const uint8_t* bytes, size_t size, char* key, size_t keySize) {
    std::snprintf(key, keySize, "Demo/Scene.lws");
    const char* text = reinterpret_cast<const char*>(bytes);
    for (size_t k = 0; k + 6 < size; ++k) {
        if (std::memcmp(text + k, "scene", 5) != 0 || (text[k + 5] != ' ' && text[k + 5] != '\t')) continue;
        size_t start = k + 6;
        while (start < size && (text[start] == ' ' || text[start] == '\t')) ++start;
        size_t end = start;
        while (end < size && end - start < keySize - 1 && text[end] > ' ') ++end;
        if (end == start) return;
        std::memcpy(key, text + start, end - start);
        key[end - start] = 0;
        return;
    }
}

}  // namespace

FeedOutcome feedLwo(const uint8_t* bytes, size_t size) {
    feedPackageOf("Demo/Input.lwo", bytes, size);
    RawObject* object = readObject("Demo/Input.lwo");
    FeedOutcome outcome = object ? FEED_READ : FEED_REFUSED;
    if (object) {
        UvCursor cursor = {};
        for (int32_t s = 0; s < object->surfaceCount; ++s) {
            SurfaceGeometry geometry;
            buildSurfaceGeometry(object, s, &cursor, &geometry);
        }
        freeRawObject(object);
    }
    packageRelease();
    return outcome;
}

FeedOutcome feedLws(const uint8_t* bytes, size_t size) {
    feedPackageOf("Demo/Input.lws", bytes, size);
    static Settings settings;
    resetSettings(&settings);
    Scene* scene = static_cast<Scene*>(std::calloc(1, sizeof(Scene)));
    scene->settings = &settings;
    const SceneDeviceHooks hooks = {nullptr, noObject, noDeviceCheck};
    bool ok = loadScene(&hooks, scene, "Demo/Input.lws");
    if (ok) resolveSceneLinks(scene, "Demo/Input.lws");
    releaseSceneContents(scene);
    releaseSceneSetup(&scene->setup);
    std::free(scene);
    packageRelease();
    return ok ? FEED_READ : FEED_REFUSED;
}

FeedOutcome feedEnvelope(const uint8_t* bytes, size_t size) {
    feedPackageOf("Demo/Input.env", bytes, size);
    Envelope envelope = {};
    bool ok = loadEnvelopeFile(&envelope, "Demo/Input.env");
    // Before, inside and after the keys, where the behaviours take over.
    const float times[] = {-1e6f, -3.5f, 0.0f, 0.25f, 1.0f, 7.75f, 1e6f};
    for (float t : times) evalEnvelope(&envelope, t);
    releaseEnvelope(&envelope);
    packageRelease();
    return ok ? FEED_READ : FEED_REFUSED;
}

FeedOutcome feedSetup(const uint8_t* bytes, size_t size) {
    // The same bytes also stand as an envelope file, so that rows naming it reach the envelope reader.
    feedBegin();
    PackageSource sources[2] = {{SCENE_SETUP_FILE, bytes, static_cast<uint32_t>(size)},
                                {"Demo/Input.env", bytes, static_cast<uint32_t>(size)}};
    std::vector<uint8_t> file = packageBuild(sources, 2, false);
    packageLoadBytes(file.data(), file.size(), "fuzz input");
    char key[256];
    firstRowKey(bytes, size, key, sizeof key);
    SceneSetup setup = {};
    SceneSetupFiles files;
    applySceneSetup(&setup, key, &files);
    releaseSceneSetup(&setup);
    packageRelease();
    return files.rowFound ? FEED_READ : FEED_REFUSED;
}
