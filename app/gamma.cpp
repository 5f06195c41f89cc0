#include "app/gamma.h"

#include <cmath>

namespace {
GammaRamp gSaved;
GammaRamp gBuilt;
GammaTriple gTriple = {1.0f, 1.0f, 1.0f};
bool gHaveSaved;
bool gApplied;
}  // namespace

float gammaFromRamp(const GammaRamp* ramp) {
    double v = ramp->entries[128];
    double gamma = std::log(0.5) / std::log(v / 65536.0);
    // ln(0) gives -inf and a gamma of -0; NaN cannot occur for v in 0..65535.
    if (!(gamma >= 0.5)) return 0.5f;
    if (gamma > 3.5) return 3.5f;
    return static_cast<float>(gamma);
}

void buildGammaRamp(const GammaTriple* gamma, GammaRamp* ramp) {
    const float channels[3] = {gamma->red, gamma->green, gamma->blue};
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 256; ++i) {
            double value = std::pow(i / 256.0, 1.0 / channels[c]) * 65536.0;
            // pow(255/256, 1/g) * 65536 stays below 65536 for every g in 0.5 .. 3.5.
            ramp->entries[c * 256 + i] = static_cast<uint16_t>(value);
        }
}

void gammaProbe(PlatformWindow* window) {
    gHaveSaved = platformGetGammaRamp(window, gSaved.entries);
    if (!gHaveSaved) {
        // No ramp to read: behave as on a display with the identity ramp, and never write one.
        for (int i = 0; i < GAMMA_RAMP_ENTRIES; ++i) gSaved.entries[i] = uint16_t((i % 256) * 256);
    }
    float g = gammaFromRamp(&gSaved);
    gTriple = {g, g, g};
    buildGammaRamp(&gTriple, &gBuilt);
}

void gammaApply(PlatformWindow* window) {
    if (!gHaveSaved) return;
    buildGammaRamp(&gTriple, &gBuilt);
    gApplied = platformSetGammaRamp(window, gBuilt.entries) || gApplied;
}

void gammaRestore() {
    if (!gApplied) return;
    platformSetGammaRamp(nullptr, gSaved.entries);
    gApplied = false;
}

GammaTriple* gammaTriple() { return &gTriple; }
GammaRamp* builtGammaRamp() { return &gBuilt; }
