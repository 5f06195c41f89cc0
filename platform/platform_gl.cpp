// What the device probe asks of the GL driver and the window system, with the hooks tests use to
// stand in for other drivers.
#include <GL/gl.h>
#include <SDL.h>
#include <SDL_syswm.h>

#include <string>

#include "platform/platform.h"

namespace {

struct ProbeInjection {
    bool glInjected;
    bool windowSystemInjected;
    std::string glString;
    std::string windowSystemString;
    bool (*hide)(const char* name);
};

ProbeInjection gInjection = {false, false, {}, {}, nullptr};
std::string gWindowSystemString;

// The window-system query that the probe treats as the extension-string entry point.
const char* kWindowSystemQuery = "glXQueryExtensionsString";

typedef const char* (*QueryExtensionsString)(Display* display, int screen);

}  // namespace

void* platformFindEntryPoint(const char* name) {
    if (gInjection.hide && gInjection.hide(name)) return nullptr;
    return platformGetProcAddress(name);
}

const char* platformGlExtensions() {
    if (gInjection.glInjected) return gInjection.glString.c_str();
    const char* text = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return text ? text : "";
}

const char* platformWindowSystemExtensions() {
    void* query = platformFindEntryPoint(kWindowSystemQuery);
    if (!query) return nullptr;
    if (gInjection.windowSystemInjected) return gInjection.windowSystemString.c_str();
    SDL_Window* window = SDL_GL_GetCurrentWindow();
    if (!window) return nullptr;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
        // Other window systems (Wayland, SDL's off-screen driver) create contexts through EGL,
        // whose configurations have multisampling in their core: name the one window-system
        // extension the probe asks for.
        return "GLX_ARB_multisample";
    }
    Display* display = info.info.x11.display;
    const char* text = reinterpret_cast<QueryExtensionsString>(query)(display, DefaultScreen(display));
    gWindowSystemString = text ? text : "";
    return gWindowSystemString.c_str();
}

void platformInjectExtensions(const char* glString, const char* windowSystemString) {
    gInjection.glInjected = glString != nullptr;
    gInjection.glString = glString ? glString : "";
    gInjection.windowSystemInjected = windowSystemString != nullptr;
    gInjection.windowSystemString = windowSystemString ? windowSystemString : "";
}

void platformSetEntryPointFilter(bool (*hide)(const char* name)) { gInjection.hide = hide; }
