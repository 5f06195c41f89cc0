// Soft bodies: springs from shared edges, the fixed 20 ms clock, a rigid fall, walls, bodies without
// volume, normals of the shape as it is, and the box that turns with the null.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "effects/soft_body/soft_body.h"

namespace {

struct BodyDeleter {
    void operator()(SoftBody* body) const { freeSoftBody(body); }
};
using BodyPtr = std::unique_ptr<SoftBody, BodyDeleter>;

const float kOctahedron[] = {1, 0, 0, -1, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 1, 0, 0, -1};
const uint16_t kOctahedronFaces[] = {0, 2, 4, 2, 1, 4, 1, 3, 4, 3, 0, 4, 2, 0, 5, 1, 2, 5, 3, 1, 5, 0, 3, 5};

SoftBodyParams rigidFall() {
    SoftBodyParams p = {};
    p.centre[1] = 1.0f;
    p.scale = 1.0f;
    p.mass = 4.0f;
    p.stiffness = 35100.0f;
    p.damping = 60.0f;
    p.gravity[0] = 5.0f;
    p.gravity[1] = -9.81f;
    p.step = 0.0045f;
    return p;
}

BodyPtr octahedron(const SoftBodyParams& params) {
    return BodyPtr(createSoftBody(kOctahedron, 6, kOctahedronFaces, 24, params));
}

}  // namespace

TEST(SoftBody, RigidFallFollowsTheFixedClock) {
    const SoftBodyParams params = rigidFall();
    BodyPtr body = octahedron(params);
    ASSERT_TRUE(body);
    EXPECT_EQ(body->springCount, 12);
    EXPECT_EQ(body->faceCount, 8);
    int32_t counter = 0;
    const struct {
        int32_t timeMs, steps;
    } frames[] = {{0, 0}, {1000, 50}, {500, 0}, {1040, 27}};
    BodyPtr copy = octahedron(params);
    int32_t copyCounter = 0;
    for (const auto& frame : frames) {
        EXPECT_EQ(advanceSoftBody(body.get(), params, &counter, frame.timeMs), frame.steps) << frame.timeMs;
        if (frame.timeMs == 1000) {
            advanceSoftBody(copy.get(), params, &copyCounter, 1000);
            for (int32_t i = 0; i < 6; ++i) {
                const SoftParticle& p = copy->particles[i];
                EXPECT_NEAR(p.position[0] - p.initial[0], 0.1290937f, 2e-6f) << i;
                EXPECT_NEAR(p.position[1] - p.initial[1], -0.2532819f, 2e-6f) << i;
                EXPECT_NEAR(p.position[2] - p.initial[2], 0.0f, 1e-6f) << i;
            }
        }
    }
    resetBody(body.get(), params);
    EXPECT_EQ(body->particles[3].position[1], body->particles[3].initial[1]);
}

TEST(SoftBody, PinnedParticleStaysAndWallsTurnParticlesBack) {
    SoftBodyParams params = rigidFall();
    params.pin = true;
    params.gravity[0] = 0.0f;
    params.gravity[1] = -200.0f;
    BodyPtr body = octahedron(params);
    resetBody(body.get(), params);  // the reset box has its floor at y = -2.5
    int32_t counter = 0;
    advanceSoftBody(body.get(), params, &counter, 3000);
    EXPECT_EQ(body->particles[0].position[1], body->particles[0].initial[1]);
    for (int32_t i = 1; i < 6; ++i) EXPECT_GE(body->particles[i].position[1], -2.5f - 1e-3f) << i;
}

TEST(SoftBody, BodiesWithoutAreaOrVolumeStayFinite) {
    SoftBodyParams params = rigidFall();
    params.initialPressure = params.pressure = 700000.0f;
    const float flat[] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 5, 5, 5};
    // Two faces back to back (no volume), one with a repeated corner (no area), one past the count.
    const uint16_t faces[] = {0, 1, 2, 0, 2, 1, 0, 0, 1, 0, 1, 9};
    BodyPtr body(createSoftBody(flat, 4, faces, 12, params));
    ASSERT_TRUE(body);
    EXPECT_EQ(body->faceCount, 3);
    EXPECT_EQ(body->springCount, 3);
    int32_t counter = 0;
    advanceSoftBody(body.get(), params, &counter, 200);
    accumulateNormals(body.get());
    EXPECT_EQ(body->inverseVolume, 0.0f);
    for (int32_t i = 0; i < 4; ++i)
        for (int k = 0; k < 3; ++k) {
            EXPECT_TRUE(std::isfinite(body->particles[i].position[k])) << i;
            EXPECT_TRUE(std::isfinite(body->particles[i].normal[k])) << i;
        }
}

// A vertex of the octahedron lies on four faces whose unit normals (+-1, +-1, 1) / sqrt 3 sum to
// 4 / sqrt 3 along the vertex: so it is drawn as created and again after a reset, whatever the
// steps between did to the shape.
TEST(SoftBody, NormalsFollowTheShapeAsItIs) {
    SoftBodyParams params = rigidFall();
    params.gravity[1] = -200.0f;
    BodyPtr body = octahedron(params);
    resetBody(body.get(), params);  // the reset box: the body is squashed on its floor at y = -2.5
    const float sum = 4.0f / std::sqrt(3.0f);
    for (const char* when : {"as created", "after a squash and a reset"}) {
        SCOPED_TRACE(when);
        if (when[0] == 'a' && when[1] == 'f') {
            int32_t counter = 0;
            advanceSoftBody(body.get(), params, &counter, 3000);
            resetBody(body.get(), params);
        }
        accumulateNormals(body.get());
        for (int32_t i = 0; i < 6; ++i)
            for (int k = 0; k < 3; ++k)
                EXPECT_NEAR(body->particles[i].normal[k], kOctahedron[3 * i + k] * sum, 1e-5f) << i << " " << k;
    }
}

// The box turns as the null does: a null turned by a heading of 90 degrees turns its x axis onto -z
// (a heading turns about y, x towards -z), so the box's first wall faces -z and its fourth +z.
TEST(SoftBody, FollowBoxTurnsWithTheNull) {
    const struct {
        float heading, pitch;
        float wall[3][3];  // the walls along the null's x, y and z
    } cases[] = {
        {0, 0, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}},
        {90, 0, {{0, 0, -1}, {0, 1, 0}, {1, 0, 0}}},
        {0, 90, {{1, 0, 0}, {0, 0, 1}, {0, -1, 0}}},
    };
    BodyPtr body = octahedron(rigidFall());
    for (const auto& c : cases) {
        setFollowBox(body.get(), c.heading, c.pitch, 0.0f);
        for (int a = 0; a < 3; ++a)
            for (int k = 0; k < 3; ++k) {
                EXPECT_NEAR(body->planes[a][k], c.wall[a][k], 1e-6f) << c.heading << " " << c.pitch << " " << a;
                EXPECT_NEAR(body->planes[a + 3][k], -c.wall[a][k], 1e-6f);
            }
        for (int w = 0; w < 6; ++w) EXPECT_EQ(body->planes[w][3], 4.0f);
    }
}
