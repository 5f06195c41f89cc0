// Display modes and pixel formats, as the setup dialog lists them.
#include <GL/glx.h>
#include <SDL.h>
#include <X11/Xlib.h>

#include "platform/platform.h"

int platformDisplayModes(DisplayModeInfo* modes, int capacity) {
    int available = SDL_GetNumDisplayModes(0);
    int count = 0;
    for (int i = 0; i < available && count < capacity; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(0, i, &mode) != 0) break;
        // X11 reports 24-bit colour in four bytes a pixel: that is the 32-bit mode.
        int bits = SDL_BYTESPERPIXEL(mode.format) == 4 ? 32 : int(SDL_BITSPERPIXEL(mode.format));
        modes[count++] = {mode.w, mode.h, bits, mode.refresh_rate};
    }
    return count;
}

int platformPixelFormatSamples(PixelFormatSamples* formats, int capacity) {
    // A connection of our own: the GL windows' connection belongs to SDL.
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 0;
    int configCount = 0;
    GLXFBConfig* configs = glXGetFBConfigs(display, DefaultScreen(display), &configCount);
    int count = 0;
    for (int i = 0; configs && i < configCount && count < capacity; ++i) {
        PixelFormatSamples f = {0, 0};
        glXGetFBConfigAttrib(display, configs[i], GLX_SAMPLE_BUFFERS, &f.sampleBuffers);
        glXGetFBConfigAttrib(display, configs[i], GLX_SAMPLES, &f.samples);
        formats[count++] = f;
    }
    if (configs) XFree(configs);
    XCloseDisplay(display);
    return count;
}
