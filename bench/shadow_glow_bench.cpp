// What the shadow map and the glow cost per frame at 640 x 480 on the current display's GL (run
// under Xvfb for llvmpipe): the depth pass of a 32 x 32 grid of plates (2048 triangles) and the
// whole glow post-process with four colour operations.
#include <GL/gl.h>
#include <GL/glext.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "app/demo_context.h"
#include "app/device_setup.h"
#include "platform/platform.h"
#include "render/device_caps.h"
#include "render/device_entry_points.h"
#include "render/device_state.h"
#include "render/glow.h"
#include "render/shadow_pass.h"
#include "scene/colour_operations.h"

namespace {

enum { GRID = 32, WIDTH = 640, HEIGHT = 480 };

struct Device {
    PlatformWindow* window = nullptr;
    DemoContext* context = nullptr;
    Scene* scene = nullptr;
    Mesh mesh = {};
    std::vector<Surface> surfaces;
    std::vector<SurfaceInstance> instances;
    std::vector<SceneItem> items;
    EnvelopeKey keys[4] = {};
};

// Plates at varying heights under a light at height 10, one item each.
void buildPlates(Device* d) {
    const GlEntryPoints* gl = glEntryPoints();
    const size_t count = GRID * GRID;
    d->surfaces.assign(count, Surface{});
    d->instances.assign(count, SurfaceInstance{});
    d->items.assign(count, SceneItem{});
    for (size_t i = 0; i < count; ++i) {
        const float cx = float(i % GRID) - GRID / 2, cz = float(i / GRID) - GRID / 2, y = float(i % 7) * 0.3f;
        const float corners[4][2] = {{-0.45f, -0.45f}, {-0.45f, 0.45f}, {0.45f, 0.45f}, {0.45f, -0.45f}};
        float vertices[4][6] = {};
        for (int v = 0; v < 4; ++v) {
            vertices[v][0] = cx + corners[v][0];
            vertices[v][1] = y;
            vertices[v][2] = cz + corners[v][1];
            vertices[v][4] = 1.0f;
        }
        const uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
        Surface& s = d->surfaces[i];
        gl->glGenBuffersARB(1, &s.vertexBuffer);
        gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, s.vertexBuffer);
        gl->glBufferDataARB(GL_ARRAY_BUFFER_ARB, sizeof vertices, vertices, GL_STATIC_DRAW_ARB);
        gl->glGenBuffersARB(1, &s.indexBuffer);
        gl->glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, s.indexBuffer);
        gl->glBufferDataARB(GL_ELEMENT_ARRAY_BUFFER_ARB, sizeof indices, indices, GL_STATIC_DRAW_ARB);
        s.triangleCount = 2;
        s.vertexStride = 24;
        s.layerCount = 1;
        s.shadowPrograms[0] = d->context->render.depthVertexProgram;
        s.shadowPrograms[1] = d->context->render.depthFragmentProgram;
        d->instances[i].surface = &s;
        SceneItem& item = d->items[i];
        for (int k = 0; k < 16; ++k) item.matrix[k] = k % 5 == 0 ? 1.0f : 0.0f;
        item.mesh = &d->mesh;
        item.surfaceCount = 1;
        item.surfaces = &d->instances[i];
    }
    d->scene->items = d->items.data();
    d->scene->itemCount = int32_t(count);
}

// One device for the whole run; null without a display.
Device* device() {
    static Device d;
    static bool tried = false;
    if (tried) return d.window ? &d : nullptr;
    tried = true;
    if (!std::getenv("DISPLAY") || !platformInit(true)) return nullptr;
    WindowRequest request = {"bench", 0, 0, WIDTH, HEIGHT, false, true, 32, 24, 8, 0};
    d.window = platformCreateWindow(&request);
    if (!d.window) return nullptr;
    d.context = demoContext();
    resetSettings(&d.context->render.settings);
    probeDeviceCaps(deviceCaps(), &d.context->render.settings);
    d.context->render.caps = deviceCaps();
    setupDevice(d.context, d.window);
    Settings& s = d.context->render.settings;
    s.fullscreen = 1;
    s.width = s.clientWidth = WIDTH;
    s.height = s.clientHeight = HEIGHT;
    d.scene = static_cast<Scene*>(std::calloc(1, sizeof(Scene)));
    d.scene->settings = &s;
    d.context->render.currentScene = d.scene;
    SceneSetup& setup = d.scene->setup;
    setup.shadowsOn = 1;
    setup.shadowDepthScale = 0.1f;
    setup.causticsScale = 0.2f;
    const float volume[4] = {0, 10, 0, GRID / 2};
    for (int k = 0; k < 4; ++k) {
        d.keys[k] = {nullptr, nullptr, volume[k], 0.0f, SHAPE_LINEAR, 0, 0, 0, {}};
        setup.shadowEnvelopes[k] = {&d.keys[k], 1, BEHAVIOR_CONSTANT, BEHAVIOR_CONSTANT};
    }
    setup.glowOn = 1;
    setup.glowDivisor = 4;
    for (float& c : setup.glowColour) c = 1.0f;
    const float operations[4][3] = {{1.1f, 1.1f, 1.1f}, {0.02f, 0.02f, 0.02f}, {12, 0, 0}, {1.2f, 1.2f, 0}};
    for (uint8_t kind = 0; kind < 4; ++kind) addColourOperation(&setup.colourOperations, kind, 0, operations[kind]);
    setUpGlow(&d.context->render, d.scene);
    buildPlates(&d);
    return &d;
}

void BM_ShadowMap(benchmark::State& state) {
    Device* d = device();
    if (!d) return state.SkipWithError("no display");
    d->context->render.settings.shadowMapSize = int32_t(state.range(0));
    createShadowBuffer(&d->context->render);
    for (auto _ : state) {
        renderShadowMap(&d->context->render, 0);
        glFinish();
    }
}
BENCHMARK(BM_ShadowMap)->Arg(256)->Arg(512)->Arg(1024)->Unit(benchmark::kMillisecond);

void BM_Glow(benchmark::State& state) {
    Device* d = device();
    if (!d) return state.SkipWithError("no display");
    d->scene->setup.glowDivisor = uint8_t(state.range(0));
    glViewport(0, 0, WIDTH, HEIGHT);
    for (auto _ : state) {
        drawGlow(&d->context->render, d->scene, 0);
        glFinish();
    }
}
BENCHMARK(BM_Glow)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

}  // namespace
