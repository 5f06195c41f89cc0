// The CPU matrices must equal what the GL model-view stack gives for the same calls.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "platform/platform.h"
#include "scene/scene.h"
#include "scene/transform.h"
#include "tests/support/ci.h"
#include "tests/support/xvfb.h"

namespace {

class GlMatrixReadback : public ::testing::Test {
protected:
    void SetUp() override {
        if (sharedXvfb()->display.empty()) SKIP_OUTSIDE_CI("Xvfb cannot be started");
        setenv("DISPLAY", sharedXvfb()->display.c_str(), 1);
        ASSERT_TRUE(platformInit(true));
        WindowRequest request = {"matrices", 0, 0, 64, 64, false, true, 24, 24, 8, 0};
        window = platformCreateWindow(&request);
        if (!window) {
            platformShutdown();
            SKIP_OUTSIDE_CI("no GL context");
        }
        glMatrixMode(GL_MODELVIEW);
    }
    void TearDown() override {
        if (window) platformDestroyWindow(window);
        window = nullptr;
        platformShutdown();
    }
    static void readBack(float m[16]) { glGetFloatv(GL_MODELVIEW_MATRIX, m); }
    PlatformWindow* window = nullptr;
};

void expectSame(const float* cpu, const float* gl) {
    for (int i = 0; i < 16; ++i) EXPECT_EQ(cpu[i], gl[i]) << "element " << i;
}

// The item matrix calls: translate, three rotations about the heading-turned axes, pivot, scale.
void glItemCalls(const float v[9], const float pivot[3]) {
    float r[16], turn[16];
    rowIdentity(r);
    rowRotation(turn, 0, 1, 0, -v[3]);
    rowMultiply(r, r, turn);
    const float x[3] = {r[0], r[1], r[2]};
    rowRotation(turn, x[0], x[1], x[2], -v[4]);
    rowMultiply(r, r, turn);
    glLoadIdentity();
    glTranslatef(v[0], v[1], v[2]);
    glRotatef(v[5], r[8], r[9], r[10]);
    glRotatef(v[4], x[0], x[1], x[2]);
    glRotatef(v[3], 0, 1, 0);
    glTranslatef(-pivot[0], -pivot[1], -pivot[2]);
    glScalef(v[6], v[7], v[8]);
}

TEST_F(GlMatrixReadback, ItemMatricesMatchBitForBit) {
    const float cases[][9] = {{0, 0, 0, 0, 0, 0, 1, 1, 1},        {1, 2, 3, 90, 0, 0, 1, 1, 1},
                              {0, 0, 0, 0, 90, 0, 1, 1, 1},       {0, 0, 0, 0, 0, -90, 2, 2, 2},
                              {-4, 0.5f, 7, 33, -12, 71, 1, 2, 3}, {0.1f, 0.2f, 0.3f, 181, 95, -270, 0.5f, 1, 1},
                              {9, 8, 7, -0.001f, 1e-4f, 359, 1, 1, -1}};
    const float pivot[3] = {0.25f, -1, 3};
    for (const auto& v : cases) {
        SCOPED_TRACE(testing::Message() << v[3] << " " << v[4] << " " << v[5]);
        glItemCalls(v, pivot);
        float gl[16], cpu[16];
        readBack(gl);
        matrixLoadIdentity(cpu);
        matrixTranslate(cpu, v[0], v[1], v[2]);
        matrixRotateHeadingPitchBank(cpu, v[3], v[4], v[5]);
        matrixTranslate(cpu, -pivot[0], -pivot[1], -pivot[2]);
        matrixScale(cpu, v[6], v[7], v[8]);
        expectSame(cpu, gl);
    }
}

TEST_F(GlMatrixReadback, TheHalfTurnAndMultipliedChainsMatch) {
    float a[16], b[16];
    matrixLoadIdentity(a);
    matrixTranslate(a, 1, 2, 3);
    matrixRotateHeadingPitchBank(a, 20, 30, 40);
    matrixLoadIdentity(b);
    matrixRotate(b, 77, 0.3f, -0.2f, 0.9f);
    matrixScale(b, 1.5f, 1, 0.5f);

    glLoadIdentity();
    glRotatef(180, 0, 1, 0);
    glMultMatrixf(a);
    glMultMatrixf(b);
    glRotatef(-180, 0, 1, 0);
    float gl[16], cpu[16];
    readBack(gl);
    matrixLoadIdentity(cpu);
    matrixRotate(cpu, 180, 0, 1, 0);
    matrixMultiply(cpu, a);
    matrixMultiply(cpu, b);
    matrixRotate(cpu, -180, 0, 1, 0);
    expectSame(cpu, gl);
}

}  // namespace
