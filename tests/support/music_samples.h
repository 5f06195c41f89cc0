// The samples a music file decodes to, for comparing soundtracks with what the decoder gives.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Interleaved 16-bit samples of the first maxFrames frames (all when negative), in the decoder's own
// order; empty when the file cannot be decoded. channels gets the file's channel count.
std::vector<int16_t> decodeMusic(const std::string& path, int* channels, int64_t maxFrames = -1);
