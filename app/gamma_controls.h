// The gamma dialog's arithmetic: scroll positions 0..90 against gamma 3.5..0.5, the scroll
// requests, and the curve previews drawn from the built ramp.
#pragma once

#include "app/gamma.h"
#include "platform/platform_dialogs.h"

enum { GAMMA_SCROLL_MAX = 90, GAMMA_SCROLL_PAGE = 16, GAMMA_PREVIEW_POINTS = 65 };

int gammaScrollPosition(float gamma);
float gammaFromScrollPosition(int position);
// The new position of a bar at position after request; thumb is the dragged thumb's position.
int gammaScroll(int position, ScrollRequest request, int thumb);

// Colour c's preview box in dialog pixels: the outline as 5 points, x in 36..100, y in
// 36 + 110 c .. 100 + 110 c.
void gammaPreviewBox(int colour, int xy[2 * 5]);
// The curve from the box's bottom-left corner through 64 samples of the colour's ramp block.
void gammaPreviewCurve(const GammaRamp* ramp, int colour, int xy[2 * GAMMA_PREVIEW_POINTS]);

// The dialog's state: a position per colour and the triple it opened with.
struct GammaDialogState {
    int positions[3];
    GammaTriple saved;
};
void gammaDialogOpen(GammaDialogState* state, const GammaTriple* current);
// The triple the positions stand for, and the ramp rebuilt from it.
void gammaDialogRepaint(const GammaDialogState* state, GammaTriple* triple, GammaRamp* built);
// Back to the triple and ramp the dialog opened with.
void gammaDialogCancel(const GammaDialogState* state, GammaTriple* triple, GammaRamp* built);
