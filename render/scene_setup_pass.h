// The scene set-up of a frame: clear, fog colour, the projection holding the camera, the program
// environment and the GL lights.
#pragma once
#include <cstdint>

struct Camera;
struct RenderState;
struct Light;

// Left, right, bottom, top, near, far of the last projection (left is positive: mirrored).
struct Frustum {
    double planes[6];
};

// What the set-up keeps between frames: the projection is rebuilt only when the camera changes.
struct SceneSetUp {
    Frustum frustum;
    const Camera* lastCamera;
};

// The frustum of a camera zoom at a picture size. Half-angles that would reach 90 degrees (a tiny
// or zero zoom, a very wide picture) are held just below it: tan would blow up or turn negative.
Frustum cameraFrustum(float zoom, int32_t width, int32_t height);

// The light's GL position (a direction with w = 0 for a distant light) and spot direction from its
// motion at t seconds, before the model-view turn is applied.
void lightPlacement(const Light* light, float t, float position[4], float spotDirection[4]);

// Clears, sets fog and projection, the program environment and the lights. The frustum is rebuilt
// only after a resize or when the camera changes.
void setUpScene(RenderState* render, int32_t timeMs);
// Forgets the last frustum, so that the next set-up rebuilds it (a new window or context).
void forgetSceneFrustum(RenderState* render);
