// The fish's reference curve: each spine point moved by the z axis turned onto its segment.
#include <gtest/gtest.h>

#include "effects/boids/boids_draw.h"
#include "effects/boids/boids_flock.h"

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
