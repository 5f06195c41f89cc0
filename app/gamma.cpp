#include "app/gamma.h"

#include <cmath>

namespace {
// Each CRTC's ramp as found at start-up, and the demo's ramp at each one's size.
DisplayGamma gSaved;
DisplayGamma gApplying;
GammaRamp gBuilt;
GammaTriple gTriple = {1.0f, 1.0f, 1.0f};
bool gHaveSaved;
bool gApplied;

uint16_t rampEntry(double x, float gamma) {
    // pow(x, 1/g) * 65536 stays below 65536 for every x < 1 and g in 0.5 .. 3.5.
    return static_cast<uint16_t>(std::pow(x, 1.0 / gamma) * 65536.0);
}
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
        for (int i = 0; i < 256; ++i) ramp->entries[c * 256 + i] = rampEntry(i / 256.0, channels[c]);
}

void buildCrtcGamma(const GammaTriple* gamma, CrtcGamma* crtc) {
    const float channels[3] = {gamma->red, gamma->green, gamma->blue};
    // Entry j of n stands where entry 256 j / n of a 256-entry ramp would: the same curve at any size.
    for (int c = 0; c < 3; ++c)
        for (int j = 0; j < crtc->size; ++j)
            crtc->entries[c * crtc->size + j] = rampEntry(double(j) / crtc->size, channels[c]);
}

void gammaProbe(PlatformWindow*) {
    gHaveSaved = platformGetDisplayGamma(&gSaved);
    GammaRamp first;
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 256; ++i) {
            const CrtcGamma& crtc = gSaved.crtcs[0];
            // No ramp to read: behave as on a display with the identity ramp, and never write one.
            first.entries[c * 256 + i] =
                gHaveSaved ? crtc.entries[c * crtc.size + i * crtc.size / 256] : uint16_t(i * 256);
        }
    float g = gammaFromRamp(&first);
    gTriple = {g, g, g};
    buildGammaRamp(&gTriple, &gBuilt);
}

void gammaApply(PlatformWindow*) {
    if (!gHaveSaved) return;
    buildGammaRamp(&gTriple, &gBuilt);
    gApplying.crtcCount = gSaved.crtcCount;
    for (int k = 0; k < gSaved.crtcCount; ++k) {
        gApplying.crtcs[k].index = gSaved.crtcs[k].index;
        gApplying.crtcs[k].size = gSaved.crtcs[k].size;
        buildCrtcGamma(&gTriple, &gApplying.crtcs[k]);
    }
    gApplied = platformSetDisplayGamma(&gApplying) || gApplied;
}

void gammaRestore() {
    if (!gApplied) return;
    platformSetDisplayGamma(&gSaved);
    gApplied = false;
}

GammaTriple* gammaTriple() { return &gTriple; }
GammaRamp* builtGammaRamp() { return &gBuilt; }
