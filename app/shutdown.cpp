#include "app/shutdown.h"

#include <cstdio>
#include <cstdlib>

#include "app/demo_context.h"
#include "app/frame_loop.h"
#include "app/gamma.h"
#include "app/music.h"
#include "platform/platform.h"

namespace {

// The only place the process ends: after the display and the music are put back.
void endPlayer(int exitCode) {
    shutdownRestore();
    std::fflush(nullptr);
    std::exit(exitCode);
}

}  // namespace

void installPlayerReportHooks() { setReportHooks({platformMessageBox, endPlayer, loadingStep}); }

void postQuit(DemoContext* context, int exitCode) { postQuit(&context->timeline.quit, exitCode); }

void shutdownRestore() {
    gammaRestore();
    closeMusic();
    DemoContext* context = demoContext();
    if (context->render.passTimes.on) {
        printPassTimes(&context->render.passTimes, stdout);
        context->render.passTimes.on = false;  // once, should the restore run again
    }
    if (context->render.settings.fullscreen && context->window) {
        platformRestoreDisplayMode(context->window);
        platformShowCursor(true);
    }
}
