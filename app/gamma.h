// The display's gamma: the ramp found at start-up, and the ramp built from a gamma triple.
#pragma once
#include <cstdint>

#include "platform/platform.h"

struct GammaTriple {
    float red, green, blue;
};

struct GammaRamp {
    uint16_t entries[GAMMA_RAMP_ENTRIES];  // red block, green block, blue block
};

// Gamma of a ramp from its red entry at index 128, clamped to 0.5 .. 3.5.
float gammaFromRamp(const GammaRamp* ramp);
void buildGammaRamp(const GammaTriple* gamma, GammaRamp* ramp);
// The same curve at the CRTC's own size (crtc->size entries a colour).
void buildCrtcGamma(const GammaTriple* gamma, CrtcGamma* crtc);

// Saves every CRTC's ramp and derives the triple and the built ramp from the first one's.
void gammaProbe(PlatformWindow* window);
// Applies the triple's curve to every CRTC, each at its own size.
void gammaApply(PlatformWindow* window);
// Gives each CRTC back the ramp it had at start-up; harmless when nothing was changed.
void gammaRestore();

GammaTriple* gammaTriple();
// The ramp built from the triple; the gamma dialog rebuilds it while the display keeps its own.
GammaRamp* builtGammaRamp();
