#include "render/depth_programs.h"

#include "render/render_state.h"
#include "render/device_entry_points.h"
#include "render/program_builder.h"

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

void compileSkinned(uint32_t* program) {
    beginProgram(program, GL_VERTEX_PROGRAM_ARB);
    appendProgramText(kMatrices);
    appendProgramText(kTemps);
    appendProgramText(
        "TEMP tempVertex;PARAM matrices[200] = { program.local[0..199] };\nATTRIB bones=vertex.attrib[1];\n"
        "ADDRESS a0;\n");
    appendProgramText("ARL a0.x,bones.y;\n");
    appendProgramText(kBoneBlock);
    appendProgramText("MUL tempVertex,eyeVertex,bones.x;\n");
    appendProgramText("ARL a0.x,bones.w;\n");
    appendProgramText(kBoneBlock);
    appendProgramText("MAD eyeVertex,eyeVertex,bones.z,tempVertex;\n");
    appendProgramText(kDepth);
    appendProgramText(
        "DP4 result.position.x, projection[0], eyeVertex;\nDP4 result.position.y, projection[1], eyeVertex;\n"
        "DP4 result.position.z, projection[2], eyeVertex;\nDP4 result.position.w, projection[3], eyeVertex;\n");
    endProgram(*program, GL_VERTEX_PROGRAM_ARB);
}

void compileRigid(uint32_t* program) {
    beginProgram(program, GL_VERTEX_PROGRAM_ARB);
    appendProgramText("OPTION ARB_position_invariant;\n");
    appendProgramText(kMatrices);
    appendProgramText(kTemps);
    appendProgramText(
        "DP4 eyeVertex.x, model[0], vertex.position;\nDP4 eyeVertex.y, model[1], vertex.position;\n"
        "DP4 eyeVertex.z, model[2], vertex.position;\nDP4 eyeVertex.w, model[3], vertex.position;\n");
    appendProgramText(kDepth);
    endProgram(*program, GL_VERTEX_PROGRAM_ARB);
}

// r = 255 d, g = 255 frac(r), b = 255 frac(g), a = 255 frac(b); each then floor(v) / 256.
void compilePacking(uint32_t* program) {
    beginProgram(program, GL_FRAGMENT_PROGRAM_ARB);
    appendProgramText("PARAM divider=0.00390625;");
    appendProgramText("PARAM multiplier=255.0;");
    appendProgramText("TEMP temp_color;");
    appendProgramText("MUL temp_color.r,fragment.texcoord[0].r,multiplier;");
    appendProgramText("FRC temp_color.g,temp_color.r;");
    appendProgramText("MUL temp_color.g,temp_color.g,multiplier;");
    appendProgramText("FRC temp_color.b,temp_color.g;");
    appendProgramText("MUL temp_color.b,temp_color.b,multiplier;");
    appendProgramText("FRC temp_color.a,temp_color.b;");
    appendProgramText("MUL temp_color.a,temp_color.a,multiplier;");
    appendProgramText("FLR temp_color,temp_color;");
    appendProgramText("MUL temp_color,temp_color,divider;");
    appendProgramText("MOV result.color,temp_color;\n");
    endProgram(*program, GL_FRAGMENT_PROGRAM_ARB);
}

}  // namespace

void compileDepthPrograms(RenderState* context) {
    compileSkinned(&context->depthSkinnedVertexProgram);
    compileRigid(&context->depthVertexProgram);
    compilePacking(&context->depthFragmentProgram);
}

void setShadowPrograms(const RenderState* context, Surface* surface, bool skinned) {
    surface->shadowPrograms[0] = skinned ? context->depthSkinnedVertexProgram : context->depthVertexProgram;
    surface->shadowPrograms[1] = context->depthFragmentProgram;
}
