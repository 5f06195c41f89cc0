// Texture units back to their default state: drawing code leaves per-unit state behind.
#pragma once
#include <cstdint>

struct RenderState;

// Every unit below the settings' maxTextureUnits: identity texture matrix, 3D, cube-map, 1D and 2D
// texturing and S, T, R coordinate generation off, environment mode modulate. Unit 0 is left active
// and the matrix mode is the model-view.
void resetTextureUnits(const RenderState* render);
void resetTextureUnitCount(int32_t unitCount);
