#include "tools/content/image_encode.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void put16(Bytes* out, uint32_t v) {
    out->push_back(uint8_t(v));
    out->push_back(uint8_t(v >> 8));
}

void put32(Bytes* out, uint32_t v) {
    put16(out, v & 0xFFFFu);
    put16(out, v >> 16);
}

// Blue, green, red (and alpha) of pixel (x, y) counted from the top-left corner.
void pixelBgr(const Pixmap& p, int x, int y, uint8_t* bgra) {
    const uint8_t* s = &p.pixels[(size_t(y) * p.width + x) * size_t(p.channels)];
    if (p.channels == 1) {
        bgra[0] = bgra[1] = bgra[2] = s[0];
        bgra[3] = 255;
    } else {
        bgra[0] = s[2];
        bgra[1] = s[1];
        bgra[2] = s[0];
        bgra[3] = p.channels == 4 ? s[3] : 255;
    }
}

bool validPicture(const Pixmap& p, std::string* error) {
    if (p.width <= 0 || p.height <= 0 || (p.channels != 1 && p.channels != 3 && p.channels != 4) ||
        p.pixels.size() != size_t(p.width) * p.height * size_t(p.channels)) {
        *error = "picture has no pixels or an unsupported channel count";
        return false;
    }
    return true;
}

struct JpegError {
    jpeg_error_mgr manager;
    jmp_buf escape;
    char message[JMSG_LENGTH_MAX];
};

void jpegErrorExit(j_common_ptr info) {
    JpegError* e = reinterpret_cast<JpegError*>(info->err);
    info->err->format_message(info, e->message);
    longjmp(e->escape, 1);
}

bool makeDirectories(const std::string& path, std::string* error) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        std::string dir = path.substr(0, slash);
        if (mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) {
            *error = "cannot create " + dir + ": " + std::strerror(errno);
            return false;
        }
    }
    return true;
}

}  // namespace

bool encodeBmp(const Pixmap& picture, Bytes* out, std::string* error) {
    if (!validPicture(picture, error)) return false;
    if (picture.channels == 4) {
        *error = "BMP pictures are written with 24 bits: drop the alpha channel first";
        return false;
    }
    uint32_t rowBytes = uint32_t(picture.width) * 3;
    if (rowBytes % 4 != 0) {
        *error = "BMP width must make rows a multiple of 4 bytes (the player reads rows unpadded)";
        return false;
    }
    uint32_t imageBytes = rowBytes * uint32_t(picture.height);
    out->clear();
    out->reserve(54 + imageBytes);
    out->push_back('B');
    out->push_back('M');
    put32(out, 54 + imageBytes);
    put32(out, 0);
    put32(out, 54);  // pixel data offset
    put32(out, 40);  // information header size
    put32(out, uint32_t(picture.width));
    put32(out, uint32_t(picture.height));  // positive: bottom-up rows
    put16(out, 1);
    put16(out, 24);
    put32(out, 0);  // no compression
    put32(out, imageBytes);
    put32(out, 2835);  // 72 dpi
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    uint8_t bgra[4];
    for (int y = picture.height - 1; y >= 0; --y)
        for (int x = 0; x < picture.width; ++x) {
            pixelBgr(picture, x, y, bgra);
            out->insert(out->end(), bgra, bgra + 3);
        }
    return true;
}

bool encodeTga(const Pixmap& picture, bool runLength, Bytes* out, std::string* error) {
    if (!validPicture(picture, error)) return false;
    if (picture.width > 65535 || picture.height > 65535) {
        *error = "TGA pictures are at most 65535 pixels on a side";
        return false;
    }
    int depth = picture.channels == 4 ? 4 : 3;
    out->clear();
    out->push_back(0);                   // no identification field
    out->push_back(0);                   // no colour map
    out->push_back(runLength ? 10 : 2);  // true colour, plain or run-length
    for (int i = 0; i < 9; ++i) out->push_back(0);  // colour map fields and origin
    put16(out, uint32_t(picture.width));
    put16(out, uint32_t(picture.height));
    out->push_back(uint8_t(depth * 8));
    uint8_t alphaBits = depth == 4 ? 8 : 0;
    out->push_back(runLength ? uint8_t(alphaBits | 0x30) : alphaBits);

    uint8_t bgra[4];
    if (!runLength) {
        for (int y = picture.height - 1; y >= 0; --y)
            for (int x = 0; x < picture.width; ++x) {
                pixelBgr(picture, x, y, bgra);
                out->insert(out->end(), bgra, bgra + depth);
            }
        return true;
    }
    std::vector<uint32_t> row(size_t(picture.width));
    for (int y = 0; y < picture.height; ++y) {
        // Right to left: the file starts at the top-right corner.
        for (int i = 0; i < picture.width; ++i) {
            pixelBgr(picture, picture.width - 1 - i, y, bgra);
            row[size_t(i)] = uint32_t(bgra[0]) | uint32_t(bgra[1]) << 8 | uint32_t(bgra[2]) << 16 |
                             uint32_t(bgra[3]) << 24;
        }
        auto putPixel = [&](uint32_t v) {
            for (int c = 0; c < depth; ++c) out->push_back(uint8_t(v >> (8 * c)));
        };
        int i = 0;
        while (i < picture.width) {
            int run = 1;
            while (i + run < picture.width && run < 128 && row[size_t(i + run)] == row[size_t(i)]) ++run;
            if (run >= 2) {
                out->push_back(uint8_t(0x80 | (run - 1)));
                putPixel(row[size_t(i)]);
                i += run;
                continue;
            }
            // Literal pixels up to the next run of two or the packet limit.
            int count = 1;
            while (i + count < picture.width && count < 128 &&
                   !(i + count + 1 < picture.width && row[size_t(i + count)] == row[size_t(i + count + 1)]))
                ++count;
            out->push_back(uint8_t(count - 1));
            for (int k = 0; k < count; ++k) putPixel(row[size_t(i + k)]);
            i += count;
        }
    }
    return true;
}

bool encodeJpeg(const Pixmap& picture, int quality, Bytes* out, std::string* error) {
    if (!validPicture(picture, error)) return false;
    if (picture.channels == 4) {
        *error = "JPEG pictures have no alpha channel";
        return false;
    }
    jpeg_compress_struct info;
    JpegError failure;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = jpegErrorExit;
    if (setjmp(failure.escape)) {
        jpeg_destroy_compress(&info);
        std::free(buffer);
        *error = std::string("JPEG library: ") + failure.message;
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(picture.width);
    info.image_height = JDIMENSION(picture.height);
    info.input_components = picture.channels;
    info.in_color_space = picture.channels == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.optimize_coding = TRUE;
    info.dct_method = JDCT_ISLOW;
    jpeg_start_compress(&info, TRUE);
    size_t stride = size_t(picture.width) * size_t(picture.channels);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(&picture.pixels[info.next_scanline * stride]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    out->assign(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return true;
}

bool writeFileBytes(const std::string& path, const Bytes& bytes, std::string* error) {
    if (!makeDirectories(path, error)) return false;
    std::string temporary = path + ".part";
    FILE* f = std::fopen(temporary.c_str(), "wb");
    if (!f) {
        *error = "cannot write " + temporary + ": " + std::strerror(errno);
        return false;
    }
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    if (!ok || std::rename(temporary.c_str(), path.c_str()) != 0) {
        *error = "cannot write " + path + ": " + std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
