#include "render/program_builder.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "render/device_entry_points.h"
#include "render/device_state.h"
#include "base/report.h"
#include "base/c_locale.h"
#include "data/package.h"
#include "platform/platform.h"

namespace {

const char* kShaderLog = "log/shader.log";

ProgramBuilder gBuilder = {nullptr, 0, 0};

// Room for `extra` more bytes and the terminator; the new part is zero like the rest.
void reserve(uint64_t extra) {
    ProgramBuilder* b = &gBuilder;
    uint64_t needed = uint64_t(b->length) + extra + 1;
    if (b->text && needed <= b->capacity) return;
    uint64_t capacity = b->capacity ? uint64_t(b->capacity) : uint64_t(PROGRAM_BUFFER_SIZE);
    while (capacity < needed) capacity *= 2;
    char* text = capacity < UINT32_MAX ? static_cast<char*>(std::realloc(b->text, capacity)) : nullptr;
    if (!text) {
        showError("A GPU program text of %llu bytes does not fit in memory.",
                  static_cast<unsigned long long>(needed));
        fatalExit(EXIT_OUT_OF_MEMORY);
    }
    std::memset(text + b->capacity, 0, capacity - b->capacity);
    b->text = text;
    b->capacity = static_cast<uint32_t>(capacity);
}

void append(const char* bytes, size_t count) {
    reserve(count);
    std::memcpy(gBuilder.text + gBuilder.length, bytes, count);
    gBuilder.length += static_cast<uint32_t>(count);
}

int formatInCLocale(char* out, size_t size, const char* format, va_list args) {
    locale_t previous = uselocale(cLocale());
    int written = std::vsnprintf(out, size, format, args);
    uselocale(previous);
    return written;
}

// The generator's own mistakes (a target without entry points) must not crash.
[[noreturn]] void noProgramSupport(uint32_t target) {
    showError("The graphics driver cannot compile GPU programs for target 0x%x.", target);
    fatalExit(EXIT_NO_WINDOW);
}

}  // namespace

bool deviceCompilesPrograms(uint32_t target) {
    const GlEntryPoints* gl = glEntryPoints();
    if (target == GL_FRAGMENT_PROGRAM_NV) return gl->glGenProgramsNV && gl->glLoadProgramNV;
    return gl->glGenProgramsARB && gl->glProgramStringARB;
}

namespace {

void forgetStaleErrors() {
    uint32_t stale = clearGlErrors();
    if (stale) std::fprintf(stderr, "velmora: GL error 0x%x was pending before a GPU program; ignored\n", stale);
}

void makeProgram(uint32_t* programId, uint32_t target) {
    const GlEntryPoints* gl = glEntryPoints();
    forgetStaleErrors();
    if (target == GL_FRAGMENT_PROGRAM_NV) {
        if (!gl->glGenProgramsNV || !gl->glBindProgramNV) noProgramSupport(target);
        gl->glGenProgramsNV(1, programId);
        gl->glBindProgramNV(GL_FRAGMENT_PROGRAM_NV, *programId);
    } else {
        if (!gl->glGenProgramsARB || !gl->glBindProgramARB) noProgramSupport(target);
        gl->glGenProgramsARB(1, programId);
        gl->glBindProgramARB(target, *programId);
    }
}

void loadText(uint32_t programId, uint32_t target) {
    const GlEntryPoints* gl = glEntryPoints();
    const char* text = gBuilder.text;
    GLsizei length = static_cast<GLsizei>(std::strlen(text));
    if (target == GL_FRAGMENT_PROGRAM_NV) {
        if (!gl->glLoadProgramNV) noProgramSupport(target);
        gl->glLoadProgramNV(GL_FRAGMENT_PROGRAM_NV, programId, length, reinterpret_cast<const GLubyte*>(text));
    } else {
        if (!gl->glProgramStringARB) noProgramSupport(target);
        gl->glProgramStringARB(target, GL_PROGRAM_FORMAT_ASCII_ARB, length, text);
    }
}

// Opens the buffer: what a text-only program left behind is cleared, then the target's header.
void openText(uint32_t target) {
    reserve(0);
    std::memset(gBuilder.text, 0, gBuilder.length);
    gBuilder.length = 0;
    if (target == GL_FRAGMENT_PROGRAM_NV) appendProgramText("!!FP1.0\n");
    else if (target == GL_VERTEX_PROGRAM_ARB) appendProgramText("!!ARBvp1.0\n");
    else if (target == GL_FRAGMENT_PROGRAM_ARB) appendProgramText("!!ARBfp1.0\nOPTION ARB_precision_hint_fastest;");
}

}  // namespace

ProgramBuilder* programBuilder() {
    reserve(0);
    return &gBuilder;
}

void beginProgram(uint32_t* programId, uint32_t target) {
    makeProgram(programId, target);
    openText(target);
}

void beginProgramText(uint32_t target) { openText(target); }

const char* endProgramText() {
    appendProgramText("END\n");
    gBuilder.text[gBuilder.length] = 0;
    return gBuilder.text;
}

void appendProgramText(const char* text) { append(text, std::strlen(text)); }

void appendProgramFormat(const char* format, ...) {
    char piece[1024];
    va_list args;
    va_start(args, format);
    int written = formatInCLocale(piece, sizeof piece, format, args);
    va_end(args);
    if (written < 0) return;
    if (static_cast<size_t>(written) < sizeof piece) {
        append(piece, static_cast<size_t>(written));
        return;
    }
    char* large = static_cast<char*>(std::malloc(static_cast<size_t>(written) + 1));
    if (!large) {
        showError("A GPU program text does not fit in memory.");
        fatalExit(EXIT_OUT_OF_MEMORY);
    }
    va_start(args, format);
    formatInCLocale(large, static_cast<size_t>(written) + 1, format, args);
    va_end(args);
    append(large, static_cast<size_t>(written));
    std::free(large);
}

int formatProgramText(char* out, size_t size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    int written = formatInCLocale(out, size, format, args);
    va_end(args);
    return written;
}

void endProgram(uint32_t programId, uint32_t target) {
    appendProgramText("END\n");
    gBuilder.text[gBuilder.length] = 0;
    loadText(programId, target);
    checkProgramError(GL_PROGRAM_ERROR_STRING_ARB);
    std::memset(gBuilder.text, 0, gBuilder.length);
    gBuilder.length = 0;
}

void loadProgramFile(uint32_t* programId, uint32_t target, const char* path) {
    DemoFile file = fileOpen(path, "rb");
    if (!file) {
        showError("The program file %s is not in the package.", path);
        fatalExit(EXIT_MISSING_FILE);
    }
    reserve(0);
    std::memset(gBuilder.text, 0, gBuilder.capacity);
    gBuilder.length = 0;
    fileSeek(file, 0, SEEK_END);
    uint32_t size = fileSize(file);
    fileSeek(file, 0, SEEK_SET);
    reserve(size);
    size_t got = fileRead(gBuilder.text, 1, size, file);
    gBuilder.length = static_cast<uint32_t>(got);
    gBuilder.text[gBuilder.length] = 0;
    fileClose(file);
    makeProgram(programId, target);
    loadText(*programId, target);
    checkProgramError(GL_PROGRAM_ERROR_STRING_ARB);
    std::memset(gBuilder.text, 0, gBuilder.length);
    gBuilder.length = 0;
}

void checkProgramError(uint32_t errorStringName) {
    GLenum error = glGetError();
    if (error == GL_NO_ERROR) return;
    std::error_code ignored;
    std::filesystem::create_directories("log", ignored);
    FILE* log = std::fopen(kShaderLog, "w");
    const char* message = reinterpret_cast<const char*>(glGetString(errorStringName));
    char caption[32];
    std::snprintf(caption, sizeof caption, "error: %x", error);
    platformMessageBox(caption, message ? message : "");
    if (log) {
        std::fprintf(log, "%s", gBuilder.text ? gBuilder.text : "");
        std::fclose(log);
    } else {
        std::fprintf(stderr, "velmora: cannot write %s\n", kShaderLog);
    }
    fatalExit(EXIT_OK);
}
