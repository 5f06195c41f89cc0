// Images as GL textures: decoding every frame and uploading it, the loading picture, and the cache
// of uploaded images.
#pragma once
#include <cstdint>

#include "data/texture.h"

struct RenderState;
struct Settings;

// GL formats for one decoded frame.
struct TextureFormats {
    uint32_t internalFormat;
    uint32_t pixelFormat;
    bool supported;
};
TextureFormats textureFormats(int bitsPerPixel, int textureMode, int imageFormat);

// Decodes and uploads every frame of image into a new GL texture each (automatic mipmaps on).
// A frame that cannot be read keeps texture name 0. Needs a current GL context.
void loadTexture(TextureImage* image, const Settings* settings);
// Decodes every frame of a loaded image again and uploads it into the texture names it has, so that
// whatever holds those names shows the new picture. False (reported), with the image unchanged, when a
// frame cannot be read.
bool reloadTexture(TextureImage* image, const Settings* settings);
// Deletes the textures of image and frees its name array.
void releaseTextureImage(TextureImage* image);

// The settings' anisotropy on the bound 2D texture; nothing when it is 0 or the device has none.
// Volumes get none: the filter follows a pixel's footprint across two texture axes only, and on
// llvmpipe it walked the whole footprint of the fractal and noise volumes, minutes a frame.
void applyAnisotropy(const Settings* settings);

// The loading screen's picture, clamped and filtered for drawing at screen size.
extern const char* const kLoadingPicturePath;
void loadLoadingPicture(RenderState* render);

// Texture cache. Entries are found by their path (still image path, or sequence prefix), exactly.
int textureCacheFind(const TextureCache* cache, const char* path);
// Appends a copy of clip's sequence fields (first, end, reserved, digits, user, path, suffix) and loads
// it. Returns the new entry's index, or -1 with an "Error" message when the cache is full.
int textureCacheAdd(TextureCache* cache, const TextureImage* clip, const Settings* settings);
// The entry for clip's path, loading it first if there is none; -1 only when the cache is full.
int textureCacheGet(TextureCache* cache, const TextureImage* clip, const Settings* settings);
