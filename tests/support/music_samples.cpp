#include "tests/support/music_samples.h"

#include <vorbis/vorbisfile.h>

std::vector<int16_t> decodeMusic(const std::string& path, int* channels, int64_t maxFrames) {
    OggVorbis_File f;
    std::vector<int16_t> samples;
    if (ov_fopen(path.c_str(), &f) != 0) return samples;
    *channels = ov_info(&f, -1)->channels;
    const size_t wanted = maxFrames < 0 ? SIZE_MAX : size_t(maxFrames) * size_t(*channels);
    char bytes[4096];
    int link;
    long n;
    while (samples.size() < wanted && (n = ov_read(&f, bytes, sizeof bytes, 0, 2, 1, &link)) > 0)
        samples.insert(samples.end(), reinterpret_cast<int16_t*>(bytes), reinterpret_cast<int16_t*>(bytes + n));
    ov_clear(&f);
    if (samples.size() > wanted) samples.resize(wanted);
    return samples;
}
