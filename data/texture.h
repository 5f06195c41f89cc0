// Images and numbered image sequences as GL textures, one texture per frame.
#pragma once
#include <cstdint>

struct TextureImage {
    int32_t first;     // first frame number (0 for a still)
    int32_t end;       // one past the last frame (1 for a still)
    int32_t reserved;
    int32_t digits;    // 0 single file; 1..3 width of the frame number in sequence names
    int32_t width;
    int32_t height;
    int32_t bitsPerPixel;
    uint32_t* names;   // one GL texture name per frame
    int32_t user[2];   // carried for the mesh builder
    char path[128];    // file path, or the sequence prefix
    char suffix[128];  // sequence name part after the number
};

enum { TEXTURE_CACHE_CAPACITY = 128 };

struct TextureCache {
    TextureImage entries[TEXTURE_CACHE_CAPACITY];
    int32_t count;
};
