#include "app/music.h"

#include <cstdio>
#include <string>
#include <vector>

#include "app/shutdown.h"
#include "platform/platform.h"

namespace {
std::vector<unsigned char> gMusicData;  // must outlive the stream playing from it
bool gLoaded;

bool readWholeFile(const std::string& path, std::vector<unsigned char>* bytes) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    bytes->clear();
    unsigned char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes->insert(bytes->end(), buffer, buffer + n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}
}  // namespace

void openMusic(const char* dataDir) {
    if (!platformAudioOpen()) {
        // Without a device there is nothing to play the stream on: one message, then silence.
        platformMessageBox("Error", "Inicjacja diwajsu");
        return;
    }
    platformMusicFree();
    gLoaded = false;
    std::string path = std::string(dataDir) + "/demo.ogg";
    if (!readWholeFile(path, &gMusicData) || !platformMusicCreate(gMusicData.data(), gMusicData.size())) {
        platformMessageBox("Error", "Brak pilku muzycznego.");
        return;
    }
    gLoaded = true;
}

void startMusic(int32_t positionMs) {
    if (gLoaded) platformMusicPlay(positionMs);
}

void pauseMusic() {
    if (gLoaded) platformMusicPause();
}

void closeMusic() {
    platformMusicFree();
    platformAudioClose();
    gLoaded = false;
}

