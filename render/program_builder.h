// The one GPU program text buffer: a generator opens it with the target's header, appends text and
// closes it, which compiles the text into the program made when it was opened.
#pragma once
#include <cstddef>
#include <cstdint>

enum { PROGRAM_BUFFER_SIZE = 65536 };

struct ProgramBuilder {
    char* text;         // zero beyond length; grows past PROGRAM_BUFFER_SIZE when a text needs it
    uint32_t capacity;  // bytes in text
    uint32_t length;    // bytes appended since the buffer was opened
};

// The process's one builder (not reentrant: one program at a time).
ProgramBuilder* programBuilder();

// Makes and binds a program for the target (GL_VERTEX_PROGRAM_ARB, GL_FRAGMENT_PROGRAM_ARB or
// GL_FRAGMENT_PROGRAM_NV) into *programId and writes the target's header. GL errors left pending by
// earlier work are cleared first, so that they are not taken for this program's.
void beginProgram(uint32_t* programId, uint32_t target);
void appendProgramText(const char* text);
// Formats in the C locale ("0.5", never "0,5") and appends.
void appendProgramFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
// snprintf in the C locale, for generators that format pieces themselves.
int formatProgramText(char* out, size_t size, const char* format, ...) __attribute__((format(printf, 3, 4)));
// Appends "END\n", compiles the text into the program bound by beginProgram, checks it and zeroes
// the bytes used.
void endProgram(uint32_t programId, uint32_t target);
// The same text without a device: the header of the target, no program made. endProgramText
// appends "END\n" and returns the whole text, valid until the buffer is next opened.
void beginProgramText(uint32_t target);
const char* endProgramText();
// Compiles a whole program file of the package (it carries its own header and "END").
// Whether the device has the entry points to compile programs for target: tools that load scenes
// without a GL context get program 0 instead of an error.
bool deviceCompilesPrograms(uint32_t target);
void loadProgramFile(uint32_t* programId, uint32_t target, const char* path);
// A pending GL error ends the run: a message box "error: %x" with the driver's error text, the
// program text in "log/shader.log", exit code 0.
void checkProgramError(uint32_t errorStringName);
