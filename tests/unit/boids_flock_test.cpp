// The fish school: seeding, the neighbour grid and its hash, and the clock that follows the scene.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "base/crt_rand.h"
#include "effects/boids/boids_flock.h"
#include "effects/boids/flock_neighbours.h"
#include "scene/envelope.h"

namespace {

struct FlockDeleter {
    void operator()(FlockSet* set) const { freeFlockSet(set); }
};
using FlockPtr = std::unique_ptr<FlockSet, FlockDeleter>;

// The null's path: still at the origin unless keys are given.
struct Path {
    Envelope channels[MOTION_CHANNELS] = {};
};

FlockPtr seeded(EffectVariant variant, const Path& path, float start = 0.0f, float step = 0.015f) {
    crtSrand(0);
    return FlockPtr(createFlockSet(variant, path.channels, start, step));
}

// A null swimming 12 units along x in 10 s.
struct SwimmingPath : Path {
    EnvelopeKey keys[2] = {};
    SwimmingPath() {
        keys[0].next = &keys[1];
        keys[1].prev = &keys[0];
        keys[1].time = 10.0f;
        keys[1].value = 12.0f;
        keys[0].shape = keys[1].shape = SHAPE_LINEAR;
        channels[0] = {keys, 2, BEHAVIOR_CONSTANT, BEHAVIOR_CONSTANT};
    }
};

void setBounds(Flock* flock, float lo, float hi) {
    for (int k = 0; k < 3; ++k) {
        flock->boundsMin[k] = lo;
        flock->boundsMax[k] = hi;
    }
}

}  // namespace

TEST(BoidsFlock, HerringSeedsFromTheSharedGenerator) {
    Path still;
    FlockPtr set = seeded(VARIANT_FLOCK_HERRING, still);
    ASSERT_TRUE(set);
    const int32_t next = crtRand();
    crtSrand(0);
    for (int i = 0; i < 800; ++i) crtRand();
    EXPECT_EQ(next, crtRand());  // 8 draws for each of the 100 fish

    const Boid& b = set->current.boids[0];
    const float position[3] = {-3.990722f, -2.115421f, 1.185217f};
    const float velocity[3] = {-0.04256264f, -0.02297586f, -0.01399731f};
    for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(b.position[k], position[k], 1e-5f);
        EXPECT_NEAR(b.velocity[k], velocity[k], 1e-7f);
        EXPECT_EQ(b.spine[0][k], b.position[k]);
    }
    EXPECT_EQ(set->display.boids, set->current.boids);  // one array behind all three headers
    EXPECT_EQ(set->current.obstacleCount, 3);
    EXPECT_EQ(flockPreset(VARIANT_SURFACE_SINE), nullptr);
}

TEST(BoidsFlock, CellOffsetsCoverTheNeighbourRadius) {
    Path still;
    FlockPtr set = seeded(VARIANT_FLOCK_HERRING, still);
    Flock* flock = &set->current;
    const struct {
        float lo, hi;
        int32_t count, min, max;
    } cases[] = {{-10, 10, 27, -111, 111}, {-20, 20, 1, 0, 0}, {0, 0, 1, 0, 0}, {NAN, NAN, 1, 0, 0}};
    for (const auto& c : cases) {
        setBounds(flock, c.lo, c.hi);
        computeCellOffsets(flock);  // a zero or NaN cell size must still end
        ASSERT_EQ(flock->cellOffsetCount, c.count) << c.hi;
        if (c.count == 0) continue;
        EXPECT_EQ(*std::min_element(flock->cellOffsets, flock->cellOffsets + c.count), c.min);
        EXPECT_EQ(*std::max_element(flock->cellOffsets, flock->cellOffsets + c.count), c.max);
    }
}

TEST(BoidsFlock, HashProbesStayInsideTheTable) {
    Path still;
    FlockPtr set = seeded(VARIANT_FLOCK_HERRING, still);
    CellTable* table = set->current.cellTable;
    cellClear(table);
    Boid* boids = set->current.boids;
    // Colliding keys probe onwards; negative keys (cells left of the grid) too.
    const struct {
        int32_t key, bucket;
    } cases[] = {{5, 5}, {4006, 35}, {8007, 59}, {-96, 3905}, {-4097, -1}};
    for (int i = 0; i < 5; ++i) cellInsert(table, &boids[i], cases[i].key);
    for (int i = 0; i < 5; ++i) {
        int32_t bucket = cellBucketOf(table, cases[i].key);
        if (cases[i].bucket >= 0) {
            EXPECT_EQ(bucket, cases[i].bucket) << cases[i].key;
        }
        ASSERT_GE(bucket, 0);
        ASSERT_NE(cellLookup(table, cases[i].key), nullptr);
        EXPECT_EQ(cellLookup(table, cases[i].key)->boid, &boids[i]) << cases[i].key;
    }
    EXPECT_EQ(cellLookup(table, 6), nullptr);
    // Clearing visits only the buckets its entries went into: every chain must be gone.
    cellClear(table);
    for (const auto& c : cases) EXPECT_EQ(cellLookup(table, c.key), nullptr) << c.key;
    for (const CellBucket& b : table->buckets) ASSERT_EQ(b.head, nullptr);
}

TEST(BoidsFlock, ClockStepsOnlyWhenTheSceneTimeMovesOn) {
    Path still;
    FlockPtr set = seeded(VARIANT_FLOCK_GREEN, still, 4.0f, 0.02f);
    const Boid before = set->current.boids[7];
    advanceFlock(set.get(), 1.0f, 0.02f);  // before the start time: no step
    EXPECT_EQ(set->current.time, 4.0f);
    EXPECT_EQ(set->current.boids[7].position[0], before.position[0]);

    advanceFlock(set.get(), 4.1f, 0.02f);
    const float time = set->current.time;
    EXPECT_NEAR(time, 4.1f, 0.02f);
    // The null does not move: the speed limit stops every fish where it is.
    for (int32_t i = 0; i < set->current.boidCount; ++i)
        for (float v : set->current.boids[i].velocity) EXPECT_EQ(v, 0.0f);
    const Boid after = set->current.boids[7];
    advanceFlock(set.get(), 4.1f, 0.02f);
    EXPECT_EQ(set->current.time, time);
    EXPECT_EQ(set->current.boids[7].position[1], after.position[1]);
    copyFlock(&set->current, &set->current);
}

TEST(BoidsFlock, DegenerateFishStepWithoutNaNs) {
    Path still;
    FlockPtr set = seeded(VARIANT_FLOCK_SMALL, still);
    Flock* flock = &set->current;
    // Fish on top of each other, at rest, and one inside an obstacle's centre.
    for (int32_t i = 0; i < flock->boidCount; ++i) {
        Boid& b = flock->boids[i];
        for (int k = 0; k < 3; ++k) b.position[k] = b.velocity[k] = 0.0f;
        if (i == 1)
            for (int k = 0; k < 3; ++k) b.position[k] = flock->obstacles[0].centre[k];
    }
    flock->boids[2].position[0] = 1e30f;  // far outside the grid: a huge negative-free key
    flock->boids[3].position[0] = -1e30f;
    crtSrand(0);
    stepFlock(flock, 0.01f);
    EXPECT_EQ(crtRand(), 38);  // the step draws nothing
    for (int32_t i = 0; i < flock->boidCount; ++i)
        for (float v : flock->boids[i].velocity) EXPECT_FALSE(std::isnan(v)) << i;
}

// The neighbour passes keep the fish within the radius in a list; a list too short for them is
// worked through in parts and the chains walked again, and the cells' chains are read from the
// grid instead of the hash. Neither may change a single bit of the school.
TEST(BoidsFlock, NeighbourListAndCellChainsSteerAsTheHashDoes) {
    SwimmingPath path;
    for (EffectVariant variant : {VARIANT_FLOCK_HERRING, VARIANT_FLOCK_SMALL, VARIANT_FLOCK_LOTS_OF_HERRINGS}) {
        FlockPtr wide = seeded(variant, path, 0.0f, 0.01f), narrow = seeded(variant, path, 0.0f, 0.01f);
        freeNearFishList(narrow->current.inRange);
        narrow->current.inRange = createNearFishList(3);
        for (float t = 0.5f; t <= 3.0f; t += 0.5f) {
            if (t == 2.0f) {  // a reset half way must leave no cell's chain behind
                crtSrand(0);
                resetFlock(wide.get(), 0.0f, 0.01f, path.channels);
                crtSrand(0);
                resetFlock(narrow.get(), 0.0f, 0.01f, path.channels);
            }
            advanceFlock(wide.get(), t, 0.01f);
            advanceFlock(narrow.get(), t, 0.01f);
            const Flock& flock = wide->current;
            ASSERT_TRUE(flock.cellChainsCover);
            const int32_t cells = flock.gridResolution * flock.gridResolution * flock.gridResolution;
            for (int32_t key = -cells; key < 2 * cells; ++key)
                ASSERT_EQ(flockCellChain(&flock, key), cellLookup(flock.cellTable, key)) << key;
        }
        for (int32_t i = 0; i < wide->current.boidCount; ++i)
            for (int k = 0; k < 3; ++k) {
                ASSERT_EQ(wide->current.boids[i].velocity[k], narrow->current.boids[i].velocity[k]) << variant << " " << i;
                ASSERT_EQ(wide->current.boids[i].position[k], narrow->current.boids[i].position[k]);
            }
    }
}

// The second pass decides what a fish sees from squares; it must answer as faces() does for every
// input, most of all at the edge of the view, where the roundings of faces() decide.
TEST(BoidsFlock, SightFromSquaresAnswersAsTheQuotientDoes) {
    const float cosine = std::cos(1.57f);
    const float inf = INFINITY, tiny = 1e-30f;
    const struct {
        float dot, da, squared;
    } extremes[] = {{1, 0, 1}, {-1, 1, 0}, {0, 1, 1}, {-0.0f, 1, 1}, {NAN, 1, 1}, {1, 1, NAN}, {inf, 1, 1},
                    {1, 1, inf}, {1e-38f, 1e-20f, 1e-20f}, {tiny, tiny, tiny}, {1, 1e-30f, 1e-30f}, {1, 1e20f, 1e30f}};
    for (const auto& c : extremes) {
        const float a[3] = {c.dot, 0, 0}, v[3] = {1, 0, 0};
        EXPECT_EQ(facesBySquares(c.dot, c.da, c.squared, cosine), faces(v, a, c.da, std::sqrt(c.squared), cosine))
            << c.dot << " " << c.da << " " << c.squared;
    }
    // Offsets at the edge of the view of a fish swimming along x: the component along x a few
    // units in the last place around cosine times the distance, or (every other one) a few in a
    // thousand, across the margins of the single-precision test.
    crtSrand(7);
    auto u = [] { return float(crtRand()) / 32767.0f; };
    for (int i = 0; i < 200000; ++i) {
        const float v[3] = {0.01f + u(), u() - 0.5f, u() - 0.5f};
        const float speed2 = v[0] * v[0] + v[1] * v[1] + v[2] * v[2];
        float a[3] = {0, 4 * u() - 2, 4 * u() - 2};
        const float along = std::sqrt(a[1] * a[1] + a[2] * a[2]) * cosine;
        // Across the edge: ax chosen so that a · v is near cosine |a| |v|.
        const float spread = i % 2 ? 4e-6f : 4e-3f;
        a[0] = (along * std::sqrt(speed2) - a[1] * v[1] - a[2] * v[2]) / v[0] * (1.0f + (u() - 0.5f) * spread);
        const float da = std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
        const float dot = a[0] * v[0] + a[1] * v[1] + a[2] * v[2];
        ASSERT_EQ(facesBySquares(dot, da, speed2, cosine), faces(v, a, da, std::sqrt(speed2), cosine)) << i;
    }
}
