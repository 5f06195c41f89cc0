// Targa true-colour pictures, plain (type 2) and run-length encoded (type 10).
#include <cstdlib>
#include <cstring>

#include "base/out_of_memory.h"
#include "base/report.h"
#include "data/image.h"

namespace {

bool readPlain(uint8_t* pixels, size_t bytes, DemoFile file) {
    return fileRead(pixels, 1, bytes, file) == bytes;
}

// The n-th decoded pixel lands at count - 1 - n: the picture comes out turned half a turn against
// the plain reader's, which the productions' run-length files are authored for.
const char* readRunLength(uint8_t* pixels, uint64_t count, size_t pixelBytes, DemoFile file) {
    uint64_t produced = 0;
    while (produced < count) {
        uint8_t header;
        if (fileRead(&header, 1, 1, file) != 1) return "Could not read RLE header";
        uint64_t n = header >= 128 ? header - 127u : header + 1u;
        if (n > count - produced) return "Too many pixels read";
        if (header >= 128) {
            uint8_t pixel[4];
            if (fileRead(pixel, 1, pixelBytes, file) != pixelBytes) return "TGA reading failed";
            for (uint64_t i = 0; i < n; ++i, ++produced)
                std::memcpy(pixels + (count - 1 - produced) * pixelBytes, pixel, pixelBytes);
        } else {
            for (uint64_t i = 0; i < n; ++i, ++produced)
                if (fileRead(pixels + (count - 1 - produced) * pixelBytes, 1, pixelBytes, file) != pixelBytes)
                    return "TGA reading failed";
        }
    }
    return nullptr;
}

}  // namespace

uint8_t* readTga(TextureImage* image, DemoFile file) {
    uint8_t header[12];
    if (fileRead(header, 1, sizeof header, file) != sizeof header) return imageReadFailed(file, "Could not read file header");
    int type = header[2];
    if (type != 2 && type != 10) return imageReadFailed(file, "Not supported TGA format");
    uint8_t info[6];
    if (fileRead(info, 1, sizeof info, file) != sizeof info) return imageReadFailed(file, "File Header reading failed");
    uint32_t width = uint32_t(info[0]) | uint32_t(info[1]) << 8;
    uint32_t height = uint32_t(info[2]) | uint32_t(info[3]) << 8;
    int bits = info[4];
    if (width == 0 || height == 0 || (bits != 24 && bits != 32)) return imageReadFailed(file, "Invalid TGA file");

    size_t pixelBytes = static_cast<size_t>(bits / 8);
    uint64_t count = uint64_t(width) * height;
    uint64_t total = count * pixelBytes;
    // A header that promises more than the file can hold is refused before allocating for it: a
    // run-length packet gives at most 128 pixels.
    uint64_t least = type == 2 ? total : (count + 127) / 128 * (1 + pixelBytes);
    if (fileRemaining(file) < least) return imageReadFailed(file, "TGA reading failed");
    uint8_t* pixels = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(total)));
    if (!pixels) outOfMemory("a TGA picture of %u x %u", width, height);
    if (type == 2) {
        if (!readPlain(pixels, static_cast<size_t>(total), file)) return imageReadFailed(file, "TGA reading failed", pixels);
    } else {
        const char* problem = readRunLength(pixels, count, pixelBytes, file);
        if (problem) return imageReadFailed(file, problem, pixels);
    }
    fileSeek(file, 0, SEEK_SET);
    image->width = static_cast<int32_t>(width);
    image->height = static_cast<int32_t>(height);
    image->bitsPerPixel = bits;
    return pixels;
}
