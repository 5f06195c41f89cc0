// The three dialogs on the private X server: templates, and the procedures driven through their handlers.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "app/gamma.h"
#include "app/gamma_controls.h"
#include "app/setup_dialog.h"
#include "tests/gl/device_fixture.h"

namespace {

struct Seen {
    int id;
    std::string kind, text;
    int x, y, width, height;
};

std::vector<Seen> controls(PlatformDialog* dialog) {
    std::vector<Seen> seen;
    platformDialogControls(
        dialog,
        [](const DialogControl* c, void* user) {
            static_cast<std::vector<Seen>*>(user)->push_back({c->id, c->kind, c->text, c->x, c->y, c->width, c->height});
        },
        &seen);
    return seen;
}

const Seen* find(const std::vector<Seen>& seen, int id) {
    for (const Seen& s : seen)
        if (s.id == id) return &s;
    return nullptr;
}

bool hasText(const std::vector<Seen>& seen, const std::string& kind, const std::string& text) {
    for (const Seen& s : seen)
        if (s.kind == kind && s.text == text) return true;
    return false;
}

// The message boxes and dialogs shown while a handler ran; each is dismissed.
std::vector<std::string>& watched() {
    static std::vector<std::string> seen;
    return seen;
}
bool dismiss(const char* caption, const char* text) {
    watched().push_back(std::string(caption) + "|" + text);
    return true;
}

class Dialogs : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        // A person's locale must not reach the numbers the program reads and writes.
        setenv("LC_ALL", "de_DE.UTF-8", 1);
        ASSERT_TRUE(platformDialogsAvailable());
        unsetenv("LC_ALL");
        EXPECT_STREQ(setlocale(LC_NUMERIC, nullptr), "C");
        resetSettings(&settings);
        probe();
        setupDialogUse(deviceCaps(), &settings);
        watched().clear();
        platformSetDialogWatcher(dismiss);
    }
    void TearDown() override {
        platformSetDialogWatcher(nullptr);
        DeviceTest::TearDown();
    }
};

TEST_F(Dialogs, TemplatesCarryTheControlIdsCaptionsAndPlaces) {
    struct Control {
        int id;
        const char* kind;
        const char* text;
        int x, y;  // dialog units
    };
    struct Template {
        DialogTemplate which;
        const DialogProcedure* procedure;
        const char* title;
        std::vector<Control> controls;
        std::vector<const char*> frames;
    };
    const Template templates[] = {
        {DIALOG_SETUP, setupDialogProcedure(), "                               Velmora",
         {{1, "button", "Start", 23, 160}, {2, "button", "Exit", 196, 160}, {1014, "button", "Diagnostics", 138, 160},
          {1015, "button", "Gamma", 79, 160}, {1013, "list", "", 88, 16}, {1012, "list", "", 88, 42},
          {1010, "list", "", 88, 70}, {1016, "list", "", 87, 99}, {1000, "check", "Windowed", 89, 120},
          {1002, "check", "No Music", 89, 130}, {1003, "check", "Loop", 89, 140}},
         {"Screen Mode", "Antialiasing", "Anisotropy", "Depth Shadow Map Size"}},
        {DIALOG_DIAGNOSTICS, diagnosticsDialogProcedure(), "Diagnostic Window",
         {{1015, "button", "Close", 149, 282}, {1045, "drawing", "", 279, 77}, {1064, "drawing", "", 279, 256}},
         {"Renderer", "Vendor", "GL Version", "Extension Manager"}},
        {DIALOG_GAMMA, gammaDialogProcedure(), "           Gamma Correction",
         {{1069, "button", "OK", 7, 213}, {1070, "button", "Cancel", 61, 213}, {1071, "scroll", "", 89, 10},
          {1072, "scroll", "", 89, 77}, {1073, "scroll", "", 89, 146}},
         {"Red", "Green", "Blue"}},
    };
    for (const Template& t : templates) {
        PlatformDialog* dialog = platformOpenDialog(t.which, t.procedure, nullptr);
        ASSERT_NE(dialog, nullptr) << t.title;
        EXPECT_STREQ(platformDialogTitle(dialog), t.title);
        std::vector<Seen> seen = controls(dialog);
        for (const Control& c : t.controls) {
            const Seen* s = find(seen, c.id);
            ASSERT_NE(s, nullptr) << t.title << " " << c.id;
            EXPECT_EQ(s->kind, c.kind) << c.id;
            EXPECT_EQ(s->text, c.text) << c.id;
            EXPECT_LE(std::fabs(s->x - c.x * 1.5), 0.5) << c.id;
            EXPECT_LE(std::fabs(s->y - c.y * 1.625), 0.5) << c.id;
        }
        for (const char* frame : t.frames) EXPECT_TRUE(hasText(seen, "frame", frame)) << frame;
        if (t.which == DIALOG_DIAGNOSTICS) {
            for (int i = 0; i < REQUIRED_EXTENSION_COUNT; ++i) {
                const Seen* status = find(seen, 1045 + i);
                ASSERT_NE(status, nullptr) << i;
                EXPECT_TRUE(hasText(seen, "label", extensionLabel(i))) << extensionLabel(i);
            }
            EXPECT_EQ(find(seen, 1021)->text, deviceCaps()->renderer);
        }
        platformCloseDialog(dialog);
    }
}

TEST_F(Dialogs, StatusRowsDrawTheirStateInItsColourAndPlace) {
    DeviceCaps* caps = deviceCaps();
    caps->states[EXT_EXT_BGRA] = EXTENSION_MISSING;
    caps->states[EXT_WGL_ARB_PBUFFER] = EXTENSION_NOT_REQUIRED;
    caps->states[EXT_ARB_MULTITEXTURE] = EXTENSION_FOUND;
    struct Row {
        int index;
        unsigned char red, green, blue;
        int x;
    };
    const Row rows[] = {{EXT_EXT_BGRA, 200, 0, 0, 25}, {EXT_WGL_ARB_PBUFFER, 0, 55, 160, 6}, {EXT_ARB_MULTITEXTURE, 0, 155, 55, 54}};
    PlatformDialog* dialog = platformOpenDialog(DIALOG_DIAGNOSTICS, diagnosticsDialogProcedure(), nullptr);
    ASSERT_NE(dialog, nullptr);
    for (const Row& row : rows) {
        std::vector<unsigned char> rgb(200 * 40 * 3);
        int width = 0, height = 0;
        ASSERT_TRUE(platformDialogRenderControl(dialog, 1045 + row.index, rgb.data(), int(rgb.size()), &width, &height));
        int leftmost = width;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const unsigned char* p = &rgb[3 * (y * width + x)];
                if (p[0] == row.red && p[1] == row.green && p[2] == row.blue && x < leftmost) leftmost = x;
            }
        // The first fully covered pixel lies a few pixels into the text.
        EXPECT_GE(leftmost, row.x) << extensionLabel(row.index);
        EXPECT_LE(leftmost, row.x + 8) << extensionLabel(row.index);
    }
    platformCloseDialog(dialog);
}

TEST_F(Dialogs, StartIsRefusedWhileARequiredExtensionIsMissing) {
    platformInjectExtensions("GL_ARB_multitexture GL_ARB_vertex_program", nullptr);
    probeDeviceCaps(deviceCaps(), &settings);
    PlatformDialog* dialog = platformOpenDialog(DIALOG_SETUP, setupDialogProcedure(), nullptr);
    ASSERT_NE(dialog, nullptr);
    setupDialogProcedure()->command(dialog, 1);
    EXPECT_FALSE(platformDialogEnded(dialog, nullptr));
    ASSERT_EQ(watched().size(), 1u);
    EXPECT_EQ(watched()[0], std::string("Error|") + kRequirementMessage);
    platformCloseDialog(dialog);
}

TEST_F(Dialogs, StartFillsTheSettingsAndExitEndsWithZero) {
    int maxAnisotropy = settings.maxAnisotropy;
    ASSERT_GT(maxAnisotropy, 1);
    PlatformDialog* dialog = platformOpenDialog(DIALOG_SETUP, setupDialogProcedure(), nullptr);
    ASSERT_NE(dialog, nullptr);
    char text[32];
    // The highest level is preselected, or none on a software renderer such as this test's llvmpipe.
    const int preselected = softwareRenderer(deviceCaps()) ? 0 : maxAnisotropy;
    ASSERT_TRUE(platformDialogSelectedText(dialog, 1010, text, sizeof text));
    EXPECT_EQ(std::string(text), preselected ? "x" + std::to_string(maxAnisotropy) : "none");
    platformDialogSetChecked(dialog, 1000, true);
    settings.width = 123;
    setupDialogProcedure()->command(dialog, 1);
    int result = -1;
    ASSERT_TRUE(platformDialogEnded(dialog, &result));
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(watched().empty());
    EXPECT_EQ(settings.anisotropy, preselected);
    EXPECT_EQ(settings.shadowMapSize, 512);
    EXPECT_EQ(settings.fullscreen, 0);
    // The server has no 640 x 480 mode: nothing is selected and the width stays.
    if (!platformDialogSelectedText(dialog, 1013, text, sizeof text)) {
        EXPECT_EQ(settings.width, 123);
    }
    platformCloseDialog(dialog);

    dialog = platformOpenDialog(DIALOG_SETUP, setupDialogProcedure(), nullptr);
    setupDialogProcedure()->command(dialog, DIALOG_CANCEL_ID);
    ASSERT_TRUE(platformDialogEnded(dialog, &result));
    EXPECT_EQ(result, 0);
    platformCloseDialog(dialog);
}

TEST_F(Dialogs, GammaBarsMoveAndCancelGivesTheRampBack) {
    *gammaTriple() = {1.0f, 1.0f, 1.0f};
    buildGammaRamp(gammaTriple(), builtGammaRamp());
    const GammaRamp before = *builtGammaRamp();
    PlatformDialog* dialog = platformOpenDialog(DIALOG_GAMMA, gammaDialogProcedure(), nullptr);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(platformDialogScrollPosition(dialog, 1071), 74);
    gammaDialogProcedure()->scroll(dialog, 1071, SCROLL_TOP, 0);
    gammaDialogProcedure()->scroll(dialog, 1073, SCROLL_PAGE_DOWN, 0);
    EXPECT_EQ(platformDialogScrollPosition(dialog, 1071), 0);
    EXPECT_EQ(platformDialogScrollPosition(dialog, 1073), 90);
    // The redraw of the previews rebuilds the ramp from the bars.
    const float top = gammaFromScrollPosition(0);
    for (int i = 0; i < 500 && gammaTriple()->red != top; ++i) {
        platformDialogFlush();
        usleep(10000);
    }
    EXPECT_EQ(gammaTriple()->red, top);
    EXPECT_EQ(gammaTriple()->blue, gammaFromScrollPosition(90));
    gammaDialogProcedure()->command(dialog, 1070);
    int result = -1;
    ASSERT_TRUE(platformDialogEnded(dialog, &result));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(gammaTriple()->red, 1.0f);
    EXPECT_EQ(std::memcmp(builtGammaRamp(), &before, sizeof before), 0);
    platformCloseDialog(dialog);
}

}  // namespace
