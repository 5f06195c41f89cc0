#include "app/device_setup.h"

#include <cstring>

#include "app/demo_context.h"
#include "render/depth_programs.h"
#include "render/device_state.h"

namespace {

void identity(float m[16]) {
    for (int i = 0; i < 16; ++i) m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

}  // namespace

void setupDevice(DemoContext* context, PlatformWindow* window) {
    context->window = window;
    RenderState* render = &context->render;
    render->textures.count = 0;
    render->meshes.count = 0;
    std::memset(&render->vertexPrograms, 0, sizeof render->vertexPrograms);
    std::memset(&render->fragmentPrograms, 0, sizeof render->fragmentPrograms);
    TimelineState* timeline = &context->timeline;
    for (int32_t k = 0; timeline->scenes && k < timeline->sceneCount; ++k) {
        Scene* scene = &timeline->scenes[k];
        scene->settings = &render->settings;
        for (int c = 0; c < SCENE_CAMERAS; ++c) identity(scene->cameras[c].axes);
        scene->name[0] = 0;
    }
    setDefaultGlState();
    compileDepthPrograms(render);
    createShadowBuffer(render);
}
