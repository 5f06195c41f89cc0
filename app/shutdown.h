// Ways out of the player, and the message boxes that precede them.
#pragma once

struct DemoContext;

enum ExitCode {
    EXIT_OK = 0,
    EXIT_JPEG = 1,            // the JPEG library's own error exit
    EXIT_BAD_OPTION = 2,      // a bad command-line option
    EXIT_BAD_PACKAGE = 3,     // "demo.dat" missing, unreadable or malformed
    EXIT_MISSING_FILE = 4,    // a file the player cannot do without is not in the package
    EXIT_NO_WINDOW = 5,       // no display, window or GL context
    EXIT_OUT_OF_MEMORY = 6,   // the scene table or another start-up allocation failed
    EXIT_VIDEO = 7,           // the video encoder (ffmpeg) failed, or the soundtrack could not be written
    EXIT_CAPTURE_MEMORY = 56,
    EXIT_NO_OFFSCREEN = 100,
    EXIT_GC_ORDER = 102,
};

// Shows a message box captioned "Error" with a printf-style text.
void showError(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Shows a message box captioned "Failure" (image readers).
void showFailure(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Posts the quit message: the running loop ends and the player leaves through the shutdown path.
void postQuit(DemoContext* context, int exitCode);
// The shutdown path: the display's gamma ramp and mode come back, the music is freed. Idempotent.
void shutdownRestore();
// Restores the display, frees the music and ends the process at once.
[[noreturn]] void fatalExit(int exitCode);
