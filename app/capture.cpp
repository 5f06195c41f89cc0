#include "app/capture.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/demo_context.h"
#include "app/frame_loop.h"
#include "app/shutdown.h"
#include "base/little_endian.h"
#include "render/screen.h"

namespace {
BmpInfoHeader* gHeader;
uint8_t* gPixels;
size_t gCapacity;

}  // namespace

int bmpRowSize(int width) { return (width * 3 + 3) & ~3; }

void fillBmpHeader(BmpInfoHeader* h, int width, int height) {
    std::memset(h, 0, sizeof *h);
    h->size = 40;
    h->width = width;
    h->height = height;
    h->planes = 1;
    h->bitCount = 24;
    h->compression = 0;
    h->sizeImage = static_cast<uint32_t>(bmpRowSize(width)) * static_cast<uint32_t>(height);
    h->xPelsPerMeter = 2952;
    h->yPelsPerMeter = 2952;
}

int writeBmp(const char* path, const BmpInfoHeader* h, const uint8_t* pixels) {
    FILE* f = std::fopen(path, "wb");
    if (!f) return -1;
    uint32_t imageSize = h->sizeImage;
    if (imageSize == 0) {
        int height = h->height < 0 ? -h->height : h->height;
        imageSize = static_cast<uint32_t>(height) * ((h->bitCount * h->width + 7) / 8);
    }
    uint32_t headerSize = 40;
    uint8_t fileHeader[14];
    fileHeader[0] = 'B';
    fileHeader[1] = 'M';
    putLe32(fileHeader + 2, 14 + headerSize + imageSize);
    putLe16(fileHeader + 6, 0);
    putLe16(fileHeader + 8, 0);
    putLe32(fileHeader + 10, 14 + headerSize);
    // The information header is written field by field, little-endian whatever the host.
    uint8_t info[40];
    putLe32(info + 0, h->size);
    putLe32(info + 4, static_cast<uint32_t>(h->width));
    putLe32(info + 8, static_cast<uint32_t>(h->height));
    putLe16(info + 12, h->planes);
    putLe16(info + 14, h->bitCount);
    putLe32(info + 16, h->compression);
    putLe32(info + 20, h->sizeImage);
    putLe32(info + 24, static_cast<uint32_t>(h->xPelsPerMeter));
    putLe32(info + 28, static_cast<uint32_t>(h->yPelsPerMeter));
    putLe32(info + 32, h->clrUsed);
    putLe32(info + 36, h->clrImportant);
    bool ok = std::fwrite(fileHeader, 1, sizeof fileHeader, f) == sizeof fileHeader &&
              std::fwrite(info, 1, sizeof info, f) == sizeof info &&
              std::fwrite(pixels, 1, imageSize, f) == imageSize;
    ok = std::fclose(f) == 0 && ok;
    return ok ? 0 : -1;
}

void readFrame(BmpInfoHeader* header, uint8_t** pixels, size_t* capacity) {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    fillBmpHeader(header, viewport[2], viewport[3]);
    size_t needed = header->sizeImage;
    if (needed > *capacity) {
        // The picture grew since the block was sized: a larger block, never an overflow.
        uint8_t* grown = static_cast<uint8_t*>(std::realloc(*pixels, needed));
        if (!grown) fatalExit(EXIT_CAPTURE_MEMORY);
        std::memset(grown + *capacity, 0, needed - *capacity);
        *pixels = grown;
        *capacity = needed;
    }
    glReadPixels(viewport[0], viewport[1], viewport[2], viewport[3], GL_BGR, GL_UNSIGNED_BYTE, *pixels);
}

const BmpInfoHeader* captureReadBack(DemoContext* context, const uint8_t** pixels) {
    if (!gHeader) {
        gHeader = static_cast<BmpInfoHeader*>(std::calloc(1, sizeof(BmpInfoHeader)));
        gCapacity = static_cast<size_t>(bmpRowSize(context->render.settings.width)) * context->render.settings.height;
        gPixels = static_cast<uint8_t*>(std::calloc(gCapacity ? gCapacity : 1, 1));
        if (!gHeader || !gPixels) fatalExit(EXIT_CAPTURE_MEMORY);
    }
    setPictureViewport(&context->render);
    readFrame(gHeader, &gPixels, &gCapacity);
    *pixels = gPixels;
    return gHeader;
}

void captureWriteBmp(const std::string& directory, int32_t frameNumber) {
    char name[64];
    std::snprintf(name, sizeof name, "demo%.5d.bmp", frameNumber);
    std::string path = directory + "/" + name;
    // A frame that cannot be written is skipped; the demo goes on.
    writeBmp(path.c_str(), gHeader, gPixels);
}
