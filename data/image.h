// Image readers (BMP, TGA, JPEG) and the file names of image sequences.
#pragma once
#include <cstddef>
#include <cstdint>

#include "data/package.h"
#include "data/texture.h"

enum ImageFormat {
    IMAGE_NONE = 0,
    IMAGE_BMP = 1,
    IMAGE_TGA = 2,
    IMAGE_JPEG = 4,
};

// Which reader understands the file; the file is rewound. A file that is none of the three (the JPEG
// library refuses its header) gets a "Failure" message naming it and IMAGE_NONE.
int detectImageFormat(DemoFile file);

// Each returns a tightly packed pixel block, bottom row first (caller frees with std::free), or null
// after a "Failure" message; sets width, height and bitsPerPixel. The file is rewound either way.
// BMP and TGA pixels are blue-green-red(-alpha), JPEG pixels red-green-blue or grey.
uint8_t* readBmp(TextureImage* image, DemoFile file);
// The readers' way out: frees the block, rewinds the file, shows the "Failure" message, gives null.
uint8_t* imageReadFailed(DemoFile file, const char* message, void* block = nullptr);
uint8_t* readTga(TextureImage* image, DemoFile file);
uint8_t* readJpeg(TextureImage* image, DemoFile file);
// True when the JPEG library accepts the header from the cursor on; otherwise false with the library's
// reason in problem. A JPEG whose decoding fails later, in readJpeg, ends the process (EXIT_JPEG) after a
// "Failure" message naming the file.
bool jpegHeaderValid(DemoFile file, char* problem, size_t size);

// The name of frame k of an image (path alone for a still), into buffer; false if it does not fit.
bool imageFrameName(const TextureImage* image, int frame, char* buffer, size_t size);
