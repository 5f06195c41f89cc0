// Frame capture: every timed frame read back and written as an uncompressed 24-bit BMP file.
#pragma once
#include <cstdint>
#include <string>

struct DemoContext;

#pragma pack(push, 1)
struct BmpInfoHeader {
    uint32_t size;
    int32_t width;
    int32_t height;
    uint16_t planes;
    uint16_t bitCount;
    uint32_t compression;
    uint32_t sizeImage;
    int32_t xPelsPerMeter;
    int32_t yPelsPerMeter;
    uint32_t clrUsed;
    uint32_t clrImportant;
};
#pragma pack(pop)

// Bytes of one pixel row of a 24-bit image: rounded up to a multiple of 4.
int bmpRowSize(int width);
// Fills the header for a 24-bit image of width x height.
void fillBmpHeader(BmpInfoHeader* header, int width, int height);
// Writes the file header, the information header and the pixels; 0 written, -1 failed.
int writeBmp(const char* path, const BmpInfoHeader* header, const uint8_t* pixels);
// Reads the current viewport into the pixel block, which grows when the picture does.
void readFrame(BmpInfoHeader* header, uint8_t** pixels, size_t* capacity);

// Reads the current picture into the capture buffers, sized at the first frame (no memory: exit 56).
// The pixels stay valid until the next read.
const BmpInfoHeader* captureReadBack(DemoContext* context, const uint8_t** pixels);
// Writes the last picture read back as "<dir>/demo%.5d.bmp"; a file that cannot be written is skipped.
void captureWriteBmp(const std::string& directory, int32_t frameNumber);
