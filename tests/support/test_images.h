// Picture files for tests: BMP and TGA written by hand, JPEG through libjpeg's compressor.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Pixels bottom row first, red-green-blue(-alpha) or grey, tightly packed.
struct TestPicture {
    int width;
    int height;
    int channels;  // 1, 3 or 4
    std::vector<uint8_t> pixels;
};

// A picture whose every pixel differs from its neighbours (channels 1, 3 or 4).
TestPicture gradientPicture(int width, int height, int channels);
// Flat blocks of 8 x 8 pixels: JPEG keeps them nearly exact.
TestPicture blockPicture(int width, int height, int channels);
TestPicture flatPicture(int width, int height, uint8_t r, uint8_t g, uint8_t b);

// The same pixels in blue-green-red(-alpha) order, as BMP and TGA store them.
std::vector<uint8_t> swapRedBlue(const TestPicture& picture);

// 8-bit pictures get a grey palette; rows are padded to four bytes unless padRows is false.
std::string makeBmp(const TestPicture& picture, bool topDown = false, bool padRows = true);
std::string makeTgaPlain(const TestPicture& picture);
// Runs of equal pixels become run packets, everything else raw packets.
std::string makeTgaRunLength(const TestPicture& picture);
// A TGA header (type 2 or 10) followed by body as given.
std::string makeTgaHeader(int type, int width, int height, int bits);
// Baseline JPEG, no chroma subsampling.
std::string makeJpeg(const TestPicture& picture, int quality = 100);
