// programs: the material programs of one scene as the player compiles them, for content authors
// chasing a surface that draws wrong or a text the driver refuses.
#include <cstdio>
#include <cstdlib>

#include "app/demo_context.h"
#include "app/device_setup.h"
#include "data/package.h"
#include "platform/platform.h"
#include "render/device_caps.h"
#include "render/material_keys.h"
#include "render/material_programs.h"
#include "render/scene_load.h"
#include "scene/lws_reader.h"
#include "scene/setup_table.h"
#include "tools/demotool/commands.h"

namespace {

// Object items only, counted from 0; every surface with its keys and both texts.
void printPrograms(ProgramBuilder* builder, const Scene* scene) {
    int32_t objectIndex = 0;
    for (int32_t i = 0; i < scene->itemCount; ++i) {
        const SceneItem* item = &scene->items[i];
        if (item->isNull) continue;
        for (int32_t s = 0; item->surfaces && s < item->surfaceCount; ++s) {
            const Surface* surface = item->surfaces[s].surface;
            if (!surface) continue;
            std::printf("item %d surface %d vertex %08x fragment %08x\n", objectIndex, s,
                        vertexMaterialKey(scene, item, surface), fragmentMaterialKey(scene, surface));
            std::fputs(materialVertexProgramText(builder, scene, item, surface), stdout);
            std::fputs("----\n", stdout);
            std::fputs(materialFragmentProgramText(builder, scene, item, surface), stdout);
            std::fputs("----\n", stdout);
        }
        ++objectIndex;
    }
}

}  // namespace

int commandPrograms(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: demotool programs PKG SCENE\n");
        return 2;
    }
    if (!openPackageForTool(argv[0])) return 1;
    DemoFile probe = fileOpen(argv[1], "r");
    if (!probe) {
        std::fprintf(stderr, "demotool: %s is not in the package\n", argv[1]);
        packageRelease();
        return 1;
    }
    fileClose(probe);
    if (!platformInit(true)) {
        std::fprintf(stderr, "demotool: programs needs a display with OpenGL\n");
        packageRelease();
        return 1;
    }
    DemoContext* context = demoContext();
    resetSettings(&context->render.settings);
    WindowRequest request = {"demotool", 0, 0, 64, 64, false, true, 32, 24, 8, 0};
    PlatformWindow* window = platformCreateWindow(&request);
    if (!window) {
        std::fprintf(stderr, "demotool: no OpenGL context\n");
        platformShutdown();
        packageRelease();
        return 1;
    }
    // The programs are compiled on loading, as the player does: a refused text ends the run there.
    probeDeviceCaps(deviceCaps(), &context->render.settings);
    context->render.caps = deviceCaps();
    setupDevice(context, window);
    Scene* scene = static_cast<Scene*>(std::calloc(1, sizeof(Scene)));
    int status = 1;
    if (scene && loadSceneSlot(&context->render, scene, argv[1])) {
        printPrograms(&context->render.programText, scene);
        status = 0;
        releaseSceneContents(scene);
        releaseSceneSetup(&scene->setup);
    }
    std::free(scene);
    platformDestroyWindow(window);
    platformShutdown();
    packageRelease();
    return status;
}
