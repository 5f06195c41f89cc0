// Image readers (BMP, TGA, JPEG), upload as GL textures, and the texture cache.
#pragma once
#include <cstddef>
#include <cstdint>

#include "data/package.h"
#include "data/texture.h"

struct Settings;
struct DemoContext;

enum ImageFormat {
    IMAGE_NONE = 0,
    IMAGE_BMP = 1,
    IMAGE_TGA = 2,
    IMAGE_JPEG = 4,
};

// Which reader understands the file; the file is rewound. A file that is none of the three goes to
// the JPEG library, whose error exit ends the process with EXIT_JPEG.
int detectImageFormat(DemoFile file);

// Each returns a tightly packed pixel block, bottom row first (caller frees with std::free), or null
// after a "Failure" message; sets width, height and bitsPerPixel. The file is rewound either way.
// BMP and TGA pixels are blue-green-red(-alpha), JPEG pixels red-green-blue or grey.
uint8_t* readBmp(TextureImage* image, DemoFile file);
// The readers' way out: frees the block, rewinds the file, shows the "Failure" message, gives null.
uint8_t* imageReadFailed(DemoFile file, const char* message, void* block = nullptr);
uint8_t* readTga(TextureImage* image, DemoFile file);
uint8_t* readJpeg(TextureImage* image, DemoFile file);
// True when the JPEG library accepts the header from the cursor on; anything that is not a JPEG ends
// the process (EXIT_JPEG) after the library's message.
bool jpegHeaderValid(DemoFile file);

// GL formats for one decoded frame.
struct TextureFormats {
    uint32_t internalFormat;
    uint32_t pixelFormat;
    bool supported;
};
TextureFormats textureFormats(int bitsPerPixel, int textureMode, int imageFormat);

// The name of frame k of an image (path alone for a still), into buffer; false if it does not fit.
bool imageFrameName(const TextureImage* image, int frame, char* buffer, size_t size);

// Decodes and uploads every frame of image into a new GL texture each (automatic mipmaps on).
// A frame that cannot be read keeps texture name 0. Needs a current GL context.
void loadTexture(TextureImage* image, const Settings* settings);
// Deletes the textures of image and frees its name array.
void releaseTextureImage(TextureImage* image);

// The loading screen's picture, clamped and filtered for drawing at screen size.
extern const char* const kLoadingPicturePath;
void loadLoadingPicture(DemoContext* context);

// Texture cache. Entries are found by their path (still image path, or sequence prefix), exactly.
int textureCacheFind(const TextureCache* cache, const char* path);
// Appends a copy of clip's sequence fields (first, end, reserved, digits, user, path, suffix) and loads
// it. Returns the new entry's index, or -1 with an "Error" message when the cache is full.
int textureCacheAdd(TextureCache* cache, const TextureImage* clip, const Settings* settings);
// The entry for clip's path, loading it first if there is none; -1 only when the cache is full.
int textureCacheGet(TextureCache* cache, const TextureImage* clip, const Settings* settings);
