#include "render/material_programs.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include "render/device_entry_points.h"
#include "render/fragment_program.h"
#include "render/material_inputs.h"
#include "render/program_builder.h"
#include "render/vertex_program.h"
#include "scene/scene.h"

namespace {

void writeFragment(ProgramBuilder* b, const MaterialInputs* in) {
    if (in->nv) writeNvFragmentProgram(b, in);
    else writeArbFragmentProgram(b, in);
}

uint32_t fragmentTarget(const MaterialInputs* in) { return in->nv ? GL_FRAGMENT_PROGRAM_NV : GL_FRAGMENT_PROGRAM_ARB; }

}  // namespace

void generateMaterialVertexProgram(ProgramBuilder* b, Scene* scene, int32_t itemIndex, int32_t surfaceIndex) {
    SceneItem* item = &scene->items[itemIndex];
    SurfaceInstance* instance = &item->surfaces[surfaceIndex];
    instance->vertexProgram = 0;
    if (!deviceCompilesPrograms(GL_VERTEX_PROGRAM_ARB)) return;
    MaterialInputs in;
    readMaterialInputs(scene, item, instance->surface, &in);
    beginProgram(b, &instance->vertexProgram, GL_VERTEX_PROGRAM_ARB);
    writeMaterialVertexProgram(b, &in);
    endProgram(b, instance->vertexProgram, GL_VERTEX_PROGRAM_ARB);
}

void generateMaterialFragmentProgram(ProgramBuilder* b, Scene* scene, int32_t itemIndex, int32_t surfaceIndex) {
    SceneItem* item = &scene->items[itemIndex];
    SurfaceInstance* instance = &item->surfaces[surfaceIndex];
    instance->fragmentProgram = 0;
    MaterialInputs in;
    readMaterialInputs(scene, item, instance->surface, &in);
    const uint32_t target = fragmentTarget(&in);
    if (!deviceCompilesPrograms(target)) return;
    beginProgram(b, &instance->fragmentProgram, target);
    writeFragment(b, &in);
    endProgram(b, instance->fragmentProgram, target);
}

const char* materialVertexProgramText(ProgramBuilder* b, const Scene* scene, const SceneItem* item,
                                      const Surface* surface) {
    MaterialInputs in;
    readMaterialInputs(scene, item, surface, &in);
    beginProgramText(b, GL_VERTEX_PROGRAM_ARB);
    writeMaterialVertexProgram(b, &in);
    return endProgramText(b);
}

const char* materialFragmentProgramText(ProgramBuilder* b, const Scene* scene, const SceneItem* item,
                                        const Surface* surface) {
    MaterialInputs in;
    readMaterialInputs(scene, item, surface, &in);
    beginProgramText(b, fragmentTarget(&in));
    writeFragment(b, &in);
    return endProgramText(b);
}
