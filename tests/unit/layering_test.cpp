// The engine's folders are layers, ground first. The build already refuses an include that points up
// (each layer compiles against an include root of its own and the layers below); this reads the
// source lines too, so that a header reached some other way, a GL call in a GL-free layer or a lower
// layer ending the process is caught by name.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/process.h"

namespace {

namespace fs = std::filesystem;

// Rank of each engine folder: a file may include its own folder and any of lower or equal rank.
const std::map<std::string, int> kRank = {
    {"platform", 0}, {"base", 0}, {"data", 1}, {"scene", 2}, {"render", 3},
    {"effects", 4},  {"timeline", 5}, {"app", 6},
};

struct Source {
    std::string folder;
    std::string path;  // relative to the source tree
    std::string text;
};

std::vector<Source> engineSources() {
    std::vector<Source> out;
    const fs::path root = VELMORA_SOURCE_DIR;
    for (const auto& [folder, rank] : kRank) {
        (void)rank;
        for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
            const std::string ext = entry.path().extension().string();
            if (ext != ".cpp" && ext != ".h") continue;
            out.push_back({folder, fs::relative(entry.path(), root).string(), readFile(entry.path().string())});
        }
    }
    return out;
}

std::vector<std::string> matches(const std::string& text, const std::regex& pattern, int group = 0) {
    std::vector<std::string> out;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern); it != std::sregex_iterator(); ++it)
        out.push_back((*it)[group].str());
    return out;
}

TEST(Layering, EveryIncludePointsDownOrSideways) {
    const std::regex include(R"(#include\s+"(\w+)/)");
    const std::vector<Source> sources = engineSources();
    ASSERT_GT(sources.size(), 100u);
    for (const Source& s : sources)
        for (const std::string& target : matches(s.text, include, 1)) {
            auto rank = kRank.find(target);
            if (rank == kRank.end()) continue;  // generated or third-party
            EXPECT_LE(rank->second, kRank.at(s.folder)) << s.path << " includes " << target << "/";
        }
}

TEST(Layering, ReadersAndTheTimelineMakeNoGlCall) {
    const std::regex gl(R"((#include\s+<GL/|\bgl[A-Z]\w*\s*\(|glEntryPoints))");
    for (const Source& s : engineSources()) {
        if (s.folder != "base" && s.folder != "data" && s.folder != "scene" && s.folder != "timeline") continue;
        const std::vector<std::string> calls = matches(s.text, gl);
        EXPECT_TRUE(calls.empty()) << s.path << " uses GL: " << calls.front();
    }
}

TEST(Layering, OnlyTheTopEndsTheProcess) {
    // base/report.cpp holds the plain exit of programs that install no end hook.
    const std::regex ending(R"(\b(std::)?(exit|_Exit|abort|quick_exit)\s*\()");
    for (const Source& s : engineSources()) {
        if (s.folder == "app" || s.path == "base/report.cpp") continue;
        const std::vector<std::string> calls = matches(s.text, ending);
        EXPECT_TRUE(calls.empty()) << s.path << " ends the process: " << calls.front();
    }
}

}  // namespace
