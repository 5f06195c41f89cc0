// Evaluating envelopes, which nearly every renderer and effect does every frame.
#include <benchmark/benchmark.h>

#include <vector>

#include "scene/envelope.h"

namespace {

// A 32-key curve of the given span shape, linked as the reader links it.
struct Curve {
    std::vector<EnvelopeKey> keys;
    Envelope envelope;
};

Curve makeCurve(uint32_t shape, int32_t post) {
    Curve c;
    c.keys.resize(32);
    for (size_t i = 0; i < c.keys.size(); ++i) {
        EnvelopeKey& k = c.keys[i];
        k = {};
        k.time = static_cast<float>(i) * 0.5f;
        k.value = static_cast<float>((i * 7) % 5);
        k.shape = shape;
        k.param[0] = k.param[1] = 0.3f;
        k.param[2] = 0.2f;
        k.param[3] = 0.1f;
        k.next = i + 1 < c.keys.size() ? &c.keys[i + 1] : nullptr;
        k.prev = i > 0 ? &c.keys[i - 1] : nullptr;
    }
    c.envelope = {c.keys.data(), static_cast<int32_t>(c.keys.size()), BEHAVIOR_CONSTANT, post};
    return c;
}

void BM_EvalEnvelope(benchmark::State& state) {
    Curve c = makeCurve(static_cast<uint32_t>(state.range(0)), BEHAVIOR_REPEAT);
    float t = 0.0f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(evalEnvelope(&c.envelope, t));
        t += 0.04f;
        if (t > 40.0f) t = 0.0f;
    }
}
BENCHMARK(BM_EvalEnvelope)->Arg(SHAPE_TCB)->Arg(SHAPE_LINEAR)->Arg(SHAPE_BEZIER2D);

}  // namespace
