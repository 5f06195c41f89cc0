// Julia volumes of the four builders: voxel counts, the smallest cubes.
#include <gtest/gtest.h>

#include <vector>

#include "effects/fractal/fractal.h"

namespace {

int64_t setVoxels(FractalBuilder builder, int32_t n, std::vector<uint8_t>* volume = nullptr) {
    const FractalConstants* c = fractalConstants(builder);
    std::vector<uint8_t> bytes(static_cast<size_t>(n) * n * n + 1, 7);
    buildJuliaVolume(bytes.data(), c->iterations, c->a, c->b, c->c, c->d, n);
    int64_t count = 0;
    for (size_t k = 0; k + 1 < bytes.size(); ++k) {
        EXPECT_TRUE(bytes[k] == 0 || bytes[k] == 255) << k;
        count += bytes[k] == 255;
    }
    EXPECT_EQ(bytes.back(), 7) << "wrote past the cube";
    if (volume) *volume = bytes;
    return count;
}

TEST(Fractal, VoxelCountsAtFullSize) {
    const struct {
        FractalBuilder builder;
        int64_t voxels;
    } cases[] = {{FRACTAL_4D, 122423}, {FRACTAL_BRAIN, 85733}, {FRACTAL_SMALL_1, 3681}, {FRACTAL_SMALL_2, 5278}};
    for (const auto& c : cases)
        EXPECT_EQ(setVoxels(c.builder, fractalConstants(c.builder)->size), c.voxels) << c.builder;
}

TEST(Fractal, SmallCubes) {
    for (int b = 0; b < FRACTAL_BUILDERS; ++b) {
        std::vector<uint8_t> v;
        int64_t set = setVoxels(FractalBuilder(b), 4, &v);
        if (b == FRACTAL_SMALL_2) {
            EXPECT_EQ(set, 0);
        } else {
            EXPECT_EQ(set, 1) << b;
            EXPECT_EQ(v[2 * 4 + 2 * 16 + 2], 255) << b;
        }
        // Below 4 the quarter-edge step would be zero.
        for (int n = 1; n < 4; ++n) setVoxels(FractalBuilder(b), n);
    }
}

}  // namespace
