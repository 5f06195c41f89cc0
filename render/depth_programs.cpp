#include "render/depth_programs.h"

#include "render/device_entry_points.h"
#include "render/program_builder.h"
#include "render/render_state.h"

namespace {

const char* kMatrices = "PARAM projection[4] = {state.matrix.projection};\nPARAM model[4] = {state.matrix.modelview};\n";
const char* kTemps = "TEMP eyeVertex,distVector;\n";
const char* kBoneBlock =
    "DP4 eyeVertex.x,vertex.position,matrices[a0.x];\nDP4 eyeVertex.y,vertex.position,matrices[a0.x+1];\n"
    "DP4 eyeVertex.z,vertex.position,matrices[a0.x+2];\nDP4 eyeVertex.w,vertex.position,matrices[a0.x+3];\n";
// The stored value: the height below the light, scaled.
const char* kDepth =
    "SUB distVector.w,program.env[5].y,eyeVertex.y;\n"
    "\nMUL distVector.w,distVector.w,program.env[4];\n"
    "MOV result.texcoord[0],distVector.w;\n";

void compileSkinned(ProgramBuilder* b, uint32_t* program) {
    beginProgram(b, program, GL_VERTEX_PROGRAM_ARB);
    appendProgramText(b, kMatrices);
    appendProgramText(b, kTemps);
    appendProgramText(b,
        "TEMP tempVertex;PARAM matrices[200] = { program.local[0..199] };\nATTRIB bones=vertex.attrib[1];\n"
        "ADDRESS a0;\n");
    appendProgramText(b, "ARL a0.x,bones.y;\n");
    appendProgramText(b, kBoneBlock);
    appendProgramText(b, "MUL tempVertex,eyeVertex,bones.x;\n");
    appendProgramText(b, "ARL a0.x,bones.w;\n");
    appendProgramText(b, kBoneBlock);
    appendProgramText(b, "MAD eyeVertex,eyeVertex,bones.z,tempVertex;\n");
    appendProgramText(b, kDepth);
    appendProgramText(b,
        "DP4 result.position.x, projection[0], eyeVertex;\nDP4 result.position.y, projection[1], eyeVertex;\n"
        "DP4 result.position.z, projection[2], eyeVertex;\nDP4 result.position.w, projection[3], eyeVertex;\n");
    endProgram(b, *program, GL_VERTEX_PROGRAM_ARB);
}

void compileRigid(ProgramBuilder* b, uint32_t* program) {
    beginProgram(b, program, GL_VERTEX_PROGRAM_ARB);
    appendProgramText(b, "OPTION ARB_position_invariant;\n");
    appendProgramText(b, kMatrices);
    appendProgramText(b, kTemps);
    appendProgramText(b,
        "DP4 eyeVertex.x, model[0], vertex.position;\nDP4 eyeVertex.y, model[1], vertex.position;\n"
        "DP4 eyeVertex.z, model[2], vertex.position;\nDP4 eyeVertex.w, model[3], vertex.position;\n");
    appendProgramText(b, kDepth);
    endProgram(b, *program, GL_VERTEX_PROGRAM_ARB);
}

// r = 255 d, g = 255 frac(r), b = 255 frac(g), a = 255 frac(b); each then floor(v) / 256.
void compilePacking(ProgramBuilder* b, uint32_t* program) {
    beginProgram(b, program, GL_FRAGMENT_PROGRAM_ARB);
    appendProgramText(b, "PARAM divider=0.00390625;");
    appendProgramText(b, "PARAM multiplier=255.0;");
    appendProgramText(b, "TEMP temp_color;");
    appendProgramText(b, "MUL temp_color.r,fragment.texcoord[0].r,multiplier;");
    appendProgramText(b, "FRC temp_color.g,temp_color.r;");
    appendProgramText(b, "MUL temp_color.g,temp_color.g,multiplier;");
    appendProgramText(b, "FRC temp_color.b,temp_color.g;");
    appendProgramText(b, "MUL temp_color.b,temp_color.b,multiplier;");
    appendProgramText(b, "FRC temp_color.a,temp_color.b;");
    appendProgramText(b, "MUL temp_color.a,temp_color.a,multiplier;");
    appendProgramText(b, "FLR temp_color,temp_color;");
    appendProgramText(b, "MUL temp_color,temp_color,divider;");
    appendProgramText(b, "MOV result.color,temp_color;\n");
    endProgram(b, *program, GL_FRAGMENT_PROGRAM_ARB);
}

}  // namespace

void compileDepthPrograms(RenderState* render) {
    ProgramBuilder* b = &render->programText;
    compileSkinned(b, &render->depthSkinnedVertexProgram);
    compileRigid(b, &render->depthVertexProgram);
    compilePacking(b, &render->depthFragmentProgram);
}

void setShadowPrograms(const RenderState* render, Surface* surface, bool skinned) {
    surface->shadowPrograms[0] = skinned ? render->depthSkinnedVertexProgram : render->depthVertexProgram;
    surface->shadowPrograms[1] = render->depthFragmentProgram;
}
