// Effects on Mesa: every program they generate compiles, every effect draws without a GL error, and
// the blur and the overlays put the expected colours on screen.
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/device_entry_points.h"
#include "effects/bubbles.h"
#include "effects/clip_script.h"
#include "effects/effect_slot.h"
#include "effects/electro_ribbon.h"
#include "effects/fractal.h"
#include "effects/gaussian_blur.h"
#include "effects/light_blob.h"
#include "effects/picture.h"
#include "effects/typing.h"
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
        demoContext()->settings.maxTextureUnits = settings.maxTextureUnits;
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

TEST_F(EffectsOnMesa, EveryEffectCompilesAndDraws) {
    std::string controls = "LWSC\n3\nAddNullObject Blob\n";
    for (int k = 0; k < BLOB_MOTIONS; ++k) {
        controls += "NumChannels 9\n";
        for (int c = 0; c < 9; ++c) controls += "Channel " + std::to_string(c) + "\n" + kEnvelope;
    }
    loadTestPackage({{"Demo/Kolorki.JPG", jpeg(200, 80, 40)},
                     {"Demo/Kolorki2.JPG", jpeg(40, 200, 80)},
                     {"Demo/Kolorki3.JPG", jpeg(80, 40, 200)},
                     {"Demo/Fonts.JPG", jpeg(255, 255, 255)},
                     {"Demo/Env1.JPG", jpeg(128, 128, 128)},
                     {"Demo/Picture.JPG", jpeg(0, 0, 255)},
                     {"Demo/Fade.env", kEnvelope},
                     {"Demo/Login.txt", "0:0:100\t\t'A'\n0:0:200\t\t'&'\n0:0:300\t\t'B'\n"},
                     {"Demo/Blob.lws", controls},
                     {"Demo/ClipScript.txt",
                      "begin load texture Demo/Picture.JPG P load texture Demo/Kolorki.JPG M\n"
                      " load envelope Demo/Fade.env F\n"
                      " play clip P null from 0:0:0 to 0:1:0 0 0 1 1 0 0 1 1 null null null null null\n"
                      " play clip P M from 0:0:0 to 0:1:0 0.2 0.2 0.5 0.5 0 0 1 1 null null F null null\n"
                      " play clip P M from 0:0:0 to 0:1:0 0.2 0.2 0.5 0.5 0 0 1 1 null null null null electro\n"
                      " play clip P null from 0:0:0 to 0:1:0 0.2 0.2 0.5 0.5 0 0 1 1 null null null null electro\n"
                      "end\n"}});
    static Scene scene;
    std::memset(&scene, 0, sizeof scene);
    scene.lightCount = SCENE_LIGHTS;  // more lights than the device has coordinate sets to spare
    for (int k = 0; k < SCENE_LIGHTS; ++k) scene.lights[k].type = k % 2;
    static EffectSlot slots[16];
    std::memset(slots, 0, sizeof slots);
    testing::internal::CaptureStderr();

    readClipScript("Demo/ClipScript.txt", demoContext());
    ASSERT_EQ(clipScript()->overlayCount, 4);
    for (int k = 0; k < ELECTRO_GENERATORS; ++k) {
        EffectSlot& s = slots[k];
        const float f[8] = {0.79f, 0.52f, -1, 4, -3.14159274f, 6.28318548f, 0, 2};
        std::memcpy(s.floatParams, f, sizeof f);
        s.intParams[5] = k % 3;
        s.intParams[7] = k == 0;
        const EffectVariant generators[] = {VARIANT_SURFACE_BLOB, VARIANT_SURFACE_TORUS, VARIANT_SURFACE_EXPONENTIAL,
                                            VARIANT_SURFACE_SINE, VARIANT_SURFACE_COSINE, VARIANT_SURFACE_TANGENT,
                                            VARIANT_SURFACE_COTANGENT};
        s.variant = generators[k];
        s.family = FAMILY_ELECTRO_SURFACE;
        electroSurfaceInit(&scene, &s);
    }
    for (int k = 0; k < 2; ++k) {
        EffectSlot& s = slots[7 + k];
        const float f[6] = {0.38f, 0.68f, -1, 2, -1, 5};
        std::memcpy(s.floatParams, f, sizeof f);
        s.intParams[8] = k;  // both glow forms
        s.family = FAMILY_ELECTRO_RIBBON;
        electroRibbonInit(&scene, &s);
    }
    EffectSlot& bubbles = slots[9];
    bubbles.count = 40;
    const int32_t ip[] = {0, 0, 0, 40, 30, 15, 2, 5, 8, 0, 1, 20};
    std::memcpy(bubbles.intParams, ip, sizeof ip);
    bubbles.reset = 1;
    bubbles.variant = VARIANT_BUBBLES;
    bubbles.family = FAMILY_BUBBLES;
    bubblesInit(&scene, &bubbles);
    EffectSlot& typing = slots[10];
    typing.count = 527;
    typing.family = FAMILY_TYPING;
    typing.floatParams[0] = 3500;
    std::strcpy(typing.fileName, "Demo/Login.txt");
    typingInit(&scene, &typing);
    EffectSlot& fractal = slots[11];
    fractal.count = 35;
    fractal.intParams[1] = 16;
    fractal.variant = VARIANT_FRACTAL_SMALL_1;
    fractal.family = FAMILY_FRACTAL;
    fractalInit(&scene, &fractal);
    EffectSlot& blob = slots[12];
    std::strcpy(blob.fileName, "Demo/Blob.lws");
    blob.family = FAMILY_LIGHT_BLOB;
    lightBlobInit(&scene, &blob);
    EffectSlot& picture = slots[13];
    std::strcpy(picture.fileName, "Demo/Picture.JPG");
    pictureInit(&scene, &picture);
    EffectSlot& blur = slots[14];
    blur.family = FAMILY_BLUR;
    gaussianBlurInit(&scene, &blur);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("is lit by"), std::string::npos) << err;
    ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    DemoContext* context = demoContext();
    for (int32_t t : {0, 1500, 4000}) {
        SCOPED_TRACE(t);
        frame();
        for (int k = 0; k < 9; ++k)
            (k < 7 ? electroSurfaceRender : electroRibbonRender)(context, &slots[k], t);
        bubblesRender(context, &bubbles, t);
        typingRender(context, &typing, t);
        fractalRender(context, &fractal, t);
        lightBlobRender(context, &blob, t);
        pictureRender(context, &picture, t);
        drawClipOverlays(context, t);
        gaussianBlurRender(context, &blur, t);
        ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
    // The plain full-view overlay alone: its picture's blue, with alpha 1.
    frame();
    drawClipOverlays(context, 1000);
    uint8_t rgba[4];
    pixel(2, 2, rgba);
    EXPECT_LT(rgba[0], 8);
    EXPECT_GT(rgba[2], 245);
}

TEST_F(EffectsOnMesa, BlurOfFlatGreyAtSizeZero) {
    static EffectSlot blur;
    std::memset(&blur, 0, sizeof blur);
    blur.family = FAMILY_BLUR;
    gaussianBlurInit(nullptr, &blur);
    glClearColor(100 / 255.0f, 100 / 255.0f, 100 / 255.0f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    gaussianBlurRender(demoContext(), &blur, 0);
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
