// Everything the player takes from the operating system, as small free functions.
// Only platform/*.cpp includes SDL; the engine sees this header alone.
#pragma once
#include <cstddef>
#include <cstdint>

// ---- start and end ----
// Initialises timing and, when video is set, the display; false when the display cannot be opened.
bool platformInit(bool video);
void platformShutdown();

// ---- clock ----
// Monotonic milliseconds since process start.
int32_t platformClockMs();

// ---- message boxes ----
// Interactive runs show a real message box and wait for it; batch runs (capture, tests, no display)
// print "caption: text" to standard error and go on.
void platformSetInteractive(bool interactive);
bool platformIsInteractive();
void platformMessageBox(const char* caption, const char* text);

// ---- windows and GL contexts ----
struct PlatformWindow;

struct WindowRequest {
    const char* title;
    int x, y, width, height;
    bool fullscreen;
    bool hidden;
    int colorBits;
    int depthBits;
    int alphaBits;
    int samples;
};

// Creates a window with a GL context and makes the context current. Null on failure.
PlatformWindow* platformCreateWindow(const WindowRequest* request);
void platformDestroyWindow(PlatformWindow* window);
void platformMakeCurrent(PlatformWindow* window);
void platformSwapBuffers(PlatformWindow* window);
void platformSetWindowTitle(PlatformWindow* window, const char* title);
const char* platformWindowTitle(PlatformWindow* window);
void platformShowWindow(PlatformWindow* window, int x, int y, int width, int height);
void platformGetClientSize(PlatformWindow* window, int* width, int* height);
void platformDesktopSize(int* width, int* height);
void* platformGetProcAddress(const char* name);

// ---- what the device probe asks of the driver and the window system ----
// The current context's GL extension string; never null.
const char* platformGlExtensions();
// The window system's extension string for the current context's display (GLX on X11). Null when
// the window system offers no query for it ("glXQueryExtensionsString" missing).
const char* platformWindowSystemExtensions();
// platformGetProcAddress as the probe sees it: null for names the test filter hides.
void* platformFindEntryPoint(const char* name);
// Tests: stand-ins for another driver. A string replaces what the driver reports; null gives back
// the real one. Hiding "glXQueryExtensionsString" makes the window system's string unavailable.
void platformInjectExtensions(const char* glString, const char* windowSystemString);
void platformSetEntryPointFilter(bool (*hide)(const char* name));

// ---- display mode and cursor ----
bool platformSetDisplayMode(PlatformWindow* window, int width, int height, int bits, int refreshRate);
void platformRestoreDisplayMode(PlatformWindow* window);
void platformShowCursor(bool show);

// ---- what the setup dialog lists ----
struct DisplayModeInfo {
    int width, height;
    int bitsPerPixel;  // 32 for every mode of four bytes a pixel
    int refreshRate;   // Hz; 0 when unknown
};
// The default display's modes, up to capacity; returns how many were written.
int platformDisplayModes(DisplayModeInfo* modes, int capacity);
struct PixelFormatSamples {
    int sampleBuffers;
    int samples;
};
// Every pixel format (GLX frame-buffer configuration) the window system offers, up to capacity.
int platformPixelFormatSamples(PixelFormatSamples* formats, int capacity);

// ---- events ----
enum PlatformEventType {
    PLATFORM_EVENT_NONE,
    PLATFORM_EVENT_KEY_ESCAPE,
    PLATFORM_EVENT_KEY_F1,
    PLATFORM_EVENT_RESIZE,
    PLATFORM_EVENT_CLOSE,
    PLATFORM_EVENT_KEY,  // one of PlatformKey
};
// The keys the player acts on besides Escape and F1.
enum PlatformKey {
    PLATFORM_KEY_SPACE,
    PLATFORM_KEY_LEFT,
    PLATFORM_KEY_RIGHT,
    PLATFORM_KEY_PAGE_UP,
    PLATFORM_KEY_PAGE_DOWN,
    PLATFORM_KEY_COMMA,
    PLATFORM_KEY_PERIOD,
    PLATFORM_KEY_HOME,
    PLATFORM_KEY_L,
    PLATFORM_KEY_TAB,
};
struct PlatformEvent {
    PlatformEventType type;
    int width, height;  // new client size for RESIZE
    PlatformKey key;    // KEY
    bool shift;         // KEY: a Shift key was held
};
bool platformPollEvent(PlatformEvent* event);

// ---- gamma ramps: one per CRTC (display output), each at the size the display gives it ----
enum { GAMMA_RAMP_ENTRIES = 3 * 256, GAMMA_CRTC_CAPACITY = 8, GAMMA_SIZE_CAPACITY = 4096 };
struct CrtcGamma {
    int index;                                   // which of the display's CRTCs
    int size;                                    // entries per colour
    uint16_t entries[3 * GAMMA_SIZE_CAPACITY];   // red block, green block, blue block, each `size` long
};
struct DisplayGamma {
    int crtcCount;
    CrtcGamma crtcs[GAMMA_CRTC_CAPACITY];
};
// Every CRTC's ramp at its own size; false when the display has none to read.
bool platformGetDisplayGamma(DisplayGamma* gamma);
// Gives each CRTC its ramp (the CRTCs and sizes as read); false when none was written.
bool platformSetDisplayGamma(const DisplayGamma* gamma);
// Tests and machines without a gamma-capable display: one CRTC of 256 entries read from and written to
// this file (768 little-endian 16-bit values) instead of the display.
void platformUseGammaFile(const char* path);
// Tests: stand-ins for the display's CRTCs; null gives back the display (or the gamma file).
struct GammaCrtcAccess {
    int (*count)();
    int (*size)(int crtc);
    bool (*read)(int crtc, uint16_t* entries);  // 3 x size entries
    bool (*write)(int crtc, const uint16_t* entries);
};
void platformUseGammaAccess(const GammaCrtcAccess* access);

// ---- signals ----
// SIGINT, SIGTERM and SIGHUP call handler(signal) on the main thread's next poll, or at once while
// a modal loop blocks the main thread; the process then ends with 128 + signal.
void platformInstallSignalHandlers(void (*handler)(int signal));
// Polled by loops; runs a pending handler.
void platformCheckSignals();
void platformEnterModal();
void platformLeaveModal();

// ---- audio ----
bool platformAudioOpen();  // the default output device
void platformAudioClose();
// Plays Ogg data held by the caller for the life of the stream; false when it cannot be decoded.
bool platformMusicCreate(const void* data, size_t size);
void platformMusicPlay(int32_t fromMs);  // from that position in the music
void platformMusicFree();
void platformMusicPause();

// ---- watching a directory tree for edits ----
struct PlatformWatch;
// Watches dir and every folder under it; null when the system offers no watch for it.
PlatformWatch* platformWatchTree(const char* dir);
// Calls changed(user, path) once per file written, moved in, moved away or deleted since the last
// call, path relative to the watched dir with '/' separators; never waits. Returns the count.
int platformWatchChanges(PlatformWatch* watch, void (*changed)(void* user, const char* path), void* user);
void platformWatchClose(PlatformWatch* watch);
