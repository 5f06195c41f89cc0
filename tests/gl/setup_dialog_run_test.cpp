// The setup dialog as a person meets it: the player started without options, keystrokes from
// xdotool, a screenshot from xwd.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/ci.h"
#include "tests/support/process.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/test_package.h"
#include "tests/support/xvfb.h"

namespace {

class SetupDialogRun : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string missing = windowToolsMissing(&xdotool, &xwd);
        if (!missing.empty()) SKIP_OUTSIDE_CI(missing);
        display = {"DISPLAY=" + sharedXvfb()->display};
        dir = scratch.path;
        std::vector<unsigned char> package = buildTestPackage(
            {{"Demo/Skrypt.txt", "init set global duration 0:5:0 set global end 0:3:0 end_init\nbegin end\n"}}, true);
        writeFile(dir + "/demo.dat", std::string(package.begin(), package.end()));
        // With a person there, a missing music file would first show its message box.
        writeFile(dir + "/demo.ogg", readFile(std::string(VELMORA_PRODUCTION_DIR) + "/demo.ogg"));
        for (int i = 0; i < 768; ++i) {
            ramp += char(i * 77);
            ramp += char(i % 256);
        }
        writeFile(dir + "/gamma", ramp);
    }
    void TearDown() override {
        if (child.pid > 0) {
            kill(child.pid, SIGKILL);
            finish(5000);
        }
    }

    // Starts the player as a plain interactive run and returns its dialog's window id.
    std::string startPlayer(const std::string& data) {
        std::vector<std::string> env = display;
        env.push_back("SDL_AUDIODRIVER=dummy");
        env.push_back("CI=");  // a person is there
        child = startProcess({VELMORA_BINARY, "--data", data, "--gamma-file", dir + "/gamma"}, env, dir);
        ProcessResult found = runProcess({xdotool, "search", "--sync", "--name", "^ +Velmora$"}, display, 30000);
        std::string window = found.out.substr(0, found.out.find('\n'));
        if (window.empty()) {
            kill(child.pid, SIGKILL);
            ADD_FAILURE() << "no setup dialog; the player said: " << finish(5000).err;
        }
        return window;
    }
    ProcessResult finish(int timeoutMs) {
        ProcessResult r = waitProcess(child, timeoutMs);
        child.pid = -1;
        return r;
    }
    ProcessResult keys(const std::string& window, const std::vector<std::string>& names) {
        std::vector<std::string> argv = {xdotool, "windowfocus", "--sync", window, "key"};
        argv.insert(argv.end(), names.begin(), names.end());
        return runProcess(argv, display, 20000);
    }

    std::string xdotool, xwd;
    std::vector<std::string> display;
    ScratchDir scratch{"setup-dialog"};  // removed after the test
    std::string dir;
    std::string ramp;
    ChildProcess child = {-1, -1};
};

uint32_t bigEndian(const std::string& bytes, size_t at) {
    return uint32_t(uint8_t(bytes[at])) << 24 | uint32_t(uint8_t(bytes[at + 1])) << 16 |
           uint32_t(uint8_t(bytes[at + 2])) << 8 | uint32_t(uint8_t(bytes[at + 3]));
}

TEST_F(SetupDialogRun, ShownAt410x320AndEscapeExitsWithoutTouchingTheDisplay) {
    std::string window = startPlayer(dir);
    ASSERT_FALSE(window.empty());
    ASSERT_EQ(runProcess({xwd, "-silent", "-id", window, "-out", dir + "/setup.xwd"}, display).exitCode, 0);
    std::string shot = readFile(dir + "/setup.xwd");
    ASSERT_GE(shot.size(), 100u);
    EXPECT_EQ(bigEndian(shot, 16), 410u);
    EXPECT_EQ(bigEndian(shot, 20), 320u);

    EXPECT_EQ(keys(window, {"Escape"}).exitCode, 0);
    ProcessResult r = finish(20000);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(readFile(dir + "/gamma"), ramp);
}

// The sample production: complete, so no message box waits for a person once the demo starts.
TEST_F(SetupDialogRun, ReturnStartsTheDemoAndTheRampComesBackAtTheEnd) {
    std::string window = startPlayer(VELMORA_PRODUCTION_DIR);
    ASSERT_FALSE(window.empty());
    EXPECT_EQ(keys(window, {"Return"}).exitCode, 0);
    // Started: the main window applies the ramp built from the gamma found, until the end.
    bool applied = false;
    for (int waited = 0; waited < 60000 && !applied; waited += 20) {
        applied = readFile(dir + "/gamma").size() == ramp.size() && readFile(dir + "/gamma") != ramp;
        usleep(20000);
    }
    EXPECT_TRUE(applied);
    kill(child.pid, SIGTERM);
    ProcessResult r = finish(60000);
    EXPECT_EQ(r.exitCode, 128 + SIGTERM) << r.err;
    EXPECT_EQ(readFile(dir + "/gamma"), ramp);
}

TEST_F(SetupDialogRun, TerminatedDuringTheDialogLeavesTheRampAlone) {
    std::string window = startPlayer(dir);
    ASSERT_FALSE(window.empty());
    kill(child.pid, SIGTERM);
    ProcessResult r = finish(20000);
    EXPECT_EQ(r.exitCode, 128 + SIGTERM) << r.err;
    EXPECT_EQ(readFile(dir + "/gamma"), ramp);
}

}  // namespace
