#include "app/gamma_controls.h"

namespace {

int clampPosition(int position) {
    return position < 0 ? 0 : position > GAMMA_SCROLL_MAX ? GAMMA_SCROLL_MAX : position;
}

float channel(const GammaTriple* t, int c) { return c == 0 ? t->red : c == 1 ? t->green : t->blue; }

}  // namespace

int gammaScrollPosition(float gamma) {
    // In double: single precision would round 1.0's 74.99999... up to 75.
    double position = (1.0 - (double(gamma) - 0.5) * double(0.33333334f)) * GAMMA_SCROLL_MAX;
    return clampPosition(int(position));
}

float gammaFromScrollPosition(int position) {
    return float(GAMMA_SCROLL_MAX - position) * 0.033333335f + 0.5f;
}

int gammaScroll(int position, ScrollRequest request, int thumb) {
    switch (request) {
        case SCROLL_LINE_UP: return clampPosition(position - 1);
        case SCROLL_LINE_DOWN: return clampPosition(position + 1);
        case SCROLL_PAGE_UP: return clampPosition(position - GAMMA_SCROLL_PAGE);
        case SCROLL_PAGE_DOWN: return clampPosition(position + GAMMA_SCROLL_PAGE);
        case SCROLL_THUMB_POSITION:
        case SCROLL_THUMB_TRACK: return clampPosition(thumb);
        case SCROLL_TOP: return 0;
        case SCROLL_BOTTOM: return GAMMA_SCROLL_MAX;
        default: return position;
    }
}

void gammaPreviewBox(int colour, int xy[2 * 5]) {
    int top = 36 + 110 * colour, bottom = 100 + 110 * colour;
    const int points[10] = {36, bottom, 100, bottom, 100, top, 36, top, 36, bottom};
    for (int i = 0; i < 10; ++i) xy[i] = points[i];
}

void gammaPreviewCurve(const GammaRamp* ramp, int colour, int xy[2 * GAMMA_PREVIEW_POINTS]) {
    int bottom = 100 + 110 * colour;
    xy[0] = 36;
    xy[1] = bottom;
    for (int i = 0; i < 64; ++i) {
        xy[2 + 2 * i] = 37 + i;
        xy[3 + 2 * i] = bottom - 1 - ramp->entries[colour * 256 + 4 * i] / 1024;
    }
}

void gammaDialogOpen(GammaDialogState* state, const GammaTriple* current) {
    for (int c = 0; c < 3; ++c) state->positions[c] = gammaScrollPosition(channel(current, c));
    state->saved = *current;
}

void gammaDialogRepaint(const GammaDialogState* state, GammaTriple* triple, GammaRamp* built) {
    triple->red = gammaFromScrollPosition(state->positions[0]);
    triple->green = gammaFromScrollPosition(state->positions[1]);
    triple->blue = gammaFromScrollPosition(state->positions[2]);
    buildGammaRamp(triple, built);
}

void gammaDialogCancel(const GammaDialogState* state, GammaTriple* triple, GammaRamp* built) {
    *triple = state->saved;
    buildGammaRamp(triple, built);
}
