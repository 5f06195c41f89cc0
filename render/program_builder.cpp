#include "render/program_builder.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "base/c_locale.h"
#include "base/out_of_memory.h"
#include "base/report.h"
#include "data/package.h"
#include "render/device_entry_points.h"
#include "render/device_state.h"

namespace {

const char* kShaderLog = "log/shader.log";

// Room for `extra` more bytes and the terminator; the new part is zero like the rest.
void reserve(ProgramBuilder* b, uint64_t extra) {
    uint64_t needed = uint64_t(b->length) + extra + 1;
    if (b->text && needed <= b->capacity) return;
    uint64_t capacity = b->capacity ? uint64_t(b->capacity) : uint64_t(PROGRAM_BUFFER_SIZE);
    while (capacity < needed) capacity *= 2;
    char* text = capacity < UINT32_MAX ? static_cast<char*>(std::realloc(b->text, capacity)) : nullptr;
    if (!text) outOfMemory("a GPU program text of %llu bytes", static_cast<unsigned long long>(needed));
    std::memset(text + b->capacity, 0, capacity - b->capacity);
    b->text = text;
    b->capacity = static_cast<uint32_t>(capacity);
}

void append(ProgramBuilder* b, const char* bytes, size_t count) {
    reserve(b, count);
    std::memcpy(b->text + b->length, bytes, count);
    b->length += static_cast<uint32_t>(count);
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

void loadText(const ProgramBuilder* b, uint32_t programId, uint32_t target) {
    const GlEntryPoints* gl = glEntryPoints();
    const char* text = b->text;
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
void openText(ProgramBuilder* b, uint32_t target) {
    reserve(b, 0);
    std::memset(b->text, 0, b->length);
    b->length = 0;
    if (target == GL_FRAGMENT_PROGRAM_NV) appendProgramText(b, "!!FP1.0\n");
    else if (target == GL_VERTEX_PROGRAM_ARB) appendProgramText(b, "!!ARBvp1.0\n");
    else if (target == GL_FRAGMENT_PROGRAM_ARB) appendProgramText(b, "!!ARBfp1.0\nOPTION ARB_precision_hint_fastest;");
}

// A pending GL error ends the run: a message box "error: %x" with the driver's error text, the
// program text in "log/shader.log", exit code 0.
void checkProgramError(const ProgramBuilder* b, uint32_t errorStringName) {
    GLenum error = glGetError();
    if (error == GL_NO_ERROR) return;
    std::error_code ignored;
    std::filesystem::create_directories("log", ignored);
    FILE* log = std::fopen(kShaderLog, "w");
    const char* message = reinterpret_cast<const char*>(glGetString(errorStringName));
    char caption[32];
    std::snprintf(caption, sizeof caption, "error: %x", error);
    showMessage(caption, message ? message : "");
    if (log) {
        std::fprintf(log, "%s", b->text ? b->text : "");
        std::fclose(log);
    } else {
        std::fprintf(stderr, "velmora: cannot write %s\n", kShaderLog);
    }
    fatalExit(EXIT_AFTER_MESSAGE);
}

void appendFormatted(ProgramBuilder* b, const char* format, va_list args) {
    char piece[1024];
    va_list again;
    va_copy(again, args);
    int written = formatInCLocale(piece, sizeof piece, format, args);
    if (written < 0) {
        va_end(again);
        return;
    }
    if (static_cast<size_t>(written) < sizeof piece) {
        append(b, piece, static_cast<size_t>(written));
        va_end(again);
        return;
    }
    char* large = static_cast<char*>(std::malloc(static_cast<size_t>(written) + 1));
    if (!large) outOfMemory("a GPU program text of %d bytes", written);
    formatInCLocale(large, static_cast<size_t>(written) + 1, format, again);
    va_end(again);
    append(b, large, static_cast<size_t>(written));
    std::free(large);
}

}  // namespace

void beginProgram(ProgramBuilder* b, uint32_t* programId, uint32_t target) {
    makeProgram(programId, target);
    openText(b, target);
}

void beginProgramText(ProgramBuilder* b, uint32_t target) { openText(b, target); }

const char* endProgramText(ProgramBuilder* b) {
    appendProgramText(b, "END\n");
    b->text[b->length] = 0;
    return b->text;
}

void appendProgramText(ProgramBuilder* b, const char* text) { append(b, text, std::strlen(text)); }

void appendProgramFormat(ProgramBuilder* b, const char* format, ...) {
    va_list args;
    va_start(args, format);
    appendFormatted(b, format, args);
    va_end(args);
}

void endProgram(ProgramBuilder* b, uint32_t programId, uint32_t target) {
    appendProgramText(b, "END\n");
    b->text[b->length] = 0;
    loadText(b, programId, target);
    checkProgramError(b, GL_PROGRAM_ERROR_STRING_ARB);
    std::memset(b->text, 0, b->length);
    b->length = 0;
}

void loadProgramFile(ProgramBuilder* b, uint32_t* programId, uint32_t target, const char* path) {
    DemoFile file = fileOpen(path, "rb");
    if (!file) {
        showError("The program file %s is not in the package.", path);
        fatalExit(EXIT_MISSING_FILE);
    }
    reserve(b, 0);
    std::memset(b->text, 0, b->capacity);
    b->length = 0;
    fileSeek(file, 0, SEEK_END);
    uint32_t size = fileSize(file);
    fileSeek(file, 0, SEEK_SET);
    reserve(b, size);
    size_t got = fileRead(b->text, 1, size, file);
    b->length = static_cast<uint32_t>(got);
    b->text[b->length] = 0;
    fileClose(file);
    makeProgram(programId, target);
    loadText(b, *programId, target);
    checkProgramError(b, GL_PROGRAM_ERROR_STRING_ARB);
    std::memset(b->text, 0, b->length);
    b->length = 0;
}

void releaseProgramBuilder(ProgramBuilder* b) {
    std::free(b->text);
    *b = {};
}
