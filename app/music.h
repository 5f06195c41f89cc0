// The soundtrack: "demo.ogg" from disk, held in memory, played once from the clock's start.
#pragma once

// Opens the audio device and the music file in dataDir; failures show their message and leave the
// demo silent.
void openMusic(const char* dataDir);
void startMusic();
void closeMusic();
bool musicLoaded();
