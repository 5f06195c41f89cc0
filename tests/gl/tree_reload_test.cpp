// Playing an unpacked production folder: the same frames as its package, and saved files shown at
// the next frame while the demo runs.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "tests/support/ci.h"
#include "tests/support/frame_pictures.h"
#include "tests/support/process.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/xvfb.h"
#include "tools/lightwave/lw_writer.h"

namespace {

const std::string kProduction = VELMORA_PRODUCTION_DIR;

bool exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

TEST(ProductionTree, PlaysTheSameFramesAsItsPackage) {
    if (sharedXvfb()->display.empty()) SKIP_OUTSIDE_CI("Xvfb cannot be started");
    ScratchDir scratch("tree-frames");
    // The typing text, and the flock that simulates from its scene's start.
    for (const char* start : {"0:5:0", "0:34:0"}) {
        SCOPED_TRACE(start);
        const std::string packed = scratch.path + "/packed", tree = scratch.path + "/tree";
        mkdir(packed.c_str(), 0755);
        mkdir(tree.c_str(), 0755);
        const std::vector<std::string> options = {"--start", start, "--frames", "3", "--fps", "10", "--mode", "160x120"};
        ProcessResult a = captureProduction(kProduction, packed, options, 300000);
        std::vector<std::string> fromTree = options;
        fromTree.insert(fromTree.end(), {"--tree", kProduction + "/tree"});
        ProcessResult b = captureProduction(kProduction, tree, fromTree, 300000);
        ASSERT_EQ(a.exitCode, 0) << a.err;
        ASSERT_EQ(b.exitCode, 0) << b.err;
        for (int n = 0; n < 3; ++n) {
            const std::string frame = readFile(framePath(packed, n));
            ASSERT_FALSE(frame.empty());
            EXPECT_TRUE(frame == readFile(framePath(tree, n))) << "frame " << n;
        }
        Picture picture;
        ASSERT_TRUE(readPicture(framePath(tree, 2), &picture));
        EXPECT_EQ(emptyPictureReason(picture), "");
    }
}

// A folder with one scene seen through its camera: the backdrop fills the frame, brightened by the
// colour operation whose envelope the setup row names.
struct Authoring {
    std::string dir;
    void scene(float red, bool damaged = false) const {
        LwScene lws;
        lws.cameras.push_back(LwCamera());
        lws.backdropColor[0] = red;
        lws.backdropColor[1] = lws.backdropColor[2] = 0.2f;
        std::string text = writeLws(lws);
        // An author's half-finished edit: a word where a number belongs.
        if (damaged) text.replace(text.find("BackdropColor ") + 14, 1, "red");
        save("Demo/Scene.lws", text);
    }
    void brightness(float value) const { save("Demo/Bright.env", writeEnvelope(lwConstant(value))); }
    // Written beside and moved over, as editors save.
    void save(const std::string& name, const std::string& text) const {
        writeFile(dir + "/" + name + ".new", text);
        std::rename((dir + "/" + name + ".new").c_str(), (dir + "/" + name).c_str());
    }
};

int lastFrame(const std::string& out) {
    int n = -1;
    while (exists(framePath(out, n + 1))) ++n;
    return n;
}

// Waits until frame n has been written (the player is on a later one); false when the run ended.
bool waitForFrame(const std::string& out, int n, pid_t pid) {
    for (int k = 0; k < 60000; ++k) {
        if (exists(framePath(out, n + 1))) return true;
        if (kill(pid, 0) != 0) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

// Centre pixel, red and green.
std::pair<int, int> centre(const std::string& out, int n) {
    Picture picture;
    if (!readPicture(framePath(out, n), &picture)) return {-1, -1};
    const uint8_t* p = &picture.bgr[(size_t(picture.height / 2) * picture.width + picture.width / 2) * 3];
    return {p[2], p[1]};
}

TEST(ProductionTree, SavedFilesShowAtTheNextFramesAndABrokenSaveKeepsThePreviousScene) {
    if (sharedXvfb()->display.empty()) SKIP_OUTSIDE_CI("Xvfb cannot be started");
    ScratchDir scratch("tree-reload");
    Authoring tree{scratch.path + "/tree"};
    const std::string out = scratch.path + "/out";
    mkdir(tree.dir.c_str(), 0755);
    mkdir((tree.dir + "/Demo").c_str(), 0755);
    mkdir(out.c_str(), 0755);
    writeFile(tree.dir + "/Demo/Skrypt.txt",
              "init set global duration 1:0:0 set global end 1:0:0 end_init\n"
              "begin load scene One Demo/Scene.lws play scene One Camera from 0:0:0 start 0:0:0 end 1:0:0 end\n");
    writeFile(tree.dir + "/Demo/ClipScript.txt", "end\n");
    // Colour operations are applied by the glow pass; a glow of colour 0 adds nothing else.
    writeFile(tree.dir + "/Demo/SceneSetup.txt",
              "scene Demo/Scene.lws\n brightness animated Demo/Bright.env\n glow 1 4\n glowColour 0 0 0 0\nend\n");
    tree.scene(0.2f);
    tree.brightness(0);

    ChildProcess child = startProcess({VELMORA_BINARY, "--capture", "--windowed", "--no-music", "--batch", "--fps",
                                       "25", "--frames", "1500", "--mode", "64x48", "--tree", tree.dir, "--output", out},
                                      {"DISPLAY=" + sharedXvfb()->display, "SDL_AUDIODRIVER=dummy"}, scratch.path);
    // The player is held still while the author saves, so that it cannot run past the edits.
    ASSERT_TRUE(waitForFrame(out, 1, child.pid)) << waitProcess(child, 1000).err;
    kill(child.pid, SIGSTOP);
    const std::pair<int, int> before = centre(out, 0);
    tree.scene(0.6f);
    tree.brightness(0.25f);
    int edited = lastFrame(out) + 1;
    kill(child.pid, SIGCONT);
    ASSERT_TRUE(waitForFrame(out, edited + 3, child.pid)) << waitProcess(child, 1000).err;
    kill(child.pid, SIGSTOP);
    const std::pair<int, int> after = centre(out, edited + 3);
    tree.scene(0.9f, true);
    edited = lastFrame(out) + 1;
    kill(child.pid, SIGCONT);
    ASSERT_TRUE(waitForFrame(out, edited + 3, child.pid)) << waitProcess(child, 1000).err;
    const std::pair<int, int> kept = centre(out, edited + 3);
    kill(child.pid, SIGTERM);
    ProcessResult r = waitProcess(child, 60000);

    // The new backdrop raises red, the new envelope raises every channel; green shows the envelope.
    EXPECT_GT(after.first, before.first + 60) << r.err;
    EXPECT_GT(after.second, before.second + 30) << r.err;
    EXPECT_EQ(kept, after) << r.err;
    EXPECT_NE(r.err.find("velmora: reloaded scene One"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Scene Demo/Scene.lws"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("(still showing the previous version of scene One)"), std::string::npos) << r.err;
}

}  // namespace
