#include "tests/support/test_images.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

namespace {

void put16(std::string* s, uint32_t v) {
    s->push_back(char(v & 0xFF));
    s->push_back(char(v >> 8 & 0xFF));
}

void put32(std::string* s, uint32_t v) {
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}

}  // namespace

TestPicture gradientPicture(int width, int height, int channels) {
    TestPicture p = {width, height, channels, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c) p.pixels.push_back(uint8_t(x * 17 + y * 59 + c * 101 + 3));
    return p;
}

TestPicture blockPicture(int width, int height, int channels) {
    TestPicture p = {width, height, channels, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c) p.pixels.push_back(uint8_t(((x / 8) * 90 + (y / 8) * 50 + c * 70) % 256));
    return p;
}

TestPicture flatPicture(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    TestPicture p = {width, height, 3, {}};
    for (int i = 0; i < width * height; ++i) {
        p.pixels.push_back(r);
        p.pixels.push_back(g);
        p.pixels.push_back(b);
    }
    return p;
}

std::vector<uint8_t> swapRedBlue(const TestPicture& picture) {
    std::vector<uint8_t> out = picture.pixels;
    if (picture.channels >= 3)
        for (size_t i = 0; i + 2 < out.size(); i += picture.channels) std::swap(out[i], out[i + 2]);
    return out;
}

std::string makeBmp(const TestPicture& picture, bool topDown, bool padRows) {
    int bits = picture.channels * 8;
    uint32_t rowBytes = uint32_t(picture.width * picture.channels);
    uint32_t stride = padRows ? (rowBytes + 3) / 4 * 4 : rowBytes;
    uint32_t palette = bits == 8 ? 256 * 4 : 0;
    uint32_t offset = 14 + 40 + palette;
    uint32_t imageSize = stride * uint32_t(picture.height);
    std::string s = "BM";
    put32(&s, offset + imageSize);
    put32(&s, 0);
    put32(&s, offset);
    put32(&s, 40);
    put32(&s, uint32_t(picture.width));
    put32(&s, uint32_t(topDown ? -picture.height : picture.height));
    put16(&s, 1);
    put16(&s, uint32_t(bits));
    put32(&s, 0);
    put32(&s, imageSize);
    put32(&s, 2835);
    put32(&s, 2835);
    put32(&s, bits == 8 ? 256 : 0);
    put32(&s, 0);
    for (uint32_t i = 0; i < palette / 4; ++i) s += std::string{char(i), char(i), char(i), 0};
    std::vector<uint8_t> bgr = swapRedBlue(picture);
    for (int r = 0; r < picture.height; ++r) {
        int row = topDown ? picture.height - 1 - r : r;
        s.append(reinterpret_cast<const char*>(bgr.data()) + size_t(row) * rowBytes, rowBytes);
        s.append(stride - rowBytes, '\0');
    }
    return s;
}

std::string makeTgaHeader(int type, int width, int height, int bits) {
    std::string s(12, '\0');
    s[2] = char(type);
    put16(&s, uint32_t(width));
    put16(&s, uint32_t(height));
    s.push_back(char(bits));
    s.push_back(bits == 32 ? 8 : 0);
    return s;
}

std::string makeTgaPlain(const TestPicture& picture) {
    std::string s = makeTgaHeader(2, picture.width, picture.height, picture.channels * 8);
    std::vector<uint8_t> bgr = swapRedBlue(picture);
    s.append(reinterpret_cast<const char*>(bgr.data()), bgr.size());
    return s;
}

std::string makeTgaRunLength(const TestPicture& picture) {
    std::string s = makeTgaHeader(10, picture.width, picture.height, picture.channels * 8);
    std::vector<uint8_t> bgr = swapRedBlue(picture);
    size_t n = size_t(picture.width) * picture.height;
    size_t bytes = size_t(picture.channels);
    auto same = [&](size_t a, size_t b) { return std::memcmp(&bgr[a * bytes], &bgr[b * bytes], bytes) == 0; };
    size_t i = 0;
    while (i < n) {
        size_t run = 1;
        while (i + run < n && run < 128 && same(i, i + run)) ++run;
        if (run >= 2) {
            s.push_back(char(127 + run));
            s.append(reinterpret_cast<const char*>(&bgr[i * bytes]), bytes);
            i += run;
            continue;
        }
        size_t raw = 1;
        while (i + raw < n && raw < 128 && !(i + raw + 1 < n && same(i + raw, i + raw + 1))) ++raw;
        s.push_back(char(raw - 1));
        s.append(reinterpret_cast<const char*>(&bgr[i * bytes]), raw * bytes);
        i += raw;
    }
    return s;
}

std::string makeJpeg(const TestPicture& picture, int quality) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(picture.width);
    info.image_height = JDIMENSION(picture.height);
    info.input_components = picture.channels;
    info.in_color_space = picture.channels == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    for (int c = 0; c < info.num_components; ++c) {
        info.comp_info[c].h_samp_factor = 1;
        info.comp_info[c].v_samp_factor = 1;
    }
    jpeg_start_compress(&info, TRUE);
    size_t rowBytes = size_t(picture.width) * picture.channels;
    while (info.next_scanline < info.image_height) {
        // JPEG rows run top first.
        size_t row = size_t(picture.height) - 1 - info.next_scanline;
        JSAMPROW line = const_cast<JSAMPROW>(picture.pixels.data() + row * rowBytes);
        jpeg_write_scanlines(&info, &line, 1);
    }
    jpeg_finish_compress(&info);
    std::string s(reinterpret_cast<const char*>(buffer), size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return s;
}
