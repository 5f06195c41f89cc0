// Windows, GL contexts, events, display modes and the cursor, through SDL.
#include <SDL.h>

#include <cstdio>

#include "platform/platform.h"

struct PlatformWindow {
    SDL_Window* window;
    SDL_GLContext context;
};

bool platformInit(bool video) {
    // Our own handlers restore the display; SDL's would swallow SIGTERM inside modal loops.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    Uint32 flags = SDL_INIT_TIMER | SDL_INIT_EVENTS;
    if (video) flags |= SDL_INIT_VIDEO;
    if (SDL_Init(flags) != 0) {
        std::fprintf(stderr, "SDL: %s\n", SDL_GetError());
        return false;
    }
    return true;
}

void platformShutdown() { SDL_Quit(); }

PlatformWindow* platformCreateWindow(const WindowRequest* r) {
    int channel = r->colorBits >= 24 ? 8 : 5;
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, channel);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, r->colorBits >= 24 ? 8 : 6);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, channel);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, r->alphaBits);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, r->depthBits);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, r->samples > 0 ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, r->samples > 0 ? r->samples : 0);
    Uint32 flags = SDL_WINDOW_OPENGL | (r->hidden ? SDL_WINDOW_HIDDEN : SDL_WINDOW_SHOWN);
    if (r->fullscreen) flags |= SDL_WINDOW_BORDERLESS;
    else flags |= SDL_WINDOW_RESIZABLE;
    SDL_Window* window = SDL_CreateWindow(r->title, r->x, r->y, r->width > 0 ? r->width : 1,
                                          r->height > 0 ? r->height : 1, flags);
    if (!window) {
        std::fprintf(stderr, "SDL: %s\n", SDL_GetError());
        return nullptr;
    }
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context) {
        std::fprintf(stderr, "SDL: %s\n", SDL_GetError());
        SDL_DestroyWindow(window);
        return nullptr;
    }
    SDL_GL_MakeCurrent(window, context);
    return new PlatformWindow{window, context};
}

void platformDestroyWindow(PlatformWindow* w) {
    if (!w) return;
    SDL_GL_MakeCurrent(w->window, nullptr);
    SDL_GL_DeleteContext(w->context);
    SDL_DestroyWindow(w->window);
    delete w;
}

void platformMakeCurrent(PlatformWindow* w) { SDL_GL_MakeCurrent(w->window, w->context); }
void platformSwapBuffers(PlatformWindow* w) { SDL_GL_SwapWindow(w->window); }
void platformSetWindowTitle(PlatformWindow* w, const char* title) { SDL_SetWindowTitle(w->window, title); }
const char* platformWindowTitle(PlatformWindow* w) { return SDL_GetWindowTitle(w->window); }

void platformShowWindow(PlatformWindow* w, int x, int y, int width, int height) {
    SDL_SetWindowPosition(w->window, x, y);
    SDL_SetWindowSize(w->window, width, height);
    SDL_ShowWindow(w->window);
    SDL_RaiseWindow(w->window);
}

void platformGetClientSize(PlatformWindow* w, int* width, int* height) {
    SDL_GL_GetDrawableSize(w->window, width, height);
}

void platformDesktopSize(int* width, int* height) {
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
        *width = mode.w;
        *height = mode.h;
    } else {
        *width = *height = 0;
    }
}

void* platformGetProcAddress(const char* name) { return SDL_GL_GetProcAddress(name); }

bool platformSetDisplayMode(PlatformWindow* w, int width, int height, int bits, int refreshRate) {
    SDL_DisplayMode mode = {};
    mode.format = bits == 16 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB888;
    mode.w = width;
    mode.h = height;
    mode.refresh_rate = refreshRate;
    if (SDL_SetWindowDisplayMode(w->window, &mode) != 0) return false;
    return SDL_SetWindowFullscreen(w->window, SDL_WINDOW_FULLSCREEN) == 0;
}

void platformRestoreDisplayMode(PlatformWindow* w) {
    if (w) SDL_SetWindowFullscreen(w->window, 0);
}

void platformShowCursor(bool show) { SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE); }

namespace {

bool transportKey(SDL_Keycode code, PlatformKey* key) {
    static const struct {
        SDL_Keycode code;
        PlatformKey key;
    } kKeys[] = {{SDLK_SPACE, PLATFORM_KEY_SPACE},     {SDLK_LEFT, PLATFORM_KEY_LEFT},
                 {SDLK_RIGHT, PLATFORM_KEY_RIGHT},     {SDLK_PAGEUP, PLATFORM_KEY_PAGE_UP},
                 {SDLK_PAGEDOWN, PLATFORM_KEY_PAGE_DOWN}, {SDLK_COMMA, PLATFORM_KEY_COMMA},
                 {SDLK_PERIOD, PLATFORM_KEY_PERIOD},   {SDLK_HOME, PLATFORM_KEY_HOME},
                 {SDLK_l, PLATFORM_KEY_L},             {SDLK_TAB, PLATFORM_KEY_TAB}};
    for (const auto& k : kKeys)
        if (k.code == code) {
            *key = k.key;
            return true;
        }
    return false;
}

}  // namespace

bool platformPollEvent(PlatformEvent* event) {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        event->type = PLATFORM_EVENT_NONE;
        switch (e.type) {
            case SDL_QUIT:
                event->type = PLATFORM_EVENT_CLOSE;
                return true;
            case SDL_KEYDOWN:
                if (e.key.keysym.sym == SDLK_ESCAPE) event->type = PLATFORM_EVENT_KEY_ESCAPE;
                else if (e.key.keysym.sym == SDLK_F1) event->type = PLATFORM_EVENT_KEY_F1;
                else if (transportKey(e.key.keysym.sym, &event->key)) {
                    event->type = PLATFORM_EVENT_KEY;
                    event->shift = (e.key.keysym.mod & KMOD_SHIFT) != 0;
                } else {
                    continue;
                }
                return true;
            case SDL_WINDOWEVENT:
                if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                    SDL_Window* window = SDL_GetWindowFromID(e.window.windowID);
                    event->type = PLATFORM_EVENT_RESIZE;
                    SDL_GL_GetDrawableSize(window, &event->width, &event->height);
                    return true;
                }
                if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
                    event->type = PLATFORM_EVENT_CLOSE;
                    return true;
                }
                continue;
            default:
                continue;
        }
    }
    return false;
}
