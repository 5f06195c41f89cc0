// Work split into independent slices run on the machine's cores: each slice writes only its own
// output, so the result is the same, byte for byte, however many threads there are.
#pragma once

#include <cstdint>

// Calls work(first, end, context) over [0, count) in contiguous ranges, one per thread (the calling
// thread takes the first); returns when all are done. A thread that cannot be started leaves its
// range to the calling thread.
void forEachSlice(int32_t count, void (*work)(int32_t first, int32_t end, void* context), void* context);
