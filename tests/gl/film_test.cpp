// The sample production as a film: one frame a second over the whole timeline at 160 x 120, and every
// second from 0:01 on must show its scene, not black, a flat colour or a blown-out white. The first
// second is the fade-in from black; the last frame is the end of the timeline itself, where the
// closing fade has reached black.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/support/ci.h"
#include "tests/support/frame_pictures.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/xvfb.h"

namespace {

std::string minutesSeconds(int second) {
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d", second / 60, second % 60);
    return text;
}

TEST(Film, EverySecondShowsItsScene) {
    if (sharedXvfb()->display.empty()) SKIP_OUTSIDE_CI("Xvfb cannot be started");
    ScratchDir scratch("film");
    // Without anisotropy: llvmpipe's anisotropic filter walks unbounded footprints on small pictures
    // (several seconds a frame of Lawica at this size), and what is checked here does not depend on it.
    ProcessResult run = captureProduction(VELMORA_PRODUCTION_DIR, scratch.path,
                                          {"--fps", "1", "--mode", "160x120", "--anisotropy", "0"}, 300000);
    ASSERT_FALSE(run.timedOut);
    ASSERT_EQ(run.exitCode, 0) << run.err;

    int frames = 0;
    Picture picture;
    while (readPicture(framePath(scratch.path, frames), &picture)) ++frames;
    ASSERT_GT(frames, 60) << "a film of a minute and more, one frame a second";

    std::string empty;
    for (int second = 1; second + 1 < frames; ++second) {
        ASSERT_TRUE(readPicture(framePath(scratch.path, second), &picture));
        ASSERT_EQ(picture.width, 160);
        const std::string reason = emptyPictureReason(picture);
        if (!reason.empty()) empty += "\n  " + minutesSeconds(second) + " " + reason;
    }
    EXPECT_TRUE(empty.empty()) << "seconds with nothing to look at:" << empty;
}

}  // namespace
