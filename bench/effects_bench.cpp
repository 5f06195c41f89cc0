// CPU cost of the simulated effects per frame: flock steps per preset and a catch-up after a late
// reset, soft-body steps, the metaball field and its polygonisation.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "base/crt_rand.h"
#include "effects/boids/boids_flock.h"
#include "effects/metaballs/metaballs.h"
#include "effects/soft_body/soft_body.h"
#include "scene/envelope.h"

namespace {

// A null that swims 12 units along x in 10 s, as the flocks' nulls do.
struct MovingNull {
    EnvelopeKey keys[2];
    Envelope channels[MOTION_CHANNELS] = {};
    MovingNull() {
        keys[0] = {};
        keys[1] = {};
        keys[0].next = &keys[1];
        keys[1].prev = &keys[0];
        keys[1].time = 10.0f;
        keys[1].value = 12.0f;
        keys[0].shape = keys[1].shape = SHAPE_LINEAR;
        channels[0] = {keys, 2, BEHAVIOR_CONSTANT, BEHAVIOR_REPEAT};
    }
};

const EffectVariant kPresets[] = {VARIANT_FLOCK_HERRING,   VARIANT_FLOCK_HERRING_THREE, VARIANT_FLOCK_HERRING_TWO,
                                  VARIANT_FLOCK_YELLOW,    VARIANT_FLOCK_YELLOW_TWO,    VARIANT_FLOCK_BLUE,
                                  VARIANT_FLOCK_BLUE_TWO,  VARIANT_FLOCK_GREEN,         VARIANT_FLOCK_GREEN_THREE,
                                  VARIANT_FLOCK_LOTS_OF_HERRINGS, VARIANT_FLOCK_SMALL,  VARIANT_FLOCK_MEDIUM};

// One 40 ms frame of a flock that has been swimming for 5 s.
void BM_FlockFrame(benchmark::State& state) {
    MovingNull path;
    const EffectVariant variant = kPresets[state.range(0)];
    crtSrand(0);
    FlockSet* set = createFlockSet(variant, path.channels, 0.0f, 0.01f);
    advanceFlock(set, 5.0f, 0.01f);
    float t = 5.0f;
    for (auto _ : state) {
        t += 0.04f;
        advanceFlock(set, t, 0.01f);
    }
    state.SetLabel(std::to_string(flockPreset(variant)->boidCount) + " fish");
    freeFlockSet(set);
}
BENCHMARK(BM_FlockFrame)->DenseRange(0, 11)->Unit(benchmark::kMicrosecond);

// A reset seen 10 s into the scene: the whole catch-up in one frame.
void BM_FlockCatchUp10s(benchmark::State& state) {
    MovingNull path;
    const EffectVariant variant = kPresets[state.range(0)];
    crtSrand(0);
    FlockSet* set = createFlockSet(variant, path.channels, 0.0f, 0.01f);
    for (auto _ : state) {
        crtSrand(0);
        resetFlock(set, 0.0f, 0.01f, path.channels);
        advanceFlock(set, 10.0f, 0.01f);
    }
    freeFlockSet(set);
}
BENCHMARK(BM_FlockCatchUp10s)->Arg(0)->Arg(9)->Unit(benchmark::kMillisecond);

// A sphere of 12 rings of 16 points, the size of the production's soft bodies.
SoftBody* makeSphereBody() {
    std::vector<float> points;
    std::vector<uint16_t> indices;
    const int rings = 12, sides = 16;
    points.insert(points.end(), {0, 1, 0});
    for (int r = 1; r < rings; ++r)
        for (int s = 0; s < sides; ++s) {
            float a = 3.14159265f * r / rings, b = 6.2831853f * s / sides;
            points.insert(points.end(), {std::sin(a) * std::cos(b), std::cos(a), std::sin(a) * std::sin(b)});
        }
    points.insert(points.end(), {0, -1, 0});
    const uint16_t last = uint16_t(points.size() / 3 - 1);
    auto at = [&](int r, int s) { return uint16_t(1 + (r - 1) * sides + s % sides); };
    for (int s = 0; s < sides; ++s) {
        indices.insert(indices.end(), {0, at(1, s + 1), at(1, s)});
        indices.insert(indices.end(), {last, at(rings - 1, s), at(rings - 1, s + 1)});
        for (int r = 1; r + 1 < rings; ++r) {
            indices.insert(indices.end(), {at(r, s), at(r, s + 1), at(r + 1, s)});
            indices.insert(indices.end(), {at(r, s + 1), at(r + 1, s + 1), at(r + 1, s)});
        }
    }
    SoftBodyParams p = {{0, 1, 0}, 2.2f, 4, 35100, 60, 586320, 700000, {5, -9.81f, 0}, 0.0045f, false, false};
    return createSoftBody(points.data(), int32_t(points.size() / 3), indices.data(), int32_t(indices.size()), p);
}

void BM_SoftBodyStep(benchmark::State& state) {
    SoftBody* body = makeSphereBody();
    for (auto _ : state) {
        computeForces(body);
        integrate(body, 1, 0.0045f);
    }
    state.SetLabel(std::to_string(body->particleCount) + " particles");
    freeSoftBody(body);
}
BENCHMARK(BM_SoftBodyStep)->Unit(benchmark::kMicrosecond);

void BM_SoftBodyCatchUp500(benchmark::State& state) {
    SoftBody* body = makeSphereBody();
    SoftBodyParams p = {{0, 1, 0}, 2.2f, 4, 35100, 60, 586320, 700000, {5, -9.81f, 0}, 0.0045f, false, false};
    for (auto _ : state) {
        resetBody(body, p);
        int32_t counter = 0;
        advanceSoftBody(body, p, &counter, 10000);
    }
    freeSoftBody(body);
}
BENCHMARK(BM_SoftBodyCatchUp500)->Unit(benchmark::kMillisecond);

void BM_MetaballField(benchmark::State& state) {
    static MetaballsShared shared;
    MetaballGrid* grid = metaballGrid(&shared);
    MetaBall balls[METABALL_PATHS];
    float t = 0.0f;
    for (auto _ : state) evaluateMetaballs(grid, 3, t += 40.0f, balls);
}
BENCHMARK(BM_MetaballField)->Unit(benchmark::kMicrosecond);

void BM_MetaballPolygonize(benchmark::State& state) {
    static MetaballsShared shared;
    MetaballGrid* grid = metaballGrid(&shared);
    MetaBall balls[METABALL_PATHS];
    evaluateMetaballs(grid, 3, 1234.0f, balls);
    for (auto _ : state) benchmark::DoNotOptimize(polygonizeMetaballSlabs(grid));
}
BENCHMARK(BM_MetaballPolygonize)->Unit(benchmark::kMicrosecond);

}  // namespace
