// The main window's set-up: default state, the shadow buffer as a framebuffer on the shadow texture.
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "app/device_setup.h"
#include "app/shutdown.h"
#include "render/device_entry_points.h"
#include "render/device_state.h"
#include "tests/gl/device_fixture.h"
#include "tests/support/ci.h"
#include "tests/support/process.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/test_package.h"
#include "timeline/clip_list.h"

namespace {

class DeviceSetup : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        if (IsSkipped()) return;
        context.reset(new DemoContext());
        resetSettings(&context->render.settings);
        resetTimeline(&context->timeline);
        probe();
        context->render.caps = deviceCaps();
    }
    void TearDown() override {
        if (context) {
            freeTimelineLists(&context.get()->timeline);
            std::free(context->timeline.scenes);
        }
        DeviceTest::TearDown();
    }
    std::unique_ptr<DemoContext> context;
};

TEST_F(DeviceSetup, EmptiesTheSlotsSetsTheStateAndMakesTheShadowBuffer) {
    context->timeline.sceneCount = 2;
    context->timeline.scenes = static_cast<Scene*>(std::calloc(2, sizeof(Scene)));
    std::strcpy(context->timeline.scenes[1].name, "Old");
    context->timeline.scenes[1].cameras[7].axes[3] = 5.0f;
    context->render.textures.count = 7;
    context->render.meshes.count = 3;
    context->render.vertexPrograms.slots[12].key = 99;
    glFrontFace(GL_CCW);
    glDisable(GL_DITHER);

    setupDevice(context.get(), window);

    EXPECT_EQ(context->window, window);
    EXPECT_EQ(context->render.textures.count, 0);
    EXPECT_EQ(context->render.meshes.count, 0);
    EXPECT_EQ(context->render.vertexPrograms.slots[12].key, 0u);
    for (int k = 0; k < 2; ++k) {
        const Scene& scene = context->timeline.scenes[k];
        EXPECT_EQ(scene.settings, &context->render.settings);
        EXPECT_EQ(scene.name[0], 0);
        for (int c = 0; c < SCENE_CAMERAS; ++c)
            for (int i = 0; i < 16; ++i) EXPECT_EQ(scene.cameras[c].axes[i], i % 5 == 0 ? 1.0f : 0.0f);
    }
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_DITHER));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    GLint value = 0;
    glGetIntegerv(GL_FRONT_FACE, &value);
    EXPECT_EQ(value, GL_CW);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &value);
    EXPECT_EQ(value, 1);
    glGetIntegerv(GL_GENERATE_MIPMAP_HINT_SGIS, &value);
    EXPECT_EQ(value, GL_NICEST);

    EXPECT_NE(context->render.depthVertexProgram, 0u);
    EXPECT_NE(context->render.depthSkinnedVertexProgram, 0u);
    EXPECT_NE(context->render.depthFragmentProgram, 0u);
    EXPECT_NE(context->render.depthVertexProgram, context->render.depthSkinnedVertexProgram);
    EXPECT_NE(context->render.shadowFramebuffer, 0u);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DeviceSetup, ShadowTextureIsTheFramebuffersColour) {
    const GlEntryPoints* gl = glEntryPoints();
    for (int size : {256, 1024}) {
        SCOPED_TRACE(size);
        context->render.settings.shadowMapSize = size;
        context->render.shadowTexture = 0;
        createShadowBuffer(&context.get()->render);

        glBindTexture(GL_TEXTURE_2D, context->render.shadowTexture);
        GLint value = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &value);
        EXPECT_EQ(value, size);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &value);
        EXPECT_EQ(value, size);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &value);
        EXPECT_EQ(value, GL_RGBA8);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
        EXPECT_EQ(value, GL_CLAMP_TO_BORDER_ARB);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &value);
        EXPECT_EQ(value, GL_CLAMP_TO_BORDER_ARB);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
        EXPECT_EQ(value, GL_LINEAR);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
        EXPECT_EQ(value, GL_LINEAR);
        GLfloat border[4] = {};
        glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, border);
        EXPECT_EQ(border[0] + border[1] + border[2] + border[3], 4.0f);

        gl->glBindRenderbuffer(GL_RENDERBUFFER, context->render.shadowDepthBuffer);
        auto getRenderbuffer = reinterpret_cast<PFNGLGETRENDERBUFFERPARAMETERIVPROC>(
            platformGetProcAddress("glGetRenderbufferParameteriv"));
        getRenderbuffer(GL_RENDERBUFFER, GL_RENDERBUFFER_DEPTH_SIZE, &value);
        EXPECT_EQ(value, 24);
        gl->glBindRenderbuffer(GL_RENDERBUFFER, 0);

        // What is drawn into the buffer is what the texture holds.
        bindShadowBuffer(&context.get()->render);
        glViewport(0, 0, size, size);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        unbindShadowBuffer();
        std::unique_ptr<uint8_t[]> pixels(new uint8_t[size * size * 4]);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.get());
        const uint8_t* last = pixels.get() + (size * size - 1) * 4;
        EXPECT_EQ(last[0], 64);
        EXPECT_EQ(last[1], 128);
        EXPECT_EQ(last[2], 191);
        EXPECT_EQ(last[3], 255);
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &value);
        EXPECT_EQ(value, 0);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
}

TEST_F(DeviceSetup, NoUsableShadowBufferEndsWithExitCode100) {
    // A forked child would share the parent's display connection and stop its X server at exit.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // A driver without framebuffer objects.
    EXPECT_EXIT(
        {
            exitExpected() = true;
            platformInjectExtensions("GL_ARB_multitexture GL_ARB_vertex_program", "GLX_ARB_multisample");
            probe();
            createShadowBuffer(&context.get()->render);
        },
        ::testing::ExitedWithCode(EXIT_NO_OFFSCREEN), "Error: .*shadow");
    // A size the device cannot make.
    EXPECT_EXIT(
        {
            exitExpected() = true;
            context->render.settings.shadowMapSize = 1 << 20;
            createShadowBuffer(&context.get()->render);
        },
        ::testing::ExitedWithCode(EXIT_NO_OFFSCREEN), "Error: ");
}

// A whole run sets the device up (depth programs, shadow buffer) and draws without a complaint.
TEST(DeviceSetupRun, APlayerRunSetsTheDeviceUpQuietly) {
    if (sharedXvfb()->display.empty()) SKIP_OUTSIDE_CI("Xvfb cannot be started");
    ScratchDir scratch("setup");
    const std::string& dir = scratch.path;
    std::vector<unsigned char> bytes = buildTestPackage(
        {{"Demo/Skrypt.txt", "init set global duration 0:5:0 set global end 0:0:80 end_init begin end\n"}});
    writeFile(dir + "/demo.dat", std::string(bytes.begin(), bytes.end()));
    for (const char* shadowMap : {"256", "1024"}) {
        ProcessResult r = runProcess({VELMORA_BINARY, "--capture", "--frames", "2", "--shadow-map", shadowMap,
                                      "--data", dir},
                                     {"DISPLAY=" + sharedXvfb()->display, "SDL_AUDIODRIVER=dummy"}, 60000, dir);
        ASSERT_FALSE(r.timedOut);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err.find("alpha bits"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("error"), std::string::npos) << r.err;
    }
}

}  // namespace
