// How a shadow-map texel holds the height below the light. The packing program writes
// d = clamp((Y - y) s) as r = 255 d, g = 255 frac(r), b = 255 frac(g), a = 255 frac(b), each
// floor(v) / 256; the material programs read it back with these weights and this bias.
#pragma once
#include <cstdint>

constexpr float kShadowTexelWeights[4] = {1.0f, 0.00392156f, 0.0000153787f, 0.00000006031f};
constexpr float kShadowDecodeBias = 0.00692156f;

// The stored value of a texel as a material program sees it (bytes read as b / 255).
inline float decodeShadowTexel(const uint8_t texel[4]) {
    float value = kShadowDecodeBias;
    for (int k = 0; k < 4; ++k) value += float(texel[k]) / 255.0f * kShadowTexelWeights[k];
    return value;
}
