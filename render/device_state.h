// The device's default state, the shadow framebuffer and GL error handling.
#pragma once
#include <cstdint>

struct RenderState;

// Depth test, culling, dithering, clockwise front faces, no lighting, smooth shading, tight
// unpacking and the best-quality hints.
void setDefaultGlState();
// The framebuffer of shadowMapSize squared whose colour is the shadow texture (RGBA8, clamped to a
// white border, linear filters) with a 24-bit depth renderbuffer. Without framebuffer objects, or
// when the framebuffer is incomplete, the run ends with EXIT_NO_OFFSCREEN.
void createShadowBuffer(RenderState* render);
// Draw into (and read from) the shadow buffer instead of the window, and back. State that was the
// off-screen context's own is now shared: whoever clears the shadow buffer sets its masks first.
void bindShadowBuffer(const RenderState* render);
void unbindShadowBuffer();
// Says on standard error when the current context lacks the 8 alpha bits the glow reads, or the
// sample buffers that were asked for.
void checkWindowPixelFormat(int samples);
// Reads and clears every pending GL error; returns the first (0 when none was pending).
uint32_t clearGlErrors();
