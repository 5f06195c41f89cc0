// velmora_mkscenes: builds the production's LightWave objects and scenes, envelope files, scripts
// and program files from the descriptions under content/ into the package tree.
//   velmora_mkscenes CONTENT_DIR TREE_DIR LIST_FILE
// LIST_FILE receives the package paths written, one per line (the build's record that it ran).
// Files of the previous list that the descriptions no longer make are removed from the tree, so
// that they do not linger in the package.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/content/image_encode.h"
#include "tools/content/scenes/production.h"

namespace {

// Unchanged files are left alone, so their time stamps stay.
bool sameBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::vector<uint8_t> old((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return old == bytes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: velmora_mkscenes CONTENT_DIR TREE_DIR LIST_FILE\n");
        return 2;
    }
    ProductionFiles files;
    std::string error;
    if (!buildProduction(argv[1], &files, &error)) {
        std::fprintf(stderr, "velmora_mkscenes: %s\n", error.c_str());
        return 1;
    }
    std::string list;
    for (const auto& file : files) {
        std::string path = std::string(argv[2]) + "/" + file.first;
        if (!sameBytes(path, file.second) && !writeFileBytes(path, file.second, &error)) {
            std::fprintf(stderr, "velmora_mkscenes: %s\n", error.c_str());
            return 1;
        }
        list += file.first + "\n";
    }
    std::ifstream previous(argv[3]);
    for (std::string path; std::getline(previous, path);) {
        // Only paths this tool wrote: relative, inside the tree.
        std::filesystem::path relative = std::filesystem::path(path).lexically_normal();
        if (path.empty() || files.count(path) || relative.is_absolute() || *relative.begin() == "..") continue;
        std::error_code ignored;
        std::filesystem::remove(std::string(argv[2]) + "/" + path, ignored);
    }
    previous.close();
    if (!writeFileBytes(argv[3], Bytes(list.begin(), list.end()), &error)) {
        std::fprintf(stderr, "velmora_mkscenes: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
