// Frames of the sample production against committed references: one picture per scene, captured at
// 320 x 240 and compared at half that size, where the box filter evens out rasteriser noise.
// VELMORA_UPDATE_REFERENCES=1 (make references) writes the new pictures in place of the old ones.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/capture.h"
#include "tests/support/ci.h"
#include "tests/support/process.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/xvfb.h"

namespace {

const std::string kReferenceDir = std::string(VELMORA_SOURCE_DIR) + "/tests/references";
const std::string kFailureDir = std::string(VELMORA_BUILD_DIR) + "/tests/references";

// One demo time inside every scene of the production.
struct Shot {
    const char* name;
    const char* start;
};
const Shot kShots[] = {
    {"login", "0:3:0"},    {"rafa", "0:18:0"},  {"lawica", "0:35:0"}, {"wieloryb", "0:50:0"},
    {"lab", "1:6:0"},      {"fraktal", "1:21:0"}, {"obraz", "1:27:500"}, {"rafa_high", "1:31:0"},
    {"koniec", "1:35:0"},
};

// A channel this far off marks a pixel as different; this share of different pixels fails. A missing
// light darkens most of the picture, a missing texture or object a patch of a few hundred pixels.
const int kChannelTolerance = 40;
const double kDifferentShare = 0.004;

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bgr;  // bottom row first, tightly packed
};

bool readBmp(const std::string& path, Picture* picture) {
    const std::string bytes = readFile(path);
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') return false;
    BmpInfoHeader info;
    std::memcpy(&info, bytes.data() + 14, sizeof info);
    uint32_t offset;
    std::memcpy(&offset, bytes.data() + 10, 4);
    if (info.bitCount != 24 || info.width <= 0 || info.height <= 0) return false;
    const size_t row = size_t(bmpRowSize(info.width));
    if (bytes.size() < offset + row * size_t(info.height)) return false;
    picture->width = info.width;
    picture->height = info.height;
    picture->bgr.resize(size_t(info.width) * size_t(info.height) * 3);
    for (int y = 0; y < info.height; ++y)
        std::memcpy(&picture->bgr[size_t(y) * size_t(info.width) * 3], bytes.data() + offset + size_t(y) * row,
                    size_t(info.width) * 3);
    return true;
}

bool writePicture(const std::string& path, const Picture& picture) {
    BmpInfoHeader info;
    fillBmpHeader(&info, picture.width, picture.height);
    const size_t row = size_t(bmpRowSize(picture.width));
    std::vector<uint8_t> padded(row * size_t(picture.height), 0);
    for (int y = 0; y < picture.height; ++y)
        std::memcpy(&padded[size_t(y) * row], &picture.bgr[size_t(y) * size_t(picture.width) * 3],
                    size_t(picture.width) * 3);
    return writeBmp(path.c_str(), &info, padded.data()) == 0;
}

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

    ProcessResult run = runProcess({VELMORA_BINARY, "--capture", "--frames", "1", "--start", shot.start, "--mode",
                                    "320x240", "--windowed", "--no-music", "--batch", "--data", VELMORA_PRODUCTION_DIR,
                                    "--output", work},
                                   {"DISPLAY=" + sharedXvfb()->display, "SDL_AUDIODRIVER=dummy"}, 120000, work);
    ASSERT_FALSE(run.timedOut);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    Picture captured;
    ASSERT_TRUE(readBmp(work + "/demo00000.bmp", &captured)) << run.err;
    ASSERT_EQ(captured.width, 320);
    ASSERT_EQ(captured.height, 240);
    const Picture frame = halve(captured);

    const std::string name = std::string(shot.name) + ".bmp";
    const char* update = std::getenv("VELMORA_UPDATE_REFERENCES");
    if (update && *update && std::strcmp(update, "0") != 0) {
        ASSERT_TRUE(writePicture(kReferenceDir + "/" + name, frame));
        return;
    }
    Picture reference;
    ASSERT_TRUE(readBmp(kReferenceDir + "/" + name, &reference)) << "no reference " << name << " (make references)";
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
