// Ogg Vorbis through libvorbisenc, and decoding back through libvorbisfile for checks.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/content/image_encode.h"

struct OggTags {
    std::string title;
    std::string artist;
};

// Stereo floats at `rate` into an Ogg Vorbis stream with the given serial number (fixed, so the
// same samples give the same file), variable bit rate at `quality` (-0.1 to 1).
bool encodeOggVorbis(const float* left, const float* right, size_t frames, int rate, float quality, uint32_t serial,
                     const OggTags& tags, Bytes* out, std::string* error);

// What a player would get from the stream.
struct DecodedAudio {
    int channels;
    long rate;
    int64_t frames;
    double peak;  // largest absolute sample
};
bool decodeOggVorbis(const Bytes& data, DecodedAudio* out, std::string* error);
