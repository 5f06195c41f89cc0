// An unpacked production folder read as the package: the files "demotool pack" would store.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/report.h"
#include "data/package.h"

namespace fs = std::filesystem;

bool readPackageTree(const char* dir, std::vector<TreeFile>* files, std::string* problem) {
    files->clear();
    const fs::path root = dir;
    std::error_code error;
    if (!fs::is_directory(root, error)) {
        *problem = "it is not a folder";
        return false;
    }
    std::vector<std::string> names;
    for (auto it = fs::recursive_directory_iterator(root, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error)) {
        std::error_code kindError;
        if (it->is_regular_file(kindError)) names.push_back(fs::relative(it->path(), root).generic_string());
    }
    if (error) {
        *problem = error.message();
        return false;
    }
    std::sort(names.begin(), names.end());
    files->resize(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i].size() >= PACKAGE_NAME_LENGTH) {
            *problem = "the path " + names[i] + " is longer than 255 bytes";
            return false;
        }
        std::ifstream in(root / names[i], std::ios::binary);
        (*files)[i].name = names[i];
        (*files)[i].bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (!in.is_open() || in.bad()) {
            *problem = names[i] + " cannot be read";
            return false;
        }
    }
    return true;
}

bool packageLoadTree(const char* dir) {
    std::vector<TreeFile> files;
    std::string problem;
    if (!readPackageTree(dir, &files, &problem)) {
        showError("The production folder \"%s\" cannot be used: %s.", dir, problem.c_str());
        return false;
    }
    std::vector<PackageSource> sources(files.size());
    for (size_t i = 0; i < files.size(); ++i)
        sources[i] = {files[i].name.c_str(), files[i].bytes.data(), static_cast<uint32_t>(files[i].bytes.size())};
    std::vector<uint8_t> bytes = packageBuild(sources.data(), static_cast<int>(sources.size()), false);
    if (bytes.empty()) {
        showError("The production folder \"%s\" cannot be used: its package cannot be built.", dir);
        return false;
    }
    return packageLoadBytes(bytes.data(), bytes.size(), dir);
}
