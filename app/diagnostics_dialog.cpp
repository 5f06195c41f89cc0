// The diagnostics window: driver strings and one status row per extension.
#include "app/setup_dialog.h"
#include "platform/platform.h"
#include "render/device_caps.h"

namespace {

enum { ID_CLOSE = 1015, ID_RENDERER = 1021, ID_VENDOR = 1022, ID_VERSION = 1024, ID_FIRST_STATUS = 1045 };

struct StatusLook {
    const char* text;
    int red, green, blue;
    int x;
};

// By extension state: missing, not required, found.
const StatusLook kStatusLooks[3] = {
    {"NOT_FOUND", 200, 0, 0, 25},
    {"NOT_REQUIRED", 0, 55, 160, 6},
    {"FOUND", 0, 155, 55, 54},
};

void diagnosticsInit(PlatformDialog* dialog) {
    int screenWidth, screenHeight;
    platformDesktopSize(&screenWidth, &screenHeight);
    platformDialogPlace(dialog, (screenWidth - 534) / 2, (screenHeight - 500) / 2, 534, 510);
    const DeviceCaps* caps = setupDialogCaps();
    platformDialogSetText(dialog, ID_RENDERER, caps->renderer);
    platformDialogSetText(dialog, ID_VENDOR, caps->vendor);
    platformDialogSetText(dialog, ID_VERSION, caps->version);
}

void diagnosticsDraw(PlatformDialog*, int id, DialogPainter* painter) {
    int index = id - ID_FIRST_STATUS;
    if (index < 0 || index >= REQUIRED_EXTENSION_COUNT) return;
    uint8_t state = setupDialogCaps()->states[index];
    const StatusLook& look = kStatusLooks[state <= EXTENSION_FOUND ? state : 0];
    platformPaintText(painter, look.x, 0, look.red, look.green, look.blue, look.text);
}

void diagnosticsCommand(PlatformDialog* dialog, int id) {
    if (id == ID_CLOSE || id == DIALOG_CANCEL_ID) platformEndDialog(dialog, 0);
}

const DialogProcedure kDiagnosticsProcedure = {diagnosticsInit, diagnosticsCommand, nullptr, diagnosticsDraw};

}  // namespace

const DialogProcedure* diagnosticsDialogProcedure() { return &kDiagnosticsProcedure; }
