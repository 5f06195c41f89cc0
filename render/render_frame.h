// One frame of the current scene through the current camera.
#pragma once
#include <cstdint>

struct DemoContext;

// Matrices, shadow pass, viewport, effect pass 1, scene set-up, main pass, overlays, effect pass 3.
// Draws nothing without a scene, a camera or a client area.
void renderFrame(DemoContext* context, int32_t sceneTime);
// Origin of the picture centred in the client area.
void pictureViewport(int32_t clientWidth, int32_t clientHeight, int32_t width, int32_t height, int32_t* x,
                     int32_t* y);
