// The scene set-up against the device: light placement as GL stores it, and when the projection is
// rebuilt.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "render/scene_setup_pass.h"
#include "tests/gl/device_fixture.h"

namespace {

class SceneSetUp : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        if (IsSkipped()) return;
        probe();
        scene.reset(new Scene());
        context = demoContext();
        saved = *context;
        context->render.settings = settings;
        context->render.settings.width = context->render.settings.clientWidth = 640;
        context->render.settings.height = context->render.settings.clientHeight = 480;
        context->render.currentScene = scene.get();
        scene->cameraCount = 2;
        scene->cameras[0].zoom = 3.2f;
        scene->cameras[1].zoom = 1.0f;
        context->render.currentCamera = &scene->cameras[0];
        forgetSceneFrustum(&context->render);
    }
    void TearDown() override {
        if (context) *context = saved;
        DeviceTest::TearDown();
    }
    // Element 0 of the projection: 2 near / (right - left) while the camera sits at the origin.
    float projectionScaleX() {
        float m[16];
        glGetFloatv(GL_PROJECTION_MATRIX, m);
        return m[0];
    }
    std::unique_ptr<Scene> scene;
    DemoContext* context = nullptr;
    DemoContext saved = {};
};

TEST_F(SceneSetUp, LightsArePlacedThroughTheTurnedFrame) {
    struct Case { int32_t type; float x, y, z; float expected[4]; };
    // Heading and pitch 0 aim a distant light down +z of the scene; the 180-degree turn of the
    // model-view makes its stored direction (0, 0, 1, 0). A point light's position turns with it.
    const Case cases[] = {{0, 0, 0, 0, {0, 0, 1, 0}}, {1, 1, 2, 3, {-1, 2, -3, 1}}};
    scene->lightCount = 2;
    for (int i = 0; i < 2; ++i) {
        Light& light = scene->lights[i];
        light.type = cases[i].type;
        light.intensity = 0.5f;
        light.color = {1.0f, 0.5f, 0.25f, 1.0f};
    }
    // Constant envelopes through one key each.
    EnvelopeKey keys[3] = {};
    for (int c = 0; c < 3; ++c) {
        keys[c].value = (&cases[1].x)[c];
        scene->lights[1].motion[c] = {&keys[c], 1, 1, 1};
    }
    setUpScene(&context->render, 0);
    for (int i = 0; i < 2; ++i) {
        float p[4];
        glGetLightfv(GLenum(GL_LIGHT0 + i), GL_POSITION, p);
        for (int k = 0; k < 4; ++k) EXPECT_NEAR(p[k], cases[i].expected[k], 1e-5) << "light " << i << " " << k;
        float diffuse[4];
        glGetLightfv(GLenum(GL_LIGHT0 + i), GL_DIFFUSE, diffuse);
        EXPECT_FLOAT_EQ(diffuse[1], 0.25f);
    }
    for (int c = 0; c < 3; ++c) scene->lights[1].motion[c] = {};
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(SceneSetUp, TheProjectionIsRebuiltOnlyForAnotherCameraOrAResize) {
    setUpScene(&context->render, 0);
    const float first = projectionScaleX();
    EXPECT_NEAR(first, 0.2f / (-2 * 0.042733f), 1e-3);
    scene->cameras[0].zoom = 1.0f;  // an animated zoom of the same camera is not read again
    setUpScene(&context->render, 40);
    EXPECT_FLOAT_EQ(projectionScaleX(), first);
    context->render.currentCamera = &scene->cameras[1];
    setUpScene(&context->render, 80);
    const float second = projectionScaleX();
    EXPECT_GT(std::fabs(second - first), 0.1f);
    context->render.settings.width = 320;
    context->render.resized = 1;
    setUpScene(&context->render, 120);
    EXPECT_GT(std::fabs(projectionScaleX() - second), 0.1f);
    EXPECT_EQ(context->render.resized, 0);
}

}  // namespace
