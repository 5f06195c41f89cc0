#include "app/soundtrack.h"

#include <vorbis/vorbisfile.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "app/capture_timing.h"
#include "base/little_endian.h"

namespace {

// Reads the music one stereo frame at a time; zeros once it has ended.
struct MusicReader {
    OggVorbis_File file;
    bool open;
    std::vector<int16_t> chunk;  // interleaved, `channels` a frame
    size_t at, frames;
    int channels;
};

bool readMusicFrame(MusicReader* r, int16_t out[2]) {
    out[0] = out[1] = 0;
    if (!r->open) return false;
    while (r->at == r->frames) {
        char bytes[16384];
        int link = 0;
        long n = ov_read(&r->file, bytes, sizeof bytes, 0, 2, 1, &link);
        if (n == OV_HOLE) continue;  // a gap in the data: decoding goes on after it
        if (n <= 0) {
            r->open = false;
            ov_clear(&r->file);
            return false;
        }
        vorbis_info* info = ov_info(&r->file, link);
        r->channels = info ? info->channels : 1;
        r->chunk.resize(static_cast<size_t>(n) / 2);
        std::memcpy(r->chunk.data(), bytes, static_cast<size_t>(n));
        r->at = 0;
        r->frames = r->chunk.size() / static_cast<size_t>(r->channels);
    }
    const int16_t* frame = &r->chunk[r->at * static_cast<size_t>(r->channels)];
    r->at += 1;
    // Vorbis channel order: the front right is third where a centre channel sits between.
    int right = r->channels == 1 ? 0 : (r->channels == 3 || r->channels >= 5) ? 2 : 1;
    out[0] = frame[0];
    out[1] = frame[right];
    return true;
}

}  // namespace

void wavHeader(uint8_t out[WAV_HEADER_SIZE], int64_t sampleFrames) {
    uint32_t dataSize = static_cast<uint32_t>(sampleFrames * 4);
    std::memcpy(out, "RIFF", 4);
    putLe32(out + 4, 36 + dataSize);
    std::memcpy(out + 8, "WAVEfmt ", 8);
    putLe32(out + 16, 16);
    putLe16(out + 20, 1);  // PCM
    putLe16(out + 22, 2);
    putLe32(out + 24, SOUNDTRACK_RATE);
    putLe32(out + 28, SOUNDTRACK_RATE * 4);
    putLe16(out + 32, 4);
    putLe16(out + 34, 16);
    std::memcpy(out + 36, "data", 4);
    putLe32(out + 40, dataSize);
}

bool writeSoundtrack(const std::string& oggPath, const std::string& wavPath, int32_t startMs,
                     int64_t sampleFrames, std::string* note, std::string* error) {
    // The RIFF sizes are 32-bit: about six and a half hours of sound.
    if (sampleFrames < 0 || sampleFrames > (int64_t(UINT32_MAX) - 36) / 4) {
        *error = "the soundtrack of " + wavPath + " would be too long for a WAV file";
        return false;
    }
    MusicReader reader = {};
    long rate = SOUNDTRACK_RATE;
    // Before the music's start (a negative position) the soundtrack is silent until it begins.
    int64_t first = startMs < 0 ? -soundtrackSampleAt(-startMs) : soundtrackSampleAt(startMs);
    if (!oggPath.empty()) {
        if (ov_fopen(oggPath.c_str(), &reader.file) == 0) {
            reader.open = true;
            vorbis_info* info = ov_info(&reader.file, -1);
            if (info && info->rate > 0) rate = info->rate;
        } else {
            *note = oggPath + " cannot be decoded: the soundtrack is silent";
        }
    }
    // Music sample frame s of output frame k: (first + k) * rate / 44100, interpolated between two
    // music frames; at 44100 Hz it is exactly the decoder's own frame.
    int64_t position = first > 0 ? (first * rate) / SOUNDTRACK_RATE : 0;
    if (reader.open && ov_pcm_seek(&reader.file, position) != 0) {
        // Past the music's end (or not seekable): silence.
        ov_clear(&reader.file);
        reader.open = false;
    }
    int16_t current[2], next[2];
    readMusicFrame(&reader, current);
    readMusicFrame(&reader, next);

    FILE* f = std::fopen(wavPath.c_str(), "wb");
    if (!f) {
        if (reader.open) ov_clear(&reader.file);
        *error = "cannot write " + wavPath;
        return false;
    }
    uint8_t header[WAV_HEADER_SIZE];
    wavHeader(header, sampleFrames);
    bool ok = std::fwrite(header, 1, sizeof header, f) == sizeof header;
    std::vector<uint8_t> block;
    block.reserve(4 * 4096);
    for (int64_t k = 0; k < sampleFrames && ok; ++k) {
        int64_t exact = (first + k) * rate;
        if (first + k < 0) exact = 0;
        int64_t target = exact / SOUNDTRACK_RATE;
        int64_t fraction = exact % SOUNDTRACK_RATE;
        while (position < target) {
            current[0] = next[0];
            current[1] = next[1];
            readMusicFrame(&reader, next);
            ++position;
        }
        for (int c = 0; c < 2; ++c) {
            int64_t v = current[c] + (int64_t(next[c]) - current[c]) * fraction / SOUNDTRACK_RATE;
            if (first + k < 0) v = 0;
            block.push_back(uint8_t(v & 0xFF));
            block.push_back(uint8_t((v >> 8) & 0xFF));
        }
        if (block.size() == block.capacity() || k + 1 == sampleFrames) {
            ok = std::fwrite(block.data(), 1, block.size(), f) == block.size();
            block.clear();
        }
    }
    if (reader.open) ov_clear(&reader.file);
    ok = std::fclose(f) == 0 && ok;
    if (!ok) *error = "cannot write " + wavPath;
    return ok;
}
