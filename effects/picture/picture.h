// A still picture over the whole viewport, drawn at its null's place in the main pass.
#pragma once
#include <cstdint>

#include "effects/effect_families.h"

struct Scene;
struct RenderState;
struct EffectSlot;

// The quad's corners: (s, t) then (x, y), in drawing order; the picture's lowest quarter is not shown.
extern const float kPictureQuad[4][4];

