// A frame at demo time T is the same whether the player played up to it or started there: a capture
// from --start catches its simulated effects (flocks, soft bodies, bubbles) up, so its frames equal
// those of a capture from the timeline's start, byte for byte, in every scene, inside a clip and at
// a clip boundary. Rafa is checked at its second showing too, where its plumes resume.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "tests/support/ci.h"
#include "tests/support/frame_pictures.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/xvfb.h"

namespace {

const std::vector<std::string> kOptions = {"--fps", "1", "--mode", "160x120", "--anisotropy", "0"};

// Share of pixels that differ, for the message.
double differing(const Picture& a, const Picture& b) {
    if (a.bgr.size() != b.bgr.size() || a.bgr.empty()) return 1.0;
    size_t n = 0;
    for (size_t p = 0; p < a.bgr.size(); p += 3)
        n += a.bgr[p] != b.bgr[p] || a.bgr[p + 1] != b.bgr[p + 1] || a.bgr[p + 2] != b.bgr[p + 2];
    return double(n) / double(a.bgr.size() / 3);
}

TEST(ExactSeek, LateStartsGiveTheFramesOfACaptureFromTheStart) {
    if (sharedXvfb()->display.empty()) SKIP_OUTSIDE_CI("Xvfb cannot be started");
    // Each start is a clip boundary of its scene (its first frame shows the clip before, the next
    // ones the clip after, one and two seconds into it).
    struct Start {
        const char* scene;
        int second;
    } starts[] = {{"Login", 7},   {"Rafa", 22},    {"Lawica", 38}, {"Wieloryb", 54}, {"Lab", 70},
                  {"Fraktal", 84}, {"Obraz", 87},  {"Rafa again", 90}, {"Koniec", 99}};
    const int frames = 3, lastSecond = 99 + frames - 1;

    ScratchDir scratch("exact-seek");
    const std::string film = scratch.path + "/film";
    mkdir(film.c_str(), 0755);
    std::vector<std::string> options = kOptions;
    options.insert(options.end(), {"--frames", std::to_string(lastSecond + 1)});
    ProcessResult run = captureProduction(VELMORA_PRODUCTION_DIR, film, options, 400000);
    ASSERT_FALSE(run.timedOut);
    ASSERT_EQ(run.exitCode, 0) << run.err;

    for (const Start& start : starts) {
        SCOPED_TRACE(start.scene);
        const std::string dir = scratch.path + "/" + std::to_string(start.second);
        mkdir(dir.c_str(), 0755);
        options = kOptions;
        options.insert(options.end(),
                       {"--start", std::to_string(start.second * 1000), "--frames", std::to_string(frames)});
        run = captureProduction(VELMORA_PRODUCTION_DIR, dir, options, 120000);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        for (int k = 0; k < frames; ++k) {
            Picture seeked, played;
            ASSERT_TRUE(readPicture(framePath(dir, k), &seeked));
            ASSERT_TRUE(readPicture(framePath(film, start.second + k), &played));
            EXPECT_TRUE(seeked.bgr == played.bgr)
                << "at " << start.second + k << " s " << differing(seeked, played) * 100 << " % of the pixels differ";
            // The frames show the scene, so equal frames are not two black ones.
            if (k > 0) {
                EXPECT_EQ(emptyPictureReason(played), "") << "at " << start.second + k << " s";
            }
        }
    }
}

}  // namespace
