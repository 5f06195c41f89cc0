// JPEG pictures through libjpeg, read from a stdio stream of the package entry.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

#include "base/out_of_memory.h"
#include "base/report.h"
#include "data/image.h"

namespace {

// The library's own error handling (message on standard error, exit code 1), except that the
// player leaves through its shutdown path so the display's gamma and mode come back.
void exitOnError(j_common_ptr info) {
    (*info->err->output_message)(info);
    jpeg_destroy(info);
    fatalExit(EXIT_JPEG);
}

jpeg_error_mgr* playerErrors(jpeg_error_mgr* errors) {
    jpeg_std_error(errors);
    errors->error_exit = exitOnError;
    return errors;
}

}  // namespace

bool jpegHeaderValid(DemoFile file) {
    FILE* stream = fileStream(file);
    if (!stream) {
        showFailure("File Header reading failed");
        return false;
    }
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = playerErrors(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, stream);
    int result = jpeg_read_header(&info, TRUE);
    jpeg_destroy_decompress(&info);
    std::fclose(stream);
    return result == JPEG_HEADER_OK;
}

uint8_t* readJpeg(TextureImage* image, DemoFile file) {
    FILE* stream = fileStream(file);
    if (!stream) {
        fileSeek(file, 0, SEEK_SET);
        showFailure("JPEG reading failed");
        return nullptr;
    }
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = playerErrors(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, stream);
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);

    size_t width = info.output_width;
    size_t height = info.output_height;
    size_t components = static_cast<size_t>(info.output_components);
    size_t rowBytes = width * components;
    uint8_t* pixels = static_cast<uint8_t*>(std::calloc(height, rowBytes));
    if (!pixels) outOfMemory("a JPEG picture of %zu x %zu", width, height);
    JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                                static_cast<JDIMENSION>(rowBytes), 1);
    // Scanlines come top row first; textures want the bottom row first.
    while (info.output_scanline < info.output_height) {
        size_t line = info.output_scanline;
        if (jpeg_read_scanlines(&info, row, 1) != 1) break;
        std::memcpy(pixels + (height - 1 - line) * rowBytes, row[0], rowBytes);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(stream);
    fileSeek(file, 0, SEEK_SET);
    image->width = static_cast<int32_t>(width);
    image->height = static_cast<int32_t>(height);
    image->bitsPerPixel = static_cast<int32_t>(8 * components);
    return pixels;
}
