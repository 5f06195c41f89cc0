// Vertex and fragment programs of a surface instance, generated from its material keys.
#pragma once
#include <cstdint>

struct Scene;

// Each builds the program for surface surfaceIndex of item itemIndex of the scene and stores its id
// in that SurfaceInstance.
void generateMaterialVertexProgram(Scene* scene, int32_t itemIndex, int32_t surfaceIndex);
void generateMaterialFragmentProgram(Scene* scene, int32_t itemIndex, int32_t surfaceIndex);
