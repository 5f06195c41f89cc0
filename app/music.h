// The soundtrack: "demo.ogg" from disk, held in memory, played once from the clock's start.
#pragma once
#include <cstdint>

// Opens the audio device and the music file in dataDir; failures show their message and leave the
// demo silent.
void openMusic(const char* dataDir);
// Plays from the given position in the music (ms), so that a demo started late is in step.
void startMusic(int32_t positionMs);
// Stops the music where it is; startMusic goes on.
void pauseMusic();
void closeMusic();
