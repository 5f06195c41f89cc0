// The shared texture cache: one entry per image path, appended on first use, never removed.
#include <cstring>

#include "base/report.h"
#include "data/image.h"
#include "render/texture_upload.h"

int textureCacheFind(const TextureCache* cache, const char* path) {
    for (int32_t i = 0; i < cache->count; ++i)
        if (std::strncmp(cache->entries[i].path, path, sizeof cache->entries[i].path) == 0) return i;
    return -1;
}

int textureCacheAdd(TextureCache* cache, const TextureImage* clip, const Settings* settings) {
    if (cache->count >= TEXTURE_CACHE_CAPACITY) {
        showError("The texture cache is full (%d images); \"%.*s\" is not loaded.", TEXTURE_CACHE_CAPACITY,
                  static_cast<int>(strnlen(clip->path, sizeof clip->path)), clip->path);
        return -1;
    }
    int index = cache->count;
    TextureImage* entry = &cache->entries[index];
    *entry = *clip;
    entry->width = entry->height = entry->bitsPerPixel = 0;
    entry->names = nullptr;
    entry->path[sizeof entry->path - 1] = '\0';
    entry->suffix[sizeof entry->suffix - 1] = '\0';
    cache->count = index + 1;
    loadTexture(entry, settings);
    return index;
}

int textureCacheGet(TextureCache* cache, const TextureImage* clip, const Settings* settings) {
    int index = textureCacheFind(cache, clip->path);
    return index >= 0 ? index : textureCacheAdd(cache, clip, settings);
}
