// The production's picture writers and painters, checked through the player's own readers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "data/image.h"
#include "tests/support/test_package.h"
#include "tools/content/image_encode.h"
#include "tools/content/pictures.h"

namespace {

struct Read {
    int format;
    bool ok;
    TextureImage image;
    std::vector<uint8_t> pixels;  // as the player uploads them: bottom row first
};

Read readAsPlayer(const Bytes& bytes) {
    loadTestPackage({{"pic", std::string(bytes.begin(), bytes.end())}});
    DemoFile file = fileOpen("pic", "rb");
    Read r = {};
    r.format = detectImageFormat(file);
    uint8_t* pixels = r.format == IMAGE_BMP   ? readBmp(&r.image, file)
                      : r.format == IMAGE_TGA ? readTga(&r.image, file)
                      : r.format == IMAGE_JPEG ? readJpeg(&r.image, file)
                                               : nullptr;
    r.ok = pixels != nullptr;
    if (pixels) r.pixels.assign(pixels, pixels + size_t(r.image.width) * r.image.height * r.image.bitsPerPixel / 8);
    std::free(pixels);
    return r;
}

// Every row different, long runs of one colour (longer than one run packet) and lone pixels.
Pixmap testPicture(int width, int height, int channels) {
    Pixmap p = makePixmap(width, height, channels);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c) {
                uint8_t v = y == 0 ? uint8_t(40 + c) : (y == 1 ? uint8_t((x / 3) * 7 + c) : uint8_t(x * 5 + y * 11 + c * 60));
                p.pixels[(size_t(y) * width + x) * channels + c] = v;
            }
    return p;
}

// The player's pixel (x, y counted from the bottom) of a BMP/TGA upload against picture (x, y from the top).
void expectBgrMatches(const Read& r, const Pixmap& p) {
    int bytes = r.image.bitsPerPixel / 8;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const uint8_t* got = &r.pixels[(size_t(p.height - 1 - y) * p.width + x) * bytes];
            const uint8_t* want = &p.pixels[(size_t(y) * p.width + x) * p.channels];
            ASSERT_EQ(got[0], want[2]) << x << "," << y;
            ASSERT_EQ(got[1], want[1]) << x << "," << y;
            ASSERT_EQ(got[2], want[0]) << x << "," << y;
            if (p.channels == 4) {
                ASSERT_EQ(got[3], want[3]) << x << "," << y;
            }
        }
}

TEST(ContentPictureWriters, BmpAndBothTgaKindsReadUprightInThePlayer) {
    Pixmap rgb = testPicture(300, 5, 3);  // 300 pixels: runs of 300 need three packets
    Bytes bytes;
    std::string error;
    ASSERT_TRUE(encodeBmp(rgb, &bytes, &error)) << error;
    Read bmp = readAsPlayer(bytes);
    EXPECT_EQ(bmp.format, IMAGE_BMP);
    ASSERT_TRUE(bmp.ok);
    EXPECT_EQ(bmp.image.bitsPerPixel, 24);
    expectBgrMatches(bmp, rgb);

    for (bool runLength : {false, true}) {
        for (int channels : {3, 4}) {
            SCOPED_TRACE(std::string(runLength ? "run-length" : "plain") + (channels == 4 ? " 32-bit" : " 24-bit"));
            Pixmap p = testPicture(300, 5, channels);
            ASSERT_TRUE(encodeTga(p, runLength, &bytes, &error)) << error;
            EXPECT_EQ(bytes[2], runLength ? 10 : 2);
            Read tga = readAsPlayer(bytes);
            EXPECT_EQ(tga.format, IMAGE_TGA);
            ASSERT_TRUE(tga.ok);
            EXPECT_EQ(tga.image.width, 300);
            EXPECT_EQ(tga.image.bitsPerPixel, channels * 8);
            expectBgrMatches(tga, p);
        }
    }
}

TEST(ContentPictureWriters, RunLengthTgaCompressesFlatRows) {
    Pixmap flat = makePixmap(256, 4, 3);
    Bytes plain, packed;
    std::string error;
    ASSERT_TRUE(encodeTga(flat, false, &plain, &error));
    ASSERT_TRUE(encodeTga(flat, true, &packed, &error));
    // Two run packets a row (128 + 128 pixels), 4 bytes each, after the 18-byte header.
    EXPECT_EQ(packed.size(), 18u + 4u * 2u * 4u);
    EXPECT_EQ(plain.size(), 18u + 256u * 4u * 3u);
}

TEST(ContentPictureWriters, BmpRefusesRowsThePlayerWouldReadSkewed) {
    Bytes bytes;
    std::string error;
    EXPECT_FALSE(encodeBmp(makePixmap(5, 2, 3), &bytes, &error));  // 15-byte rows need padding
    EXPECT_NE(error.find("multiple of 4"), std::string::npos);
    EXPECT_FALSE(encodeBmp(makePixmap(4, 2, 4), &bytes, &error));  // no alpha in 24-bit BMP
    EXPECT_TRUE(encodeBmp(makePixmap(4, 2, 3), &bytes, &error));
}

TEST(ContentPictureWriters, JpegColourAndGreyDecodeInThePlayer) {
    Pixmap rgb = makePixmap(16, 16, 3);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            uint8_t* q = &rgb.pixels[(size_t(y) * 16 + x) * 3];
            q[0] = uint8_t(y < 8 ? 220 : 30);  // red on top
            q[1] = 90;
            q[2] = uint8_t(y < 8 ? 30 : 200);
        }
    Bytes bytes;
    std::string error;
    ASSERT_TRUE(encodeJpeg(rgb, 95, &bytes, &error)) << error;
    Read jpeg = readAsPlayer(bytes);
    EXPECT_EQ(jpeg.format, IMAGE_JPEG);
    ASSERT_TRUE(jpeg.ok);
    EXPECT_EQ(jpeg.image.bitsPerPixel, 24);
    // Bottom row first, red-green-blue: the first row uploaded is the picture's blue bottom.
    EXPECT_NEAR(jpeg.pixels[2 * 3 * 16 + 8 * 3 + 2], 200, 12);
    EXPECT_NEAR(jpeg.pixels[14 * 3 * 16 + 8 * 3 + 0], 220, 12);

    Pixmap grey = makePixmap(16, 8, 1);
    for (size_t i = 0; i < grey.pixels.size(); ++i) grey.pixels[i] = 128;
    ASSERT_TRUE(encodeJpeg(grey, 90, &bytes, &error)) << error;
    Read g = readAsPlayer(bytes);
    ASSERT_TRUE(g.ok);
    EXPECT_EQ(g.image.bitsPerPixel, 8);
    EXPECT_NEAR(g.pixels[5], 128, 2);
}

TEST(ContentPictures, EveryProductionPictureReadsAtItsSize) {
    int count = 0;
    const PictureRecipe* recipes = pictureRecipes(&count);
    ASSERT_GE(count, 37);
    for (int i = 0; i < count; ++i) {
        const PictureRecipe& r = recipes[i];
        SCOPED_TRACE(r.name);
        EXPECT_EQ(findPicture(r.name), &r);
        EXPECT_EQ(r.width & (r.width - 1), 0) << "width not a power of two";
        EXPECT_EQ(r.height & (r.height - 1), 0) << "height not a power of two";
        if (r.paint == paintCaustics && r.frame % 5 != 0) continue;  // a few frames stand for all
        Bytes bytes;
        std::string error;
        ASSERT_TRUE(buildPicture(r, VELMORA_FONT_DIR, &bytes, &error)) << error;
        Read read = readAsPlayer(bytes);
        ASSERT_TRUE(read.ok);
        EXPECT_EQ(read.image.width, r.width);
        EXPECT_EQ(read.image.height, r.height);
        static const int kFormats[] = {IMAGE_JPEG, IMAGE_BMP, IMAGE_TGA, IMAGE_TGA};
        EXPECT_EQ(read.format, kFormats[r.format]);
    }
    EXPECT_EQ(findPicture("Demo/Tex/caust16.jpg"), nullptr);
}

TEST(ContentPictures, BuildingTwiceGivesTheSameBytes) {
    for (const char* name : {"Demo/Apocalypse.JPG", "Demo/Tex/sand_normal.tga", "Demo/Tex/caust07.jpg"}) {
        SCOPED_TRACE(name);
        Bytes first, second;
        std::string error;
        ASSERT_TRUE(buildPicture(*findPicture(name), VELMORA_FONT_DIR, &first, &error)) << error;
        ASSERT_TRUE(buildPicture(*findPicture(name), VELMORA_FONT_DIR, &second, &error)) << error;
        EXPECT_TRUE(first == second);
    }
}

// The mean step across a seam (last column to first, last row to first) against the steps between
// the neighbouring columns and rows on both sides: a tiling map shows no step at its edges.
void expectTiles(PaintFunction paint, int frame) {
    Pixmap p;
    std::string error;
    ASSERT_TRUE(paint(PaintJob{128, 128, frame, VELMORA_FONT_DIR}, &p, &error));
    auto at = [&](int x, int y) { return double(p.pixels[(size_t(y) * p.width + x) * p.channels]); };
    auto columnStep = [&](int a, int b) {
        double sum = 0.0;
        for (int i = 0; i < 128; ++i) sum += std::fabs(at(a, i) - at(b, i));
        return sum / 128.0;
    };
    auto rowStep = [&](int a, int b) {
        double sum = 0.0;
        for (int i = 0; i < 128; ++i) sum += std::fabs(at(i, a) - at(i, b));
        return sum / 128.0;
    };
    double columnsNear = (columnStep(125, 126) + columnStep(126, 127) + columnStep(0, 1) + columnStep(1, 2)) / 4.0;
    double rowsNear = (rowStep(125, 126) + rowStep(126, 127) + rowStep(0, 1) + rowStep(1, 2)) / 4.0;
    EXPECT_LT(columnStep(127, 0), 2.0 * columnsNear + 2.0);
    EXPECT_LT(rowStep(127, 0), 2.0 * rowsNear + 2.0);
}

TEST(ContentPictures, SurfaceMapsAndCausticsTile) {
    const PaintFunction painters[] = {paintSandColour, paintSandHeight, paintRockColour, paintRockHeight,
                                      paintMetalColour, paintMetalGloss, paintCaustics};
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(i);
        expectTiles(painters[i], 3);
    }
}

TEST(ContentPictures, CausticsLoopAfterSixteenFrames) {
    Pixmap first, again, next;
    std::string error;
    ASSERT_TRUE(paintCaustics(PaintJob{64, 64, 0, VELMORA_FONT_DIR}, &first, &error));
    ASSERT_TRUE(paintCaustics(PaintJob{64, 64, 16, VELMORA_FONT_DIR}, &again, &error));
    ASSERT_TRUE(paintCaustics(PaintJob{64, 64, 1, VELMORA_FONT_DIR}, &next, &error));
    int largest = 0;
    for (size_t i = 0; i < first.pixels.size(); ++i) largest = std::max(largest, std::abs(first.pixels[i] - again.pixels[i]));
    EXPECT_LE(largest, 1);  // rounding of the phase only
    EXPECT_FALSE(first.pixels == next.pixels);
}

TEST(ContentPictures, FontAtlasHasEveryGlyphInsideItsCell) {
    Pixmap atlas;
    std::string error;
    ASSERT_TRUE(paintFontAtlas(PaintJob{1024, 512, 0, VELMORA_FONT_DIR}, &atlas, &error)) << error;
    ASSERT_EQ(atlas.channels, 1);
    double cellW = 1024.0 / FONT_ATLAS_COLUMNS, cellH = 512.0 / FONT_ATLAS_ROWS;
    for (int g = 0; g < FONT_ATLAS_COLUMNS * FONT_ATLAS_ROWS; ++g) {
        int col = g % FONT_ATLAS_COLUMNS, row = g / FONT_ATLAS_COLUMNS;
        int x0 = int(std::ceil(col * cellW)), x1 = int(std::floor((col + 1) * cellW));
        int y0 = int(std::ceil(row * cellH)), y1 = int(std::floor((row + 1) * cellH));
        int ink = 0, border = 0;
        for (int y = int(row * cellH); y < int(std::ceil((row + 1) * cellH)) && y < 512; ++y)
            for (int x = int(col * cellW); x < int(std::ceil((col + 1) * cellW)) && x < 1024; ++x) {
                int v = atlas.pixels[size_t(y) * 1024 + x];
                bool edge = x < x0 + 2 || x >= x1 - 2 || y < y0 + 2 || y >= y1 - 2;
                (edge ? border : ink) += v > 64;
            }
        EXPECT_GT(ink, 20) << "glyph " << g << " ('" << char(g + FONT_ATLAS_FIRST) << "') is empty";
        EXPECT_EQ(border, 0) << "glyph " << g << " touches its cell's border";
    }
}

}  // namespace
