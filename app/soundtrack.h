// The capture's soundtrack: the music decoded straight from its Ogg Vorbis file (no audio device) into
// a 16-bit stereo 44100 Hz WAV file.
#pragma once
#include <cstdint>
#include <string>

enum { WAV_HEADER_SIZE = 44 };

// The header of a 16-bit stereo 44100 Hz PCM file holding sampleFrames.
void wavHeader(uint8_t out[WAV_HEADER_SIZE], int64_t sampleFrames);

// Writes sampleFrames of the music in oggPath, from the sample heard at demo time startMs, into
// wavPath: silence past the music's end, and all silence when oggPath is empty or cannot be decoded
// (then *note says why). A music of another rate is resampled, mono is doubled, more channels give
// their front left and right. False with *error when wavPath cannot be written.
bool writeSoundtrack(const std::string& oggPath, const std::string& wavPath, int32_t startMs,
                     int64_t sampleFrames, std::string* note, std::string* error);
