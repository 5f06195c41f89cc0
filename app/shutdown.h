// The player's ways out: its report hooks, the quit message and the shutdown path.
#pragma once

#include "base/report.h"

struct DemoContext;

// Installs the player's report hooks: messages as message boxes (on standard error without a display),
// the end through the shutdown path, loading-bar steps onto the loading screen.
void installPlayerReportHooks();
// Posts the quit message: the running loop ends and the player leaves through the shutdown path.
void postQuit(DemoContext* context, int exitCode);
// The shutdown path: the display's gamma ramp and mode come back, the music is freed. Idempotent.
void shutdownRestore();
