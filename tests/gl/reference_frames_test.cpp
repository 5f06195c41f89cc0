// Frames of the sample production against committed references: one picture per scene and per shot
// that once came out empty, captured at 320 x 240 and compared at half that size, where the box
// filter evens out rasteriser noise. Every frame must also show something: an empty shot fails even
// when it matches its reference.
// VELMORA_UPDATE_REFERENCES=1 (make references) writes the new pictures in place of the old ones.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/ci.h"
#include "tests/support/frame_pictures.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/xvfb.h"

namespace {

const std::string kReferenceDir = std::string(VELMORA_SOURCE_DIR) + "/tests/references";
const std::string kFailureDir = std::string(VELMORA_BUILD_DIR) + "/tests/references";

// One demo time inside every scene of the production, and in the shots whose camera once looked
// past its subject or whose exposure left nothing to see.
struct Shot {
    const char* name;
    const char* start;
};
const Shot kShots[] = {
    {"login", "0:3:0"},         {"login_keys", "0:10:0"},    {"login_close", "0:14:0"},
    {"rafa", "0:18:0"},         {"lawica", "0:35:0"},        {"wieloryb", "0:50:0"},
    {"wieloryb_under", "0:56:0"}, {"wieloryb_zoom", "1:1:0"}, {"lab", "1:6:0"},
    {"lab_top", "1:12:0"},      {"fraktal", "1:21:0"},       {"obraz", "1:27:500"},
    {"rafa_high", "1:31:0"},    {"koniec", "1:35:0"},
};

// A channel this far off marks a pixel as different; this share of different pixels fails. A missing
// light darkens most of the picture, a missing texture or object a patch of a few hundred pixels.
const int kChannelTolerance = 40;
const double kDifferentShare = 0.004;

Picture halve(const Picture& in) {
    Picture out;
    out.width = in.width / 2;
    out.height = in.height / 2;
    out.bgr.resize(size_t(out.width) * size_t(out.height) * 3);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int dy = 0; dy < 2; ++dy)
                    for (int dx = 0; dx < 2; ++dx)
                        sum += in.bgr[(size_t(2 * y + dy) * size_t(in.width) + size_t(2 * x + dx)) * 3 + size_t(c)];
                out.bgr[(size_t(y) * size_t(out.width) + size_t(x)) * 3 + size_t(c)] = uint8_t((sum + 2) / 4);
            }
    return out;
}

// Share of pixels with a channel beyond the tolerance.
double differentShare(const Picture& a, const Picture& b) {
    size_t different = 0;
    const size_t pixels = size_t(a.width) * size_t(a.height);
    for (size_t p = 0; p < pixels; ++p)
        for (int c = 0; c < 3; ++c)
            if (std::abs(int(a.bgr[p * 3 + size_t(c)]) - int(b.bgr[p * 3 + size_t(c)])) > kChannelTolerance) {
                ++different;
                break;
            }
    return pixels ? double(different) / double(pixels) : 1.0;
}

class ReferenceFrames : public ::testing::TestWithParam<Shot> {};

TEST_P(ReferenceFrames, MatchTheCommittedPicture) {
    const Shot shot = GetParam();
    if (sharedXvfb()->display.empty()) SKIP_OUTSIDE_CI("Xvfb cannot be started");
    ScratchDir scratch(std::string("reference-") + shot.name);
    const std::string& work = scratch.path;

    ProcessResult run = captureProduction(VELMORA_PRODUCTION_DIR, work,
                                          {"--frames", "1", "--start", shot.start, "--mode", "320x240"}, 120000);
    ASSERT_FALSE(run.timedOut);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    Picture captured;
    ASSERT_TRUE(readPicture(framePath(work, 0), &captured)) << run.err;
    ASSERT_EQ(captured.width, 320);
    ASSERT_EQ(captured.height, 240);
    const Picture frame = halve(captured);
    EXPECT_EQ(emptyPictureReason(frame), "") << shot.name << " at " << shot.start << " shows nothing to look at";

    const std::string name = std::string(shot.name) + ".bmp";
    const char* update = std::getenv("VELMORA_UPDATE_REFERENCES");
    if (update && *update && std::strcmp(update, "0") != 0) {
        ASSERT_TRUE(writePicture(kReferenceDir + "/" + name, frame));
        return;
    }
    Picture reference;
    ASSERT_TRUE(readPicture(kReferenceDir + "/" + name, &reference)) << "no reference " << name << " (make references)";
    ASSERT_EQ(reference.width, frame.width);
    ASSERT_EQ(reference.height, frame.height);
    const double share = differentShare(frame, reference);
    if (share > kDifferentShare) {
        std::error_code ignored;
        std::filesystem::create_directories(kFailureDir, ignored);
        writePicture(kFailureDir + "/" + name, frame);
        ADD_FAILURE() << shot.name << " at " << shot.start << ": " << share * 100.0
                      << "% of the pixels differ; the frame is in " << kFailureDir << "/" << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Production, ReferenceFrames, ::testing::ValuesIn(kShots),
                         [](const ::testing::TestParamInfo<Shot>& info) { return std::string(info.param.name); });

}  // namespace
