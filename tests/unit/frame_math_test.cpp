// The pure parts of the frame loop: picture fitting, border bars, gamma ramps, BMP layout.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/capture.h"
#include "app/demo_context.h"
#include "app/frame_loop.h"
#include "app/gamma.h"
#include "platform/platform.h"
#include "render/screen.h"
#include "tests/support/process.h"
#include "tests/support/scratch_dir.h"

namespace {

TEST(Picture, IsTheLargestCentred4By3RectangleWithBars) {
    int32_t w, h;
    fitPicture(800, 600, &w, &h);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    EXPECT_EQ(borderBars(800, 600, w, h).count, 0);

    fitPicture(1000, 600, &w, &h);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    BorderBars bars = borderBars(1000, 600, w, h);
    ASSERT_EQ(bars.count, 2);
    EXPECT_EQ(bars.width[0], 100);
    EXPECT_EQ(bars.height[0], 600);
    EXPECT_EQ(bars.x[1], 900);
    EXPECT_EQ(bars.width[1], 100);

    // A window one row taller than a 4:3 mode: horizontal bars of zero rows.
    fitPicture(640, 481, &w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    bars = borderBars(640, 481, w, h);
    ASSERT_EQ(bars.count, 2);
    EXPECT_EQ(bars.height[0], 0);
    EXPECT_EQ(bars.y[1], 480);

    fitPicture(640, 600, &w, &h);
    bars = borderBars(640, 600, w, h);
    EXPECT_EQ(bars.height[0], 60);
    EXPECT_EQ(bars.y[1], 540);
}

TEST(Picture, NeverGetsAZeroSide) {
    int32_t w, h;
    fitPicture(1000, 0, &w, &h);
    EXPECT_GE(w, 1);
    EXPECT_GE(h, 1);
    fitPicture(0, 0, &w, &h);
    EXPECT_EQ(w, 1);
    EXPECT_EQ(h, 1);
    fitPicture(1, 500, &w, &h);
    EXPECT_EQ(w, 1);
    EXPECT_EQ(h, 1);
}

TEST(Picture, ResizeSetsTheFlagAndTheClientSize) {
    static DemoContext context;
    resetSettings(&context.render.settings);
    resetTimeline(&context.timeline);
    onResize(&context, 1000, 600);
    EXPECT_EQ(context.render.resized, 1);
    EXPECT_EQ(context.render.settings.clientWidth, 1000);
    EXPECT_EQ(context.render.settings.width, 800);
}

GammaRamp rampOf(uint16_t (*f)(int)) {
    GammaRamp r;
    for (int i = 0; i < GAMMA_RAMP_ENTRIES; ++i) r.entries[i] = f(i % 256);
    return r;
}

// The loading screen is repainted only when this changes: whole pixels of the bar's end, which
// several progress steps can share.
TEST(Picture, LoadingBarEndFollowsTheProgressInPixels) {
    static RenderState render;
    render.settings.width = 640;
    render.progressTotal = 552;
    const struct {
        int32_t progress, pixels;
    } cases[] = {{0, 156}, {1, 157}, {2, 157}, {3, 158}, {276, 316}, {552, 476}};  // 1 and 2: no repaint
    for (const auto& c : cases) {
        render.progress = c.progress;
        EXPECT_EQ(loadingBarPixels(&render), c.pixels) << c.progress;
    }
    render.progressTotal = 0;  // nothing to load: an empty bar
    EXPECT_EQ(loadingBarPixels(&render), 156);
}

TEST(Gamma, IdentityRampGivesGammaOneAndRebuildsItself) {
    GammaRamp identity = rampOf([](int i) { return static_cast<uint16_t>(i * 256); });
    float g = gammaFromRamp(&identity);
    EXPECT_EQ(g, 1.0f);
    GammaTriple triple = {g, g, g};
    GammaRamp built;
    buildGammaRamp(&triple, &built);
    for (int i = 0; i < GAMMA_RAMP_ENTRIES; ++i) ASSERT_EQ(built.entries[i], identity.entries[i]) << i;
}

TEST(Gamma, ExtremeRampsAreClamped) {
    GammaRamp dark = rampOf([](int) { return static_cast<uint16_t>(0); });
    EXPECT_EQ(gammaFromRamp(&dark), 0.5f);
    GammaRamp low = rampOf([](int) { return static_cast<uint16_t>(100); });
    EXPECT_EQ(gammaFromRamp(&low), 0.5f);
    GammaRamp bright = rampOf([](int) { return static_cast<uint16_t>(65535); });
    EXPECT_EQ(gammaFromRamp(&bright), 3.5f);
    // X servers whose identity is i * 257 read as a gamma just above 1.
    GammaRamp x11 = rampOf([](int i) { return static_cast<uint16_t>(i * 257); });
    EXPECT_NEAR(gammaFromRamp(&x11), 1.0056, 1e-3);
}

TEST(Gamma, BuiltRampsStayInRangeAndRise) {
    for (float g : {0.5f, 1.7f, 3.5f}) {
        GammaTriple triple = {g, g, g};
        GammaRamp built;
        buildGammaRamp(&triple, &built);
        EXPECT_EQ(built.entries[0], 0);
        for (int i = 1; i < 256; ++i) ASSERT_GE(built.entries[i], built.entries[i - 1]);
        EXPECT_EQ(built.entries[128],
                  static_cast<uint16_t>(std::pow(128 / 256.0, 1.0 / g) * 65536.0));
    }
}

// Two displays whose CRTCs keep ramps of different sizes, each a calibration of its own.
struct FakeCrtcs {
    std::vector<uint16_t> ramps[2];
    int writes;
};
FakeCrtcs gCrtcs;
const GammaCrtcAccess kFakeCrtcs = {
    [] { return 2; },
    [](int c) { return int(gCrtcs.ramps[c].size() / 3); },
    [](int c, uint16_t* entries) {
        std::copy(gCrtcs.ramps[c].begin(), gCrtcs.ramps[c].end(), entries);
        return true;
    },
    [](int c, const uint16_t* entries) {
        std::copy(entries, entries + gCrtcs.ramps[c].size(), gCrtcs.ramps[c].begin());
        ++gCrtcs.writes;
        return true;
    },
};

TEST(Gamma, EveryCrtcGetsTheCurveAtItsSizeAndItsOwnRampBack) {
    const int sizes[2] = {256, 1024};
    std::vector<uint16_t> found[2];
    for (int c = 0; c < 2; ++c) {
        for (int i = 0; i < 3 * sizes[c]; ++i)
            found[c].push_back(static_cast<uint16_t>((i % sizes[c]) * (65535 / sizes[c]) + c * 7 + i / sizes[c]));
        gCrtcs.ramps[c] = found[c];
    }
    platformUseGammaAccess(&kFakeCrtcs);
    gammaProbe(nullptr);
    // The first CRTC's middle entry, 128 * 255 + 0, reads as a gamma of about 1.
    const float g = gammaTriple()->red;
    EXPECT_NEAR(g, 1.0, 0.01);
    *gammaTriple() = {0.5f, 1.0f, 2.0f};
    gammaApply(nullptr);
    for (int c = 0; c < 2; ++c) {
        SCOPED_TRACE(sizes[c]);
        ASSERT_EQ(gCrtcs.ramps[c].size(), size_t(3 * sizes[c]));
        // Entry j of n is the curve at j / n: the middle entry of either size is the curve at one half.
        const uint16_t* blue = &gCrtcs.ramps[c][2 * sizes[c]];
        EXPECT_EQ(gCrtcs.ramps[c][sizes[c] / 2], static_cast<uint16_t>(0.25 * 65536));
        EXPECT_EQ(gCrtcs.ramps[c][sizes[c] + sizes[c] / 2], 32768);
        EXPECT_EQ(blue[sizes[c] / 2], static_cast<uint16_t>(std::sqrt(0.5) * 65536));
        for (int j = 1; j < sizes[c]; ++j) ASSERT_GT(blue[j], blue[j - 1]) << "no staircase at " << j;
    }
    gammaRestore();
    EXPECT_EQ(gCrtcs.ramps[0], found[0]);
    EXPECT_EQ(gCrtcs.ramps[1], found[1]);
    // Restored once: a second way out writes nothing more.
    int writes = gCrtcs.writes;
    gammaRestore();
    EXPECT_EQ(gCrtcs.writes, writes);
    platformUseGammaAccess(nullptr);
}

TEST(Bmp, RowsArePaddedAndTheFileLayoutIsLittleEndian) {
    EXPECT_EQ(bmpRowSize(640), 1920);
    EXPECT_EQ(bmpRowSize(401), 1204);
    EXPECT_EQ(bmpRowSize(1), 4);
    BmpInfoHeader header;
    fillBmpHeader(&header, 3, 2);
    EXPECT_EQ(header.sizeImage, 24u);
    ScratchDir scratch("bmp");
    const std::string& dir = scratch.path;
    std::string pixels(24, '\x7f');
    ASSERT_EQ(writeBmp((dir + "/a.bmp").c_str(), &header, reinterpret_cast<const uint8_t*>(pixels.data())), 0);
    std::string file = readFile(dir + "/a.bmp");
    ASSERT_EQ(file.size(), 14u + 40u + 24u);
    EXPECT_EQ(file.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<uint8_t>(file[2]), 78);
    EXPECT_EQ(static_cast<uint8_t>(file[10]), 54);
    EXPECT_EQ(static_cast<uint8_t>(file[14]), 40);
    EXPECT_EQ(static_cast<uint8_t>(file[18]), 3);
    EXPECT_EQ(static_cast<uint8_t>(file[22]), 2);
    EXPECT_EQ(static_cast<uint8_t>(file[28]), 24);
    EXPECT_EQ(static_cast<uint8_t>(file[38]), 2952 & 0xFF);
    EXPECT_EQ(static_cast<uint8_t>(file[39]), 2952 >> 8);
    // A header without an image size: the writer computes it from the width and bit count.
    header.sizeImage = 0;
    ASSERT_EQ(writeBmp((dir + "/b.bmp").c_str(), &header, reinterpret_cast<const uint8_t*>(pixels.data())), 0);
    EXPECT_EQ(readFile(dir + "/b.bmp").size(), 14u + 40u + 18u);
    EXPECT_EQ(writeBmp((dir + "/missing/c.bmp").c_str(), &header,
                       reinterpret_cast<const uint8_t*>(pixels.data())), -1);
}

}  // namespace
