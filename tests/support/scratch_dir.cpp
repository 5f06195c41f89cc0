#include "tests/support/scratch_dir.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>

ScratchDir::ScratchDir(const std::string& tag) : owner(getpid()) {
    const char* root = std::getenv("TMPDIR");
    std::string pattern = std::string(root && *root ? root : "/tmp") + "/velmora-" + tag + "-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back(0);
    if (!mkdtemp(buffer.data())) throw std::runtime_error("mkdtemp " + pattern);
    path = buffer.data();
}

ScratchDir::ScratchDir(ScratchDir&& other) noexcept : path(std::move(other.path)), owner(other.owner) {
    other.path.clear();
}

ScratchDir::~ScratchDir() {
    if (path.empty() || getpid() != owner) return;
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}
