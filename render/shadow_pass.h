// The depth pass of a shadowed scene: every opaque surface drawn from above into the shadow
// buffer, whose colour holds the packed height below the light.
#pragma once
#include <cstdint>

struct RenderState;
struct Surface;

// Draws the current scene's shadow map when it has shadows and a usable volume at this time:
// binds the shadow buffer with its viewport, runs the two steps below and binds the window again.
void renderShadowMap(RenderState* render, int32_t timeMs);
// The light's camera: state the pass relies on, the buffer cleared to white (nothing drawn), the
// volume's square seen from straight above.
void setUpShadowCamera(RenderState* render, int32_t timeMs);
void drawDepthPass(RenderState* render, int32_t timeMs);
// Transparent, additive and alpha-tested surfaces cast no shadow.
bool castsShadow(const Surface* surface);

// Texture units that hold the shadow map until the main pass ends, bit k: unit k.
struct ShadowTextureUnits {
    uint32_t bound;
};

// The shadow map on texture unit `unit` for one surface of the main pass, 2D texturing enabled there
// when `enable` (a unit only programs sample cannot be enabled); the units used are remembered until
// releaseShadowTexture binds 0 on them, so that the shadow buffer is never drawn into while its
// texture is bound. Both leave unit 0 active.
void bindShadowTexture(RenderState* render, int32_t unit, bool enable);
void releaseShadowTexture(RenderState* render);
