#include "base/out_of_memory.h"
#include "base/report.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace {

ReportHooks gHooks = {nullptr, nullptr, nullptr};

void formatted(const char* caption, const char* format, va_list args) {
    char text[1024];
    std::vsnprintf(text, sizeof text, format, args);
    showMessage(caption, text);
}

}  // namespace

void setReportHooks(const ReportHooks& hooks) { gHooks = hooks; }

ReportHooks reportHooks() { return gHooks; }

void showMessage(const char* caption, const char* text) {
    if (gHooks.message) {
        gHooks.message(caption, text);
        return;
    }
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
}

void showError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    formatted("Error", format, args);
    va_end(args);
}

void showFailure(const char* format, ...) {
    va_list args;
    va_start(args, format);
    formatted("Failure", format, args);
    va_end(args);
}

void fatalExit(int exitCode) {
    if (gHooks.end) gHooks.end(exitCode);
    // The hook ends the process; without one (or should it return) the exit is plain.
    std::fflush(nullptr);
    std::exit(exitCode);
}

void progressTick(int steps) {
    if (gHooks.progress) gHooks.progress(steps);
}

void postQuit(QuitRequest* quit, int exitCode) {
    if (quit->posted) return;
    quit->posted = 1;
    quit->code = exitCode;
}

void outOfMemory(const char* what, ...) {
    char text[512];
    va_list args;
    va_start(args, what);
    std::vsnprintf(text, sizeof text, what, args);
    va_end(args);
    showError("There is not enough memory for %s.", text);
    fatalExit(EXIT_OUT_OF_MEMORY);
}
