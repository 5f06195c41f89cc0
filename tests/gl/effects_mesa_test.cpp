// Effects on Mesa: every program they generate compiles, every effect draws without a GL error, and
// the blur and the overlays put the expected colours on screen.
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "effects/blur/gaussian_blur.h"
#include "effects/clip_script.h"
#include "effects/effect_binding.h"
#include "effects/effects_state.h"
#include "effects/light_blob/light_blob.h"
#include "effects/typing/typing.h"
#include "render/device_entry_points.h"
#include "render/effect_passes.h"
#include "scene/scene.h"
#include "tests/gl/device_fixture.h"
#include "tests/support/test_images.h"
#include "tests/support/test_package.h"

namespace {

const char* kEnvelope = "{ Envelope\n  1\n  Key 0.5 0 0 0 0 0 0 0 0\n  Behaviors 1 1\n}\n";

class EffectsOnMesa : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        if (IsSkipped()) return;
        probe();
        demoContext()->render.settings.maxTextureUnits = settings.maxTextureUnits;
        glViewport(0, 0, 64, 64);
    }
    void TearDown() override {
        if (window) {
            EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        }
        DeviceTest::TearDown();
    }
    static void frame() {
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glFrustum(-0.1, 0.1, -0.1, 0.1, 0.1, 100);
        glTranslatef(0, 0, -5);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    static void pixel(int x, int y, uint8_t* rgba) { glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba); }
};

std::string jpeg(uint8_t r, uint8_t g, uint8_t b) { return makeJpeg(flatPicture(16, 16, r, g, b)); }

// What a file of the package holds, from its name.
std::string fileFor(const std::string& name, const std::string& controls) {
    const std::string ext = name.substr(name.find_last_of('.') + 1);
    if (ext == "env") return kEnvelope;
    if (ext == "lws") return controls;
    if (ext == "txt") return "0:0:100\t\t'A'\n0:0:200\t\t'&'\n0:0:300\t\t'B'\n";
    return jpeg(uint8_t(name.size() * 37), 90, 160);
}

bool ownFamily(EffectFamily f) {
    switch (f) {
        case FAMILY_FRACTAL: case FAMILY_PICTURE: case FAMILY_BLUR: case FAMILY_TYPING: case FAMILY_LIGHT_BLOB:
        case FAMILY_ELECTRO_SURFACE: case FAMILY_ELECTRO_RIBBON: case FAMILY_BUBBLES:
            return true;
        default:
            return false;
    }
}

// Every name of these families bound from null items (15 to a scene, after one object), loaded and
// drawn through the passes, with the clip overlays over them.
TEST_F(EffectsOnMesa, EveryNameBindsLoadsAndDraws) {
    std::string controls = "LWSC\n3\nAddNullObject Blob\n";
    for (int k = 0; k < BLOB_MOTIONS; ++k) {
        controls += "NumChannels 9\n";
        for (int c = 0; c < 9; ++c) controls += "Channel " + std::to_string(c) + "\n" + kEnvelope;
    }
    TestFiles files = {{"Demo/Picture.JPG", jpeg(0, 0, 255)},
                       {"Demo/Mask.JPG", jpeg(200, 200, 200)},
                       {"Demo/Fade.env", kEnvelope},
                       {"Demo/ClipScript.txt",
                        "begin load texture Demo/Picture.JPG P load texture Demo/Mask.JPG M\n"
                        " load envelope Demo/Fade.env F\n"
                        " play clip P null from 0:0:0 to 0:1:0 0 0 1 1 0 0 1 1 null null null null null\n"
                        " play clip P M from 0:0:0 to 0:5:0 0.2 0.2 0.5 0.5 0 0 1 1 null null F null null\n"
                        " play clip P M from 0:0:0 to 0:5:0 0.2 0.2 0.5 0.5 0 0 1 1 null null null null electro\n"
                        " play clip P null from 0:0:0 to 0:5:0 0.2 0.2 0.5 0.5 0 0 1 1 null null null null electro\n"
                        "end\n"}};
    std::set<std::string> packed;
    std::vector<std::vector<std::string>> scenes(1);
    int rowCount = 0;
    const EffectBinding* rows = effectBindings(&rowCount);
    for (int r = 0; r < rowCount; ++r) {
        if (!ownFamily(rows[r].family)) continue;
        if (scenes.back().size() == 15) scenes.emplace_back();
        scenes.back().push_back(rows[r].name);
        std::vector<std::string> names;
        for (const char* const* f = familyFiles(rows[r].family); *f; ++f) names.push_back(*f);
        std::string list = rows[r].fileName;
        for (size_t at = 0; at < list.size();) {
            size_t end = list.find('\n', at);
            if (end == std::string::npos) end = list.size();
            names.push_back(list.substr(at, end - at));
            at = end + 1;
        }
        for (const std::string& n : names)
            if (packed.insert(n).second) files.push_back({n, fileFor(n, controls)});
    }
    loadTestPackage(files);
    ASSERT_GE(scenes.size(), 3u);

    DemoContext* context = demoContext();
    static Scene scene[4];
    static std::vector<SceneItem> items[4];
    typingSetLoginSeed(0);
    testing::internal::CaptureStderr();
    readClipScript("Demo/ClipScript.txt", &context->render);
    for (size_t s = 0; s < scenes.size(); ++s) {
        std::memset(&scene[s], 0, sizeof scene[s]);
        items[s].assign(scenes[s].size() + 1, SceneItem());
        for (size_t k = 0; k < scenes[s].size(); ++k) {
            items[s][k + 1].isNull = 1;
            std::snprintf(items[s][k + 1].name, sizeof items[s][k + 1].name, "%s", scenes[s][k].c_str());
        }
        scene[s].items = items[s].data();
        scene[s].itemCount = int32_t(items[s].size());
        scene[s].settings = &context->render.settings;
        // More distant and point lights than the device has coordinate sets to spare.
        scene[s].lightCount = SCENE_LIGHTS;
        for (int k = 0; k < SCENE_LIGHTS; ++k) scene[s].lights[k].type = k % 2;
        ASSERT_EQ(bindSceneEffects(&scene[s]), 0);
        initSceneEffects(&context->render, &scene[s]);
    }
    const std::string err = testing::internal::GetCapturedStderr();
    typingSetLoginSeed(-1);
    EXPECT_NE(err.find("is lit by 7 of its 8 lights"), std::string::npos) << err;
    ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    for (int32_t t : {0, 1500, 4000}) {
        for (size_t s = 0; s < scenes.size(); ++s) {
            SCOPED_TRACE(testing::Message() << "scene " << s << " at " << t);
            frame();
            context->render.currentScene = &scene[s];
            renderEffectPass(&context->render, &scene[s], 1, t);
            for (int32_t k = 0; k < scene[s].effectSlotCount; ++k) renderNullEffect(&context->render, &scene[s], k, t);
            drawClipOverlays(&context->render, t);
            renderEffectPass(&context->render, &scene[s], 3, t);
            ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        }
    }
    context->render.currentScene = nullptr;
    // The plain full-view overlay alone: its picture's blue, with alpha 1.
    frame();
    drawClipOverlays(&context->render, 1000);
    uint8_t rgba[4];
    pixel(2, 2, rgba);
    EXPECT_LT(rgba[0], 8);
    EXPECT_GT(rgba[2], 245);

    // Shutdown: every slot's release, then the families' shared objects, all while the device is current.
    for (size_t s = 0; s < scenes.size(); ++s) {
        releaseSceneEffects(&scene[s]);
        for (const EffectSlot& slot : scene[s].effectSlots) EXPECT_EQ(slot.state, nullptr);
    }
    releaseEffects(&context->effects);
    EXPECT_EQ(context->effects.noiseVolume, 0u);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(EffectsOnMesa, BlurOfFlatGreyAtSizeZero) {
    static EffectSlot blur;
    std::memset(&blur, 0, sizeof blur);
    blur.family = FAMILY_BLUR;
    gaussianBlurInit(&demoContext()->render, nullptr, &blur);
    glClearColor(100 / 255.0f, 100 / 255.0f, 100 / 255.0f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    gaussianBlurRender(&demoContext()->render, &blur, 0);
    uint8_t rgba[4];
    pixel(32, 32, rgba);
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(rgba[c], 125, 1) << c;
    // The NV form, for devices that have it: the same taps through the NV registers.
    char text[BLUR_TEXT];
    ASSERT_LT(gaussianBlurProgramText(true, true, text, sizeof text), sizeof text);
    EXPECT_NE(std::strstr(text, "DECLARE size;MOV R25,size;"), nullptr);
    EXPECT_NE(std::strstr(text, "DEFINE off11 = {0,-0.6,0,0};"), nullptr);
    EXPECT_NE(std::strstr(text, "MAD o[COLR], R24, g05, R0;"), nullptr);
}

}  // namespace
