// demotool: the package tool for people who make productions.
#include <cstdio>
#include <cstring>

#include "base/version.h"
#include "platform/platform.h"
#include "tools/demotool/commands.h"

namespace {

struct Command {
    const char* name;
    int (*run)(int argc, char** argv);
    const char* usage;
};

const Command kCommands[] = {
    {"pack", commandPack, "pack OUT.dat DIR [--store]   pack every file under DIR (compressed unless --store)"},
    {"list", commandList, "list PKG                     one line per entry: size, a space, the path"},
    {"extract", commandExtract, "extract PKG DIR              write every entry under DIR"},
    {"env", commandEnv, "env PKG PATH T...            the envelope file's value at each time T (seconds), one per line"},
    {"object", commandObject, "object PKG PATH              summary of an object file: counts, clips, maps, surfaces, layers"},
    {"scene", commandScene, "scene PKG PATH               summary of a scene file: items, lights, cameras, backdrop, fog"},
    {"timeline", commandTimeline, "timeline PKG                 the schedule: header, clip-list nodes (ms), collection points"},
    {"setup", commandSetup, "setup PKG SCENE              the per-scene setup the player applies to that scene path"},
    {"programs", commandPrograms, "programs PKG SCENE           keys and texts of every surface's material programs (needs a display)"},
    {"check", commandCheck, "check PKG [--references]     missing files (exit 1) and files that break what uses them"},
};

void usage(FILE* out) {
    std::fputs("usage: demotool COMMAND ...\n", out);
    for (const Command& c : kCommands) std::fprintf(out, "  demotool %s\n", c.usage);
    std::fputs("  demotool --version           the version, and the commit it was built from\n", out);
}

}  // namespace

int main(int argc, char** argv) {
    platformSetInteractive(false);
    if (argc == 2 && !std::strcmp(argv[1], "--version")) {
        std::printf("demotool %s\n", velmoraVersion());
        return 0;
    }
    if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
        usage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    for (const Command& c : kCommands)
        if (!std::strcmp(argv[1], c.name)) return c.run(argc - 2, argv + 2);
    std::fprintf(stderr, "demotool: unknown command %s\n", argv[1]);
    usage(stderr);
    return 2;
}
