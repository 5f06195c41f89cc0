// What the feeds share: a package made in memory around the input, quiet reporting, and a way back
// from the process exits some readers take by design.
#pragma once
#include <csetjmp>
#include <cstddef>
#include <cstdint>

// Sends reporting to the feed's message log and disarms the exit trap.
void feedBegin();
// feedBegin, then loads a package that holds the input as its one file, path.
void feedPackageOf(const char* path, const uint8_t* bytes, size_t size);

// A reader's designed process exit (fatalExit) jumps back to the last armed point instead.
extern std::jmp_buf gFeedExit;
extern bool gFeedExitArmed;
