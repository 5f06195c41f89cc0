// scripts/capture-parallel.sh: the first 20 s in four spans rendered side by side give the frames and
// the soundtrack of one capture, byte for byte, and one video holding every frame.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/ci.h"
#include "tests/support/frame_pictures.h"
#include "tests/support/process.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/xvfb.h"

namespace {

TEST(ParallelCapture, SpansJoinIntoTheCaptureOfOneRun) {
    if (sharedXvfb()->display.empty()) SKIP_OUTSIDE_CI("Xvfb cannot be started");
    if (toolPath("parallel").empty() || toolPath("ffmpeg").empty() || toolPath("ffprobe").empty())
        SKIP_OUTSIDE_CI("GNU parallel or ffmpeg is not installed");
    ScratchDir scratch("parallel-capture");
    const std::vector<std::string> env = {"DISPLAY=" + sharedXvfb()->display, "SDL_AUDIODRIVER=dummy",
                                          "PATH=" + std::string(std::getenv("PATH"))};
    const std::vector<std::string> player = {"--mode", "160x120", "--anisotropy", "0", "--windowed", "--batch"};
    const std::string joined = scratch.path + "/joined", single = scratch.path + "/single";

    std::vector<std::string> argv = {"/bin/bash", std::string(VELMORA_SOURCE_DIR) + "/scripts/capture-parallel.sh",
                                     "--data", VELMORA_PRODUCTION_DIR, "--output", joined, "--fps", "2", "--span",
                                     "5", "--to", "20", "--jobs", "2", "--velmora", VELMORA_BINARY, "--video",
                                     scratch.path + "/joined.mkv", "--"};
    argv.insert(argv.end(), player.begin(), player.end());
    ProcessResult run = runProcess(argv, env, 400000, scratch.path);
    ASSERT_FALSE(run.timedOut);
    ASSERT_EQ(run.exitCode, 0) << run.err;

    argv = {VELMORA_BINARY, "--data", VELMORA_PRODUCTION_DIR, "--capture", "--no-setup", "--fps", "2",
            "--frames", "40", "--output", single};
    argv.insert(argv.end(), player.begin(), player.end());
    run = runProcess(argv, env, 400000, scratch.path);
    ASSERT_EQ(run.exitCode, 0) << run.err;

    for (int n = 0; n < 40; ++n) {
        const std::string frame = readFile(framePath(joined, n));
        ASSERT_FALSE(frame.empty()) << "frame " << n;
        EXPECT_TRUE(frame == readFile(framePath(single, n))) << "frame " << n;
    }
    EXPECT_EQ(access(framePath(joined, 40).c_str(), F_OK), -1) << "no frame past 20 s";
    const std::string sound = readFile(single + "/demo.wav");
    EXPECT_GT(sound.size(), 20u * 44100 * 4);
    EXPECT_TRUE(readFile(joined + "/demo.wav") == sound) << "the joined soundtrack differs";

    run = runProcess({toolPath("ffprobe"), "-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                      "stream=nb_read_frames", "-of", "csv=p=0", scratch.path + "/joined.mkv"},
                     env, 60000);
    EXPECT_EQ(run.out, "40\n") << run.err;
}

}  // namespace
