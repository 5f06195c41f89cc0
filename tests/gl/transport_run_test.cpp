// The transport keys in a running window: keys from xdotool, the demo time read back from the
// overlay line in a screenshot, decoded with the player's own font.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "render/overlay_text.h"
#include "tests/support/ci.h"
#include "tests/support/process.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/test_package.h"
#include "tests/support/xvfb.h"

namespace {

uint32_t bigEndian(const std::string& bytes, size_t at) {
    return uint32_t(uint8_t(bytes[at])) << 24 | uint32_t(uint8_t(bytes[at + 1])) << 16 |
           uint32_t(uint8_t(bytes[at + 2])) << 8 | uint32_t(uint8_t(bytes[at + 3]));
}

// A 32-bit xwd screenshot of the window.
struct Shot {
    std::string bytes;
    uint32_t width = 0, height = 0, pixelsAt = 0, stride = 0;
    bool lit(uint32_t x, uint32_t y) const {
        const size_t at = pixelsAt + size_t(y) * stride + size_t(x) * 4;
        return at + 3 < bytes.size() && uint8_t(bytes[at]) > 128 && uint8_t(bytes[at + 1]) > 128 &&
               uint8_t(bytes[at + 2]) > 128;
    }
};

// The overlay line: one-pixel font cells of 6 x 7 from two pixels inside the picture's top-left corner.
std::string readOverlay(const Shot& shot) {
    const int clientWidth = int(shot.width), clientHeight = int(shot.height);
    int width = clientWidth, height = int(clientWidth * 0.75);
    if (height > clientHeight) height = clientHeight, width = int(clientHeight * 1.3333334);
    const int left = (clientWidth - width) / 2 + 2;
    const int top = clientHeight - ((clientHeight - height) / 2 + height) + 2;
    std::string text;
    for (int cell = 0; left + cell * 6 + 5 <= clientWidth; ++cell) {
        uint8_t rows[OVERLAY_GLYPH_HEIGHT];
        for (int r = 0; r < OVERLAY_GLYPH_HEIGHT; ++r) {
            rows[r] = 0;
            for (int k = 0; k < OVERLAY_GLYPH_WIDTH; ++k)
                if (shot.lit(uint32_t(left + cell * 6 + k), uint32_t(top + r))) rows[r] |= uint8_t(1 << (4 - k));
        }
        char found = 0;
        for (char c = ' '; c <= '_' && !found; ++c) {
            uint8_t glyph[OVERLAY_GLYPH_HEIGHT];
            overlayGlyphRows(c, glyph);
            if (std::equal(rows, rows + OVERLAY_GLYPH_HEIGHT, glyph)) found = c;
        }
        if (!found) break;
        text += found;
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

class TransportRun : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string missing = windowToolsMissing(&xdotool, &xwd);
        if (!missing.empty()) SKIP_OUTSIDE_CI(missing);
        display = {"DISPLAY=" + sharedXvfb()->display};
        // Black from 0 to 60 s: the demo time is all there is to see.
        std::vector<unsigned char> package = buildTestPackage(
            {{"Demo/Skrypt.txt", "init set global duration 1:0:0 set global end 1:0:0 end_init\nbegin end\n"}}, true);
        writeFile(scratch.path + "/demo.dat", std::string(package.begin(), package.end()));
        std::vector<std::string> env = display;
        env.push_back("SDL_AUDIODRIVER=dummy");
        child = startProcess({VELMORA_BINARY, "--no-setup", "--windowed", "--no-music", "--batch", "--mode", "320x240",
                              "--start", "0:5:0", "--data", scratch.path},
                             env, scratch.path);
        ProcessResult found = runProcess({xdotool, "search", "--sync", "--name", "Zelk"}, display, 30000);
        window = found.out.substr(0, found.out.find('\n'));
        ASSERT_FALSE(window.empty()) << "no player window";
    }
    void TearDown() override {
        if (child.pid > 0) {
            kill(child.pid, SIGKILL);
            waitProcess(child, 5000);
        }
    }
    void keys(const std::vector<std::string>& names) {
        std::vector<std::string> argv = {xdotool, "windowfocus", "--sync", window, "key", "--delay", "60"};
        argv.insert(argv.end(), names.begin(), names.end());
        ASSERT_EQ(runProcess(argv, display, 20000).exitCode, 0);
        usleep(300000);  // a few frames drawn since
    }
    std::string overlay() {
        const std::string path = scratch.path + "/shot.xwd";
        EXPECT_EQ(runProcess({xwd, "-silent", "-id", window, "-out", path}, display).exitCode, 0);
        Shot shot;
        shot.bytes = readFile(path);
        if (shot.bytes.size() < 100) return "";
        const uint32_t headerSize = bigEndian(shot.bytes, 0);
        shot.width = bigEndian(shot.bytes, 16);
        shot.height = bigEndian(shot.bytes, 20);
        shot.stride = bigEndian(shot.bytes, 48);
        shot.pixelsAt = headerSize + bigEndian(shot.bytes, 76) * 12;  // after the colour map
        EXPECT_EQ(bigEndian(shot.bytes, 44), 32u) << "bits per pixel";
        return readOverlay(shot);
    }
    // The demo time at the head of the overlay line.
    std::string shownTime() {
        const std::string line = overlay();
        return line.substr(0, line.find(' '));
    }

    std::string xdotool, xwd, window;
    std::vector<std::string> display;
    ScratchDir scratch{"transport"};
    ChildProcess child = {-1, -1};
};

TEST_F(TransportRun, PausedSeeksAndStepsShowTheirDemoTime) {
    EXPECT_EQ(overlay(), "") << "the overlay is off until Tab";
    // Keys count once the demo runs: until then a Tab changes nothing.
    for (int tries = 0; tries < 40 && overlay().empty(); ++tries) keys({"Tab"});
    keys({"space", "Home"});
    const std::string line = overlay();
    EXPECT_EQ(line.substr(0, 9), "0:05:000 ") << line;
    EXPECT_NE(line.find("PAUSED"), std::string::npos) << line;
    usleep(500000);
    EXPECT_EQ(shownTime(), "0:05:000") << "a paused picture stays where it is";

    struct Step {
        std::vector<std::string> keys;
        const char* time;
    } steps[] = {
        {{"Right"}, "0:06:000"},          {{"shift+Right"}, "0:16:000"}, {{"period", "period"}, "0:16:080"},
        {{"comma"}, "0:16:040"},          {{"Left"}, "0:15:040"},        {{"shift+Left", "shift+Left"}, "0:00:000"},
        {{"Home"}, "0:05:000"},
    };
    for (const Step& step : steps) {
        keys(step.keys);
        EXPECT_EQ(shownTime(), step.time) << step.keys[0];
    }
    // Playing again, the time moves on from where it was held.
    keys({"space"});
    usleep(700000);
    const std::string playing = shownTime();
    EXPECT_GT(playing, "0:05:300") << playing;
    EXPECT_LT(playing, "0:09:000") << playing;
}

}  // namespace
