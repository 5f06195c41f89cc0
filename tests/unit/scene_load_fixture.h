// A private DemoContext and package for loading scene files written with the LightWave writer.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/demo_context.h"
#include "data/package.h"
#include "render/mesh_build.h"
#include "render/scene_load.h"
#include "scene/lws_reader.h"
#include "scene/setup_table.h"
#include "tests/support/test_package.h"
#include "tools/lightwave/lw_writer.h"

class SceneLoadTest : public ::testing::Test {
protected:
    DemoContext* ctx = nullptr;
    TestFiles files;
    std::vector<Scene*> loaded;
    std::string messages;  // standard error of the last load

    void SetUp() override {
        ctx = new DemoContext();
        resetSettings(&ctx->render.settings);
        resetTimeline(&ctx->timeline);
        ctx->timeline.startClock = -1;
    }

    void TearDown() override {
        for (Scene* scene : loaded) {
            releaseSceneContents(scene);
            releaseSceneSetup(&scene->setup);
            std::free(scene);
        }
        for (int32_t m = 0; m < ctx->render.meshes.count; ++m) releaseMesh(&ctx->render.meshes.entries[m]);
        delete ctx;
        packageRelease();
    }

    void add(const std::string& name, const std::string& bytes) { files.push_back({name, bytes}); }
    void addObject(const std::string& name, const LwObject& object) {
        std::vector<uint8_t> bytes = writeLwo(object);
        add(name, std::string(bytes.begin(), bytes.end()));
    }
    void addScene(const std::string& name, const LwScene& scene) { add(name, writeLws(scene)); }

    // Packs the files added so far and loads path into a fresh slot as the timeline does.
    Scene* load(const std::string& path, bool* ok = nullptr) {
        loadTestPackage(files);
        Scene* scene = static_cast<Scene*>(std::calloc(1, sizeof(Scene)));
        loaded.push_back(scene);
        testing::internal::CaptureStderr();
        bool result = loadSceneSlot(&ctx->render, scene, path.c_str());
        messages = testing::internal::GetCapturedStderr();
        if (ok) *ok = result;
        return scene;
    }

    bool said(const std::string& part) const { return messages.find(part) != std::string::npos; }
};

// A triangle on surface "Skin".
inline LwObject triangleObject(const std::string& surface = "Skin") {
    return lwTriangles({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2}, surface);
}

inline LwItem objectItem(const std::string& path) {
    LwItem item;
    item.name = path;
    return item;
}

inline LwItem nullItem(const std::string& name) {
    LwItem item;
    item.isNull = true;
    item.name = name;
    return item;
}

// One object, one distant light, one camera "Camera".
inline LwScene basicScene(const std::string& object = "Demo/tri.lwo") {
    LwScene scene;
    scene.items.push_back(objectItem(object));
    scene.lights.push_back(LwLight());
    scene.cameras.push_back(LwCamera());
    return scene;
}
