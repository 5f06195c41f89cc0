// Lattice noise tables, noise values, tiling, octave sums and the turbulence volume.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "base/crt_rand.h"
#include "effects/noise.h"

namespace {

TEST(Noise, TablesFromSeedOne) {
    crtSrand(1);
    initNoise();
    const NoiseTables* t = noiseTables();
    const int first[] = {4057, 1572, 2680, 3757};
    for (int k = 0; k < 4; ++k) EXPECT_EQ(t->permutation[k], first[k]) << k;
    EXPECT_EQ(t->permutation[4095], 3994);
    EXPECT_EQ(crtRand(), 30198);
    // A permutation of the lattice, repeated in the second half.
    std::vector<int> seen(NOISE_LATTICE, 0);
    for (int k = 0; k < NOISE_LATTICE; ++k) ++seen[t->permutation[k]];
    for (int k = 0; k < NOISE_LATTICE; ++k) ASSERT_EQ(seen[k], 1) << k;
    for (int k = 0; k < NOISE_LATTICE + 2; ++k) ASSERT_EQ(t->permutation[NOISE_LATTICE + k], t->permutation[k]);
    // The first value drawn after seeding 1 is 41.
    EXPECT_FLOAT_EQ(t->gradients1[0], (41 - 4096) / 4096.0f);
}

TEST(Noise, ZeroAtLatticePointsTilesAndStaysFinite) {
    crtSrand(1);
    initNoise();
    for (float c : {0.0f, 1.0f, -3.0f, 17.0f, 300.0f}) {
        EXPECT_EQ(noise2(c, c + 2), 0.0f) << c;
        EXPECT_EQ(noise3(c, 5.0f, c - 1), 0.0f) << c;
    }
    EXPECT_NE(noise2(0.3f, 0.7f), 0.0f);
    // Opposite edges of a tile meet.
    for (float c : {0.25f, 1.5f, 3.75f}) {
        EXPECT_NEAR(tileNoise2(8.0f, c, 8.0f, 4.0f), tileNoise2(0.0f, c, 8.0f, 4.0f), 1e-5f) << c;
        EXPECT_NEAR(tileNoise3(c, 4.0f, 0.5f, 8.0f, 4.0f, 2.0f), tileNoise3(c, 0.0f, 0.5f, 8.0f, 4.0f, 2.0f), 1e-5f);
    }
    // Inputs without a lattice cell, and octave sums that could never end or divide by zero.
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(noise2(nan, 0.5f), 0.0f);
    EXPECT_EQ(noise3(0.5f, inf, 0.5f), 0.0f);
    EXPECT_TRUE(std::isfinite(sumNoise2(0.3f, 0.4f, 8.0f, 8.0f, 1e30f)));
    EXPECT_EQ(sumNoise2(0.3f, 0.4f, 8.0f, 8.0f, 0.0f), 0.0f);
    EXPECT_EQ(sumNoise3(0.3f, 0.4f, 0.5f, 8.0f, 8.0f, 8.0f, nan), 0.0f);
    EXPECT_TRUE(std::isfinite(tileNoise2(0.3f, 0.4f, 0.0f, 0.0f)));
}

TEST(Noise, VolumeAndStretch) {
    crtSrand(1);
    std::vector<uint8_t> volume(NOISE_VOLUME_BYTES);
    buildNoiseVolumeBytes(volume.data());
    EXPECT_EQ(volume[0], 127);
    uint8_t lo = 255, hi = 0;
    for (uint8_t b : volume) lo = b < lo ? b : lo, hi = b > hi ? b : hi;
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 255);
    // The same bytes sampled from tables kept aside, after the shared tables were drawn again (the
    // shared volume is sampled on another thread while other effects draw theirs).
    crtSrand(1);
    initNoise();
    auto kept = std::make_unique<NoiseTables>(*noiseTables());
    crtSrand(2);
    initNoise();
    std::vector<uint8_t> aside(NOISE_VOLUME_BYTES);
    sampleNoiseVolume(*kept, aside.data());
    EXPECT_EQ(aside, volume);
    // A flat buffer has nothing to spread and must not divide by zero.
    std::vector<uint8_t> flat(64, 90);
    stretchBytes(flat.data(), flat.size());
    EXPECT_EQ(flat[0], 90);
    uint8_t ramp[] = {10, 20, 30};
    stretchBytes(ramp, 3);
    EXPECT_EQ(ramp[1], 127);
    EXPECT_EQ(ramp[2], 255);
    EXPECT_EQ(noiseByte(0.0f), 127);
    EXPECT_EQ(noiseByte(1.1f), 11);  // 267 keeps its low bits
    EXPECT_EQ(noiseByte(std::numeric_limits<float>::quiet_NaN()), 0);
}

}  // namespace
