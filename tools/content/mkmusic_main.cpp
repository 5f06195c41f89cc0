// velmora_mkmusic: synthesises the score and writes the production's Ogg Vorbis music.
//   velmora_mkmusic SCORE OUT.ogg
// The stream is decoded again before it is written, so a build never ships music the player
// cannot read.
#include <cstdio>
#include <string>

#include "tools/content/ogg_encode.h"
#include "tools/content/synth.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: velmora_mkmusic SCORE OUT.ogg\n");
        return 2;
    }
    FILE* f = std::fopen(argv[1], "rb");
    if (!f) {
        std::fprintf(stderr, "velmora_mkmusic: cannot open %s\n", argv[1]);
        return 1;
    }
    std::string text;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
    std::fclose(f);

    Score score;
    std::string error;
    if (!parseScore(text, &score, &error)) {
        std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
        return 1;
    }
    std::vector<float> left, right;
    renderScore(score, 0.0, &left, &right);
    Bytes ogg;
    DecodedAudio decoded;
    if (!encodeOggVorbis(left.data(), right.data(), left.size(), SYNTH_RATE, score.master.quality,
                         MUSIC_STREAM_SERIAL, OggTags{score.title, score.artist}, &ogg, &error) ||
        !decodeOggVorbis(ogg, &decoded, &error)) {
        std::fprintf(stderr, "velmora_mkmusic: %s\n", error.c_str());
        return 1;
    }
    if (decoded.channels != 2 || decoded.rate != SYNTH_RATE || decoded.frames != int64_t(left.size())) {
        std::fprintf(stderr, "velmora_mkmusic: the stream decodes to %d channels, %ld Hz, %lld frames\n",
                     decoded.channels, decoded.rate, static_cast<long long>(decoded.frames));
        return 1;
    }
    if (!writeFileBytes(argv[2], ogg, &error)) {
        std::fprintf(stderr, "velmora_mkmusic: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
