// An unpacked production folder read as the package, and the watch that sees an author's saves.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <thread>

#include "data/package.h"
#include "platform/platform.h"
#include "tests/support/process.h"
#include "tests/support/scratch_dir.h"

namespace {

std::string entryText(const char* path) {
    DemoFile file = fileOpen(path, "rb");
    if (!file) return "<missing>";
    std::string text(fileSize(file), '\0');
    fileRead(&text[0], 1, text.size(), file);
    fileClose(file);
    return text;
}

TEST(PackageTree, AFolderGivesTheEntriesPackingWouldStore) {
    ScratchDir dir("tree");
    mkdir((dir.path + "/Demo").c_str(), 0755);
    mkdir((dir.path + "/Demo/Obj").c_str(), 0755);
    writeFile(dir.path + "/Demo/Skrypt.txt", "init end_init");
    writeFile(dir.path + "/Demo/Obj/Ryba.lwo", std::string("\0\1\2", 3));
    writeFile(dir.path + "/Demo/Empty.env", "");
    writeFile(dir.path + "/demo.ogg", "OggS");

    std::vector<TreeFile> files;
    std::string problem;
    ASSERT_TRUE(readPackageTree(dir.path.c_str(), &files, &problem)) << problem;
    std::vector<std::string> names;
    for (const TreeFile& f : files) names.push_back(f.name);
    // Sorted by path, subfolders joined with '/': the same folder always gives the same package.
    EXPECT_EQ(names, (std::vector<std::string>{"Demo/Empty.env", "Demo/Obj/Ryba.lwo", "Demo/Skrypt.txt", "demo.ogg"}));

    ASSERT_TRUE(packageLoadTree(dir.path.c_str()));
    EXPECT_EQ(package()->entryCount, 4u);
    EXPECT_EQ(entryText("Demo/Skrypt.txt"), "init end_init");
    EXPECT_EQ(entryText("Demo/Obj/Ryba.lwo"), std::string("\0\1\2", 3));
    EXPECT_EQ(entryText("Demo/Empty.env"), "");
    packageRelease();

    // A folder that cannot be used leaves what was loaded before alone.
    ASSERT_TRUE(packageLoadTree(dir.path.c_str()));
    EXPECT_FALSE(packageLoadTree((dir.path + "/none").c_str()));
    EXPECT_EQ(entryText("Demo/Skrypt.txt"), "init end_init");
    const std::string deep = dir.path + "/Demo/" + std::string(130, 'x');
    mkdir(deep.c_str(), 0755);
    writeFile(deep + "/" + std::string(130, 'y'), "");
    EXPECT_FALSE(readPackageTree(dir.path.c_str(), &files, &problem));
    EXPECT_NE(problem.find("longer than 255"), std::string::npos) << problem;
    packageRelease();
}

void collect(void* user, const char* path) { static_cast<std::set<std::string>*>(user)->insert(path); }

// Events arrive asynchronously; a few tries give them time.
std::set<std::string> changesAfter(PlatformWatch* watch) {
    std::set<std::string> seen;
    for (int k = 0; k < 50 && seen.empty(); ++k) {
        platformWatchChanges(watch, collect, &seen);
        if (seen.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return seen;
}

TEST(PackageTree, TheWatchReportsSavedFilesByTheirPathInTheFolder) {
    ScratchDir dir("watch");
    mkdir((dir.path + "/Demo").c_str(), 0755);
    writeFile(dir.path + "/Demo/Scene.lws", "old");
    PlatformWatch* watch = platformWatchTree(dir.path.c_str());
    ASSERT_NE(watch, nullptr);
    std::set<std::string> none;
    EXPECT_EQ(platformWatchChanges(watch, collect, &none), 0);

    struct Case {
        const char* what;
        std::function<void()> edit;
        std::set<std::string> expected;
    };
    const Case cases[] = {
        {"written in place", [&] { writeFile(dir.path + "/Demo/Scene.lws", "new"); }, {"Demo/Scene.lws"}},
        // Editors save to a new file and move it over the old one.
        {"moved over",
         [&] {
             writeFile(dir.path + "/Demo/.Scene.lws.tmp", "newer");
             std::rename((dir.path + "/Demo/.Scene.lws.tmp").c_str(), (dir.path + "/Demo/Scene.lws").c_str());
         },
         {"Demo/.Scene.lws.tmp", "Demo/Scene.lws"}},
        {"deleted", [&] { std::remove((dir.path + "/Demo/Scene.lws").c_str()); }, {"Demo/Scene.lws"}},
        {"in a folder made after the watch began",
         [&] {
             mkdir((dir.path + "/Demo/Env").c_str(), 0755);
             changesAfter(watch);
             writeFile(dir.path + "/Demo/Env/Zoom.env", "1");
         },
         {"Demo/Env/Zoom.env"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.edit();
        std::set<std::string> seen = changesAfter(watch);
        // A second look a moment later catches the rest of a burst.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        platformWatchChanges(watch, collect, &seen);
        EXPECT_EQ(seen, c.expected);
    }
    platformWatchClose(watch);
}

}  // namespace
