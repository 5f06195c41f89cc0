// Telling the three picture formats apart by their first bytes.
#include <cstdlib>
#include <cstring>

#include "base/report.h"
#include "data/image.h"

namespace {

// Uncompressed and run-length true-colour TGA, without identification field or colour map.
const uint8_t kTgaPlain[12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
const uint8_t kTgaRunLength[12] = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0};

}  // namespace

int detectImageFormat(DemoFile file) {
    uint8_t header[14] = {};
    size_t got = fileRead(header, 1, sizeof header, file);
    fileSeek(file, 0, SEEK_SET);
    // No picture of any of the three formats is shorter than this header.
    if (got < sizeof header) {
        showFailure("File Header reading failed");
        return IMAGE_NONE;
    }
    if (header[0] == 'B' && header[1] == 'M') return IMAGE_BMP;
    if (std::memcmp(header, kTgaPlain, 12) == 0 || std::memcmp(header, kTgaRunLength, 12) == 0)
        return IMAGE_TGA;
    char problem[256] = "it holds no picture";
    bool jpeg = jpegHeaderValid(file, problem, sizeof problem);
    fileSeek(file, 0, SEEK_SET);
    if (jpeg) return IMAGE_JPEG;
    // Another format (a PNG, a grey or colour-mapped TGA): said once and skipped like a missing picture.
    showFailure("The picture \"%s\" is not a BMP, a true-colour TGA without identification field or colour map, "
                "nor a JPEG: %s",
                file->name, problem);
    return IMAGE_NONE;
}

uint8_t* imageReadFailed(DemoFile file, const char* message, void* block) {
    std::free(block);
    fileSeek(file, 0, SEEK_SET);
    showFailure("%s", message);
    return nullptr;
}
