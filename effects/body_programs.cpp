#include "effects/body_programs.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include "base/report.h"
#include "render/light_slots.h"
#include "render/material_inputs.h"
#include "render/program_builder.h"
#include "scene/layer_flags.h"
#include "scene/scene.h"

namespace {

const char* kEyeNormal =
    "DP3 eyeNormal.w, eyeNormal, eyeNormal;\nRSQ eyeNormal.w, eyeNormal.w;\nMUL eyeNormal.xyz, eyeNormal.w, eyeNormal;\n";

bool hasSpecular(const Surface* s) { return s->specular > 0.001f; }

}  // namespace

void appendBodyVertexTail(ProgramBuilder* builder, const Scene* scene, const Surface* s) {
    const bool bump = s->bumpLayer != 0;
    if (bump) {
        appendProgramText(builder, "TEMP t1,t2,t3;\n");
        appendProgramText(builder, "ATTRIB tan=vertex.attrib[14];\nATTRIB bin=vertex.attrib[15];\n");
        appendProgramText(builder, "DP3 t2.x, model[0], tan;\nDP3 t2.y, model[1], tan;\nDP3 t2.z, model[2], tan;\n");
        appendProgramText(builder, "DP3 t1.x, model[0], bin;\nDP3 t1.y, model[1], bin;\nDP3 t1.z, model[2], bin;\n");
        appendProgramText(builder, "MOV t3, eyeNormal;\n");
        appendProgramText(builder, "DP3 t1.w, t1, t1;\nRSQ t1.w, t1.w;MUL t1,t1,t1.w;\n");
        appendProgramText(builder, "DP3 t2.w, t2, t2;\nRSQ t2.w, t2.w;MUL t2,t2,t2.w;\n");
        appendProgramText(builder, "MOV result.color,t2;\n");
    } else {
        appendProgramText(builder, "MAD result.color.primary,eyeNormal,half,half;\n");
    }
    const SceneSetup& setup = scene->setup;
    if (setup.fogType != 0) {
        appendProgramText(builder, "SUB viewVector,eyeVertex,program.env[1];\n");
        appendProgramText(builder, "DP3 viewVector.w, viewVector, viewVector;\nRSQ viewVector.w, viewVector.w;\n");
        appendProgramFormat(builder, "PARAM density={%f,%f,%f,0.0};\n", setup.fogA, setup.fogB, setup.fogC);
        appendProgramText(builder, "RCP viewVector.w,viewVector.w;\nMUL viewVector.w,viewVector.w,density.x;\n");
        appendProgramText(builder,
            "SGE viewVector.y,eyeVertex.y,density.y;\nMUL viewVector.z,viewVector.y,eyeVertex.y;\n"
            "SUB viewVector.z,viewVector.z,density.z;\nRCP viewVector.z,viewVector.z;"
            "MUL result.fogcoord.x,viewVector.w,viewVector.z;\n");
    }
    // A height map's parallax needs the view vector as much as specularity does.
    if (surfaceNeedsViewVector(s)) {
        appendProgramText(builder, "SUB viewVector,program.env[1],eyeVertex;\n");
        appendProgramText(builder, "DP3 viewVector.w, viewVector, viewVector;\nRSQ viewVector.w, viewVector.w;\n");
        appendProgramText(builder, "MUL viewVector.xyz, viewVector.w,viewVector;\n");
        appendProgramText(builder, "MAD result.color.secondary,viewVector,half,half;\n");
    }
    const int32_t layers = s->layerCount;
    int32_t c = 0;
    for (int32_t j = 0; j < scene->lightCount; ++j) {
        const int32_t type = scene->lights[j].type;
        if (!lightHasVector(uint8_t(type))) continue;
        if (bump) {
            appendProgramFormat(builder, type == 0 ? "MOV lightVector, state.light[%d].position;\n"
                                          : "SUB lightVector, state.light[%d].position, eyeVertex;\n",
                                j);
            appendProgramFormat(builder,
                "DP3 result.texcoord[%d].x, t1, lightVector;\nDP3 result.texcoord[%d].y, t2, lightVector;\n"
                "DP3 result.texcoord[%d].z, t3, lightVector;\n",
                layers + c, layers + c, layers + c);
        } else {
            appendProgramFormat(builder, type == 0 ? "MOV result.texcoord[%d],state.light[%d].position;\n"
                                          : "SUB result.texcoord[%d],state.light[%d].position, eyeVertex;\n",
                                layers + c, j);
        }
        ++c;
    }
    // The parameter is declared at the first caustics layer only: a second declaration is refused.
    bool causticsDeclared = false;
    for (int32_t k = 0; k < layers; ++k) {
        const uint32_t flags = s->layerFlags[k];
        if (flags & LAYER_UV) {
            appendProgramFormat(builder, "MOV result.texcoord[%d],vertex.texcoord[%d];\n", k, k);
        } else if (flags & LAYER_ENVIRONMENT) {
            appendProgramFormat(builder, "SWZ eyeNormal,eyeNormal,x,y,z,1;\nMOV result.texcoord[%d],eyeNormal;\n", k);
        } else if (flags & LAYER_CAUSTICS) {
            if (!causticsDeclared)
                appendProgramFormat(builder, "PARAM Caustics= {%f,%f,0,1};\n", setup.causticsScale, setup.causticsScale);
            causticsDeclared = true;
            appendProgramFormat(builder, "SWZ lightVector,eyeVertex,x,z,0,1;\nMUL result.texcoord[%d],lightVector,Caustics;\n",
                                k);
        }
    }
}

void appendLitColour(ProgramBuilder* builder, const Scene* scene, int32_t layerCount, bool specular,
                     const char* shininess) {
    // Light j's vector is in the set the vertex program wrote it to: lights without one (spot
    // lights) take no set and add nothing.
    int32_t slot = layerCount;
    for (int32_t j = 0; j < scene->lightCount && j < SCENE_LIGHTS; ++j) {
        if (!lightHasVector(uint8_t(scene->lights[j].type))) continue;
        const bool first = slot == layerCount;
        appendProgramFormat(builder, "MOV light_vector,fragment.texcoord[%d];\n", slot++);
        appendProgramText(builder, "DP3 light.a, light_vector,light_vector;\nRSQ light.a, light.a;\nMUL light.rgb, light_vector, light.a;\n");
        appendProgramFormat(builder, first ? "DP3 texel, normal, light;\nMUL color, texel,state.lightprod[%d].diffuse;\n"
                                   : "DP3 texel, normal, light;\nMAD_SAT color, texel,state.lightprod[%d].diffuse, color;\n",
                            j);
        if (!specular) continue;
        appendProgramText(builder,
            "ADD halfWay,viewVector,light;\nDP3 halfWay.w, halfWay,halfWay;\nRSQ halfWay.w, halfWay.w;\n"
            "MUL halfWay.xyz, halfWay, halfWay.w;\n");
        appendProgramText(builder, "DP3_SAT texel,halfWay,normal;\n");
        appendProgramFormat(builder, "LG2 light.w,texel.x;\nMUL light.w,light.w,%s;\nEX2 texel,light.w;\n", shininess);
        appendProgramFormat(builder, first ? "MUL secondary_color, texel,state.lightprod[%d].specular;\n"
                                   : "MAD_SAT secondary_color, texel,state.lightprod[%d].specular, secondary_color;\n",
                            j);
    }
}

void appendFragmentClose(ProgramBuilder* builder, const Scene* scene, const Surface* s, bool specular,
                         bool alphaLayer) {
    if (specular) appendProgramText(builder, "ADD color.rgb, color,secondary_color;\n");
    if (s->glow > 0.001f) {
        appendProgramFormat(builder, "PARAM glow={0.0,0.0,0.0,%f};\n", s->glow);
        appendProgramText(builder, "MAX texel.r,color.r,color.g;MAX texel.r,texel.r,color.b;\n");
        appendProgramText(builder, "MIN texel.g,color.r,color.g;MIN texel.g,texel.g,color.b;\n");
        appendProgramText(builder, "ADD texel.b,texel.r,texel.g;MUL texel.b,texel.b,glow.a;\n");
        appendProgramText(builder, alphaLayer ? "ADD color.a,color.a,texel.b;\n" : "MOV color.a,texel.b;\n");
    }
    if (scene->setup.fogType != 0) {
        appendProgramText(builder, "TEMP factor;\nPARAM one={1.0,1.0,1.0,0.25};\n");
        appendProgramText(builder, "EX2 factor,fragment.fogcoord.x;\n");
        appendProgramText(builder, "SUB_SAT texel,one,factor;\nMUL texel,texel,state.fog.color;\n");
        appendProgramText(builder, "MAD color.rgb,color,factor,texel;\n");
    }
    appendProgramText(builder, "MOV result.color,color;\n");
}

namespace {

// The blend operator of each layer: multiply or add, else that of the layer before.
void layerOps(const Surface* s, const char* ops[SURFACE_LAYERS]) {
    const char* op = "MUL";
    for (int32_t k = 0; k < s->layerCount && k < SURFACE_LAYERS; ++k) {
        if (s->layerFlags[k] & LAYER_MULTIPLY)
            op = "MUL";
        else if (s->layerFlags[k] & LAYER_ADD)
            op = "ADD";
        ops[k] = op;
    }
}

void appendFragmentBody(ProgramBuilder* builder, const Scene* scene, const Surface* s) {
    const int32_t layers = s->layerCount;
    const bool specular = hasSpecular(s);
    const char* ops[SURFACE_LAYERS];
    layerOps(s, ops);
    appendProgramText(builder, "TEMP color,glos,secondary_color,texel,light,light_vector;\n");
    appendProgramText(builder, "PARAM two=2;\nPARAM m_one=-1;\n");
    // Declared once however many height layers there are; the last one wins.
    bool height = false;
    for (int32_t k = 0; k < layers; ++k)
        if (s->layerFlags[k] & LAYER_HEIGHT_MAP) {
            if (!height) appendProgramText(builder, "TEMP height;\n");
            appendProgramFormat(builder, "TEX height, fragment.texcoord[%d],texture[%d],2D;\n", k, k);
            appendProgramText(builder, "MAD height,height,0.06,-0.03;");
            height = true;
        }
    if (specular || height)
        appendProgramText(builder,
            "TEMP viewVector,halfWay;\nMAD viewVector,fragment.color.secondary,two,m_one;\n"
            "DP3 viewVector.w,viewVector,viewVector;\nRSQ viewVector.w,viewVector.w;\n"
            "MUL viewVector.xyz, viewVector,viewVector.w;\n");
    if (s->bumpLayer != 0) {
        const int32_t b = s->bumpLayer - 1;
        appendProgramFormat(builder, height ? "TEMP normal;\nMAD normal,height,viewVector,fragment.texcoord[%d];\n"
                                   : "TEMP normal;\nMOV normal,fragment.texcoord[%d];\n",
                            b);
        appendProgramFormat(builder, "TEX texel,normal,texture[%d],2D;\n", b);
        appendProgramText(builder, "MAD texel,texel,two,m_one;\n");
        appendProgramText(builder, "SWZ texel,texel,r,g,b,a;\n");
        appendProgramText(builder, "DP3 normal.a, texel, texel;\nRSQ normal.a, normal.a;\nMUL normal.rgb, texel, normal.a;\n");
    } else {
        appendProgramText(builder, "TEMP normal,nrm;\n");
        appendProgramText(builder, "MAD nrm,fragment.color.primary,two,m_one;\n");
        appendProgramText(builder, "SWZ nrm,nrm,x,y,z,1;\n");
        appendProgramText(builder, "DP3 normal.a, nrm, nrm;\nRSQ normal.a, normal.a;\nMUL normal.rgb, nrm, normal.a;\n");
    }
    if (specular) {
        appendProgramText(builder, "MOV glos,1;\n");
        bool gloss = false;
        for (int32_t k = 0; k < layers; ++k)
            if (s->layerFlags[k] & LAYER_GLOSS_MAP) {
                appendProgramFormat(builder, "TEMP glos%d;\n", k);
                appendProgramFormat(builder, "TEX glos%d, fragment.texcoord[%d],texture[%d],2D;\n", k, k, k);
                appendProgramFormat(builder, "%s glos,glos,glos%d;\n", ops[k], k);
                gloss = true;
            }
        appendProgramText(builder, gloss ? "MUL glos,glos,256;\n" : "MOV glos,state.material.shininess.x;\n");
    }
    appendLitColour(builder, scene, layers, specular, "glos.x");
    appendProgramText(builder, "SUB secondary_color.a,secondary_color.a,secondary_color.a;\n");
    if (specular)
        for (int32_t k = 0; k < layers; ++k)
            if (s->layerFlags[k] & LAYER_SPECULAR_MAP) {
                appendProgramFormat(builder, "TEMP spec%d;\n", k);
                appendProgramFormat(builder, "TEX spec%d, fragment.texcoord[%d],texture[%d],2D;\n", k, k, k);
                appendProgramFormat(builder, "%s secondary_color.rgb,secondary_color,spec%d;\n", ops[k], k);
            }
    appendProgramText(builder, "SUB color.a,color.a,color.a;\n");
    const uint32_t notColour = LAYER_NORMAL_MAP | LAYER_SPECULAR_MAP | LAYER_GLOSS_MAP | LAYER_HEIGHT_MAP;
    bool alphaLayer = false;
    if (height)
        for (int32_t k = 0; k < layers; ++k)
            if (!(s->layerFlags[k] & notColour)) {
                appendProgramFormat(builder, "TEMP tex_coord%d;\n", k);
                appendProgramFormat(builder, "MAD tex_coord%d,height,viewVector,fragment.texcoord[%d];\n", k, k);
            }
    for (int32_t k = 0; k < layers; ++k) {
        const uint32_t flags = s->layerFlags[k];
        alphaLayer = alphaLayer || (flags & LAYER_ALPHA);
        if (flags & notColour) continue;
        appendProgramFormat(builder, "TEMP texel%d;\n", k);
        if (height)
            appendProgramFormat(builder, "TEX texel%d, tex_coord%d,texture[%d],2D;\n", k, k, k);
        else
            appendProgramFormat(builder, "TEX texel%d, fragment.texcoord[%d],texture[%d],2D;\n", k, k, k);
        if (flags & (LAYER_TRANSPARENT | LAYER_ADDITIVE | LAYER_ALPHA))
            appendProgramFormat(builder, "MOV color.a,texel%d.r;\n", k);
        else
            appendProgramFormat(builder, "%s color.rgb,color,texel%d;\n", ops[k], k);
    }
    appendFragmentClose(builder, scene, s, specular, alphaLayer);
}

// The wave runs along layer 0's UVs: without them the program would read a coordinate no array
// supplies, so such a surface is drawn rigid.
bool waves(const Surface* surface, int32_t wave) {
    return wave >= 0 && surface->layerCount >= 1 && (surface->layerFlags[0] & LAYER_UV);
}

void appendRigidEyeSpace(ProgramBuilder* builder) {
    appendProgramText(builder, "OPTION ARB_position_invariant;\n");
    appendProgramText(builder, "PARAM projection[4] = {state.matrix.projection};\nPARAM model[4] = {state.matrix.modelview};\n");
    appendProgramText(builder, "TEMP eyeNormal,eyeVertex,lightVector,viewVector;\n");
    appendProgramText(builder, "PARAM half = {0.5,0.5,0.5,0.5};\n");
    appendProgramText(builder,
        "DP3 eyeNormal.x, model[0], vertex.normal;\nDP3 eyeNormal.y, model[1], vertex.normal;\n"
        "DP3 eyeNormal.z, model[2], vertex.normal;\n");
    appendProgramText(builder, kEyeNormal);
    appendProgramText(builder,
        "DP4 eyeVertex.x, model[0], vertex.position;\nDP4 eyeVertex.y, model[1], vertex.position;\n"
        "DP4 eyeVertex.z, model[2], vertex.position;\nDP4 eyeVertex.w, model[3], vertex.position;\n");
}

void appendWaveEyeSpace(ProgramBuilder* builder, int32_t wave) {
    appendProgramText(builder, "PARAM projection[4] = {state.matrix.projection};\nPARAM model[4] = {state.matrix.modelview};\n");
    appendProgramText(builder, "TEMP eyeNormal,tempVertex,eyeVertex,lightVector,viewVector;\n");
    appendProgramText(builder, "PARAM half = {0.5,0.5,0.5,0.5};\n");
    appendProgramText(builder, wave == 4
                          ? "PARAM pidiv=0.159154943;PARAM a=1.25;PARAM b=0.15;PARAM m_pi=-3.1415926;PARAM t_pi=6.28318530;\n"
                          : "PARAM pidiv=0.159154943;PARAM a=0.25;PARAM b=0.15;PARAM m_pi=-3.1415926;PARAM t_pi=6.28318530;\n");
    appendProgramText(builder,
        "TEMP size,trigonometric_temp,temp,tempNormal;\n"
        "MOV tempNormal,vertex.normal;\n"
        "SWZ tempVertex,vertex.texcoord[0],0,x,0,0;\n"
        "MUL trigonometric_temp.z,tempVertex.y,tempVertex.y;\n"
        "MUL temp.z,trigonometric_temp.z,b;\n"
        "MAD trigonometric_temp.z,trigonometric_temp.z,a,program.local[6];\n"
        "MAD trigonometric_temp.z,trigonometric_temp.z,pidiv,half;\n"
        "FRC trigonometric_temp.z,trigonometric_temp.z;\n"
        "MAD trigonometric_temp.z,trigonometric_temp.z,t_pi,m_pi;\n"
        "MUL size.x,trigonometric_temp.z,trigonometric_temp.z;\n"
        "SWZ size,size,x,x,x,x;\n"
        "MUL size.yzw,size,size;\n"
        "MUL size.zw,size,size.x;\n"
        "MUL size.w,size,size.x;\n"
        "DP4 trigonometric_temp.y,size,program.local[5];\n"
        "MUL size,size,trigonometric_temp.z;\n"
        "DP4 trigonometric_temp.x,size,program.local[4];\n"
        "ADD trigonometric_temp.x,trigonometric_temp.x,trigonometric_temp.z;\n"
        "MUL tempVertex.y,trigonometric_temp.x,temp.z;\n"
        "ADD tempVertex,vertex.position,tempVertex;\n");
    appendProgramText(builder,
        "DP3 eyeNormal.x, model[0], tempNormal;\nDP3 eyeNormal.y, model[1], tempNormal;\n"
        "DP3 eyeNormal.z, model[2], tempNormal;\n");
    appendProgramText(builder, kEyeNormal);
    appendProgramText(builder,
        "DP4 eyeVertex.x, model[0], tempVertex;\nDP4 eyeVertex.y, model[1], tempVertex;\n"
        "DP4 eyeVertex.z, model[2], tempVertex;\nDP4 eyeVertex.w, model[3], tempVertex;\n");
}

void buildBodyPrograms(ProgramBuilder* builder, const Scene* scene, SurfaceInstance* instance, int32_t wave) {
    beginProgram(builder, &instance->vertexProgram, GL_VERTEX_PROGRAM_ARB);
    writeBodyVertexProgram(builder, scene, instance->surface, wave);
    endProgram(builder, instance->vertexProgram, GL_VERTEX_PROGRAM_ARB);
    beginProgram(builder, &instance->fragmentProgram, GL_FRAGMENT_PROGRAM_ARB);
    writeBodyFragmentProgram(builder, scene, instance->surface, wave);
    endProgram(builder, instance->fragmentProgram, GL_FRAGMENT_PROGRAM_ARB);
}

}  // namespace

bool bodyProgramsFit(const Scene* scene, const SurfaceInstance* instance, const char* object) {
    const Surface* surface = instance->surface;
    const int32_t aliased = aliasedUvLayer(surface);
    if (aliased >= 0) {
        showError("Object %s of scene %s: its surface \"%s\" has a normal map and a UV layer at index %d, whose "
                  "coordinates share their vertex inputs with the tangents. The effect draws nothing.",
                  object, scene->name, surface->name, aliased);
        return false;
    }
    GLint coords = 0;
    glGetIntegerv(GL_MAX_TEXTURE_COORDS_ARB, &coords);
    const int32_t needed = surface->layerCount + lightVectorCount(scene);
    if (needed <= coords) return true;
    showError("Object %s: its surface \"%s\" needs %d texture coordinate sets (layers and lights of scene %s); the "
              "device has %d. The effect draws nothing.",
              object, surface->name, needed, scene->name, coords);
    return false;
}

void writeBodyVertexProgram(ProgramBuilder* builder, const Scene* scene, const Surface* surface, int32_t wave) {
    const bool waving = waves(surface, wave);
    if (waving) appendWaveEyeSpace(builder, wave);
    else appendRigidEyeSpace(builder);
    appendBodyVertexTail(builder, scene, surface);
    if (waving)
        appendProgramText(builder,
            "DP4 result.position.x, projection[0], eyeVertex;\nDP4 result.position.y, projection[1], eyeVertex;\n"
            "DP4 result.position.z, projection[2], eyeVertex;\nDP4 result.position.w, projection[3], eyeVertex;\n");
}

void writeBodyFragmentProgram(ProgramBuilder* builder, const Scene* scene, const Surface* surface, int32_t wave) {
    if (waves(surface, wave)) appendProgramText(builder, "MOV result.color, fragment.color;\n");
    appendFragmentBody(builder, scene, surface);
}

void buildSoftBodyPrograms(ProgramBuilder* builder, const Scene* scene, SurfaceInstance* instance) {
    buildBodyPrograms(builder, scene, instance, BODY_RIGID);
}

void buildSwimPrograms(ProgramBuilder* builder, const Scene* scene, SurfaceInstance* instance, int32_t variant) {
    buildBodyPrograms(builder, scene, instance, variant);
}
