// Windows bitmaps: 8-, 24- and 32-bit uncompressed, uploaded as stored (blue first, bottom row first).
#include <climits>
#include <cstdlib>
#include <cstring>

#include "base/out_of_memory.h"
#include "base/report.h"
#include "data/image.h"

namespace {

const uint32_t kFileHeaderSize = 14;
const uint32_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER; later versions only add fields after it

uint32_t u32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t u16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

}  // namespace

uint8_t* readBmp(TextureImage* image, DemoFile file) {
    uint8_t fileHeader[kFileHeaderSize];
    if (fileRead(fileHeader, 1, sizeof fileHeader, file) < sizeof fileHeader)
        return imageReadFailed(file, "File Header reading failed");
    if (fileHeader[0] != 'B' || fileHeader[1] != 'M') return imageReadFailed(file, "This is not a BMP file");

    // The information header and any palette lie between the file header and the pixels.
    uint32_t dataOffset = u32(fileHeader + 10);
    if (dataOffset < kFileHeaderSize + kInfoHeaderSize || dataOffset - kFileHeaderSize > fileRemaining(file))
        return imageReadFailed(file, "Bitmap Header reading failed");
    uint32_t blockSize = dataOffset - kFileHeaderSize;
    uint8_t* block = static_cast<uint8_t*>(std::malloc(blockSize));
    if (!block) outOfMemory("a bitmap header");
    if (fileRead(block, 1, blockSize, file) < blockSize) return imageReadFailed(file, "Bitmap Header reading failed", block);

    uint32_t infoSize = u32(block);
    int32_t width = static_cast<int32_t>(u32(block + 4));
    int32_t height = static_cast<int32_t>(u32(block + 8));
    int bits = u16(block + 14);
    uint32_t compression = u32(block + 16);
    std::free(block);
    // Run-length and embedded-picture bitmaps, palettes narrower than a byte and 16-bit pixels
    // have no upload format; bit fields (3) only describe masks of plain 32-bit pixels.
    if (infoSize < kInfoHeaderSize || (compression != 0 && compression != 3) ||
        (bits != 8 && bits != 24 && bits != 32))
        return imageReadFailed(file, "Not supported BMP format");
    if (width <= 0 || height == 0 || height == INT_MIN) return imageReadFailed(file, "Invalid BMP file");

    // Rows are stored padded to four bytes; the texture takes them tightly packed. A top-down
    // bitmap (negative height) is turned bottom row first like every other picture.
    bool topDown = height < 0;
    uint64_t rows = topDown ? uint64_t(-int64_t(height)) : uint64_t(height);
    uint64_t rowBytes = uint64_t(width) * (bits / 8);
    uint64_t stride = (rowBytes + 3) / 4 * 4;
    uint64_t left = fileRemaining(file);
    // Writers that do not pad are read as they are. (Divisions: the products could overflow.)
    if (rows > left / stride) stride = rowBytes;
    if (rows > left / stride) return imageReadFailed(file, "Bitmap reading failed");
    uint8_t* pixels = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(rows * rowBytes)));
    if (!pixels) outOfMemory("a bitmap of %d x %llu", width, static_cast<unsigned long long>(rows));
    for (uint64_t r = 0; r < rows; ++r) {
        uint64_t target = topDown ? rows - 1 - r : r;
        fileRead(pixels + target * rowBytes, 1, static_cast<size_t>(rowBytes), file);
        fileSeek(file, static_cast<long>(stride - rowBytes), SEEK_CUR);
    }
    fileSeek(file, 0, SEEK_SET);
    image->width = width;
    image->height = static_cast<int32_t>(rows);
    image->bitsPerPixel = bits;
    return pixels;
}
