// Clock, message boxes and signals.
#include <SDL.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "platform/platform.h"

namespace {

const std::chrono::steady_clock::time_point gProcessStart = std::chrono::steady_clock::now();
bool gInteractive = true;

volatile sig_atomic_t gPendingSignal;
volatile sig_atomic_t gModalDepth;
void (*gSignalHandler)(int);

void onSignal(int signal) {
    // While a modal loop blocks the main thread nobody would poll: act at once. The display
    // connection used to restore the display is our own, idle while the modal loop runs.
    if (gModalDepth > 0 && gSignalHandler) {
        gSignalHandler(signal);
        _exit(128 + signal);
    }
    gPendingSignal = signal;
}

}  // namespace

int32_t platformClockMs() {
    auto elapsed = std::chrono::steady_clock::now() - gProcessStart;
    return static_cast<int32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void platformSetInteractive(bool interactive) { gInteractive = interactive; }
bool platformIsInteractive() { return gInteractive; }

void platformMessageBox(const char* caption, const char* text) {
    if (gInteractive && SDL_WasInit(SDL_INIT_VIDEO)) {
        platformEnterModal();
        int shown = SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr);
        platformLeaveModal();
        if (shown == 0) return;
    }
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
}

void platformInstallSignalHandlers(void (*handler)(int)) {
    gSignalHandler = handler;
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

void platformCheckSignals() {
    int signal = gPendingSignal;
    if (signal && gSignalHandler) {
        gPendingSignal = 0;
        gSignalHandler(signal);
        std::fflush(nullptr);
        _exit(128 + signal);
    }
}

void platformEnterModal() {
    ++gModalDepth;
    // A signal that came just before the loop would otherwise wait for it to end.
    if (gPendingSignal && gSignalHandler) {
        int signal = gPendingSignal;
        gSignalHandler(signal);
        _exit(128 + signal);
    }
}

void platformLeaveModal() { --gModalDepth; }
