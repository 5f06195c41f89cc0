// The glow post-process and colour grading of a scene.
#pragma once
#include <cstdint>

struct RenderState;
struct Scene;
struct Settings;

// The power-of-two glow texture that holds a frame: at least 512, doubled until it covers the render
// size when full screen, or the desktop when windowed (the window can grow up to it).
void glowTextureSize(const Settings* settings, int32_t* width, int32_t* height);
// Makes the bound 2D texture a frame copy's: RGBA8, width x height, every texel zero, so that texels
// no copy writes (read by blur taps at the frame's edge) are the same in every run.
void defineFrameCopyTexture(int32_t width, int32_t height);
// Creates what the scene's glow and colour grading need; run once the scene is loaded.
void setUpGlow(RenderState* render, Scene* scene);
// The shared blur and composite programs of the device's path (ARB text, or the NV program files).
void compileGlowPrograms(RenderState* render);
// Blurs the frame's glow (alpha) through the scene's divisor, adds it in the glow colour and grades
// the result with the scene's colour operations; does nothing unless the scene glows.
void drawGlow(RenderState* render, const Scene* scene, int32_t timeMs);
