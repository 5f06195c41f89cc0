// The main pass: every object surface with its material programs, and the effects that draw at
// their nulls' places among the objects.
#pragma once
#include <cstdint>

struct RenderState;

// Image sequences of a scene without a texture period run at this one, the period every setup row uses.
enum { DEFAULT_TEXTURE_PERIOD_MS = 775 };

// The display list an image-sequence surface shows at timeMs: (time mod period) x frames / period,
// in unsigned arithmetic. A period of 0 or less takes the default.
int32_t textureFrame(int32_t timeMs, int32_t periodMs, int32_t frameCount);

// Every object of the current scene, and pass 2 of its effects. False when the device cannot draw
// meshes (no buffer objects) and nothing was drawn.
bool drawScene(RenderState* render, int32_t timeMs);
