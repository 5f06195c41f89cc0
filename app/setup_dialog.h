// The setup dialog and its two sub-dialogs, diagnostics and gamma.
#pragma once

#include "platform/platform_dialogs.h"

struct DemoContext;
struct DeviceCaps;
struct Settings;

// Shows the setup dialog: 1 for "Start" (settings filled), 0 for "Exit", -1 when no dialog can be
// shown (no display for the toolkit); the settings are then left as they are.
int runSetupDialog(DemoContext* context);

// The procedures, and what the setup dialog reads and fills (tests open the dialogs with these).
void setupDialogUse(const DeviceCaps* caps, Settings* settings);
const DialogProcedure* setupDialogProcedure();
const DialogProcedure* diagnosticsDialogProcedure();
const DialogProcedure* gammaDialogProcedure();
const DeviceCaps* setupDialogCaps();

extern const char* const kRequirementMessage;
