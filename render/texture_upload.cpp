// Decoding every frame of an image or image sequence and handing it to GL.
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/out_of_memory.h"
#include "base/report.h"
#include "data/image.h"
#include "render/render_state.h"
#include "render/texture_upload.h"

const char* const kLoadingPicturePath = "Demo/VarizIvora.jpg";

namespace {

// Name fields come from data files and need not be terminated within their 128 bytes.
int fieldLength(const char* field, size_t size) { return static_cast<int>(strnlen(field, size)); }

uint8_t* decode(TextureImage* image, DemoFile file, int format) {
    switch (format) {
        case IMAGE_BMP: return readBmp(image, file);
        case IMAGE_TGA: return readTga(image, file);
        case IMAGE_JPEG: return readJpeg(image, file);
        default: return nullptr;
    }
}

// One frame's pixels and their GL formats; null (reported) when the file is missing or cannot be read.
uint8_t* decodeFrame(TextureImage* image, const char* name, int textureMode, TextureFormats* formats) {
    DemoFile file = fileOpen(name, "rb");
    if (!file) {
        showFailure("The image \"%s\" is not in the data package.", name);
        return nullptr;
    }
    int format = detectImageFormat(file);
    uint8_t* pixels = decode(image, file, format);
    fileClose(file);
    if (!pixels) return nullptr;
    *formats = textureFormats(image->bitsPerPixel, textureMode, format);
    if (!formats->supported) {
        std::free(pixels);
        showFailure("The image \"%s\" has %d bits per pixel, which cannot be shown.", name, image->bitsPerPixel);
        return nullptr;
    }
    return pixels;
}

// Pixels into a texture, a new one when texture is 0; frees the pixels.
uint32_t uploadFrame(const TextureImage* image, uint8_t* pixels, const TextureFormats& formats, GLuint texture) {
    if (!texture) glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP_SGIS, GL_TRUE);
    // Decoded rows are tightly packed; the device set-up has not necessarily run yet.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(formats.internalFormat), image->width, image->height, 0,
                 formats.pixelFormat, GL_UNSIGNED_BYTE, pixels);
    std::free(pixels);
    return texture;
}

// One frame into a new texture; 0 when the file is missing or cannot be read.
uint32_t loadFrame(TextureImage* image, const char* name, int textureMode) {
    TextureFormats formats;
    uint8_t* pixels = decodeFrame(image, name, textureMode, &formats);
    return pixels ? uploadFrame(image, pixels, formats, 0) : 0;
}

int64_t frameCount(const TextureImage* image) {
    int64_t frames = int64_t(image->end) - int64_t(image->first);
    return frames < 1 ? 1 : frames;
}

}  // namespace

TextureFormats textureFormats(int bitsPerPixel, int textureMode, int imageFormat) {
    bool jpeg = imageFormat == IMAGE_JPEG;
    switch (bitsPerPixel) {
        case 8: return {GL_LUMINANCE8, GL_LUMINANCE, true};
        case 24: {
            GLenum internal = textureMode == 0 ? GL_RGB : textureMode == 1 ? GL_RGB5 : GL_COMPRESSED_RGB_ARB;
            return {internal, GLenum(jpeg ? GL_RGB : GL_BGR_EXT), true};
        }
        case 32: {
            GLenum internal = textureMode == 0 ? GL_RGBA : textureMode == 1 ? GL_RGBA4 : GL_COMPRESSED_RGBA_ARB;
            return {internal, GLenum(jpeg ? GL_RGBA : GL_BGRA_EXT), true};
        }
        default: return {0, 0, false};
    }
}

void loadTexture(TextureImage* image, const Settings* settings) {
    // A clip with no frames still gets the one texture its users bind.
    const int64_t frames = frameCount(image);
    image->names = static_cast<uint32_t*>(std::calloc(static_cast<size_t>(frames), sizeof(uint32_t)));
    if (!image->names)
        outOfMemory("the %lld frames of \"%.*s\"", static_cast<long long>(frames),
                    fieldLength(image->path, sizeof image->path), image->path);
    char name[sizeof image->path + sizeof image->suffix + 16];
    for (int64_t k = 0; k < frames; ++k) {
        imageFrameName(image, static_cast<int>(k), name, sizeof name);
        image->names[k] = loadFrame(image, name, settings->textureMode);
    }
}

bool reloadTexture(TextureImage* image, const Settings* settings) {
    if (!image->names) return false;
    const int64_t frames = frameCount(image);
    // Every frame is decoded before any is replaced: a sequence is never half old, half new.
    std::vector<uint8_t*> pixels(static_cast<size_t>(frames), nullptr);
    std::vector<TextureFormats> formats(pixels.size());
    std::vector<TextureImage> sizes(pixels.size(), *image);  // what each frame's reader found
    char name[sizeof image->path + sizeof image->suffix + 16];
    bool complete = true;
    for (size_t k = 0; k < pixels.size() && complete; ++k) {
        imageFrameName(image, static_cast<int>(k), name, sizeof name);
        pixels[k] = decodeFrame(&sizes[k], name, settings->textureMode, &formats[k]);
        complete = pixels[k] != nullptr;
    }
    if (!complete) {
        for (uint8_t* frame : pixels) std::free(frame);
        return false;
    }
    for (size_t k = 0; k < pixels.size(); ++k)
        image->names[k] = uploadFrame(&sizes[k], pixels[k], formats[k], image->names[k]);
    image->width = sizes.back().width;
    image->height = sizes.back().height;
    image->bitsPerPixel = sizes.back().bitsPerPixel;
    return true;
}

void applyAnisotropy(const Settings* settings) {
    // maxAnisotropy is 0 when the device has no anisotropic filtering.
    if (!settings || settings->anisotropy == 0 || settings->maxAnisotropy <= 0) return;
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, static_cast<GLfloat>(settings->anisotropy));
}

void releaseTextureImage(TextureImage* image) {
    if (!image->names) return;
    const int64_t frames = frameCount(image);
    for (int64_t k = 0; k < frames; ++k)
        if (image->names[k]) glDeleteTextures(1, &image->names[k]);
    std::free(image->names);
    image->names = nullptr;
}

void loadLoadingPicture(RenderState* render) {
    TextureImage* picture = &render->loadingPicture;
    releaseTextureImage(picture);
    std::memset(picture, 0, sizeof *picture);
    picture->first = 0;
    picture->end = 1;
    std::snprintf(picture->path, sizeof picture->path, "%s", kLoadingPicturePath);
    const Settings& s = render->settings;
    loadTexture(picture, &s);
    // Without its picture the loading screen shows the bar alone; the reader has said why.
    if (!picture->names || !picture->names[0]) return;
    glBindTexture(GL_TEXTURE_2D, picture->names[0]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    applyAnisotropy(&s);
}
