// The picture readers on package entries: pixel order, sizes, and every way a file can be wrong.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/shutdown.h"
#include "data/image.h"
#include "render/texture_upload.h"
#include "tests/support/test_images.h"
#include "tests/support/test_package.h"

namespace {

typedef uint8_t* (*Reader)(TextureImage*, DemoFile);

struct Decoded {
    bool ok;
    std::vector<uint8_t> pixels;
    TextureImage image;
    std::string messages;  // what went to standard error
    bool rewound;
};

Decoded decode(Reader reader, const std::string& bytes) {
    loadTestPackage({{"pic", bytes}});
    DemoFile file = fileOpen("pic", "rb");
    Decoded d = {};
    ::testing::internal::CaptureStderr();
    uint8_t* pixels = reader(&d.image, file);
    d.messages = ::testing::internal::GetCapturedStderr();
    d.ok = pixels != nullptr;
    if (pixels)
        d.pixels.assign(pixels, pixels + size_t(d.image.width) * d.image.height * d.image.bitsPerPixel / 8);
    std::free(pixels);
    d.rewound = file->cursor == file->offset;
    return d;
}

int detect(const std::string& bytes, std::string* messages = nullptr) {
    loadTestPackage({{"pic", bytes}});
    DemoFile file = fileOpen("pic", "rb");
    ::testing::internal::CaptureStderr();
    int format = detectImageFormat(file);
    std::string err = ::testing::internal::GetCapturedStderr();
    if (messages) *messages = err;
    EXPECT_EQ(file->cursor, file->offset);
    return format;
}

// For death tests: the library's message must reach the real standard error.
void runUncaptured(Reader reader, int (*detector)(DemoFile), const std::string& bytes) {
    loadTestPackage({{"pic", bytes}});
    DemoFile file = fileOpen("pic", "rb");
    TextureImage image = {};
    if (detector) detector(file);
    else std::free(reader(&image, file));
}

void put32(std::string* s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) (*s)[at + i] = char(v >> (8 * i) & 0xFF);
}

// Pixel n of the result is pixel count - 1 - n of the source.
std::vector<uint8_t> halfTurn(const std::vector<uint8_t>& pixels, int channels) {
    std::vector<uint8_t> out(pixels.size());
    size_t count = pixels.size() / channels;
    for (size_t n = 0; n < count; ++n) std::memcpy(&out[(count - 1 - n) * channels], &pixels[n * channels], channels);
    return out;
}

void expectNear(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int tolerance) {
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) ASSERT_LE(std::abs(int(a[i]) - int(b[i])), tolerance) << "byte " << i;
}

struct FailureCase {
    const char* what;
    std::string bytes;
    const char* message;
};

void expectFailures(Reader reader, const std::vector<FailureCase>& cases) {
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.what);
        Decoded d = decode(reader, c.bytes);
        EXPECT_FALSE(d.ok);
        EXPECT_EQ(d.messages, std::string("Failure: ") + c.message + "\n");
        EXPECT_TRUE(d.rewound);
    }
}

TEST(ImageDetect, FormatsByTheirFirstBytes) {
    TestPicture p = gradientPicture(4, 4, 3);
    std::string messages;
    EXPECT_EQ(detect(makeBmp(p)), IMAGE_BMP);
    EXPECT_EQ(detect(makeTgaPlain(p)), IMAGE_TGA);
    EXPECT_EQ(detect(makeTgaRunLength(p)), IMAGE_TGA);
    EXPECT_EQ(detect(makeJpeg(p), &messages), IMAGE_JPEG);
    EXPECT_EQ(messages, "");
    // Too short to be any picture: reported, not handed to the JPEG library.
    EXPECT_EQ(detect("", &messages), IMAGE_NONE);
    EXPECT_EQ(messages, "Failure: File Header reading failed\n");
    EXPECT_EQ(detect("BM0123456789a", &messages), IMAGE_NONE);
    EXPECT_EQ(messages, "Failure: File Header reading failed\n");
}

TEST(ImageDetect, OtherFormatsAreNamedAndSkipped) {
    std::string tga = makeTgaPlain(gradientPicture(2, 2, 3));
    std::string withId = tga, colourMapped = tga, grey = tga;
    withId[0] = 4;
    colourMapped[1] = 1;
    grey[2] = 3;
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"GIF", "GIF89a this is no picture of ours"},
        {"PNG", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)},
        {"TGA with an identification field", withId},
        {"colour-mapped TGA", colourMapped},
        {"grey TGA", grey},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string messages;
        EXPECT_EQ(detect(c.bytes, &messages), IMAGE_NONE);
        EXPECT_EQ(messages.rfind("Failure: The picture \"pic\" is not a BMP", 0), 0u) << messages;
        EXPECT_NE(messages.find("Not a JPEG file"), std::string::npos) << messages;
        EXPECT_EQ(std::count(messages.begin(), messages.end(), '\n'), 1) << messages;
    }
}

TEST(BmpReader, RowsArePackedTightlyBottomRowFirst) {
    // Three pixels of 24 bits: rows padded from 9 to 12 bytes in the file.
    for (int channels : {1, 3, 4}) {
        SCOPED_TRACE(channels);
        TestPicture p = gradientPicture(3, 5, channels);
        for (const std::string& file : {makeBmp(p), makeBmp(p, true), makeBmp(p, false, false)}) {
            Decoded d = decode(readBmp, file);
            ASSERT_TRUE(d.ok) << d.messages;
            EXPECT_EQ(d.image.width, 3);
            EXPECT_EQ(d.image.height, 5);
            EXPECT_EQ(d.image.bitsPerPixel, channels * 8);
            // The palette is not applied: 8-bit pixels are their indices.
            EXPECT_EQ(d.pixels, swapRedBlue(p));
            EXPECT_TRUE(d.rewound);
        }
    }
}

TEST(BmpReader, EveryFailureIsReported) {
    std::string good = makeBmp(gradientPicture(4, 4, 3));
    auto patched = [&good](size_t at, uint32_t v) {
        std::string s = good;
        put32(&s, at, v);
        return s;
    };
    std::string bits16 = good;
    bits16[28] = 16;
    expectFailures(readBmp, {
        {"empty", "", "File Header reading failed"},
        {"short file header", good.substr(0, 13), "File Header reading failed"},
        {"no signature", "XY" + good.substr(2), "This is not a BMP file"},
        {"header cut short", good.substr(0, 40), "Bitmap Header reading failed"},
        {"pixel offset past the end", patched(10, 0x7FFFFFF0u), "Bitmap Header reading failed"},
        {"pixel offset inside the header", patched(10, 14 + 12), "Bitmap Header reading failed"},
        {"pixels cut short", good.substr(0, good.size() - 1), "Bitmap reading failed"},
        {"declared larger than its data", patched(18, 5000), "Bitmap reading failed"},
        {"taller than its data", patched(22, 0x7FFFFFFF), "Bitmap reading failed"},
        {"16 bits", bits16, "Not supported BMP format"},
        {"run-length", patched(30, 1), "Not supported BMP format"},
        {"zero width", patched(18, 0), "Invalid BMP file"},
        {"zero height", patched(22, 0), "Invalid BMP file"},
    });
}

TEST(TgaReader, RunLengthPicturesComeOutHalfATurnFromPlainOnes) {
    for (int channels : {3, 4}) {
        SCOPED_TRACE(channels);
        // Rows of runs and rows of distinct pixels, so both packet kinds appear.
        TestPicture p = gradientPicture(5, 6, channels);
        for (int x = 0; x < 5 * 3 * channels; ++x) p.pixels[x] = 200;
        Decoded plain = decode(readTga, makeTgaPlain(p));
        Decoded packed = decode(readTga, makeTgaRunLength(p));
        ASSERT_TRUE(plain.ok) << plain.messages;
        ASSERT_TRUE(packed.ok) << packed.messages;
        EXPECT_EQ(plain.pixels, swapRedBlue(p));
        EXPECT_EQ(packed.pixels, halfTurn(plain.pixels, channels));
        EXPECT_EQ(packed.image.width, 5);
        EXPECT_EQ(packed.image.height, 6);
        EXPECT_EQ(packed.image.bitsPerPixel, channels * 8);
        EXPECT_TRUE(plain.rewound);
        EXPECT_TRUE(packed.rewound);
    }
}

TEST(TgaReader, EveryFailureIsReported) {
    std::string plain = makeTgaPlain(gradientPicture(2, 2, 3));
    std::string rle = makeTgaHeader(10, 2, 2, 24);
    std::string notSupported = plain;
    notSupported[2] = 3;
    expectFailures(readTga, {
        {"short header", plain.substr(0, 11), "Could not read file header"},
        {"grey type", notSupported, "Not supported TGA format"},
        {"no size fields", plain.substr(0, 12), "File Header reading failed"},
        {"zero width", makeTgaHeader(2, 0, 2, 24) + "xxxxxxxxxxxx", "Invalid TGA file"},
        {"zero height", makeTgaHeader(2, 2, 0, 24) + "xxxxxxxxxxxx", "Invalid TGA file"},
        {"16 bits", makeTgaHeader(2, 2, 2, 16) + "xxxxxxxx", "Invalid TGA file"},
        {"plain pixels short", plain.substr(0, plain.size() - 1), "TGA reading failed"},
        {"huge size, little data", makeTgaHeader(2, 65535, 65535, 32) + "xxxx", "TGA reading failed"},
        {"huge run-length size", makeTgaHeader(10, 65535, 65535, 32) + "\x80xxxx", "TGA reading failed"},
        {"packets stop early", rle + "\x82" "bgr", "Could not read RLE header"},
        {"run overruns", rle + "\x84" "bgr", "Too many pixels read"},
        {"raw packet overruns", rle + "\x01" "bgrbgr" "\x02" "bgrbgrbgr", "Too many pixels read"},
        {"raw pixels short", rle + "\x03" "bgrbg", "TGA reading failed"},
    });
}

TEST(JpegReader, ColourAndGreyRowsComeBottomFirst) {
    for (int channels : {3, 1}) {
        SCOPED_TRACE(channels);
        TestPicture p = blockPicture(16, 24, channels);
        Decoded d = decode(readJpeg, makeJpeg(p));
        ASSERT_TRUE(d.ok) << d.messages;
        EXPECT_EQ(d.image.width, 16);
        EXPECT_EQ(d.image.height, 24);
        EXPECT_EQ(d.image.bitsPerPixel, channels * 8);
        expectNear(d.pixels, p.pixels, 3);
        EXPECT_TRUE(d.rewound);
    }
}

TEST(JpegReaderDeathTest, TruncatedDataIsFilledInAndDamagedDataEndsTheProcess) {
    std::string jpeg = makeJpeg(gradientPicture(32, 32, 3));
    // A stream that ends early is decoded as far as it goes, with the library's warning; the rows
    // below repeat the last one read rather than being decoded from padding (a few bytes may declare
    // millions of rows).
    Decoded cut = decode(readJpeg, jpeg.substr(0, jpeg.size() / 2));
    Decoded whole = decode(readJpeg, jpeg);
    EXPECT_TRUE(cut.ok);
    ASSERT_EQ(cut.pixels.size(), 32u * 32u * 3u);
    EXPECT_NE(cut.messages.find("Premature end of JPEG file"), std::string::npos) << cut.messages;
    auto fromTop = [](const Decoded& d, int row) {  // rows are stored bottom first
        return std::vector<uint8_t>(d.pixels.end() - (row + 1) * 96, d.pixels.end() - row * 96);
    };
    EXPECT_EQ(fromTop(cut, 0), fromTop(whole, 0));
    EXPECT_EQ(fromTop(cut, 31), fromTop(cut, 30));
    EXPECT_NE(fromTop(cut, 31), fromTop(whole, 31));
    // A frame header of height 0 is an error: the library's message and exit code 1.
    std::string bogus = jpeg;
    size_t frame = bogus.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    bogus[frame + 5] = 0;
    bogus[frame + 6] = 0;
    EXPECT_EXIT(runUncaptured(readJpeg, nullptr, bogus), ::testing::ExitedWithCode(EXIT_JPEG),
                "Failure: The JPEG picture \"pic\" cannot be decoded: Empty JPEG image");
}

TEST(ImageFrameName, SequencesNumberFramesFromZero) {
    TextureImage image = {};
    std::strcpy(image.path, "Demo/Fish");
    std::strcpy(image.suffix, ".jpg");
    image.first = 10;
    image.end = 13;
    char name[300];
    const char* expected[] = {"Demo/Fish", "Demo/Fish2.jpg", "Demo/Fish02.jpg", "Demo/Fish002.jpg"};
    for (int digits = 0; digits <= 3; ++digits) {
        image.digits = digits;
        ASSERT_TRUE(imageFrameName(&image, 2, name, sizeof name));
        EXPECT_STREQ(name, expected[digits]);
    }
    image.digits = 1;
    ASSERT_TRUE(imageFrameName(&image, 12, name, sizeof name));
    EXPECT_STREQ(name, "Demo/Fish12.jpg");
    EXPECT_FALSE(imageFrameName(&image, 12, name, 8));
    // Fields filled to the last byte by a data file are not read past.
    std::memset(image.path, 'p', sizeof image.path);
    std::memset(image.suffix, 's', sizeof image.suffix);
    ASSERT_TRUE(imageFrameName(&image, 7, name, sizeof name));
    EXPECT_EQ(std::string(name), std::string(128, 'p') + "7" + std::string(128, 's'));
}

TEST(TextureCacheLookup, FindsExactPathsAndRefusesPastCapacity) {
    static TextureCache cache;
    std::memset(&cache, 0, sizeof cache);
    std::strcpy(cache.entries[0].path, "Demo/a.jpg");
    std::strcpy(cache.entries[1].path, "Demo/a.jpg2");
    cache.count = 2;
    EXPECT_EQ(textureCacheFind(&cache, "Demo/a.jpg2"), 1);
    EXPECT_EQ(textureCacheFind(&cache, "Demo/a.jpg"), 0);
    EXPECT_EQ(textureCacheFind(&cache, "Demo/a.JPG"), -1);
    cache.count = TEXTURE_CACHE_CAPACITY;
    TextureImage clip = {};
    std::strcpy(clip.path, "Demo/late.jpg");
    clip.end = 1;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(textureCacheAdd(&cache, &clip, nullptr), -1);
    std::string messages = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(messages.find("Error: The texture cache is full"), std::string::npos) << messages;
    EXPECT_NE(messages.find("Demo/late.jpg"), std::string::npos);
    EXPECT_EQ(cache.count, TEXTURE_CACHE_CAPACITY);
}

}  // namespace
