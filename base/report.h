// How every layer reports what went wrong, and the one way the process ends. The player installs
// hooks at start-up (a message box on a display, the display restored before the end); a program
// that installs none gets "caption: text" lines on standard error and a plain exit.
#pragma once
#include <cstdint>

enum ExitCode {
    EXIT_OK = 0,
    // The exit that follows a message box about bad data the player cannot go on with: the viewer has
    // been told, so the process ends quietly rather than as a crash.
    EXIT_AFTER_MESSAGE = 0,
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

struct ReportHooks {
    // Shows one message; null: "caption: text" on standard error.
    void (*message)(const char* caption, const char* text);
    // Puts back what the process changed (display, music) and ends it; null: a plain exit.
    void (*end)(int exitCode);
    // One step of the loading bar; null: nothing to show.
    void (*progress)(int steps);
};

// Replaces the hooks; a null member keeps the default described above.
void setReportHooks(const ReportHooks& hooks);
// The hooks installed now (to put them back after a stretch with others).
ReportHooks reportHooks();

// A message with its own caption (the program compiler's "error: 503").
void showMessage(const char* caption, const char* text);
// A message captioned "Error" with a printf-style text.
void showError(const char* format, ...) __attribute__((format(printf, 1, 2)));
// A message captioned "Failure" (image readers).
void showFailure(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Ends the process through the installed hook.
[[noreturn]] void fatalExit(int exitCode);
// Counts n steps of the loading bar.
void progressTick(int steps);

// The request to end the demo's message loop; the first request's code is kept.
struct QuitRequest {
    int32_t posted;
    int32_t code;
};
void postQuit(QuitRequest* quit, int exitCode);
