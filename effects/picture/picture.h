// A still picture over the whole viewport, drawn at its null's place in the main pass.
#pragma once
#include <cstdint>

#include "effects/effect_check.h"
#include "effects/effect_family.h"

struct Scene;
struct RenderState;

// The quad's corners: (s, t) then (x, y), in drawing order; the picture's lowest quarter is not shown.
extern const float kPictureQuad[4][4];

// The slot's state is the picture's TextureImage.
void pictureInit(RenderState* render, Scene* scene, EffectSlot* slot);
void pictureRender(RenderState* render, EffectSlot* slot, int32_t timeMs);
void pictureRelease(EffectSlot* slot);

inline constexpr EffectFamilyDescriptor kPictureFamily = {
    FAMILY_PICTURE, "picture", pictureInit, pictureRender, pictureRelease, nullptr, kNoFamilyFiles, checkRowFile,
    nullptr,        nullptr,   nullptr, nullptr};
