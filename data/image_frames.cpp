// Frame file names of image sequences.
#include <cstdio>
#include <cstring>

#include "data/image.h"

namespace {

// Name fields come from data files and need not be terminated within their 128 bytes.
int fieldLength(const char* field, size_t size) { return static_cast<int>(strnlen(field, size)); }

}  // namespace

bool imageFrameName(const TextureImage* image, int frame, char* buffer, size_t size) {
    int pathLength = fieldLength(image->path, sizeof image->path);
    int written;
    if (image->digits <= 0) {
        written = std::snprintf(buffer, size, "%.*s", pathLength, image->path);
    } else {
        // The number in the name counts from 0 whatever the first frame number is.
        written = std::snprintf(buffer, size, "%.*s%.*d%.*s", pathLength, image->path, int(image->digits), frame,
                                fieldLength(image->suffix, sizeof image->suffix), image->suffix);
    }
    return written >= 0 && static_cast<size_t>(written) < size;
}
