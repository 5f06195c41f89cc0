// Effects on Mesa: every program they generate compiles, every effect draws without a GL error and
// leaves the GL state as it found it, the blur and the overlays put the expected colours on screen,
// and the ribbon turns its face to the camera.
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "effects/blur/gaussian_blur.h"
#include "effects/clip_script.h"
#include "effects/effect_binding.h"
#include "effects/effects_state.h"
#include "effects/electro/electro_ribbon.h"
#include "effects/light_blob/light_blob.h"
#include "effects/typing/typing.h"
#include "render/device_entry_points.h"
#include "render/effect_passes.h"
#include "render/program_slots.h"
#include "render/render_state.h"
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

// What a family's drawing must leave as the main pass had it: depth test and writes, blending,
// culling and winding, the texture units, the matrix stacks, the program targets and the buffers.
struct StateItem {
    const char* name;
    GLenum what;
    bool enable;  // glIsEnabled, else glGetIntegerv
};
const StateItem kDrawState[] = {
    {"depth test", GL_DEPTH_TEST, true},
    {"depth writes", GL_DEPTH_WRITEMASK, false},
    {"blending", GL_BLEND, true},
    {"culling", GL_CULL_FACE, true},
    {"front face", GL_FRONT_FACE, false},
    {"active texture unit", GL_ACTIVE_TEXTURE_ARB, false},
    {"client texture unit", GL_CLIENT_ACTIVE_TEXTURE_ARB, false},
    {"matrix mode", GL_MATRIX_MODE, false},
    {"model-view depth", GL_MODELVIEW_STACK_DEPTH, false},
    {"projection depth", GL_PROJECTION_STACK_DEPTH, false},
    {"vertex programs", GL_VERTEX_PROGRAM_ARB, true},
    {"fragment programs", GL_FRAGMENT_PROGRAM_ARB, true},
    {"array buffer", GL_ARRAY_BUFFER_BINDING_ARB, false},
    {"index buffer", GL_ELEMENT_ARRAY_BUFFER_BINDING_ARB, false},
    {"vertex array", GL_VERTEX_ARRAY, true},
    {"texture coordinate array", GL_TEXTURE_COORD_ARRAY, true},
};

std::string drawState() {
    std::string out;
    for (const StateItem& item : kDrawState) {
        GLint value = 0;
        if (item.enable) value = glIsEnabled(item.what);
        else glGetIntegerv(item.what, &value);
        out += std::string(item.name) + " " + std::to_string(value) + "\n";
    }
    return out;
}

// As the main pass leaves the state between surfaces.
void mainPassState() {
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CW);
    glEntryPoints()->glActiveTextureARB(GL_TEXTURE0_ARB);
    glEntryPoints()->glClientActiveTextureARB(GL_TEXTURE0_ARB);
    glMatrixMode(GL_MODELVIEW);
}

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
    // Each family leaves the state as it found it.
    for (size_t s = 0; s < scenes.size(); ++s) {
        frame();
        context->render.currentScene = &scene[s];
        for (int32_t k = 0; k < scene[s].effectSlotCount; ++k) {
            EffectSlot* slot = &scene[s].effectSlots[k];
            mainPassState();
            const std::string before = drawState();
            slot->render(&context->render, slot, 2500);
            EXPECT_EQ(drawState(), before) << scenes[s][size_t(k)];
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

// In a 640 x 480 window on a 1920 x 1080 desktop the frame copy is the glow texture's 2048 x 2048,
// and a tap k of size s lies k x 0.1 x s x 2048 pixels away: a bright column spreads into the
// weights at every 4th pixel for s = 4 / 204.8.
TEST_F(EffectsOnMesa, BlurSpreadsByTheGlowTextureSizeInAWindow) {
    RenderState* render = &demoContext()->render;
    const Settings saved = render->settings;
    render->settings.fullscreen = 0;
    render->settings.width = 640;
    render->settings.height = 480;
    render->settings.screenWidth = 1920;
    render->settings.screenHeight = 1080;
    static EffectSlot blur;
    std::memset(&blur, 0, sizeof blur);
    blur.family = FAMILY_BLUR;
    EnvelopeKey size = {};
    size.value = 4.0f / 204.8f;
    blur.motion[0] = {&size, 1, 0, 0};
    gaussianBlurInit(render, nullptr, &blur);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(32, 0, 1, 64);
    glClearColor(100 / 255.0f, 100 / 255.0f, 100 / 255.0f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    gaussianBlurRender(render, &blur, 0);
    const BlurState* state = static_cast<const BlurState*>(blur.state);
    EXPECT_EQ(state->textureWidth, 2048);
    EXPECT_EQ(state->textureHeight, 2048);
    // The column is uniform in y: the vertical pass multiplies it by the weight sum 1.12.
    uint8_t row[64 * 4];
    glReadPixels(0, 32, 64, 1, GL_RGBA, GL_UNSIGNED_BYTE, row);
    const float weights[7] = {kBlurCentreWeight, kBlurWeights[0], kBlurWeights[1], kBlurWeights[2],
                              kBlurWeights[3], kBlurWeights[4], kBlurWeights[5]};
    EXPECT_NEAR(weights[0] + 2 * (weights[1] + weights[2] + weights[3] + weights[4] + weights[5] + weights[6]), 1.12f,
                1e-6f);
    for (int k = 0; k <= 6; ++k)
        for (int x : {32 - 4 * k, 32 + 4 * k}) EXPECT_NEAR(row[4 * x], 100 * weights[k] * 1.12f, 1.5f) << x;
    for (int x : {30, 34, 51, 57}) EXPECT_LE(row[4 * x], 1) << x;  // between the taps and past the last
    gaussianBlurRelease(&blur);
    render->settings = saved;
}

// The ribbon turns its side across the line from the camera to each sample, the camera's place being
// the view set-up's (x, y, z); the render frame's turned copy (-x, y, -z) is not that place.
TEST_F(EffectsOnMesa, RibbonFacesACameraOffTheAxis) {
    TestFiles files;
    for (const char* const* f = familyFiles(FAMILY_ELECTRO_RIBBON); *f; ++f) files.push_back({*f, fileFor(*f, "")});
    loadTestPackage(files);
    DemoContext* context = demoContext();
    static Scene scene;
    std::memset(&scene, 0, sizeof scene);
    SceneItem items[1] = {};
    items[0].isNull = 1;
    std::strcpy(items[0].name, "ElectroCurve");
    // A straight path along x.
    EnvelopeKey keys[2] = {};
    keys[0].next = &keys[1];
    keys[1].prev = &keys[0];
    keys[0].time = -1000.0f;
    keys[0].value = -1000.0f;
    keys[1].time = 1000.0f;
    keys[1].value = 1000.0f;
    items[0].motion[0] = {keys, 2, 0, 0};
    scene.items = items;
    scene.itemCount = 1;
    scene.settings = &context->render.settings;
    scene.cameraCount = 1;
    ASSERT_EQ(bindSceneEffects(&scene), 0);
    initSceneEffects(&context->render, &scene);
    ASSERT_EQ(scene.effectSlotCount, 1);
    const float camera[3] = {5.0f, 2.0f, -3.0f};
    const GlEntryPoints* gl = glEntryPoints();
    for (GLenum target : {GLenum(GL_VERTEX_PROGRAM_ARB), GLenum(GL_FRAGMENT_PROGRAM_ARB)}) {
        gl->glProgramEnvParameter4fARB(target, VERTEX_ENV_CAMERA, camera[0], camera[1], camera[2], 0);
        gl->glProgramEnvParameter4fARB(target, VERTEX_ENV_CAMERA_TURNED, -camera[0], camera[1], -camera[2], 0);
    }
    context->render.currentScene = &scene;
    context->render.currentCamera = &scene.cameras[0];
    frame();
    EffectSlot* slot = &scene.effectSlots[0];
    slot->render(&context->render, slot, 2000);
    const ElectroRibbonState* ribbon = static_cast<const ElectroRibbonState*>(slot->state);
    for (int i : {20, 95, 170}) {
        const float* centre = ribbon->vertices[3 * i + 1].position;
        const float* right = ribbon->vertices[3 * i + 2].position;
        const float view[3] = {camera[0] + centre[0], centre[1] - camera[1], camera[2] + centre[2]};
        const float side[3] = {right[0] - centre[0], right[1] - centre[1], right[2] - centre[2]};
        const float dot = side[0] * view[0] + side[1] * view[1] + side[2] * view[2];
        const float lengths = std::sqrt((side[0] * side[0] + side[1] * side[1] + side[2] * side[2]) *
                                        (view[0] * view[0] + view[1] * view[1] + view[2] * view[2]));
        ASSERT_GT(lengths, 0.0f) << i;
        EXPECT_NEAR(dot / lengths, 0.0f, 1e-4f) << i;
    }
    context->render.currentScene = nullptr;
    context->render.currentCamera = nullptr;
    releaseSceneEffects(&scene);
}

}  // namespace
