// Numbers of the shadow and glow passes that need no device: colour grading, shadow parameters,
// glow texture sizes.
#include <gtest/gtest.h>

#include <vector>

#include "app/demo_context.h"
#include "render/colour_matrix.h"
#include "render/glow.h"
#include "render/shadow_parameters.h"
#include "scene/colour_operations.h"

namespace {

struct Op {
    uint8_t kind;
    float a, b, c;
};

// Rows applied to (r, g, b, 1).
void grade(const float rows[16], const float in[3], float out[3]) {
    for (int r = 0; r < 3; ++r)
        out[r] = rows[4 * r] * in[0] + rows[4 * r + 1] * in[1] + rows[4 * r + 2] * in[2] + rows[4 * r + 3];
}

void matrixOf(const std::vector<Op>& ops, float rows[16]) {
    ColourOperation* list = nullptr;
    for (const Op& op : ops) {
        const float values[3] = {op.a, op.b, op.c};
        addColourOperation(&list, op.kind, 0, values);
    }
    buildColourMatrix(list, 0, rows);
    freeColourOperations(&list);
}

TEST(ColourMatrix, OperationsInListOrder) {
    struct Case {
        const char* name;
        std::vector<Op> ops;
        float in[3], out[3];
    } cases[] = {
        {"empty", {}, {0.3f, 0.6f, 0.9f}, {0.3f, 0.6f, 0.9f}},
        {"unit scale", {{COLOUR_SCALE, 1, 1, 1}}, {0.3f, 0.6f, 0.9f}, {0.3f, 0.6f, 0.9f}},
        {"brightness then contrast", {{COLOUR_BRIGHTNESS, 0.1f, 0.1f, 0.1f}, {COLOUR_CONTRAST, 2, 2, 2}},
         {0.6f, 0.6f, 0.6f}, {0.8f, 0.8f, 0.8f}},
        {"contrast then brightness", {{COLOUR_CONTRAST, 2, 2, 2}, {COLOUR_BRIGHTNESS, 0.1f, 0.1f, 0.1f}},
         {0.6f, 0.6f, 0.6f}, {0.9f, 0.9f, 0.9f}},
        {"hue 120", {{COLOUR_HUE, 120, 0, 0}}, {1, 0, 0}, {0, 1, 0}},
        {"scale", {{COLOUR_SCALE, 0.5f, 2, 1}}, {0.4f, 0.4f, 0.4f}, {0.2f, 0.8f, 0.4f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        float rows[16], out[3];
        matrixOf(c.ops, rows);
        grade(rows, c.in, out);
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(out[k], c.out[k], 1e-5f);
        for (int k = 0; k < 4; ++k) EXPECT_FLOAT_EQ(rows[12 + k], k == 3 ? 1.0f : 0.0f);
    }
    float rows[16];
    matrixOf({{COLOUR_BRIGHTNESS, 0.1f, 0.1f, 0.1f}, {COLOUR_CONTRAST, 2, 2, 2}}, rows);
    const float row0[4] = {2, 0, 0, -0.4f};
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(rows[k], row0[k], 1e-6f);
}

TEST(ColourMatrix, ZeroSaturationGivesGreyAndEnvelopesAnimate) {
    float rows[16], out[3];
    matrixOf({{COLOUR_SATURATION, 0, 0, 0}}, rows);
    const float colours[][3] = {{1, 0, 0}, {0, 1, 0}, {0.2f, 0.5f, 0.9f}, {1, 1, 1}};
    for (const auto& in : colours) {
        grade(rows, in, out);
        const float grey = (in[0] + in[1] + in[2]) / 3.0f;
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(out[k], grey, 1e-3f);
    }

    // An animated scale follows its envelopes: 1 at 0 s, 3 at 1 s.
    EnvelopeKey keys[3][2] = {};
    Envelope envelopes[3] = {};
    for (int e = 0; e < 3; ++e) {
        keys[e][0] = {&keys[e][1], nullptr, 1.0f, 0.0f, SHAPE_LINEAR, 0, 0, 0, {}};
        keys[e][1] = {nullptr, &keys[e][0], 3.0f, 1.0f, SHAPE_LINEAR, 0, 0, 0, {}};
        envelopes[e] = {keys[e], 2, BEHAVIOR_CONSTANT, BEHAVIOR_CONSTANT};
    }
    ColourOperation node = {COLOUR_SCALE, 1, {envelopes[0], envelopes[1], envelopes[2]}, {}, nullptr};
    for (int32_t ms : {0, 500, 1000}) {
        buildColourMatrix(&node, ms, rows);
        EXPECT_NEAR(rows[0], 1.0f + 2.0f * ms / 1000.0f, 1e-5f) << ms;
        EXPECT_NEAR(rows[10], rows[0], 1e-5f);
    }
}

Envelope constantEnvelope(EnvelopeKey* key, float value) {
    *key = {nullptr, nullptr, value, 0.0f, SHAPE_LINEAR, 0, 0, 0, {}};
    return {key, 1, BEHAVIOR_CONSTANT, BEHAVIOR_CONSTANT};
}

TEST(ShadowParameters, MapCoordinatesAndDegenerateVolumes) {
    struct Case {
        float x, y, z, w, c;
        bool casts;
        float offset[2], scale;
    } cases[] = {
        {2, 7, -4, 10, 0.25f, true, {0.6f, 0.3f}, 0.2f},
        {0, 5, 0, 1, 1, true, {0.5f, 0.5f}, 0.5f},
        // Nothing to project: every fragment reads the map's white border.
        {2, 7, -4, 0, 0.25f, false, {-1, -1}, 0},
        {2, 7, -4, 10, 0, false, {-1, -1}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.w * 100 + c.c);
        SceneSetup setup = {};
        EnvelopeKey keys[4];
        const float volume[4] = {c.x, c.y, c.z, c.w};
        for (int k = 0; k < 4; ++k) setup.shadowEnvelopes[k] = constantEnvelope(&keys[k], volume[k]);
        setup.causticsScale = c.c;
        setup.shadowDepthScale = 0.05f;
        setup.shadowSoftness = 20;
        setup.shadowAmbient = 0.3f;
        ShadowParameters p = shadowParameters(&setup, 1234);
        EXPECT_EQ(p.castsShadows, c.casts);
        const float offset[4] = {c.offset[0], c.offset[1], 0, 0}, scale[4] = {c.scale, c.scale, 0, 1};
        const float shading[4] = {20, 0.3f, 0, 1}, depth[4] = {0.05f, 0.05f, 0.05f, 0.05f};
        for (int k = 0; k < 4; ++k) {
            EXPECT_NEAR(p.mapOffset[k], offset[k], 1e-6f);
            EXPECT_NEAR(p.mapScale[k], scale[k], 1e-6f);
            EXPECT_EQ(p.shading[k], shading[k]);
            EXPECT_EQ(p.depthScale[k], depth[k]);
            EXPECT_EQ(p.volume[k], volume[k]);
        }
    }
}

TEST(GlowTextureSize, CoversTheRenderSizeOrTheDesktop) {
    struct Case {
        int32_t fullscreen, width, height, screenWidth, screenHeight, textureWidth, textureHeight;
    } cases[] = {
        {1, 640, 480, 1920, 1080, 1024, 512}, {1, 400, 300, 1920, 1080, 512, 512},
        {0, 640, 480, 1280, 1024, 2048, 1024}, {1, 512, 513, 0, 0, 512, 1024},
        {0, 640, 480, 0, 0, 512, 512},
    };
    for (const Case& c : cases) {
        Settings s = {};
        s.fullscreen = c.fullscreen;
        s.width = c.width;
        s.height = c.height;
        s.screenWidth = c.screenWidth;
        s.screenHeight = c.screenHeight;
        int32_t w = 0, h = 0;
        glowTextureSize(&s, &w, &h);
        EXPECT_EQ(w, c.textureWidth) << c.width << " x " << c.height;
        EXPECT_EQ(h, c.textureHeight) << c.width << " x " << c.height;
    }
}

}  // namespace
