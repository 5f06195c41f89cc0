// Pictures and sequences uploaded to a real GL context, read back and compared.
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/demo_context.h"
#include "data/image.h"
#include "effects/noise.h"
#include "platform/platform.h"
#include "render/device_caps.h"
#include "render/texture_upload.h"
#include "tests/support/ci.h"
#include "tests/support/test_images.h"
#include "tests/support/test_package.h"
#include "tests/support/xvfb.h"

namespace {

int gOpens = 0;
void countOpen() { ++gOpens; }

class TextureUpload : public ::testing::Test {
protected:
    void SetUp() override {
        if (sharedXvfb()->display.empty()) SKIP_OUTSIDE_CI("Xvfb cannot be started");
        setenv("DISPLAY", sharedXvfb()->display.c_str(), 1);
        ASSERT_TRUE(platformInit(true));
        WindowRequest request = {"textures", 0, 0, 64, 64, false, true, 24, 24, 8, 0};
        window = platformCreateWindow(&request);
        if (!window) {
            platformShutdown();
            SKIP_OUTSIDE_CI("no GL context");
        }
        resetSettings(&settings);
        settings.textureMode = 0;
        gOpens = 0;
        packageSetOpenHook(countOpen);
    }
    void TearDown() override {
        packageSetOpenHook(nullptr);
        if (!window) return;
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        platformDestroyWindow(window);
        window = nullptr;
        platformShutdown();
    }
    // Loads image from the package, with the messages it printed.
    std::string load(TextureImage* image) {
        ::testing::internal::CaptureStderr();
        loadTexture(image, &settings);
        return ::testing::internal::GetCapturedStderr();
    }
    PlatformWindow* window = nullptr;
    Settings settings;
};

TextureImage still(const char* path) {
    TextureImage image = {};
    image.end = 1;
    std::strcpy(image.path, path);
    return image;
}

TextureImage sequence(const char* prefix, const char* suffix, int digits, int first, int end) {
    TextureImage image = still(prefix);
    std::strcpy(image.suffix, suffix);
    image.digits = digits;
    image.first = first;
    image.end = end;
    return image;
}

GLint levelParameter(GLuint texture, GLint level, GLenum what) {
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, what, &value);
    return value;
}

std::vector<uint8_t> readBack(GLuint texture, GLenum format, int channels) {
    glBindTexture(GL_TEXTURE_2D, texture);
    std::vector<uint8_t> pixels(size_t(levelParameter(texture, 0, GL_TEXTURE_WIDTH)) *
                                levelParameter(texture, 0, GL_TEXTURE_HEIGHT) * channels);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

void expectNear(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int tolerance) {
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) ASSERT_LE(std::abs(int(a[i]) - int(b[i])), tolerance) << "byte " << i;
}

TEST_F(TextureUpload, StillLoadsItsPathWithMipmapsAndBmpMatchesJpeg) {
    TestPicture p = blockPicture(24, 16, 3);
    loadTestPackage({{"Demo/pic.bmp", makeBmp(p)}, {"Demo/pic.jpg", makeJpeg(p)}});
    TextureImage bmp = still("Demo/pic.bmp");
    TextureImage jpeg = still("Demo/pic.jpg");
    EXPECT_EQ(load(&bmp), "");
    EXPECT_EQ(load(&jpeg), "");
    EXPECT_EQ(gOpens, 2);
    ASSERT_NE(bmp.names[0], 0u);
    ASSERT_NE(jpeg.names[0], 0u);
    EXPECT_EQ(bmp.width, 24);
    EXPECT_EQ(bmp.height, 16);
    EXPECT_EQ(bmp.bitsPerPixel, 24);
    // Level 1 exists only if the driver generated the chain.
    EXPECT_EQ(levelParameter(bmp.names[0], 1, GL_TEXTURE_WIDTH), 12);
    EXPECT_EQ(levelParameter(bmp.names[0], 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGB);
    std::vector<uint8_t> fromBmp = readBack(bmp.names[0], GL_RGB, 3);
    EXPECT_EQ(fromBmp, p.pixels);
    expectNear(readBack(jpeg.names[0], GL_RGB, 3), fromBmp, 3);
    releaseTextureImage(&bmp);
    releaseTextureImage(&jpeg);
    EXPECT_EQ(bmp.names, nullptr);
}

TEST_F(TextureUpload, RunLengthTgaIsPlainTgaTurnedHalfATurn) {
    TestPicture p = gradientPicture(8, 4, 4);
    loadTestPackage({{"plain.tga", makeTgaPlain(p)}, {"packed.tga", makeTgaRunLength(p)}});
    TextureImage plain = still("plain.tga");
    TextureImage packed = still("packed.tga");
    EXPECT_EQ(load(&plain), "");
    EXPECT_EQ(load(&packed), "");
    std::vector<uint8_t> a = readBack(plain.names[0], GL_RGBA, 4);
    std::vector<uint8_t> b = readBack(packed.names[0], GL_RGBA, 4);
    EXPECT_EQ(a, p.pixels);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(std::memcmp(&a[(y * 8 + x) * 4], &b[((3 - y) * 8 + (7 - x)) * 4], 4), 0) << x << "," << y;
    releaseTextureImage(&plain);
    releaseTextureImage(&packed);
}

TEST_F(TextureUpload, InternalFormatsFollowTheTextureMode) {
    TestPicture grey = blockPicture(16, 16, 1);
    loadTestPackage({{"grey.jpg", makeJpeg(grey)},
                     {"rgb.bmp", makeBmp(gradientPicture(8, 8, 3))},
                     {"rgba.tga", makeTgaPlain(gradientPicture(8, 8, 4))}});
    const GLint rgb[] = {GL_RGB, GL_RGB5};
    const GLint rgba[] = {GL_RGBA, GL_RGBA4};
    for (int mode = 0; mode <= 2; ++mode) {
        SCOPED_TRACE(mode);
        settings.textureMode = mode;
        TextureImage g = still("grey.jpg"), c = still("rgb.bmp"), a = still("rgba.tga");
        EXPECT_EQ(load(&g) + load(&c) + load(&a), "");
        EXPECT_EQ(g.bitsPerPixel, 8);
        // Grey pictures stay one 8-bit channel whatever the mode.
        EXPECT_EQ(levelParameter(g.names[0], 0, GL_TEXTURE_INTERNAL_FORMAT), GL_LUMINANCE8);
        EXPECT_EQ(levelParameter(g.names[0], 0, GL_TEXTURE_LUMINANCE_SIZE), 8);
        expectNear(readBack(g.names[0], GL_LUMINANCE, 1), grey.pixels, 3);
        if (mode < 2) {
            EXPECT_EQ(levelParameter(c.names[0], 0, GL_TEXTURE_INTERNAL_FORMAT), rgb[mode]);
            EXPECT_EQ(levelParameter(a.names[0], 0, GL_TEXTURE_INTERNAL_FORMAT), rgba[mode]);
        } else {
            // The driver may keep a generic compressed request uncompressed; it must still have
            // the picture's size and an alpha channel for 32-bit pictures.
            EXPECT_EQ(levelParameter(c.names[0], 0, GL_TEXTURE_WIDTH), 8);
            EXPECT_GT(levelParameter(a.names[0], 0, GL_TEXTURE_ALPHA_SIZE), 0);
        }
        releaseTextureImage(&g);
        releaseTextureImage(&c);
        releaseTextureImage(&a);
    }
}

TEST_F(TextureUpload, SequenceFramesAreNumberedFromZero) {
    TestFiles files;
    const uint8_t colours[3][3] = {{250, 10, 10}, {10, 250, 10}, {10, 10, 250}};
    for (int k = 0; k < 3; ++k) {
        std::string name = "Demo/Fish00" + std::to_string(k) + ".jpg";
        files.push_back({name, makeJpeg(flatPicture(8, 8, colours[k][0], colours[k][1], colours[k][2]))});
    }
    // Frames the numbering must not reach.
    files.push_back({"Demo/Fish010.jpg", makeJpeg(flatPicture(8, 8, 0, 0, 0))});
    files.push_back({"Demo/Fish003.jpg", makeJpeg(flatPicture(8, 8, 0, 0, 0))});
    loadTestPackage(files);
    TextureImage image = sequence("Demo/Fish", ".jpg", 3, 10, 13);
    EXPECT_EQ(load(&image), "");
    EXPECT_EQ(gOpens, 3);
    for (int k = 0; k < 3; ++k) {
        ASSERT_NE(image.names[k], 0u);
        std::vector<uint8_t> pixels = readBack(image.names[k], GL_RGB, 3);
        std::vector<uint8_t> expected = flatPicture(8, 8, colours[k][0], colours[k][1], colours[k][2]).pixels;
        expectNear(pixels, expected, 3);
    }
    releaseTextureImage(&image);
}

TEST_F(TextureUpload, FramesThatCannotBeReadKeepNoTexture) {
    std::string overrun = makeTgaHeader(10, 2, 2, 24) + "\x84" "bgr";
    // A PNG in a frame's place: named, and skipped like the missing frame.
    std::string png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    loadTestPackage({{"F0.bmp", makeBmp(gradientPicture(4, 4, 3))}, {"F2.bmp", overrun}, {"F3.bmp", png}});
    TextureImage image = sequence("F", ".bmp", 1, 0, 4);
    std::string messages = load(&image);
    EXPECT_EQ(messages,
              "Failure: The image \"F1.bmp\" is not in the data package.\n"
              "Failure: Too many pixels read\n"
              "Failure: The picture \"F3.bmp\" is not a BMP, a true-colour TGA without identification field or "
              "colour map, nor a JPEG: Not a JPEG file: starts with 0x89 0x50\n");
    EXPECT_NE(image.names[0], 0u);
    EXPECT_EQ(image.names[1], 0u);
    EXPECT_EQ(image.names[2], 0u);
    EXPECT_EQ(image.names[3], 0u);
    releaseTextureImage(&image);

    // A clip without frames still gets the one texture its users bind.
    TextureImage empty = sequence("F", ".bmp", 1, 5, 5);
    EXPECT_EQ(load(&empty), "");
    EXPECT_NE(empty.names[0], 0u);
    releaseTextureImage(&empty);
}

TEST_F(TextureUpload, LoadingPictureIsClampedAndFiltered) {
    static DemoContext context;
    std::memset(&context, 0, sizeof context);
    resetSettings(&context.render.settings);
    resetTimeline(&context.timeline);
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    bool anisotropic = extensions && std::strstr(extensions, "GL_EXT_texture_filter_anisotropic");
    context.render.settings.anisotropy = 4;
    context.render.settings.maxAnisotropy = anisotropic ? 16 : 0;
    loadTestPackage({{"Demo/VarizIvora.jpg", makeJpeg(blockPicture(32, 32, 3))}});
    ::testing::internal::CaptureStderr();
    loadLoadingPicture(&context.render);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    ASSERT_NE(context.render.loadingPicture.names, nullptr);
    ASSERT_NE(context.render.loadingPicture.names[0], 0u);
    glBindTexture(GL_TEXTURE_2D, context.render.loadingPicture.names[0]);
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
    EXPECT_EQ(value, GL_CLAMP_TO_EDGE);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &value);
    EXPECT_EQ(value, GL_CLAMP_TO_EDGE);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR_MIPMAP_LINEAR);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR);
    if (anisotropic) {
        GLfloat level = 0;
        glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &level);
        EXPECT_EQ(level, 4.0f);
    }
    releaseTextureImage(&context.render.loadingPicture);

    loadTestPackage({{"other", "x"}});
    ::testing::internal::CaptureStderr();
    loadLoadingPicture(&context.render);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Failure: The image \"Demo/VarizIvora.jpg\" is not in the data package.\n");
    EXPECT_EQ(context.render.loadingPicture.names[0], 0u);
    releaseTextureImage(&context.render.loadingPicture);
}

// The settings' anisotropy on 2D textures, none on the noise volume: llvmpipe walked the whole
// footprint of the volumes, minutes a frame. GL reports 1 where none was set.
TEST_F(TextureUpload, AnisotropyOnPicturesNotOnVolumes) {
    probeDeviceCaps(deviceCaps(), &settings);  // the 3D entry point and the largest anisotropy
    if (settings.maxAnisotropy < 8) GTEST_SKIP() << "no anisotropic filtering";
    const struct {
        int32_t anisotropy, maxAnisotropy;
        GLfloat expected;
    } cases[] = {{8, 16, 8}, {0, 16, 1}, {8, 0, 1}};  // the last: a device without the extension
    for (const auto& c : cases) {
        settings.anisotropy = c.anisotropy;
        settings.maxAnisotropy = c.maxAnisotropy;
        GLuint name = 0;
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        applyAnisotropy(&settings);
        GLfloat level = 0;
        glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &level);
        EXPECT_EQ(level, c.expected) << c.anisotropy << " of " << c.maxAnisotropy;
        glDeleteTextures(1, &name);
    }
    settings.anisotropy = 8;
    settings.maxAnisotropy = 16;
    GLuint volume = buildNoiseVolume();
    GLfloat level = 0;
    glGetTexParameterfv(GL_TEXTURE_3D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &level);
    EXPECT_EQ(level, 1.0f);
    glDeleteTextures(1, &volume);
}

TEST_F(TextureUpload, CacheLoadsEachPathOnce) {
    static TextureCache cache;
    std::memset(&cache, 0, sizeof cache);
    loadTestPackage({{"a.bmp", makeBmp(gradientPicture(4, 4, 3))}, {"b.tga", makeTgaPlain(gradientPicture(2, 2, 4))}});
    TextureImage a = still("a.bmp");
    a.user[0] = 7;
    TextureImage b = still("b.tga");
    EXPECT_EQ(textureCacheGet(&cache, &a, &settings), 0);
    EXPECT_EQ(textureCacheGet(&cache, &b, &settings), 1);
    EXPECT_EQ(gOpens, 2);
    EXPECT_EQ(textureCacheGet(&cache, &a, &settings), 0);
    EXPECT_EQ(gOpens, 2);
    EXPECT_EQ(cache.count, 2);
    EXPECT_EQ(cache.entries[0].user[0], 7);
    EXPECT_EQ(cache.entries[1].bitsPerPixel, 32);
    EXPECT_NE(cache.entries[0].names[0], 0u);
    EXPECT_NE(cache.entries[1].names[0], cache.entries[0].names[0]);
    for (int i = 0; i < cache.count; ++i) releaseTextureImage(&cache.entries[i]);
}

}  // namespace
