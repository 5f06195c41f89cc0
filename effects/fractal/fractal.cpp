#include "effects/fractal/fractal.h"

#include "base/parallel_slices.h"

namespace {

const FractalConstants kBuilders[FRACTAL_BUILDERS] = {
    {-0.2, 0.8, 0.0, 0.0, 300, 256},
    {-0.162, 0.163, 0.56, -0.599, 35, 256},
    {-0.125, -0.256, 0.847, 0.0895, 10, 64},
    {-0.45, -0.447, 0.181, 0.306, 25, 64},
};

}  // namespace

const FractalConstants* fractalConstants(FractalBuilder builder) {
    if (builder < 0 || builder >= FRACTAL_BUILDERS) return nullptr;
    return &kBuilders[builder];
}

FractalParams fractalParams(const EffectSlot* slot) { return {slot->intParams[1]}; }

FractalBuilder fractalBuilderOf(EffectVariant variant) {
    switch (variant) {
        case VARIANT_FRACTAL_BRAIN:
            return FRACTAL_BRAIN;
        case VARIANT_FRACTAL_SMALL_1:
            return FRACTAL_SMALL_1;
        case VARIANT_FRACTAL_SMALL_2:
            return FRACTAL_SMALL_2;
        default:
            return FRACTAL_4D;
    }
}

namespace {

struct JuliaVolume {
    const std::atomic<bool>* abandon;
    uint8_t* buffer;
    int32_t iterations, n, half;
    double a, b, c, d, step;
};

// The slices j of [first, end): every voxel depends on its own coordinates only.
void buildJuliaSlices(int32_t first, int32_t end, void* context) {
    const JuliaVolume& v = *static_cast<const JuliaVolume*>(context);
    const int32_t n = v.n, half = v.half;
    for (int32_t j = first; j < end; ++j) {
        if (v.abandon && v.abandon->load(std::memory_order_relaxed)) return;
        for (int32_t i = 0; i < n; ++i)
            for (int32_t k = 0; k < n; ++k) {
                double w = (j - half) / v.step, x = (i - half) / v.step, y = (k - half) / v.step, z = 0.0;
                uint8_t value = 255;
                for (int32_t it = 0; it < v.iterations; ++it) {
                    double nw = w * w - x * x - y * y - z * z + v.a;
                    double nx = 2 * w * x + v.b, ny = 2 * w * y + v.c, nz = 2 * w * z + v.d;
                    w = nw, x = nx, y = ny, z = nz;
                    if (w * w + x * x + y * y + z * z > 4.0) {
                        value = 0;
                        break;
                    }
                }
                v.buffer[static_cast<int64_t>(i) * n + static_cast<int64_t>(j) * n * n + k] = value;
            }
    }
}

}  // namespace

void buildJuliaVolume(uint8_t* buffer, int32_t iterations, double a, double b, double c, double d, int32_t n,
                      bool everyCore, const std::atomic<bool>* abandon) {
    if (n <= 0) return;
    // Below 4 the quarter-edge step would be 0 and every start point infinite.
    const double step = n / 4 > 0 ? static_cast<double>(n / 4) : 1.0;
    JuliaVolume volume = {abandon, buffer, iterations, n, n / 2, a, b, c, d, step};
    if (everyCore)
        forEachSlice(n, buildJuliaSlices, &volume);
    else
        buildJuliaSlices(0, n, &volume);
}
