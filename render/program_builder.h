// The GPU program text buffer: a generator opens it with the target's header, appends text and
// closes it, which compiles the text into the program made when it was opened. The renderer's one
// builder is RenderState::programText.
#pragma once
#include <cstddef>
#include <cstdint>

enum { PROGRAM_BUFFER_SIZE = 65536 };

struct ProgramBuilder {
    char* text;         // zero beyond length; grows past PROGRAM_BUFFER_SIZE when a text needs it
    uint32_t capacity;  // bytes in text
    uint32_t length;    // bytes appended since the buffer was opened
};

// Makes and binds a program for the target (GL_VERTEX_PROGRAM_ARB, GL_FRAGMENT_PROGRAM_ARB or
// GL_FRAGMENT_PROGRAM_NV) into *programId and writes the target's header. GL errors left pending by
// earlier work are cleared first, so that they are not taken for this program's. Not reentrant: one
// program at a time per builder.
void beginProgram(ProgramBuilder* builder, uint32_t* programId, uint32_t target);
void appendProgramText(ProgramBuilder* builder, const char* text);
// Formats in the C locale ("0.5", never "0,5") and appends.
void appendProgramFormat(ProgramBuilder* builder, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Appends "END\n", compiles the text into the program bound by beginProgram, checks it and zeroes
// the bytes used. A rejected text ends the run: a message box "error: %x" with the driver's error
// text, the program text in "log/shader.log", exit code 0.
void endProgram(ProgramBuilder* builder, uint32_t programId, uint32_t target);
// The same text without a device: the header of the target, no program made. endProgramText
// appends "END\n" and returns the whole text, valid until the buffer is next opened.
void beginProgramText(ProgramBuilder* builder, uint32_t target);
const char* endProgramText(ProgramBuilder* builder);
// Compiles a whole program file of the package (it carries its own header and "END").
void loadProgramFile(ProgramBuilder* builder, uint32_t* programId, uint32_t target, const char* path);
// Frees the text of a builder made outside a RenderState (tests).
void releaseProgramBuilder(ProgramBuilder* builder);

// Whether the device has the entry points to compile programs for target: tools that load scenes
// without a GL context get program 0 instead of an error.
bool deviceCompilesPrograms(uint32_t target);
