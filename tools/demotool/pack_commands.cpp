// pack, list and extract: the same package code the player reads with.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "data/package.h"
#include "tools/demotool/commands.h"

namespace fs = std::filesystem;

bool openPackageForTool(const char* path) { return packageLoad(path); }

int commandPack(int argc, char** argv) {
    bool store = false;
    std::vector<std::string> positional;
    for (int i = 0; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--store")) store = true;
        else positional.push_back(argv[i]);
    }
    if (positional.size() != 2) {
        std::fprintf(stderr, "usage: demotool pack OUT.dat DIR [--store]\n");
        return 2;
    }
    std::vector<TreeFile> files;
    std::string problem;
    if (!readPackageTree(positional[1].c_str(), &files, &problem)) {
        std::fprintf(stderr, "demotool: %s: %s\n", positional[1].c_str(), problem.c_str());
        return 1;
    }
    std::vector<PackageSource> sources;
    for (const TreeFile& file : files)
        sources.push_back({file.name.c_str(), file.bytes.data(), static_cast<uint32_t>(file.bytes.size())});
    std::vector<uint8_t> bytes = packageBuild(sources.data(), static_cast<int>(sources.size()), !store);
    if (bytes.empty()) {
        std::fprintf(stderr, "demotool: the package cannot be built\n");
        return 1;
    }
    FILE* out = std::fopen(positional[0].c_str(), "wb");
    bool ok = out && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (out) ok = std::fclose(out) == 0 && ok;
    if (!ok) {
        std::fprintf(stderr, "demotool: cannot write %s\n", positional[0].c_str());
        return 1;
    }
    return 0;
}

int commandList(int argc, char** argv) {
    if (argc != 1) {
        std::fprintf(stderr, "usage: demotool list PKG\n");
        return 2;
    }
    if (!openPackageForTool(argv[0])) return 1;
    const DataPackage* pk = package();
    for (uint32_t i = 0; i < pk->entryCount; ++i)
        std::printf("%u %s\n", pk->entries[i].size, pk->entries[i].name);
    packageRelease();
    return 0;
}

int commandExtract(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: demotool extract PKG DIR\n");
        return 2;
    }
    if (!openPackageForTool(argv[0])) return 1;
    const DataPackage* pk = package();
    const fs::path root = argv[1];
    int status = 0;
    for (uint32_t i = 0; i < pk->entryCount; ++i) {
        const PackageEntry& e = pk->entries[i];
        fs::path relative = fs::path(e.name).lexically_normal();
        // Entry names come from the file: never write outside DIR.
        if (relative.is_absolute() || relative.empty() || *relative.begin() == "..") {
            std::fprintf(stderr, "demotool: skipping unsafe path %s\n", e.name);
            status = 1;
            continue;
        }
        fs::path target = root / relative;
        std::error_code error;
        fs::create_directories(target.parent_path(), error);
        FILE* out = std::fopen(target.c_str(), "wb");
        bool ok = out && std::fwrite(pk->image + e.offset, 1, e.size, out) == e.size;
        if (out) ok = std::fclose(out) == 0 && ok;
        if (!ok) {
            std::fprintf(stderr, "demotool: cannot write %s\n", target.c_str());
            status = 1;
        }
    }
    packageRelease();
    return status;
}
