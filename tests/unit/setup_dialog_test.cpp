// The setup dialog's lists and choices, and the gamma dialog's arithmetic, without a display.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/demo_context.h"
#include "app/gamma_controls.h"
#include "app/setup_lists.h"
#include "render/device_caps.h"

namespace {

std::vector<std::string> items(const DialogList& list) {
    return std::vector<std::string>(list.items, list.items + list.count);
}

DeviceCaps capsWith(uint8_t state) {
    DeviceCaps caps = {};
    std::memset(caps.states, state, sizeof caps.states);
    return caps;
}

TEST(SetupLists, AnisotropyHalvesFromTheDevicesMaximum) {
    struct Case {
        int maximum;
        uint8_t extension;
        const char* renderer;
        std::vector<std::string> expected;
        int selected;  // the highest level, but none on a software renderer
    };
    const Case cases[] = {
        {16, EXTENSION_FOUND, "GeForce", {"none", "x2", "x4", "x8", "x16"}, 4},
        {16, EXTENSION_MISSING, "GeForce", {"none"}, 0},
        {12, EXTENSION_FOUND, "GeForce", {"none", "x3", "x6", "x12"}, 3},
        {1, EXTENSION_FOUND, "GeForce", {"none"}, 0},
        {0, EXTENSION_FOUND, "GeForce", {"none"}, 0},
        {16, EXTENSION_FOUND, "llvmpipe (LLVM 15.0.6, 256 bits)", {"none", "x2", "x4", "x8", "x16"}, 0},
        {8, EXTENSION_FOUND, "softpipe", {"none", "x2", "x4", "x8"}, 0},
    };
    for (const Case& c : cases) {
        DeviceCaps caps = capsWith(c.extension);
        std::snprintf(caps.renderer, sizeof caps.renderer, "%s", c.renderer);
        DialogList list;
        buildAnisotropyList(&caps, c.maximum, &list);
        EXPECT_EQ(items(list), c.expected) << c.maximum << " on " << c.renderer;
        EXPECT_EQ(list.selected, c.selected) << c.maximum << " on " << c.renderer;
    }
}

TEST(SetupLists, SampleCountsOncePerCountFromFormatsWithSampleBuffers) {
    const PixelFormatSamples formats[] = {{0, 0}, {1, 4}, {0, 8}, {1, 2}, {1, 4}, {1, 16}};
    DeviceCaps caps = capsWith(EXTENSION_FOUND);
    DialogList list;
    buildSampleList(&caps, formats, 6, &list);
    EXPECT_EQ(items(list), (std::vector<std::string>{"none", "4 samples", "2 samples", "16 samples"}));
    EXPECT_EQ(list.selected, 3);
    // Both multisample extensions are needed.
    caps.states[EXT_WGL_ARB_MULTISAMPLE] = EXTENSION_MISSING;
    buildSampleList(&caps, formats, 6, &list);
    EXPECT_EQ(items(list), std::vector<std::string>{"none"});
    EXPECT_EQ(list.selected, 0);
}

TEST(SetupLists, ModesOf32BitsOnceEachWith640x480Preselected) {
    std::vector<DisplayModeInfo> modes = {
        {1024, 768, 32, 60}, {1024, 768, 32, 75}, {800, 600, 16, 60}, {640, 480, 32, 60}, {640, 480, 24, 60}};
    DialogList list;
    buildModeList(modes.data(), int(modes.size()), &list);
    EXPECT_EQ(items(list), (std::vector<std::string>{"1024x768 32 bpp", "640x480 32 bpp"}));
    EXPECT_EQ(list.selected, 1);
    modes.erase(modes.begin() + 3);
    buildModeList(modes.data(), int(modes.size()), &list);
    EXPECT_EQ(list.selected, -1);

    // A display with more modes than the list holds fills it and stops.
    std::vector<DisplayModeInfo> many;
    for (int i = 0; i < 3 * DIALOG_LIST_CAPACITY; ++i) many.push_back({320 + i, 200, 32, 60});
    buildModeList(many.data(), int(many.size()), &list);
    EXPECT_EQ(list.count, DIALOG_LIST_CAPACITY);
    EXPECT_EQ(list.dropped, 2 * DIALOG_LIST_CAPACITY);
    EXPECT_STREQ(list.items[DIALOG_LIST_CAPACITY - 1], "383x200 32 bpp");

    buildShadowMapList(&list);
    EXPECT_EQ(items(list), (std::vector<std::string>{"256 x 256", "512 x 512", "1024 x 1024"}));
    EXPECT_EQ(list.selected, 1);
}

TEST(SetupLists, ChoicesFillTheSettings) {
    const DisplayModeInfo modes[] = {{800, 600, 32, 60}, {800, 600, 32, 85}, {800, 600, 16, 100}, {640, 480, 32, 75}};
    Settings s;
    resetSettings(&s);
    SetupChoices choices = {"800x600 32 bpp", "4 samples", "x8", "1024 x 1024", true, true, true};
    applySetupChoices(&choices, modes, 4, &s);
    EXPECT_EQ(s.width, 800);
    EXPECT_EQ(s.height, 600);
    EXPECT_EQ(s.colorBits, 32);
    EXPECT_EQ(s.refreshRate, 85) << "the highest rate of the chosen mode at its depth";
    EXPECT_EQ(s.samples, 4);
    EXPECT_EQ(s.anisotropy, 8);
    EXPECT_EQ(s.shadowMapSize, 1024);
    EXPECT_EQ(s.fullscreen, 0);
    EXPECT_EQ(s.noMusic, 1);
    EXPECT_EQ(s.loop, 1);

    // "none" is none; an unselected mode leaves what was there, and the rate is the kept mode's.
    s.width = 640;
    s.height = 480;
    SetupChoices none = {"", "none", "none", "256 x 256", false, false, false};
    applySetupChoices(&none, modes, 4, &s);
    EXPECT_EQ(s.width, 640);
    EXPECT_EQ(s.samples, 0);
    EXPECT_EQ(s.anisotropy, 0);
    EXPECT_EQ(s.shadowMapSize, 256);
    EXPECT_EQ(s.refreshRate, 75);
    EXPECT_EQ(s.fullscreen, 1);
    EXPECT_EQ(s.noMusic, 0);
    EXPECT_EQ(s.loop, 0);
}

TEST(GammaControls, PositionsAndGammaBothWays) {
    struct Case {
        float gamma;
        int position;
    };
    for (Case c : {Case{0.5f, 90}, Case{1.0f, 74}, Case{3.5f, 0}, Case{0.2f, 90}, Case{9.0f, 0}})
        EXPECT_EQ(gammaScrollPosition(c.gamma), c.position) << c.gamma;
    EXPECT_FLOAT_EQ(gammaFromScrollPosition(74), 1.0333334f);
    EXPECT_FLOAT_EQ(gammaFromScrollPosition(0), 3.5f);
    EXPECT_FLOAT_EQ(gammaFromScrollPosition(90), 0.5f);
}

TEST(GammaControls, ScrollRequests) {
    struct Case {
        int from;
        ScrollRequest request;
        int thumb;
        int to;
    };
    const Case cases[] = {
        {74, SCROLL_LINE_UP, 0, 73},        {0, SCROLL_LINE_UP, 0, 0},
        {74, SCROLL_LINE_DOWN, 0, 75},      {90, SCROLL_LINE_DOWN, 0, 90},
        {74, SCROLL_PAGE_UP, 0, 58},        {10, SCROLL_PAGE_UP, 0, 0},
        {74, SCROLL_PAGE_DOWN, 0, 90},      {50, SCROLL_PAGE_DOWN, 0, 66},
        {74, SCROLL_THUMB_TRACK, 12, 12},   {74, SCROLL_THUMB_POSITION, 33, 33},
        {74, SCROLL_TOP, 50, 0},            {4, SCROLL_BOTTOM, 0, 90},
        {74, SCROLL_END, 12, 74},
    };
    for (const Case& c : cases) EXPECT_EQ(gammaScroll(c.from, c.request, c.thumb), c.to) << c.from << " " << c.request;
}

TEST(GammaControls, PreviewFollowsTheRebuiltRampAndCancelRestoresIt) {
    GammaTriple triple = {1.0f, 1.0f, 1.0f};
    GammaRamp ramp;
    buildGammaRamp(&triple, &ramp);
    const GammaRamp before = ramp;

    // The identity ramp is a diagonal one pixel above each box's bottom edge.
    int curve[2 * GAMMA_PREVIEW_POINTS];
    gammaPreviewCurve(&ramp, 2, curve);
    EXPECT_EQ(curve[0], 36);
    EXPECT_EQ(curve[1], 320);
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(curve[2 + 2 * i], 37 + i);
        EXPECT_EQ(curve[3 + 2 * i], 319 - i);
    }
    int box[10];
    gammaPreviewBox(1, box);
    EXPECT_EQ(std::vector<int>(box, box + 10), (std::vector<int>{36, 210, 100, 210, 100, 146, 36, 146, 36, 210}));

    GammaDialogState state;
    gammaDialogOpen(&state, &triple);
    EXPECT_EQ(state.positions[0], 74);
    gammaDialogRepaint(&state, &triple, &ramp);
    EXPECT_FLOAT_EQ(triple.green, 1.0333334f) << "1.0 opens at 74 and repaints as 74's gamma";
    state.positions[0] = 0;  // red to the top
    gammaDialogRepaint(&state, &triple, &ramp);
    EXPECT_FLOAT_EQ(triple.red, 3.5f);
    EXPECT_NE(std::memcmp(&ramp, &before, sizeof ramp), 0);

    gammaDialogCancel(&state, &triple, &ramp);
    EXPECT_EQ(triple.red, 1.0f);
    EXPECT_EQ(triple.blue, 1.0f);
    EXPECT_EQ(std::memcmp(&ramp, &before, sizeof ramp), 0);
}

}  // namespace
