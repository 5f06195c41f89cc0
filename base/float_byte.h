// Float to byte with a defined result for every input: the value truncated toward zero as a C cast
// would, clamped to 0..255, NaN giving 0 (a plain cast of an out-of-range float is undefined).
#pragma once
#include <cstdint>

inline uint8_t floatToByte(float value) {
    if (!(value > 0.0f)) return 0;  // also NaN
    if (value >= 255.0f) return 255;
    return static_cast<uint8_t>(value);
}
