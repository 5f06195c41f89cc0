// The fish's reference curve: each spine point moved by the z axis turned onto its segment; the
// light shafts cut short by the fish swimming through them.
#include <gtest/gtest.h>

#include "base/crt_rand.h"
#include "effects/boids/boids_draw.h"
#include "effects/boids/boids_flock.h"
#include "scene/envelope.h"

TEST(BoidsDraw, ReferenceOffsetTurnsWithEachSegment) {
    const struct {
        float step[3];  // from one spine point to the next
        float up[3];
    } cases[] = {
        {{1, 0, 0}, {0, 0, 1}},   // straight along +x: unbent and upright
        {{-1, 0, 0}, {0, 0, -1}},  // along -x: half a turn about y
        {{0, 0, 0}, {0, 0, 1}},   // a collapsed spine keeps the fish upright
        {{0, 2, 0}, {0, 0, 1}},   // x turned onto y: a turn about z leaves z
        {{0, 0, 3}, {-1, 0, 0}},  // x turned onto z: z goes to -x
    };
    for (const auto& c : cases) {
        Boid boid = {};
        for (int i = 0; i < 4; ++i)
            for (int k = 0; k < 3; ++k) boid.spine[i][k] = 5.0f + c.step[k] * float(i);
        float p[4][4], q[4][4];
        fishControlPoints(&boid, p, q);
        for (int i = 0; i < 4; ++i)
            for (int k = 0; k < 3; ++k) {
                EXPECT_EQ(p[i][k], boid.spine[i][k]);
                EXPECT_NEAR(q[i][k] - p[i][k], c.up[k], 1e-6f) << c.step[0] << c.step[1] << c.step[2] << " " << i;
            }
    }
}

TEST(BoidsDraw, ShaftsStopAtFishFarFromTheSeedingBox) {
    Envelope still[MOTION_CHANNELS] = {};
    crtSrand(0);
    FlockSet* set = createFlockSet(VARIANT_FLOCK_GREEN, still, 0.0f, 0.02f);
    ASSERT_NE(set, nullptr);
    // The school has swum 40 along x and z and 20 up since it was seeded, and rests there.
    for (int32_t i = 0; i < set->current.boidCount; ++i) {
        Boid& b = set->current.boids[i];
        for (int k = 0; k < 3; ++k) {
            const float move = k == 1 ? 20.0f : 40.0f;
            b.position[k] += move;
            for (auto& point : b.spine) point[k] += move;
            b.velocity[k] = 0.0f;
        }
    }
    advanceFlock(set, 0.05f, 0.02f);
    const Boid& fish = set->current.boids[0];
    const LightShaft shaft = {{fish.spine[0][0], 60.0f, fish.spine[0][2]}, fish.spine[0][0], 0.0f};
    ASSERT_GT(shaft.position[0], set->display.boundsMax[0]);  // outside the box the school was seeded in
    // A shaft hangs from height 60: the fish whose head it passes through stops it there or above.
    const float length = shaftLength(set, shaft);
    EXPECT_LE(length, 60.0f - fish.spine[0][1] + 1e-4f);
    EXPECT_GT(length, 0.0f);
    freeFlockSet(set);
}
