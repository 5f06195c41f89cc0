// The sample production as the build makes it: the player loads all of it without a message, every
// file it refers to is in the package, and the light-shaft programs compile.
#include <GL/gl.h>
#include <GL/glext.h>
#include <dirent.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "data/package.h"
#include "render/program_builder.h"
#include "tests/gl/device_fixture.h"
#include "tests/support/ci.h"
#include "tests/support/process.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/test_package.h"

namespace {

const std::string kProduction = VELMORA_PRODUCTION_DIR;

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

ProcessResult demotool(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {DEMOTOOL_BINARY};
    argv.insert(argv.end(), args.begin(), args.end());
    return runProcess(argv);
}

// m:s:ms in milliseconds, -1 when the word is not a time.
long timeOf(const std::string& word) {
    int m, s, ms;
    char rest;
    return std::sscanf(word.c_str(), "%d:%d:%d%c", &m, &s, &ms, &rest) == 3 ? m * 60000L + s * 1000L + ms : -1;
}

TEST(Production, ThePlayerLoadsItWithoutASingleMessage) {
    if (sharedXvfb()->display.empty()) SKIP_OUTSIDE_CI("Xvfb cannot be started");
    ScratchDir scratch("production");
    const std::string& work = scratch.path;
    ProcessResult r = runProcess({VELMORA_BINARY, "--capture", "--frames", "5", "--data", kProduction, "--output",
                                  work + "/frames"},
                                 {"DISPLAY=" + sharedXvfb()->display, "SDL_AUDIODRIVER=dummy"}, 120000, work);
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    // Only the progress lines and the summary: a capture opens no audio device, so not even its message.
    std::string messages;
    for (size_t at = 0; at < r.err.size();) {
        size_t end = r.err.find('\n', at);
        std::string line = r.err.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (line.rfind("frame ", 0) != 0 && line.rfind("velmora: captured ", 0) != 0) messages += line + "\n";
        at = end == std::string::npos ? r.err.size() : end + 1;
    }
    EXPECT_EQ(messages, "");
    int frames = 0;
    if (DIR* d = opendir((work + "/frames").c_str())) {
        while (dirent* e = readdir(d)) frames += std::string(e->d_name).find(".bmp") != std::string::npos;
        closedir(d);
    }
    EXPECT_EQ(frames, 5);
}

TEST(Production, EveryReferencedFileIsPackedAndFitsWhatUsesIt) {
    const std::string package = kProduction + "/demo.dat";
    ProcessResult check = demotool({"check", package, "--references"});
    EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
    EXPECT_NE(check.out.find(" 0 missing, 0 warnings"), std::string::npos) << check.out;
    EXPECT_EQ(check.err, "");

    ProcessResult list = demotool({"list", package});
    ASSERT_EQ(list.exitCode, 0) << list.err;
    std::set<std::string> packed;
    for (const std::string& line : lines(list.out)) packed.insert(line.substr(line.find(' ') + 1));
    std::set<std::string> families;
    size_t used = 0;
    for (const std::string& line : lines(check.out)) {
        if (line.rfind("uses ", 0) == 0) {
            ++used;
            EXPECT_TRUE(packed.count(line.substr(5))) << line;
        } else if (line.rfind("effect ", 0) == 0) {
            families.insert(line.substr(7, line.find(' ', 7) - 7));
        }
    }
    EXPECT_GT(used, 90u);
    // A null of every effect family stands in some scene.
    for (const char* family : {"fractal", "picture", "blur", "typing", "soft-body", "light-blob", "metaballs",
                               "swimming", "boids", "electro-surface", "electro-ribbon", "bubbles"})
        EXPECT_TRUE(families.count(family)) << family;
}

TEST(Production, TheTimelineRunsUnbrokenPastNinetySeconds) {
    std::string script = readFile(kProduction + "/tree/Demo/Skrypt.txt");
    std::istringstream in(script);
    std::vector<std::string> w;
    for (std::string word; in >> word;) w.push_back(word);
    long duration = -1, end = -1, covered = 0;
    std::set<std::string> scenes;
    std::map<std::string, std::set<std::string>> cameras;
    int collections = 0;
    for (size_t k = 0; k + 1 < w.size(); ++k) {
        if (w[k] == "duration") duration = timeOf(w[k + 1]);
        if (w[k] == "end" && k > 0 && w[k - 1] == "global") end = timeOf(w[k + 1]);
        if (w[k] == "garbage_collection") ++collections;
        if (w[k] == "play" && k + 9 < w.size() && w[k + 1] == "scene") {
            long t1 = timeOf(w[k + 5]), t2 = timeOf(w[k + 7]), t3 = timeOf(w[k + 9]);
            ASSERT_GE(t1, 0) << w[k + 2];
            EXPECT_EQ(t1, covered) << "a gap or an overlap before " << w[k + 2] << " " << w[k + 3];
            covered = t1 + t3 - t2;
            scenes.insert(w[k + 2]);
            cameras[w[k + 2]].insert(w[k + 3]);
        }
    }
    EXPECT_GE(end, 90000);
    EXPECT_LT(end, duration);  // the end restarts a looping demo with its effects reset
    EXPECT_GE(covered, end);   // pictures to the last frame
    EXPECT_GE(scenes.size(), 6u);
    EXPECT_GE(collections, 1);
    for (const auto& scene : cameras) EXPECT_GE(scene.second.size(), 2u) << scene.first;
}

class ShaftPrograms : public DeviceTest {};

TEST_F(ShaftPrograms, CompileAtTheSizesTheBoidsRead) {
    probe();
    const std::string vertex = readFile(kProduction + "/tree/Demo/lights.vsh");
    const std::string fragment = readFile(kProduction + "/tree/Demo/lights.psh");
    ASSERT_EQ(vertex.size(), 1146u);
    ASSERT_EQ(fragment.size(), 1496u);
    loadTestPackage({{"Demo/lights.vsh", vertex}, {"Demo/lights.psh", fragment}});
    auto getProgramiv = reinterpret_cast<PFNGLGETPROGRAMIVARBPROC>(platformGetProcAddress("glGetProgramivARB"));
    ASSERT_NE(getProgramiv, nullptr);
    ProgramBuilder builder = {};
    for (GLenum target : {GLenum(GL_VERTEX_PROGRAM_ARB), GLenum(GL_FRAGMENT_PROGRAM_ARB)}) {
        uint32_t id = 0;
        // A text the driver rejects ends the process, which the fixture turns into a failure.
        loadProgramFile(&builder, &id, target, target == GL_VERTEX_PROGRAM_ARB ? "Demo/lights.vsh" : "Demo/lights.psh");
        EXPECT_NE(id, 0u);
        GLint native = 0;
        getProgramiv(target, GL_PROGRAM_UNDER_NATIVE_LIMITS_ARB, &native);
        EXPECT_EQ(native, 1);
    }
    releaseProgramBuilder(&builder);
    packageRelease();
}

}  // namespace

// The schedule as content authors read it: loading the scenes needs no display, and the clips come in
// time order, each naming a scene and camera or neither.
TEST(Production, TimelineListsTheHeaderClipsAndCollections) {
    ProcessResult r = demotool({"timeline", kProduction + "/demo.dat"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::istringstream lines(r.out);
    std::string line;
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_EQ(line.rfind("header maxscenes 8 duration ", 0), 0u) << line;
    int clips = 0, collections = 0;
    long previous = -1;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string kind, scene, camera;
        long start = 0, offset = 0;
        words >> kind >> start;
        if (kind == "gc") {
            ++collections;
            continue;
        }
        ASSERT_EQ(kind, "clip") << line;
        ASSERT_TRUE(words >> offset >> scene >> camera) << line;
        EXPECT_EQ(scene == "-", camera == "-") << line;
        EXPECT_GE(start, previous) << line;
        previous = start;
        ++clips;
    }
    EXPECT_GT(clips, 8);
    EXPECT_GT(collections, 0);
}
