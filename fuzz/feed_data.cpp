// The package, the word reader and the three picture readers.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "data/file_words.h"
#include "data/image.h"
#include "data/package.h"
#include "fuzz/feed.h"
#include "fuzz/feed_support.h"

namespace {

const char* const kInput = "Demo/Input.bin";

// Every way the loaders move through an entry: reads, seeks from each origin, a formatted read and
// the JPEG library's stream.
void walkEntry(DemoFile file) {
    uint8_t buffer[512];
    while (fileRead(buffer, 1, sizeof buffer, file) == sizeof buffer) {
    }
    fileSeek(file, -7, SEEK_END);
    fileSeek(file, 3, SEEK_CUR);
    fileSeek(file, 0, SEEK_SET);
    char word[64];
    fileScan(file, "%63s", word);
    FILE* stream = fileStream(file);
    if (stream) {
        int c;
        while ((c = std::fgetc(stream)) != EOF) (void)c;
        std::fclose(stream);
    }
    fileClose(file);
}

typedef uint8_t* (*PictureReader)(TextureImage*, DemoFile);

// One reader, or (null) detection picking the reader as the texture loader does; the pixels are
// freed after use.
FeedOutcome feedPicture(const uint8_t* bytes, size_t size, PictureReader reader) {
    feedPackageOf(kInput, bytes, size);
    DemoFile file = fileOpen(kInput, "rb");
    static uint8_t* pixels;
    pixels = nullptr;
    static FeedOutcome outcome;
    outcome = FEED_REFUSED;
    gFeedExitArmed = true;
    if (setjmp(gFeedExit) == 0) {
        TextureImage image = {};
        if (reader) {
            pixels = reader(&image, file);
        } else {
            int format = detectImageFormat(file);
            if (format == IMAGE_BMP) pixels = readBmp(&image, file);
            if (format == IMAGE_TGA) pixels = readTga(&image, file);
            if (format == IMAGE_JPEG) pixels = readJpeg(&image, file);
        }
        if (pixels) {
            // Touch the last pixel: the block must hold what the size promises.
            size_t bytesPerPixel = static_cast<size_t>(image.bitsPerPixel / 8);
            size_t total = size_t(image.width) * size_t(image.height) * bytesPerPixel;
            if (total) {
                volatile uint8_t last = pixels[total - 1];
                (void)last;
            }
            outcome = FEED_READ;
        }
    } else {
        outcome = FEED_ENDED;
    }
    gFeedExitArmed = false;
    std::free(pixels);
    pixels = nullptr;
    packageRelease();
    return outcome;
}

}  // namespace

FeedOutcome feedPackage(const uint8_t* bytes, size_t size) {
    feedBegin();
    if (!packageLoadBytes(bytes, size, "fuzz input")) return FEED_REFUSED;
    const DataPackage* pk = package();
    for (uint32_t i = 0; i < pk->entryCount; ++i) {
        DemoFile file = fileOpen(pk->entries[i].name, "rb");
        if (file) walkEntry(file);
    }
    packageRelease();
    return FEED_READ;
}

FeedOutcome feedWords(const uint8_t* bytes, size_t size) {
    feedPackageOf(kInput, bytes, size);
    DemoFile file = fileOpen(kInput, "rb");
    // The readers mix the three kinds of number and word; each round must move on or the word is taken.
    for (;;) {
        uint32_t before = fileRemaining(file);
        int32_t value;
        fileReadInteger(file, &value);
        fileReadTime(file, &value);
        char word[16];
        bool cut;
        bool more = fileReadWord(file, word, sizeof word, &cut);
        float number;
        fileScan(file, "%f", &number);
        if (!more || fileRemaining(file) == before) break;
    }
    packageRelease();
    return FEED_READ;
}

FeedOutcome feedBmp(const uint8_t* bytes, size_t size) { return feedPicture(bytes, size, readBmp); }
FeedOutcome feedTga(const uint8_t* bytes, size_t size) { return feedPicture(bytes, size, readTga); }
FeedOutcome feedJpeg(const uint8_t* bytes, size_t size) { return feedPicture(bytes, size, nullptr); }
