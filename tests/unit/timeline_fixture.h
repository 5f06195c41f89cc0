// A private DemoContext with hand-made scenes, meshes and textures for the timeline tests.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "app/demo_context.h"
#include "platform/platform.h"
#include "timeline/clip_list.h"

class TimelineTest : public ::testing::Test {
protected:
    DemoContext* ctx = nullptr;

    void SetUp() override {
        platformSetInteractive(false);
        ctx = new DemoContext();
        resetSettings(&ctx->render.settings);
        resetTimeline(&ctx->timeline);
        ctx->timeline.startClock = -1;
    }

    void TearDown() override {
        freeTimelineLists(&ctx->timeline);
        for (int32_t k = 0; ctx->timeline.scenes && k < ctx->timeline.sceneCount; ++k) {
            Scene* scene = &ctx->timeline.scenes[k];
            for (int32_t i = 0; scene->items && i < scene->itemCount; ++i) std::free(scene->items[i].surfaces);
            std::free(scene->items);
        }
        std::free(ctx->timeline.scenes);
        for (int32_t m = 0; m < ctx->render.meshes.count; ++m) std::free(ctx->render.meshes.entries[m].surfaces);
        for (int32_t t = 0; t < ctx->render.textures.count; ++t) std::free(ctx->render.textures.entries[t].names);
        delete ctx;
    }

    // count empty slots; named ones get one camera "cam".
    void makeScenes(int count) {
        ctx->timeline.scenes = static_cast<Scene*>(std::calloc(count, sizeof(Scene)));
        ctx->timeline.sceneCount = count;
    }
    Scene* namedScene(int slot, const char* name) {
        Scene* scene = &ctx->timeline.scenes[slot];
        std::strcpy(scene->name, name);
        std::strcpy(scene->cameras[0].name, "cam");
        scene->cameraCount = 1;
        return scene;
    }

    // Texture cache entries, each a still with a non-zero GL name.
    void makeTextures(int count) {
        for (int t = 0; t < count; ++t) {
            TextureImage* image = &ctx->render.textures.entries[t];
            image->names = static_cast<uint32_t*>(std::calloc(1, sizeof(uint32_t)));
            image->names[0] = 100 + t;
        }
        ctx->render.textures.count = count;
    }

    // A mesh with one surface per texture list; an empty list is a surface without textures.
    Mesh* addMesh(std::initializer_list<std::initializer_list<int>> surfaces) {
        Mesh* mesh = &ctx->render.meshes.entries[ctx->render.meshes.count++];
        mesh->surfaceCount = static_cast<int32_t>(surfaces.size());
        mesh->surfaces = static_cast<Surface*>(std::calloc(surfaces.size(), sizeof(Surface)));
        int s = 0;
        for (const auto& layers : surfaces) {
            Surface* surface = &mesh->surfaces[s++];
            surface->vertexBuffer = 10 + s;
            surface->indexBuffer = 20 + s;
            for (int t : layers) surface->layerTexture[surface->layerCount++] = t;
        }
        return mesh;
    }

    // An object item using the mesh, its surface instances holding the given programs.
    SceneItem* addItem(Scene* scene, Mesh* mesh, uint32_t vertexProgram = 0, uint32_t fragmentProgram = 0) {
        if (!scene->items) scene->items = static_cast<SceneItem*>(std::calloc(SCENE_ITEMS, sizeof(SceneItem)));
        SceneItem* item = &scene->items[scene->itemCount++];
        item->mesh = mesh;
        if (mesh) {
            item->meshIndex = static_cast<int32_t>(mesh - ctx->render.meshes.entries);
            item->surfaceCount = mesh->surfaceCount;
            item->surfaces = static_cast<SurfaceInstance*>(std::calloc(mesh->surfaceCount, sizeof(SurfaceInstance)));
            for (int32_t s = 0; s < mesh->surfaceCount; ++s) {
                item->surfaces[s].surface = &mesh->surfaces[s];
                item->surfaces[s].vertexProgram = vertexProgram;
                item->surfaces[s].fragmentProgram = fragmentProgram;
            }
        } else {
            item->isNull = 1;
        }
        return item;
    }

    // Adds a clip through the scene's first camera.
    bool play(Scene* scene, int32_t t1, int32_t t2, int32_t t3) {
        return addClip(&ctx->timeline, t1, t2, t3, scene, scene ? &scene->cameras[0] : nullptr);
    }

    int clipCount() const {
        int n = 0;
        for (const Clip* c = ctx->timeline.clipHead; c; c = c->next) ++n;
        return n;
    }
    int gcCount() const {
        int n = 0;
        for (const GcNode* g = ctx->timeline.gcHead; g; g = g->next) ++n;
        return n;
    }
};
