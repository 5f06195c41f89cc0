// The system's numeric constants and unit conversions, in one place.
#pragma once
#include <cstdint>

constexpr double kPi = 3.14159265358979323846;
constexpr float kPiF = 3.14159265f;
constexpr double kTwoPi = 2.0 * kPi;
constexpr float kTwoPiF = 2.0f * kPiF;
// Motion angles are radians; GL rotations take degrees through this factor.
constexpr float kDegreesPerRadian = 57.295776f;
constexpr float kRadiansPerDegree = kPiF / 180.0f;

// Envelopes and effects take seconds; the clock counts milliseconds.
inline float msToSeconds(int32_t ms) { return static_cast<float>(ms) * 0.001f; }
