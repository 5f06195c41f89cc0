#include "base/crt_rand.h"

namespace {
uint32_t state = 1;  // the C library starts as if seeded with 1
}

void crtSrand(uint32_t seed) { state = seed; }

int32_t crtRand() {
    state = state * 214013u + 2531011u;
    return static_cast<int32_t>((state >> 16) & CRT_RAND_MAX);
}
