// One frame of the current scene through the current camera.
#pragma once
#include <cstdint>

struct RenderState;

// The whole pass order of a frame: matrices, shadow pass, viewport, effects before the objects, scene
// set-up, main pass (with the effects at their nulls), glow and grading, overlays, effects after the
// overlays. Draws nothing without a scene, a camera or a client area.
void renderFrame(RenderState* render, int32_t sceneTime);
// A black picture: the frame of a clip that shows no scene.
void clearPicture();
// Origin of the picture centred in the client area.
void pictureViewport(int32_t clientWidth, int32_t clientHeight, int32_t width, int32_t height, int32_t* x,
                     int32_t* y);
