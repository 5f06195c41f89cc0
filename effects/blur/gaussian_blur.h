// The animated Gaussian blur of the finished frame: two separable 13-tap passes whose width follows
// the first envelope of its null.
#pragma once
#include <cstddef>
#include <cstdint>

#include "effects/effect_check.h"
#include "effects/effect_family.h"

struct Scene;
struct RenderState;

enum { BLUR_TAPS = 13, BLUR_TEXT = 4096 };

// The centre weight and the weights at distances 1..6 (each used on both sides).
extern const float kBlurCentreWeight;
extern const float kBlurWeights[6];

// The body of the horizontal or vertical program (after its header), ARB or NV form; returns its length.
size_t gaussianBlurProgramText(bool vertical, bool nv, char* out, size_t size);

struct BlurState {
    uint32_t programs[2];  // horizontal, vertical
    uint32_t target;       // GL_FRAGMENT_PROGRAM_ARB or GL_FRAGMENT_PROGRAM_NV
    uint32_t texture;      // the frame copy, when no glow texture serves
    int32_t textureWidth, textureHeight;
};

void gaussianBlurInit(RenderState* render, Scene* scene, EffectSlot* slot);
void gaussianBlurRender(RenderState* render, EffectSlot* slot, int32_t timeMs);
void gaussianBlurRelease(EffectSlot* slot);

inline constexpr EffectFamilyDescriptor kBlurFamily = {
    FAMILY_BLUR, "blur", gaussianBlurInit, gaussianBlurRender, gaussianBlurRelease, nullptr, kNoFamilyFiles,
    checkRowFile, nullptr, nullptr, nullptr, nullptr};
