// Until the program text generators exist, a surface instance gets program 0 (fixed function).
#include "render/material_programs.h"

#include "scene/scene.h"

void generateMaterialVertexProgram(Scene* scene, int32_t itemIndex, int32_t surfaceIndex) {
    scene->items[itemIndex].surfaces[surfaceIndex].vertexProgram = 0;
}

void generateMaterialFragmentProgram(Scene* scene, int32_t itemIndex, int32_t surfaceIndex) {
    scene->items[itemIndex].surfaces[surfaceIndex].fragmentProgram = 0;
}
