// setup: the per-scene setup the player applies to a scene path, one field a line.
#include <cstdio>
#include <cstdlib>

#include "base/c_locale.h"
#include "data/package.h"
#include "scene/scene_setup.h"
#include "scene/setup_table.h"
#include "tools/demotool/commands.h"

namespace {

void printSetup(const char* path, const SceneSetup* s, const SceneSetupFiles* files) {
    std::printf("scene %s\nrow %s\n", path, files->rowFound ? "yes" : "no");
    std::printf("shadows %d %d\n", s->shadowsOn, s->shadowMode);
    std::printf("shadowAmbient %g\nshadowSoftness %g\n", double(s->shadowAmbient), double(s->shadowSoftness));
    if (files->shadowEnvelopes[0][0])
        std::printf("shadowEnvelopes %s %s %s %s\n", files->shadowEnvelopes[0], files->shadowEnvelopes[1],
                    files->shadowEnvelopes[2], files->shadowEnvelopes[3]);
    else
        std::printf("shadowEnvelopes -\n");
    std::printf("shadowDepthScale %g\ncausticsScale %g\n", double(s->shadowDepthScale), double(s->causticsScale));
    std::printf("fog %g %g\ntexturePeriod %d\n", double(s->fogC), double(s->fogA), s->texturePeriod);
    int k = 0;
    for (const ColourOperation* op = s->colourOperations; op; op = op->next, ++k) {
        const char* kind = colourOperationName(op->kind);
        if (op->animated)
            std::printf("colour %s animated %s\n", kind, k < SETUP_COLOUR_OPERATIONS ? files->operations[k] : "?");
        else
            std::printf("colour %s %g %g %g\n", kind, double(op->constants[0]), double(op->constants[1]),
                        double(op->constants[2]));
    }
    std::printf("glow %d %d\n", s->glowOn, s->glowDivisor);
    std::printf("glowColour %g %g %g %g\n", double(s->glowColour[0]), double(s->glowColour[1]),
                double(s->glowColour[2]), double(s->glowColour[3]));
}

}  // namespace

int commandSetup(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: demotool setup PKG SCENE\n");
        return 2;
    }
    if (!openPackageForTool(argv[0])) return 1;
    SceneSetup* setup = static_cast<SceneSetup*>(std::calloc(1, sizeof(SceneSetup)));
    SceneSetupFiles* files = static_cast<SceneSetupFiles*>(std::calloc(1, sizeof(SceneSetupFiles)));
    int status = 1;
    if (setup && files) {
        applySceneSetup(setup, argv[1], files);
        locale_t previous = uselocale(cLocale());
        printSetup(argv[1], setup, files);
        std::fflush(stdout);
        uselocale(previous);
        releaseSceneSetup(setup);
        status = 0;
    }
    std::free(files);
    std::free(setup);
    packageRelease();
    return status;
}
