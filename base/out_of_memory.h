// The one answer to a failed allocation while starting or loading: "There is not enough memory for
// <what>." captioned "Error", then exit code EXIT_OUT_OF_MEMORY. Per-frame paths do not allocate.
#pragma once

[[noreturn]] void outOfMemory(const char* what, ...) __attribute__((format(printf, 1, 2)));
