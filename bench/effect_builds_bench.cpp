// Effects' CPU work: load-time builds (noise volume, Julia volumes) and per-frame geometry.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "base/crt_rand.h"
#include "effects/bubbles/bubbles.h"
#include "effects/electro/electro_ribbon.h"
#include "effects/fractal/fractal.h"
#include "effects/light_blob/light_blob.h"
#include "effects/noise.h"
#include "scene/effect_slot.h"

namespace {

void NoiseVolume(benchmark::State& state) {
    std::vector<uint8_t> bytes(NOISE_VOLUME_BYTES);
    for (auto _ : state) {
        crtSrand(1);
        buildNoiseVolumeBytes(bytes.data());
        benchmark::DoNotOptimize(bytes.data());
    }
}
BENCHMARK(NoiseVolume)->Unit(benchmark::kMillisecond);

void FractalBuild(benchmark::State& state) {
    const FractalConstants* c = fractalConstants(FractalBuilder(state.range(0)));
    std::vector<uint8_t> voxels(static_cast<size_t>(c->size) * c->size * c->size);
    for (auto _ : state) {
        buildJuliaVolume(voxels.data(), c->iterations, c->a, c->b, c->c, c->d, c->size);
        benchmark::DoNotOptimize(voxels.data());
    }
}
BENCHMARK(FractalBuild)->DenseRange(0, FRACTAL_BUILDERS - 1)->Unit(benchmark::kMillisecond);

// A curve with a few keys for each channel the blob reads.
struct Keys {
    EnvelopeKey keys[3];
    void link(Envelope* e, float phase) {
        for (int k = 0; k < 3; ++k) {
            keys[k] = {};
            keys[k].time = static_cast<float>(k);
            keys[k].value = 1.0f + 0.1f * (k + phase);
            keys[k].next = k < 2 ? &keys[k + 1] : nullptr;
            keys[k].prev = k > 0 ? &keys[k - 1] : nullptr;
        }
        *e = {keys, 3, 1, 1};
    }
};

void LightBlobFrame(benchmark::State& state) {
    static LightBlobState blob;
    static Keys keys[BLOB_MOTIONS];
    for (int k = 0; k < BLOB_MOTIONS; ++k) keys[k].link(&blob.motions[k][1], static_cast<float>(k % 7));
    lightBlobBuildBasis();
    crtSrand(0);
    lightBlobBuildRelief();
    float t = 0.0f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(evaluateBlobSurface(&blob, t));
        t += 0.04f;
    }
}
BENCHMARK(LightBlobFrame)->Unit(benchmark::kMicrosecond);

void RibbonFrame(benchmark::State& state) {
    static EffectSlot slot;
    static Keys keys[3];
    for (int k = 0; k < 3; ++k) keys[k].link(&slot.motion[k], static_cast<float>(k));
    slot.floatParams[4] = -1.0f;
    slot.floatParams[5] = 2.0f;
    static ElectroVertex vertices[RIBBON_VERTICES];
    const float camera[3] = {1.0f, 2.0f, 3.0f};
    int32_t t = 0;
    for (auto _ : state) {
        electroRibbonVertices(&slot, electroParams(&slot), t, camera, vertices);
        benchmark::DoNotOptimize(vertices);
        t += 40;
    }
}
BENCHMARK(RibbonFrame)->Unit(benchmark::kMicrosecond);

void ElectroSurfaceFrame(benchmark::State& state) {
    static EffectSlot slot;
    slot.floatParams[4] = -3.14159274f, slot.floatParams[5] = 6.28318548f, slot.floatParams[7] = 2.0f;
    static ElectroVertex vertices[ELECTRO_VERTICES];
    int32_t t = 0;
    for (auto _ : state) {
        electroSurfaceVertices(ELECTRO_COTANGENT, electroParams(&slot), t, vertices);
        benchmark::DoNotOptimize(vertices);
        t += 40;
    }
}
BENCHMARK(ElectroSurfaceFrame)->Unit(benchmark::kMicrosecond);

void BubblesFrame(benchmark::State& state) {
    static EffectSlot slot;
    slot.count = 450;
    const int32_t ip[] = {0, 0, 0, 10, 12000, 5000, 1, 5, 4, 0, 1, 20};
    for (int k = 0; k < 12; ++k) slot.intParams[k] = ip[k];
    BubblesState* s = bubblesCreate(&slot, BUBBLES_DZIAD);
    int32_t t = 0;
    for (auto _ : state) {
        bubblesEmit(s, &slot, t);
        benchmark::DoNotOptimize(s->positions);
        t += 40;
    }
    std::free(s->particles), std::free(s->positions), std::free(s->corners), std::free(s);
}
BENCHMARK(BubblesFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
