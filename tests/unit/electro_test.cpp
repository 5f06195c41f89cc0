// Electro surfaces and ribbons: index buffers, grid shapes, poles and paths that stand still.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "effects/electro/electro_ribbon.h"
#include "scene/effect_slot.h"

namespace {

TEST(ElectroGeometry, IndexBuffers) {
    std::vector<uint16_t> surface(ELECTRO_INDICES), ribbon(RIBBON_INDICES);
    EXPECT_EQ(ELECTRO_INDICES, 6936);
    EXPECT_EQ(RIBBON_INDICES, 2268);
    electroSurfaceIndices(ELECTRO_SINE, surface.data());
    electroRibbonIndices(ribbon.data());
    const uint16_t surfaceStart[] = {0, 1, 36, 36, 35, 0}, ribbonStart[] = {0, 1, 4, 4, 3, 0};
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(surface[k], surfaceStart[k]) << k;
        EXPECT_EQ(ribbon[k], ribbonStart[k]) << k;
    }
    for (uint16_t i : surface) ASSERT_LT(i, ELECTRO_VERTICES);
    for (uint16_t i : ribbon) ASSERT_LT(i, RIBBON_VERTICES);
    // The cotangent's cells 16..19 of every row collapse onto the row's first vertex.
    electroSurfaceIndices(ELECTRO_COTANGENT, surface.data());
    for (int j : {0, 20, 33}) {
        for (int k = 0; k < 34; ++k) {
            const uint16_t* cell = &surface[6 * (34 * j + k)];
            bool gap = k >= 16 && k <= 19;
            EXPECT_EQ(cell[0] == cell[1] && cell[0] == 35 * j, gap) << j << "," << k;
        }
    }
}

EffectSlot surfaceSlot(float a0, float ra, float b0, float rb) {
    EffectSlot slot = {};
    slot.floatParams[4] = a0, slot.floatParams[5] = ra, slot.floatParams[6] = b0, slot.floatParams[7] = rb;
    return slot;
}

TEST(ElectroGeometry, SurfacesStayFiniteAndTheBlobStartsAsASphere) {
    std::vector<ElectroVertex> v(ELECTRO_VERTICES);
    EffectSlot blob = surfaceSlot(-3.14159274f, 6.28318548f, -1.57079637f, 3.14159274f);
    electroSurfaceVertices(ELECTRO_BLOB, electroParams(&blob), 0, v.data());
    for (const ElectroVertex& e : v) {
        float r = std::sqrt(e.position[0] * e.position[0] + e.position[1] * e.position[1] + e.position[2] * e.position[2]);
        ASSERT_NEAR(r, 1.0f, 1e-5f);
    }
    EXPECT_FLOAT_EQ(v[0].turbulence[0], -1.0f);
    EXPECT_FLOAT_EQ(v[ELECTRO_VERTICES - 1].turbulence[0], 1.0f);
    // Every generator over its binding's ranges and many times, the cotangent through its pole included.
    EffectSlot cot = surfaceSlot(-3.14159274f, 6.28318548f, -1.0f, 2.0f);
    for (int g = 0; g < ELECTRO_GENERATORS; ++g)
        for (int32_t ms = 0; ms < 60000; ms += 1370) {
            electroSurfaceVertices(ElectroGenerator(g), electroParams(&cot), ms, v.data());
            for (const ElectroVertex& e : v)
                for (float c : e.position) ASSERT_TRUE(std::isfinite(c)) << g << " at " << ms;
        }
    float re = 1, im = 1;
    electroComplexQuotient(1.0f, 2.0f, 0.0f, 0.0f, &re, &im);
    EXPECT_EQ(re, 0.0f);
    EXPECT_EQ(im, 0.0f);
    electroComplexQuotient(1.0f, 2.0f, 0.0f, 1.0f, &re, &im);  // (1 + 2i) / i = 2 - i
    EXPECT_FLOAT_EQ(re, 2.0f);
    EXPECT_FLOAT_EQ(im, -1.0f);
}

TEST(ElectroGeometry, RibbonTapersAndSurvivesAStillPath) {
    EXPECT_EQ(electroRibbonWidth(0), 0.0f);
    EXPECT_NEAR(electroRibbonWidth(9), 1.0f, 1e-6f);
    EXPECT_EQ(electroRibbonWidth(100), 1.0f);
    EXPECT_NEAR(electroRibbonWidth(189), 1.0f / 9, 1e-6f);
    // A slot with no keys stands still: no tangent anywhere, and a window of no length.
    for (float length : {2.0f, 0.0f}) {
        EffectSlot slot = {};
        slot.floatParams[4] = -1.0f;
        slot.floatParams[5] = length;
        std::vector<ElectroVertex> v(RIBBON_VERTICES);
        for (const float* camera : {static_cast<const float*>(nullptr), static_cast<const float*>(slot.floatParams)}) {
            electroRibbonVertices(&slot, electroParams(&slot), 500, camera, v.data());
            for (const ElectroVertex& e : v)
                for (float c : e.position) ASSERT_TRUE(std::isfinite(c)) << length;
        }
        EXPECT_FLOAT_EQ(v[3 * 189 + 2].glow[1], 189 * 0.0042328043f - 1.0f);
        EXPECT_FLOAT_EQ(v[0].glow[0], -1.1f);
    }
}

}  // namespace
