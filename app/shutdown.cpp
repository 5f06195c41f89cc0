#include "app/shutdown.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "app/demo_context.h"
#include "app/gamma.h"
#include "app/music.h"
#include "platform/platform.h"

namespace {

void messageBox(const char* caption, const char* format, va_list args) {
    char text[1024];
    std::vsnprintf(text, sizeof text, format, args);
    platformMessageBox(caption, text);
}

}  // namespace

void showError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    messageBox("Error", format, args);
    va_end(args);
}

void showFailure(const char* format, ...) {
    va_list args;
    va_start(args, format);
    messageBox("Failure", format, args);
    va_end(args);
}

void postQuit(DemoContext* context, int exitCode) {
    if (context->quitPosted) return;
    context->quitPosted = 1;
    context->quitCode = exitCode;
}

void shutdownRestore() {
    gammaRestore();
    closeMusic();
    DemoContext* context = demoContext();
    if (context->settings.fullscreen && context->window) {
        platformRestoreDisplayMode(context->window);
        platformShowCursor(true);
    }
}

void fatalExit(int exitCode) {
    shutdownRestore();
    std::fflush(nullptr);
    std::exit(exitCode);
}
