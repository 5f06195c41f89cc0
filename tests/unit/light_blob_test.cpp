// Light blob: the basis tables, the unit sphere, normals, indices, lights and the generator's draws.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "base/crt_rand.h"
#include "effects/light_blob/light_blob.h"
#include "scene/scene.h"

namespace {

TEST(LightBlob, BasisSumsToOneAndUnitHeightsGiveTheUnitSphere) {
    lightBlobBuildBasis();
    for (int s = 0; s < BLOB_BASIS_ENTRIES; ++s) {
        float sum = 0.0f;
        for (int k = 0; k < 4; ++k) sum += lightBlobBasisTable(k)[s];
        ASSERT_NEAR(sum, 1.0f, 1e-6f) << s;
    }
    EXPECT_EQ(lightBlobBasis(4.0f), 0.0f);
    EXPECT_EQ(lightBlobBasis(-0.1f), 0.0f);
    std::vector<float> heights(BLOB_CONTROLS, 1.0f), v(BLOB_VERTICES * BLOB_VERTEX_FLOATS);
    lightBlobSurface(heights.data(), 0.0f, v.data());
    for (int k = 0; k < BLOB_VERTICES; ++k) {
        const float* p = &v[BLOB_VERTEX_FLOATS * k];
        ASSERT_NEAR(std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]), 1.0f, 1e-4f) << k;
        const float n = p[3] * p[3] + p[4] * p[4] + p[5] * p[5];
        ASSERT_TRUE(n > 0.0f && std::isfinite(n)) << "vertex " << k;
    }
    // The seam: column 99 repeats column 0.
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(v[BLOB_VERTEX_FLOATS * 50 * 99 + 50 * 0 + c], v[c], 1e-5f);
}

TEST(LightBlob, IndicesReliefDrawsAndLights) {
    std::vector<uint16_t> indices(BLOB_INDICES);
    EXPECT_EQ(BLOB_INDICES, 29106);
    lightBlobIndices(indices.data());
    const uint16_t first[] = {0, 1, 51, 51, 50, 0};
    for (int k = 0; k < 6; ++k) EXPECT_EQ(indices[k], first[k]);
    for (uint16_t i : indices) ASSERT_LT(i, BLOB_VERTICES);
    // The relief uses up 28,671 draws of the shared generator: what follows depends on it.
    crtSrand(0);
    for (int k = 0; k < 28671; ++k) crtRand();
    const int32_t next = crtRand();
    crtSrand(0);
    lightBlobBuildRelief();
    EXPECT_EQ(crtRand(), next);
    // Lights: distant and point only, and no more than the device's coordinate sets after set 0.
    static Scene scene;
    scene.lightCount = SCENE_LIGHTS;
    for (int k = 0; k < SCENE_LIGHTS; ++k) scene.lights[k].type = k == 1 ? 2 : 1;
    BlobLight lights[BLOB_MAX_LIGHTS];
    ASSERT_EQ(lightBlobLights(&scene, 8, lights), 7);
    EXPECT_EQ(lights[0].texCoord, 1);
    EXPECT_EQ(lights[1].texCoord, 2);
    EXPECT_EQ(lights[1].light, 2) << "the spot light is skipped without taking a set";
    EXPECT_EQ(lightBlobLights(&scene, 4, lights), 3);
}

}  // namespace
