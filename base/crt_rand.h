// The C library's pseudo-random generator as the production was made with: one shared state,
// x = x * 214013 + 2531011, each draw (x >> 16) & 0x7FFF. Sequences of draws depend on it across
// effects, so every effect draws from this one state.
#pragma once
#include <cstdint>

enum { CRT_RAND_MAX = 0x7FFF };

void crtSrand(uint32_t seed);
int32_t crtRand();
