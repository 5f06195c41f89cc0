// `velmora --pass-times` and `--frame-times`: a row per scene shown, frames counted without the
// warm-up's, and shares that account for the whole frame.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/support/ci.h"
#include "tests/support/frame_pictures.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/xvfb.h"

namespace {

class PassTimes : public testing::TestWithParam<const char*> {};

TEST_P(PassTimes, OneRowPerSceneShownWithSharesOfTheWholeFrame) {
    if (sharedXvfb()->display.empty()) SKIP_OUTSIDE_CI("Xvfb cannot be started");
    ScratchDir scratch("pass-times");
    // Lawica, three frames: the flock is drawn by an effect slot.
    ProcessResult run = captureProduction(VELMORA_PRODUCTION_DIR, scratch.path,
                                          {"--no-write", GetParam(), "--start", "0:33:0", "--frames", "3",
                                           "--mode", "160x120", "--anisotropy", "0"},
                                          120000);
    ASSERT_FALSE(run.timedOut);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::istringstream lines(run.out);
    std::string line, header;
    int rows = 0;
    while (std::getline(lines, line)) {
        if (line.rfind("scene ", 0) == 0) header = line;
        std::istringstream row(line);
        std::string scene;
        long frames = 0;
        double ms = 0, share = 0, sum = 0, effects = 0;
        if (!(row >> scene >> frames >> ms)) continue;
        ++rows;
        for (int pass = 0; pass < 5; ++pass) {
            char percent = 0;
            ASSERT_TRUE(row >> share >> percent) << line;
            sum += share;
            if (pass == 2) effects = share;
        }
        EXPECT_EQ(scene, "Lawica") << line;
        EXPECT_EQ(frames, 3) << line;
        EXPECT_GT(ms, 0.0) << line;
        EXPECT_NEAR(sum, 100.0, 0.5) << line;
        EXPECT_GT(effects, 0.0) << line;
    }
    EXPECT_NE(header.find("glow"), std::string::npos) << run.out;
    EXPECT_EQ(rows, 1) << run.out;
}

INSTANTIATE_TEST_SUITE_P(WaitingAtEveryPassOrOnceAFrame, PassTimes, testing::Values("--pass-times", "--frame-times"));

}  // namespace
