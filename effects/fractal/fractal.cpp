#include "effects/fractal/fractal.h"

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

void buildJuliaVolume(uint8_t* buffer, int32_t iterations, double a, double b, double c, double d, int32_t n) {
    if (n <= 0) return;
    const int32_t half = n / 2;
    // Below 4 the quarter-edge step would be 0 and every start point infinite.
    const double step = n / 4 > 0 ? static_cast<double>(n / 4) : 1.0;
    for (int32_t j = 0; j < n; ++j)
        for (int32_t i = 0; i < n; ++i)
            for (int32_t k = 0; k < n; ++k) {
                double w = (j - half) / step, x = (i - half) / step, y = (k - half) / step, z = 0.0;
                uint8_t value = 255;
                for (int32_t it = 0; it < iterations; ++it) {
                    double nw = w * w - x * x - y * y - z * z + a;
                    double nx = 2 * w * x + b, ny = 2 * w * y + c, nz = 2 * w * z + d;
                    w = nw, x = nx, y = ny, z = nz;
                    if (w * w + x * x + y * y + z * z > 4.0) {
                        value = 0;
                        break;
                    }
                }
                buffer[static_cast<int64_t>(i) * n + static_cast<int64_t>(j) * n * n + k] = value;
            }
}
