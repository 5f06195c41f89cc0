// The gamma dialog: three bars and the curves of the ramp they build. The display keeps its ramp
// until the main window applies the built one.
#include "app/gamma_controls.h"
#include "app/setup_dialog.h"
#include "platform/platform.h"

namespace {

enum { ID_OK = 1069, ID_CANCEL = 1070, ID_FIRST_BAR = 1071 };

const int kColours[3][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};

GammaDialogState gGamma;

void gammaInit(PlatformDialog* dialog) {
    int screenWidth, screenHeight;
    platformDesktopSize(&screenWidth, &screenHeight);
    platformDialogPlace(dialog, (screenWidth - 180) / 2, (screenHeight - 400) / 2, 180, 400);
    gammaDialogOpen(&gGamma, gammaTriple());
    for (int c = 0; c < 3; ++c)
        platformDialogSetScroll(dialog, ID_FIRST_BAR + c, 0, GAMMA_SCROLL_MAX, gGamma.positions[c]);
}

void gammaDraw(PlatformDialog*, int id, DialogPainter* painter) {
    if (id != DIALOG_SURFACE_ID) return;
    gammaDialogRepaint(&gGamma, gammaTriple(), builtGammaRamp());
    for (int c = 0; c < 3; ++c) {
        int box[2 * 5], curve[2 * GAMMA_PREVIEW_POINTS];
        gammaPreviewBox(c, box);
        platformPaintPolyline(painter, box, 5, 0, 0, 0);
        gammaPreviewCurve(builtGammaRamp(), c, curve);
        platformPaintPolyline(painter, curve, GAMMA_PREVIEW_POINTS, kColours[c][0], kColours[c][1], kColours[c][2]);
    }
}

void gammaScrolled(PlatformDialog* dialog, int id, ScrollRequest request, int thumb) {
    int c = id - ID_FIRST_BAR;
    if (c < 0 || c > 2) return;
    gGamma.positions[c] = gammaScroll(gGamma.positions[c], request, thumb);
    platformDialogSetScroll(dialog, id, 0, GAMMA_SCROLL_MAX, gGamma.positions[c]);
    // One pixel past the box's far edges: the outline is drawn on them.
    platformDialogInvalidate(dialog, 36, 36 + 110 * c, 65, 65);
}

void gammaCommand(PlatformDialog* dialog, int id) {
    if (id == ID_OK) {
        // The triple the bars show, painted or not.
        gammaDialogRepaint(&gGamma, gammaTriple(), builtGammaRamp());
        platformEndDialog(dialog, 1);
    } else if (id == ID_CANCEL || id == DIALOG_CANCEL_ID) {
        gammaDialogCancel(&gGamma, gammaTriple(), builtGammaRamp());
        platformEndDialog(dialog, 0);
    }
}

const DialogProcedure kGammaProcedure = {gammaInit, gammaCommand, gammaScrolled, gammaDraw};

}  // namespace

const DialogProcedure* gammaDialogProcedure() { return &kGammaProcedure; }
