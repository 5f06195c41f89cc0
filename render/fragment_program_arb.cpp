#include "render/fragment_program.h"

#include "render/material_inputs.h"
#include "render/program_builder.h"
#include "scene/layer_flags.h"

namespace {

// The height sample h becomes the parallax offset h x 0.06 - 0.03. With several height layers the
// last one wins; the register is declared once.
void height(ProgramBuilder* b, const MaterialInputs* in) {
    bool declared = false;
    for (int32_t j = 0; j < in->layerCount; ++j) {
        if (!(in->layerFlags[j] & LAYER_HEIGHT_MAP)) continue;
        if (!declared) appendProgramText(b, "TEMP height;\n");
        declared = true;
        appendProgramFormat(b, "TEX height, fragment.texcoord[%d],texture[%d],2D;\n", j, j);
        appendProgramText(b, "MAD height,height,0.06,-0.03;");
    }
}

void normal(ProgramBuilder* b, const MaterialInputs* in) {
    if (in->normalMap) {
        const int32_t m = in->bumpLayer;
        if (in->height) appendProgramFormat(b, "TEMP normal;\nMAD normal,height,viewVector,fragment.texcoord[%d];\n", m);
        else appendProgramFormat(b, "TEMP normal;\nMOV normal,fragment.texcoord[%d];\n", m);
        appendProgramFormat(b, "TEX texel,normal,texture[%d],2D;\n", m);
        appendProgramText(b, "MAD texel,texel,two,m_one;\n");
        appendProgramText(b, "DP3 normal.a, texel, texel;\nRSQ normal.a, normal.a;\nMUL normal.rgb, texel, normal.a;\n");
    } else {
        appendProgramText(b, "TEMP normal;\n");
        appendProgramText(b, "MAD normal,fragment.color.primary,two,m_one;\n");
        appendProgramText(b, "DP3 normal.a, normal, normal;\nRSQ normal.a, normal.a;\nMUL normal.rgb, normal, normal.a;\n");
    }
}

const char* combine(bool adds) { return adds ? "ADD" : "MUL"; }

void specularExponent(ProgramBuilder* b, const MaterialInputs* in, bool* adds) {
    appendProgramText(b, "MOV glos,1;\n");
    bool found = false;
    for (int32_t j = 0; j < in->layerCount; ++j) {
        *adds = layerAdds(in->layerFlags[j], *adds);
        if (!(in->layerFlags[j] & LAYER_GLOSS_MAP)) continue;
        found = true;
        appendProgramFormat(b, "TEMP glos%d;\n", j);
        appendProgramFormat(b, "TEX glos%d, fragment.texcoord[%d],texture[%d],2D;\n", j, j, j);
        appendProgramFormat(b, "%s glos,glos,glos%d;\n", combine(*adds), j);
    }
    appendProgramText(b, found ? "MUL glos,glos,256;\n" : "MOV glos,state.material.shininess.x;\n");
}

// Light i's vector is in the slot the vertex program wrote it to; lights without one add nothing.
// The first term is not clamped, the following ones accumulate with saturation.
void lights(ProgramBuilder* b, const MaterialInputs* in) {
    int32_t slot = in->layerCount;
    for (int32_t i = 0; i < in->lightCount; ++i) {
        if (!lightHasVector(in->lightTypes[i])) continue;
        const bool first = slot == in->layerCount;
        appendProgramFormat(b, "MOV light_vector,fragment.texcoord[%d];\n", slot++);
        appendProgramText(b, "DP3 light.a, light_vector,light_vector;\nRSQ light.a, light.a;\nMUL light.rgb, light_vector, light.a;\n");
        if (first) appendProgramFormat(b, "DP3 texel, normal, light;\nMUL color, texel,state.lightprod[%d].diffuse;\n", i);
        else appendProgramFormat(b, "DP3 texel, normal, light;\nMAD_SAT color, texel,state.lightprod[%d].diffuse, color;\n", i);
        if (!in->specular) continue;
        appendProgramText(b,
            "ADD halfWay,viewVector,light;\nDP3 halfWay.w, halfWay,halfWay;\nRSQ halfWay.w, halfWay.w;\n"
            "MUL halfWay.xyz, halfWay, halfWay.w;\n");
        appendProgramText(b, "DP3_SAT texel,halfWay,normal;\n");
        appendProgramText(b, "LG2 light.w,texel.x;\nMUL light.w,light.w,glos.x;\nEX2 texel,light.w;\n");
        if (first) appendProgramFormat(b, "MUL secondary_color, texel,state.lightprod[%d].specular;\n", i);
        else appendProgramFormat(b, "MAD_SAT secondary_color, texel,state.lightprod[%d].specular, secondary_color;\n", i);
    }
}

void specularMaps(ProgramBuilder* b, const MaterialInputs* in, bool* adds) {
    for (int32_t j = 0; j < in->layerCount; ++j) {
        *adds = layerAdds(in->layerFlags[j], *adds);
        if (!(in->layerFlags[j] & LAYER_SPECULAR_MAP)) continue;
        appendProgramFormat(b, "TEMP spec%d;\n", j);
        appendProgramFormat(b, "TEX spec%d, fragment.texcoord[%d],texture[%d],2D;\n", j, j, j);
        appendProgramFormat(b, "%s secondary_color.rgb,secondary_color,spec%d;\n", combine(*adds), j);
    }
}

bool castsShadowCoordinates(const MaterialInputs* in, uint32_t flags) {
    return (flags & LAYER_CAUSTICS) && in->shadows;
}

void parallaxCoordinates(ProgramBuilder* b, const MaterialInputs* in) {
    for (int32_t j = 0; j < in->layerCount; ++j) {
        if (!isColourLayer(in->layerFlags[j])) continue;
        appendProgramFormat(b, "TEMP tex_coord%d;\n", j);
        appendProgramFormat(b, "MAD tex_coord%d,height,viewVector,fragment.texcoord[%d];\n", j, j);
        if (castsShadowCoordinates(in, in->layerFlags[j])) appendProgramFormat(b, "SWZ tex_coord%d,tex_coord%d,x,y,0,1;\n", j, j);
    }
}

void colourLayers(ProgramBuilder* b, const MaterialInputs* in, bool* adds) {
    for (int32_t j = 0; j < in->layerCount; ++j) {
        const uint32_t flags = in->layerFlags[j];
        *adds = layerAdds(flags, *adds);
        if (!isColourLayer(flags)) continue;
        appendProgramFormat(b, "TEMP texel%d;\n", j);
        if (in->height) {
            appendProgramFormat(b, "TEX texel%d, tex_coord%d,texture[%d],2D;\n", j, j, j);
        } else if (castsShadowCoordinates(in, flags)) {
            appendProgramFormat(b, "SWZ texel%d,fragment.texcoord[%d],x,y,0,1;\n", j, j);
            appendProgramFormat(b, "TEX texel%d, texel%d,texture[%d],2D;\n", j, j, j);
        } else {
            appendProgramFormat(b, "TEX texel%d, fragment.texcoord[%d],texture[%d],2D;\n", j, j, j);
        }
        if (isAlphaLayer(flags)) appendProgramFormat(b, "MOV color.a,texel%d.r;\n", j);
        else appendProgramFormat(b, "%s color.rgb,color,texel%d;\n", combine(*adds), j);
    }
}

// The position comes from the first caustics layer's coordinates, else from the first light vector.
void shadowTest(ProgramBuilder* b, const MaterialInputs* in) {
    const int32_t source = shadowPositionSlot(in);
    appendProgramFormat(b, "TEMP temp_shadow;\nMOV light,fragment.texcoord[%d];", source);
    appendProgramText(b, "MAD temp_shadow,light,program.env[5],program.env[4];\n");
    appendProgramFormat(b, "TEMP shadow;TEX shadow,temp_shadow,texture[%d],2D;\n", in->layerCount);
    appendProgramText(b, "PARAM divider={1.0,0.00392156,0.0000153787,0.00000006031};\n");
    appendProgramText(b, "DP4 shadow.x,shadow,divider;\n");
    appendProgramText(b, "ADD shadow.x,shadow.x,0.00692156;\n");
    appendProgramText(b, "MOV_SAT light.z,light.z;\n");
    appendProgramText(b, "SGE shadow.y,shadow.x,light.z;\n");
    if (in->softShadows) {
        appendProgramText(b, "SUB_SAT shadow.y,light.z,shadow.x;\n");
        appendProgramText(b, "SUB shadow.x,1,shadow.x;\n");
        appendProgramText(b, "MUL_SAT shadow.x,shadow.x,shadow.y;\n");
        appendProgramText(b, "MUL_SAT shadow.x,shadow.x,program.env[6].x;\n");
        appendProgramText(b, "SUB shadow.y,1,shadow.x;\n");
    }
    appendProgramText(b, "ADD_SAT shadow.x,shadow.y,program.env[6].y;\n");
    appendProgramText(b, "MUL color.rgb,color,shadow.x;\n");
}

// Glow = (max + min of the lit colour) x the surface's glow.
void glow(ProgramBuilder* b, const MaterialInputs* in) {
    appendProgramText(b, "MAX texel.r,color.r,color.g;MAX texel.r,texel.r,color.b;\n");
    appendProgramText(b, "MIN texel.g,color.r,color.g;MIN texel.g,texel.g,color.b;\n");
    appendProgramText(b, "ADD texel.b,texel.r,texel.g;MUL texel.b,texel.b,program.local[0].r;\n");
    appendProgramText(b, hasLayer(in, LAYER_ALPHA) ? "ADD color.a,color.a,texel.b;\n" : "MOV color.a,texel.b;\n");
}

// colour x f + fog colour x (1 - f), f = 2^fogcoord.
void fog(ProgramBuilder* b) {
    appendProgramText(b, "TEMP factor;\nPARAM one={1.0,1.0,1.0,0.25};\n");
    appendProgramText(b, "EX2 factor,fragment.fogcoord.x;\n");
    appendProgramText(b, "SUB_SAT texel,one,factor;\nMUL texel,texel,state.fog.color;\n");
    appendProgramText(b, "MAD color.rgb,color,factor,texel;\n");
}

}  // namespace

void writeArbFragmentProgram(ProgramBuilder* b, const MaterialInputs* in) {
    bool adds = false;
    appendProgramText(b, "TEMP color,glos,secondary_color,texel,light,light_vector;\n");
    appendProgramText(b, "PARAM two=2;\nPARAM m_one=-1;\n");
    height(b, in);
    if (in->viewVector)
        appendProgramText(b,
            "TEMP viewVector,halfWay;\nMAD viewVector,fragment.color.secondary,two,m_one;\n"
            "DP3 viewVector.w,viewVector,viewVector;\nRSQ viewVector.w,viewVector.w;\n"
            "MUL viewVector.xyz, viewVector,viewVector.w;\n");
    normal(b, in);
    if (in->specular) specularExponent(b, in, &adds);
    lights(b, in);
    appendProgramText(b, "SUB secondary_color.a,secondary_color.a,secondary_color.a;\n");
    if (in->specular) specularMaps(b, in, &adds);
    appendProgramText(b, "SUB color.a,color.a,color.a;\n");
    if (in->height) parallaxCoordinates(b, in);
    colourLayers(b, in, &adds);
    if (in->specular) appendProgramText(b, "ADD color.rgb, color,secondary_color;\n");
    if (in->shadows) shadowTest(b, in);
    if (in->glow) glow(b, in);
    if (in->fog && !in->softShadows) fog(b);
    appendProgramText(b, "MOV result.color,color;\n");
}
