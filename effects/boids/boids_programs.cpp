// The fish programs: the vertex program bends the rigid fish mesh along a cubic Bezier curve per
// fish; the fragment program lights it per pixel.
#include <GL/gl.h>
#include <GL/glext.h>

#include "effects/body_programs.h"
#include "effects/boids/boids_draw.h"
#include "render/program_builder.h"
#include "scene/layer_flags.h"
#include "scene/scene.h"

namespace {

// The cubic Bezier over locals first..first+3 at t into `out`; clobbers temp_1 and temp_2.
void appendCurve(ProgramBuilder* builder, const char* out, int first) {
    appendProgramText(builder, "MUL temp_2,t,3;\n");
    appendProgramText(builder, "MUL temp_1,t,temp_2;\n");
    appendProgramText(builder, "MUL temp_1,one_minus,temp_1;\n");
    appendProgramFormat(builder, "MUL %s,temp_1,program.local[%d];\n", out, first + 2);
    appendProgramText(builder, "MUL temp_1,one_minus,one_minus;\n");
    appendProgramText(builder, "MUL temp_2,temp_1,temp_2;\n");
    appendProgramFormat(builder, "MAD %s,temp_2,program.local[%d],%s;\n", out, first + 1, out);
    appendProgramText(builder, "MUL temp_1,temp_1,one_minus;\n");
    appendProgramFormat(builder, "MAD %s,temp_1,program.local[%d],%s;\n", out, first, out);
    appendProgramText(builder, "MUL temp_1,t,t;\n");
    appendProgramText(builder, "MUL temp_1,temp_1,t;\n");
    appendProgramFormat(builder, "MAD %s,temp_1,program.local[%d],%s;\n", out, first + 3, out);
}

void appendNormalise(ProgramBuilder* builder, const char* r) {
    appendProgramFormat(builder, "DP3 %s.w, %s, %s;\nRSQ %s.w, %s.w;\nMUL %s.xyz, %s.w, %s;\n", r, r, r, r, r, r, r, r);
}

}  // namespace

void writeFishVertexProgram(ProgramBuilder* builder, const Scene* scene, const Surface* surface) {
    appendProgramText(builder, "PARAM projection[4] = {state.matrix.projection};\nPARAM model[4] = {state.matrix.modelview};\n");
    appendProgramText(builder, "TEMP eyeNormal,tempVertex,eyeVertex,lightVector,viewVector;\n");
    appendProgramText(builder, "PARAM half = {0.5,0.5,0.5,0.5};\n");
    appendProgramText(builder, "TEMP one_minus,tempNormal,temp_1,temp_2,t,T,N,B;\n");
    appendProgramText(builder, "PARAM main={0,1,0,0};\n");
    // Body curve C(t) from head (local 4) to tail (local 7).
    appendProgramText(builder, "MOV t,vertex.texcoord[0].x;\n");
    appendProgramText(builder, "SUB one_minus,1,vertex.texcoord[0].x;\n");
    appendCurve(builder, "tempVertex", 4);
    // Tangent: the normalised derivative of C.
    appendProgramText(builder, "MUL T,t,-program.local[7];\n");
    appendProgramText(builder, "MAD temp_1,t,3,- 2;\n");
    appendProgramText(builder, "MAD T,temp_1,program.local[6],T;\n");
    appendProgramText(builder, "MUL T,T,t;\n");
    appendProgramText(builder, "MUL temp_1,one_minus,one_minus;\n");
    appendProgramText(builder, "MAD T,temp_1,program.local[4],T;\n");
    appendProgramText(builder, "MAD temp_1,t,- 4,1;\n");
    appendProgramText(builder, "MUL temp_2,t,t;\n");
    appendProgramText(builder, "MAD temp_1,temp_2,3,temp_1;\n");
    appendProgramText(builder, "MAD T,temp_1,-program.local[5],T;\n");
    appendProgramText(builder, "MUL T,-T,3;\n");
    appendProgramText(builder, "DP3 T.w, T, T;\nRSQ T.w, T.w;\nMUL T.xyz, T.w, T;\n");
    // Reference direction towards the second curve, and the frame around the tangent.
    appendCurve(builder, "B", 8);
    appendProgramText(builder, "SUB B,B,tempVertex;\n");
    appendNormalise(builder, "B");
    appendProgramText(builder, "XPD N,B,T;\n");
    appendProgramText(builder, "XPD B,T,N;\n");
    appendNormalise(builder, "B");
    // The vertex across the body (y, z) and its normal (x along the body) in that frame.
    appendProgramText(builder, "MUL temp_1,vertex.position.z,B;\n");
    appendProgramText(builder, "MAD temp_1,vertex.position.y,N,temp_1;\n");
    appendProgramText(builder, "ADD tempVertex,tempVertex,temp_1;\n");
    appendProgramText(builder, "SWZ tempVertex,tempVertex,x,y,z,1;\n");
    appendProgramText(builder, "MUL temp_1,vertex.normal.x,T;\n");
    appendProgramText(builder, "MAD temp_1,vertex.normal.y,N,temp_1;\n");
    appendProgramText(builder, "MAD temp_1,vertex.normal.z,B,temp_1;\n");
    appendProgramText(builder, "SWZ tempNormal,temp_1,x,y,z,0;\n");
    appendProgramText(builder,
        "DP3 eyeNormal.x, model[0], tempNormal;\nDP3 eyeNormal.y, model[1], tempNormal;\n"
        "DP3 eyeNormal.z, model[2], tempNormal;\n");
    appendNormalise(builder, "eyeNormal");
    appendProgramText(builder,
        "DP4 eyeVertex.x, model[0], tempVertex;\nDP4 eyeVertex.y, model[1], tempVertex;\n"
        "DP4 eyeVertex.z, model[2], tempVertex;\nDP4 eyeVertex.w, model[3], tempVertex;\n");
    appendBodyVertexTail(builder, scene, surface);
    appendProgramText(builder,
        "DP4 result.position.x, projection[0], eyeVertex;\nDP4 result.position.y, projection[1], eyeVertex;\n"
        "DP4 result.position.z, projection[2], eyeVertex;\nDP4 result.position.w, projection[3], eyeVertex;\n");
}

void writeFishFragmentProgram(ProgramBuilder* builder, const Scene* scene, const Surface* s) {
    const bool specular = s->specular > 0.001f;
    appendProgramText(builder, "TEMP color,secondary_color,texel,light,light_vector;\n");
    appendProgramText(builder, "PARAM two={2,2,2,2};\nPARAM m_one={-1,-1,-1,-1};\n");
    if (s->bumpLayer != 0) {
        const int32_t d = s->bumpLayer - 1;
        appendProgramFormat(builder, "TEMP normal;\nTEX texel, fragment.texcoord[%d],texture[%d],2D;\n", d, d);
        appendProgramText(builder, "MAD texel,texel,two,m_one;\n");
        appendProgramText(builder, "DP3 normal.a, texel, texel;\nRSQ normal.a, normal.a;\nMUL normal.rgb, texel, normal.a;\n");
    } else {
        appendProgramText(builder, "TEMP normal,nrm;\n");
        appendProgramText(builder, "MAD nrm,fragment.color.primary,two,m_one;\n");
        appendProgramText(builder, "SWZ nrm,nrm,x,y,z,1;\n");
        appendProgramText(builder, "DP3 normal.a, nrm, nrm;\nRSQ normal.a, normal.a;\nMUL normal.rgb, nrm, normal.a;\n");
    }
    if (specular)
        appendProgramText(builder,
            "TEMP viewVector,halfWay;\nMAD viewVector,fragment.color.secondary,two,m_one;\n"
            "DP3 viewVector.w,viewVector,viewVector;\nRSQ viewVector.w,viewVector.w;\n"
            "MUL viewVector.xyz, viewVector,viewVector.w;\n");
    appendLitColour(builder, scene, s->layerCount, specular, "state.material.shininess.x");
    appendProgramText(builder, "SUB color.a,color.a,color.a;\n");
    const char* op = "MUL";
    bool alphaLayer = false;
    for (int32_t k = 0; k < s->layerCount; ++k) {
        const uint32_t flags = s->layerFlags[k];
        alphaLayer = alphaLayer || (flags & LAYER_ALPHA);
        if (flags & LAYER_MULTIPLY)
            op = "MUL";
        else if (flags & LAYER_ADD)
            op = "ADD";
        if (flags & LAYER_NORMAL_MAP) continue;
        appendProgramFormat(builder, "TEMP texel%d;\n", k);
        appendProgramFormat(builder, "TEX texel%d, fragment.texcoord[%d],texture[%d],2D;\n", k, k, k);
        if (flags & (LAYER_TRANSPARENT | LAYER_ADDITIVE | LAYER_ALPHA))
            appendProgramFormat(builder, "MOV color.a,texel%d.r;\n", k);
        else
            appendProgramFormat(builder, "%s color.rgb,color,texel%d;\n", op, k);
    }
    appendFragmentClose(builder, scene, s, specular, alphaLayer);
}

void buildFishPrograms(ProgramBuilder* builder, const Scene* scene, SurfaceInstance* instance) {
    beginProgram(builder, &instance->vertexProgram, GL_VERTEX_PROGRAM_ARB);
    writeFishVertexProgram(builder, scene, instance->surface);
    endProgram(builder, instance->vertexProgram, GL_VERTEX_PROGRAM_ARB);
    beginProgram(builder, &instance->fragmentProgram, GL_FRAGMENT_PROGRAM_ARB);
    writeFishFragmentProgram(builder, scene, instance->surface);
    endProgram(builder, instance->fragmentProgram, GL_FRAGMENT_PROGRAM_ARB);
}
