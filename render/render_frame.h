// One frame of the current scene through the current camera.
#pragma once
#include <cstdint>

struct DemoContext;

void renderFrame(DemoContext* context, int32_t sceneTime);
