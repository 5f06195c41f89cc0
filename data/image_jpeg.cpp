// JPEG pictures through libjpeg, read from a stdio stream of the package entry.
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
// after jpeglib.h: the message codes
#include <jerror.h>

#include "base/out_of_memory.h"
#include "base/report.h"
#include "data/image.h"

namespace {

// Decoded bytes a picture may have. The header alone sets the size (up to 65500 x 65500), and a
// damaged or truncated file still decodes to that size in grey, so a few bytes could otherwise ask
// for gigabytes; no texture of the productions comes near this.
const uint64_t kMaxDecodedBytes = 64u << 20;
// What the library itself may take besides (a progressive picture keeps all its coefficients).
const long kMaxLibraryMemory = 160L << 20;

// The library's error manager with the file it reads, what the read holds that the process's end
// must let go of, and, while the header is being tried, a way back.
struct PlayerErrors {
    jpeg_error_mgr library;
    const char* name;
    bool trying;
    std::jmp_buf back;
    char message[JMSG_LENGTH_MAX];
    FILE* stream;
    uint8_t* pixels;
    void (*printMessage)(j_common_ptr, int);  // the library's own
    bool dataEnded;
};

// A file whose header the library refuses goes back to detection; any later error ends the process
// with the library's exit code, after the readers' message naming the file. The player leaves
// through its shutdown path so the display's gamma and mode come back.
void onError(j_common_ptr info) {
    PlayerErrors* errors = reinterpret_cast<PlayerErrors*>(info->err);
    (*info->err->format_message)(info, errors->message);
    if (errors->trying) std::longjmp(errors->back, 1);
    jpeg_destroy(info);
    std::fclose(errors->stream);
    std::free(errors->pixels);
    showFailure("The JPEG picture \"%s\" cannot be decoded: %s", errors->name, errors->message);
    fatalExit(EXIT_JPEG);
}

// Warnings stay on standard error, as the library writes them. One that says the data ended (the file
// is cut short, or a marker stands where data should be) also ends the decoding: the library would
// pad every row still to come, and a header of a few bytes may promise 60 million pixels.
void onMessage(j_common_ptr info, int level) {
    PlayerErrors* errors = reinterpret_cast<PlayerErrors*>(info->err);
    errors->printMessage(info, level);
    const int code = info->err->msg_code;
    if (level < 0 && (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER)) errors->dataEnded = true;
}

void startRead(jpeg_decompress_struct* info, PlayerErrors* errors, DemoFile file, FILE* stream, bool trying) {
    jpeg_std_error(&errors->library);
    errors->library.error_exit = onError;
    errors->printMessage = errors->library.emit_message;
    errors->library.emit_message = onMessage;
    errors->dataEnded = false;
    errors->name = file->name;
    errors->trying = trying;
    errors->message[0] = 0;
    errors->stream = stream;
    errors->pixels = nullptr;
    info->err = &errors->library;
    jpeg_create_decompress(info);
    info->mem->max_memory_to_use = kMaxLibraryMemory;
}

}  // namespace

bool jpegHeaderValid(DemoFile file, char* problem, size_t size) {
    FILE* stream = fileStream(file);
    if (!stream) {
        std::snprintf(problem, size, "%s", "its bytes cannot be read");
        return false;
    }
    jpeg_decompress_struct info;
    PlayerErrors errors;
    startRead(&info, &errors, file, stream, true);
    volatile bool valid = false;
    if (setjmp(errors.back) == 0) {
        jpeg_stdio_src(&info, stream);
        valid = jpeg_read_header(&info, TRUE) == JPEG_HEADER_OK;
    } else {
        std::snprintf(problem, size, "%s", errors.message);
    }
    jpeg_destroy_decompress(&info);
    std::fclose(stream);
    return valid;
}

uint8_t* readJpeg(TextureImage* image, DemoFile file) {
    FILE* stream = fileStream(file);
    if (!stream) {
        fileSeek(file, 0, SEEK_SET);
        showFailure("JPEG reading failed");
        return nullptr;
    }
    jpeg_decompress_struct info;
    PlayerErrors errors;
    startRead(&info, &errors, file, stream, false);
    jpeg_stdio_src(&info, stream);
    jpeg_read_header(&info, TRUE);
    jpeg_calc_output_dimensions(&info);
    if (uint64_t(info.output_width) * info.output_height * unsigned(info.out_color_components) > kMaxDecodedBytes) {
        char message[128];
        std::snprintf(message, sizeof message, "JPEG picture of %u x %u is too large", info.output_width,
                      info.output_height);
        jpeg_destroy_decompress(&info);
        std::fclose(stream);
        return imageReadFailed(file, message);
    }
    jpeg_start_decompress(&info);

    size_t width = info.output_width;
    size_t height = info.output_height;
    size_t components = static_cast<size_t>(info.output_components);
    size_t rowBytes = width * components;
    uint8_t* pixels = static_cast<uint8_t*>(std::calloc(height, rowBytes));
    if (!pixels) outOfMemory("a JPEG picture of %zu x %zu", width, height);
    errors.pixels = pixels;
    JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                                static_cast<JDIMENSION>(rowBytes), 1);
    // Scanlines come top row first; textures want the bottom row first.
    size_t lines = 0;
    while (info.output_scanline < info.output_height && !errors.dataEnded) {
        if (jpeg_read_scanlines(&info, row, 1) != 1) break;
        lines = info.output_scanline;
        std::memcpy(pixels + (height - lines) * rowBytes, row[0], rowBytes);
    }
    if (lines < height) {
        // Cut short: the rows below the last one read repeat it (black when there is none).
        for (size_t line = lines; lines > 0 && line < height; ++line)
            std::memcpy(pixels + (height - 1 - line) * rowBytes, pixels + (height - lines) * rowBytes, rowBytes);
        jpeg_abort_decompress(&info);
    } else {
        jpeg_finish_decompress(&info);
    }
    jpeg_destroy_decompress(&info);
    std::fclose(stream);
    fileSeek(file, 0, SEEK_SET);
    image->width = static_cast<int32_t>(width);
    image->height = static_cast<int32_t>(height);
    image->bitsPerPixel = static_cast<int32_t>(8 * components);
    return pixels;
}
