// Modal dialogs made from the templates in resources/, driven by procedures outside the platform
// layer: controls are named by their numeric ids, as in the templates.
#pragma once

struct PlatformDialog;
struct DialogPainter;

enum DialogTemplate { DIALOG_SETUP, DIALOG_DIAGNOSTICS, DIALOG_GAMMA, DIALOG_TEMPLATE_COUNT };

// The id a dialog's procedure receives for Escape and for closing its window.
enum { DIALOG_CANCEL_ID = 2, DIALOG_SURFACE_ID = 0 };

// What a scroll bar asks of its owner; the owner sets the new position.
enum ScrollRequest {
    SCROLL_LINE_UP,
    SCROLL_LINE_DOWN,
    SCROLL_PAGE_UP,
    SCROLL_PAGE_DOWN,
    SCROLL_THUMB_POSITION,
    SCROLL_THUMB_TRACK,
    SCROLL_TOP,
    SCROLL_BOTTOM,
    SCROLL_END,
};

struct DialogProcedure {
    void (*init)(PlatformDialog* dialog);
    void (*command)(PlatformDialog* dialog, int id);  // a button, or DIALOG_CANCEL_ID
    void (*scroll)(PlatformDialog* dialog, int id, ScrollRequest request, int thumb);  // may be null
    // Paints a drawing control, or the dialog's own surface (DIALOG_SURFACE_ID); may be null.
    void (*draw)(PlatformDialog* dialog, int id, DialogPainter* painter);
};

// Initialises the toolkit on first use, leaving the numeric locale alone; false without a display.
bool platformDialogsAvailable();

// Runs a dialog modally (owned by owner, which may be null) and returns what ended it.
int platformRunDialog(DialogTemplate which, const DialogProcedure* procedure, PlatformDialog* owner);
// Tests: opens and initialises a dialog without running its loop; null when the template fails.
PlatformDialog* platformOpenDialog(DialogTemplate which, const DialogProcedure* procedure, PlatformDialog* owner);
void platformCloseDialog(PlatformDialog* dialog);
// Ends the dialog's modal loop with result.
void platformEndDialog(PlatformDialog* dialog, int result);
// True once platformEndDialog was called; *result then holds its value.
bool platformDialogEnded(const PlatformDialog* dialog, int* result);

// Moves and sizes the dialog's window, in pixels.
void platformDialogPlace(PlatformDialog* dialog, int x, int y, int width, int height);
void platformDialogSetText(PlatformDialog* dialog, int id, const char* text);
// Replaces a drop-down list's items; selected -1 leaves nothing selected.
void platformDialogSetList(PlatformDialog* dialog, int id, const char* const* items, int count, int selected);
// The selected item's text; false (and out empty) when nothing is selected.
bool platformDialogSelectedText(PlatformDialog* dialog, int id, char* out, int size);
bool platformDialogChecked(PlatformDialog* dialog, int id);
void platformDialogSetChecked(PlatformDialog* dialog, int id, bool checked);
void platformDialogSetScroll(PlatformDialog* dialog, int id, int low, int high, int position);
int platformDialogScrollPosition(PlatformDialog* dialog, int id);
// Repaints the rectangle of the dialog's surface, erasing it first.
void platformDialogInvalidate(PlatformDialog* dialog, int x, int y, int width, int height);
// A message box with an OK button, owned by the dialog.
void platformDialogMessageBox(PlatformDialog* owner, const char* caption, const char* text);

// Painting inside DialogProcedure::draw; coordinates are the painted control's pixels.
void platformPaintText(DialogPainter* painter, int x, int y, int red, int green, int blue, const char* text);
void platformPaintPolyline(DialogPainter* painter, const int* xy, int points, int red, int green, int blue);

// Tests: every control of an open dialog, with its id (-1 without one), text and place in pixels.
struct DialogControl {
    int id;
    const char* kind;  // "button", "check", "list", "frame", "label", "scroll", "drawing"
    const char* text;
    int x, y, width, height;
};
void platformDialogControls(PlatformDialog* dialog, void (*visit)(const DialogControl* control, void* user),
                            void* user);
const char* platformDialogTitle(PlatformDialog* dialog);
// Tests: runs the toolkit's pending events (painting among them) without waiting.
void platformDialogFlush();
// Tests: paints a control of a shown dialog into rgb (3 bytes a pixel, its requested size, which
// *width and *height receive); false when it has no such control.
bool platformDialogRenderControl(PlatformDialog* dialog, int id, unsigned char* rgb, int capacity, int* width,
                                 int* height);
// Tests: called with the caption and text of each message box and modally run dialog once it is
// shown; returning true dismisses it (message boxes with OK, dialogs as by Escape).
void platformSetDialogWatcher(bool (*watch)(const char* caption, const char* text));
