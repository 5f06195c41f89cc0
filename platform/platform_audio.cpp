// Music output through SDL_mixer, streaming Ogg data held in memory.
#include <SDL.h>
#include <SDL_mixer.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "platform/platform.h"

namespace {
bool gAudioOpen;
Mix_Music* gMusic;
}  // namespace

namespace {
// The sound libraries probed on the way print their own diagnostics when no device exists; the
// player reports a missing device itself, once.
struct QuietStderr {
    int saved;
    QuietStderr() : saved(dup(2)) {
        int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, 2);
            close(null);
        }
    }
    ~QuietStderr() {
        if (saved >= 0) {
            dup2(saved, 2);
            close(saved);
        }
    }
};
}  // namespace

bool platformAudioOpen() {
    if (gAudioOpen) return true;
    std::fflush(stderr);
    QuietStderr quiet;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    Mix_Init(MIX_INIT_OGG);
    if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 2048) != 0) {
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    gAudioOpen = true;
    return true;
}

void platformAudioClose() {
    if (!gAudioOpen) return;
    Mix_HaltMusic();
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    gAudioOpen = false;
}

bool platformMusicCreate(const void* data, size_t size) {
    platformMusicFree();
    if (!gAudioOpen || !data || size == 0) return false;
    SDL_RWops* rw = SDL_RWFromConstMem(data, static_cast<int>(size));
    if (!rw) return false;
    gMusic = Mix_LoadMUS_RW(rw, 1);
    return gMusic != nullptr;
}

void platformMusicPlay(int32_t fromMs) {
    if (!gMusic) return;
    Mix_PlayMusic(gMusic, 0);
    // Ogg streams seek to a position in seconds.
    if (fromMs > 0) Mix_SetMusicPosition(fromMs / 1000.0);
}

void platformMusicPause() {
    if (gMusic) Mix_PauseMusic();
}

void platformMusicFree() {
    if (!gMusic) return;
    Mix_HaltMusic();
    Mix_FreeMusic(gMusic);
    gMusic = nullptr;
}
