#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/demo_context.h"
#include "app/options.h"
#include "app/setup_lists.h"
#include "render/device_caps.h"

namespace {

bool parse(std::vector<std::string> args, Options* o, std::string* error) {
    args.insert(args.begin(), "velmora");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(&a[0]);
    return parseOptions(static_cast<int>(argv.size()), argv.data(), o, error);
}

// A device with anisotropy up to 16, pixel formats of 2, 4 and 8 samples and three 32-bit modes.
const SetupLists& deviceLists() {
    static SetupLists lists;
    static bool built;
    if (!built) {
        DeviceCaps caps = {};
        for (uint8_t& state : caps.states) state = EXTENSION_FOUND;
        const PixelFormatSamples formats[] = {{0, 0}, {1, 2}, {1, 4}, {1, 8}};
        const DisplayModeInfo modes[] = {{640, 480, 32, 60}, {640, 480, 32, 75}, {800, 600, 32, 60}};
        buildSetupLists(&caps, 16, formats, 4, modes, 3, &lists);
        built = true;
    }
    return lists;
}

TEST(Options, NoArgumentsGiveTheSetupDialogsInitialChoices) {
    Options o;
    std::string error;
    ASSERT_TRUE(parse({}, &o, &error));
    Settings s;
    resetSettings(&s);
    s.maxAnisotropy = 16;
    s.loop = 1;  // the header's loop is overridden by the unticked box
    applyOptions(&o, &deviceLists(), &s);
    EXPECT_EQ(s.width, 640);
    EXPECT_EQ(s.height, 480);
    EXPECT_EQ(s.colorBits, 32);
    EXPECT_EQ(s.refreshRate, 75);
    EXPECT_EQ(s.shadowMapSize, 512);
    EXPECT_EQ(s.anisotropy, 16);
    EXPECT_EQ(s.samples, 8);  // the antialiasing list's last item, as the dialog preselects it
    EXPECT_EQ(s.fullscreen, 1);
    EXPECT_EQ(s.noMusic, 0);
    EXPECT_EQ(s.loop, 0);
    EXPECT_EQ(s.capture, 0);
    EXPECT_EQ(o.dataDir, ".");
    EXPECT_EQ(o.outputDir, "Output");
}

TEST(Options, EachOptionReachesItsSetting) {
    Options o;
    std::string error;
    ASSERT_TRUE(parse({"--capture", "--output", "frames", "--frames", "12", "--no-setup", "--mode", "800x600",
                       "--samples", "4", "--anisotropy", "0", "--shadow-map", "1024", "--no-music", "--loop",
                       "--data", "/srv/demo", "--tree", "/srv/tree"},
                      &o, &error))
        << error;
    Settings s;
    resetSettings(&s);
    s.maxAnisotropy = 16;
    applyOptions(&o, &deviceLists(), &s);
    EXPECT_EQ(o.frames, 12);
    EXPECT_TRUE(o.noSetup);
    EXPECT_EQ(o.outputDir, "frames");
    EXPECT_EQ(o.dataDir, "/srv/demo");
    EXPECT_EQ(o.treeDir, "/srv/tree");
    EXPECT_EQ(s.width, 800);
    EXPECT_EQ(s.height, 600);
    EXPECT_EQ(s.samples, 4);
    EXPECT_EQ(s.anisotropy, 0);
    EXPECT_EQ(s.shadowMapSize, 1024);
    EXPECT_EQ(s.noMusic, 1);
    EXPECT_EQ(s.loop, 1);
    EXPECT_EQ(s.capture, 1);
    EXPECT_EQ(s.fullscreen, 0);  // a capture plays in a window unless asked otherwise

    EXPECT_EQ(o.fps, 25);
    EXPECT_TRUE(o.outputGiven);
    ASSERT_TRUE(parse({"--video", "demo.webm", "--fps", "60"}, &o, &error)) << error;
    EXPECT_TRUE(o.capture);
    EXPECT_EQ(o.videoPath, "demo.webm");
    EXPECT_EQ(o.fps, 60);

    ASSERT_TRUE(parse({"--capture", "--fullscreen"}, &o, &error));
    applyOptions(&o, &deviceLists(), &s);
    EXPECT_EQ(s.fullscreen, 1);
    ASSERT_TRUE(parse({"--windowed"}, &o, &error));
    applyOptions(&o, &deviceLists(), &s);
    EXPECT_EQ(s.fullscreen, 0);
}

// Options, then what the dialog's "Start" reads, give the settings the window and textures are made with.
TEST(Options, TheDialogsNoneMeansNoneAfterAnyOption) {
    const struct {
        std::vector<std::string> args;
        const char* samplesItem;     // the antialiasing item chosen in the dialog; null: no dialog
        const char* anisotropyItem;  // likewise
        int samples, anisotropy;
    } cases[] = {
        {{}, nullptr, nullptr, 8, 16},
        {{"--samples", "0", "--anisotropy", "0"}, nullptr, nullptr, 0, 0},
        {{"--samples", "4", "--anisotropy", "2"}, nullptr, nullptr, 4, 2},
        {{}, "none", "none", 0, 0},
        {{"--samples", "4", "--anisotropy", "8"}, "none", "none", 0, 0},
        {{"--samples", "0", "--anisotropy", "0"}, "2 samples", "x4", 2, 4},
        {{"--samples", "4"}, "", "", 4, 16},  // a list without selection keeps what was there
        {{"--capture"}, nullptr, nullptr, 0, 16},
        {{"--capture", "--samples", "2"}, nullptr, nullptr, 2, 16},
    };
    for (const auto& c : cases) {
        Options o;
        std::string error;
        ASSERT_TRUE(parse(c.args, &o, &error)) << error;
        Settings s;
        resetSettings(&s);
        applyOptions(&o, &deviceLists(), &s);
        if (c.samplesItem) {
            SetupChoices dialog = initialSetupChoices(&deviceLists());
            dialog.samples = c.samplesItem;
            dialog.anisotropy = c.anisotropyItem;
            applySetupChoices(&dialog, deviceLists().modes, deviceLists().modeCount, &s);
        }
        SCOPED_TRACE(testing::PrintToString(c.args) + (c.samplesItem ? c.samplesItem : ""));
        EXPECT_EQ(s.samples, c.samples);
        EXPECT_EQ(s.anisotropy, c.anisotropy);
    }
}

TEST(Options, StartTimeInMillisecondsOrAsTheTimelineWritesIt) {
    const struct {
        const char* text;
        int32_t ms;  // -1: refused
    } cases[] = {
        {"0", 0},          {"1500", 1500},      {"0:1:500", 1500},  {"2:3:4", 123004}, {"0:75:0", 75000},
        {"2147483647", INT32_MAX}, {"2147483648", -1}, {"35791:23:648", -1}, {"1:2", -1}, {"1:2:3:4", -1},
        {"-5", -1},        {"0:-1:0", -1},      {"1::2", -1},       {"", -1},         {"1.5", -1}, {" 7", -1},
    };
    for (const auto& c : cases) {
        int32_t ms = -7;
        EXPECT_EQ(parseDemoTime(c.text, &ms), c.ms >= 0) << c.text;
        EXPECT_EQ(ms, c.ms >= 0 ? c.ms : -7) << c.text;
    }
    Options o;
    std::string error;
    ASSERT_TRUE(parse({}, &o, &error));
    EXPECT_EQ(o.startTime, -1);
    ASSERT_TRUE(parse({"--start", "0:2:0"}, &o, &error));
    EXPECT_EQ(o.startTime, 2000);
}

TEST(Options, BadValuesAreRefusedWithOneLine) {
    const std::vector<std::vector<std::string>> bad = {
        {"--mode", "640"},   {"--mode", "0x480"}, {"--mode", "640x480x"}, {"--frames", "0"},
        {"--frames", "ten"}, {"--frames"},        {"--samples", "-1"},    {"--shadow-map", "500"},
        {"--anisotropy", "2.5"}, {"--output", ""}, {"--unknown"}, {"--start"}, {"--start", "1:x:0"},
        {"--fps", "0"}, {"--fps", "1000"}, {"--fps", "241"}, {"--video", "demo.avi"}, {"--video"},
    };
    for (const auto& args : bad) {
        Options o;
        std::string error;
        EXPECT_FALSE(parse(args, &o, &error)) << args[0];
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(error.find('\n'), std::string::npos);
    }
}

}  // namespace
