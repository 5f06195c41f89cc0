#include "render/fragment_program.h"

#include "render/material_inputs.h"
#include "render/program_builder.h"
#include "scene/layer_flags.h"

namespace {

// The height sample h becomes the parallax offset h x 0.06 - 0.03. With several height layers the
// last one wins; the register is declared once.
void height(const MaterialInputs* in) {
    bool declared = false;
    for (int32_t j = 0; j < in->layerCount; ++j) {
        if (!(in->layerFlags[j] & LAYER_HEIGHT_MAP)) continue;
        if (!declared) appendProgramText("TEMP height;\n");
        declared = true;
        appendProgramFormat("TEX height, fragment.texcoord[%d],texture[%d],2D;\n", j, j);
        appendProgramText("MAD height,height,0.06,-0.03;");
    }
}

void normal(const MaterialInputs* in) {
    if (in->normalMap) {
        const int32_t m = in->bumpLayer;
        if (in->height) appendProgramFormat("TEMP normal;\nMAD normal,height,viewVector,fragment.texcoord[%d];\n", m);
        else appendProgramFormat("TEMP normal;\nMOV normal,fragment.texcoord[%d];\n", m);
        appendProgramFormat("TEX texel,normal,texture[%d],2D;\n", m);
        appendProgramText("MAD texel,texel,two,m_one;\n");
        appendProgramText("DP3 normal.a, texel, texel;\nRSQ normal.a, normal.a;\nMUL normal.rgb, texel, normal.a;\n");
    } else {
        appendProgramText("TEMP normal;\n");
        appendProgramText("MAD normal,fragment.color.primary,two,m_one;\n");
        appendProgramText("DP3 normal.a, normal, normal;\nRSQ normal.a, normal.a;\nMUL normal.rgb, normal, normal.a;\n");
    }
}

const char* combine(bool adds) { return adds ? "ADD" : "MUL"; }

void specularExponent(const MaterialInputs* in, bool* adds) {
    appendProgramText("MOV glos,1;\n");
    bool found = false;
    for (int32_t j = 0; j < in->layerCount; ++j) {
        *adds = layerAdds(in->layerFlags[j], *adds);
        if (!(in->layerFlags[j] & LAYER_GLOSS_MAP)) continue;
        found = true;
        appendProgramFormat("TEMP glos%d;\n", j);
        appendProgramFormat("TEX glos%d, fragment.texcoord[%d],texture[%d],2D;\n", j, j, j);
        appendProgramFormat("%s glos,glos,glos%d;\n", combine(*adds), j);
    }
    appendProgramText(found ? "MUL glos,glos,256;\n" : "MOV glos,state.material.shininess.x;\n");
}

// Light i's vector is in the slot the vertex program wrote it to; lights without one add nothing.
// The first term is not clamped, the following ones accumulate with saturation.
void lights(const MaterialInputs* in) {
    int32_t slot = in->layerCount;
    for (int32_t i = 0; i < in->lightCount; ++i) {
        if (!lightHasVector(in->lightTypes[i])) continue;
        const bool first = slot == in->layerCount;
        appendProgramFormat("MOV light_vector,fragment.texcoord[%d];\n", slot++);
        appendProgramText("DP3 light.a, light_vector,light_vector;\nRSQ light.a, light.a;\nMUL light.rgb, light_vector, light.a;\n");
        if (first) appendProgramFormat("DP3 texel, normal, light;\nMUL color, texel,state.lightprod[%d].diffuse;\n", i);
        else appendProgramFormat("DP3 texel, normal, light;\nMAD_SAT color, texel,state.lightprod[%d].diffuse, color;\n", i);
        if (!in->specular) continue;
        appendProgramText(
            "ADD halfWay,viewVector,light;\nDP3 halfWay.w, halfWay,halfWay;\nRSQ halfWay.w, halfWay.w;\n"
            "MUL halfWay.xyz, halfWay, halfWay.w;\n");
        appendProgramText("DP3_SAT texel,halfWay,normal;\n");
        appendProgramText("LG2 light.w,texel.x;\nMUL light.w,light.w,glos.x;\nEX2 texel,light.w;\n");
        if (first) appendProgramFormat("MUL secondary_color, texel,state.lightprod[%d].specular;\n", i);
        else appendProgramFormat("MAD_SAT secondary_color, texel,state.lightprod[%d].specular, secondary_color;\n", i);
    }
}

void specularMaps(const MaterialInputs* in, bool* adds) {
    for (int32_t j = 0; j < in->layerCount; ++j) {
        *adds = layerAdds(in->layerFlags[j], *adds);
        if (!(in->layerFlags[j] & LAYER_SPECULAR_MAP)) continue;
        appendProgramFormat("TEMP spec%d;\n", j);
        appendProgramFormat("TEX spec%d, fragment.texcoord[%d],texture[%d],2D;\n", j, j, j);
        appendProgramFormat("%s secondary_color.rgb,secondary_color,spec%d;\n", combine(*adds), j);
    }
}

bool castsShadowCoordinates(const MaterialInputs* in, uint32_t flags) {
    return (flags & LAYER_CAUSTICS) && in->shadows;
}

void parallaxCoordinates(const MaterialInputs* in) {
    for (int32_t j = 0; j < in->layerCount; ++j) {
        if (!isColourLayer(in->layerFlags[j])) continue;
        appendProgramFormat("TEMP tex_coord%d;\n", j);
        appendProgramFormat("MAD tex_coord%d,height,viewVector,fragment.texcoord[%d];\n", j, j);
        if (castsShadowCoordinates(in, in->layerFlags[j])) appendProgramFormat("SWZ tex_coord%d,tex_coord%d,x,y,0,1;\n", j, j);
    }
}

void colourLayers(const MaterialInputs* in, bool* adds) {
    for (int32_t j = 0; j < in->layerCount; ++j) {
        const uint32_t flags = in->layerFlags[j];
        *adds = layerAdds(flags, *adds);
        if (!isColourLayer(flags)) continue;
        appendProgramFormat("TEMP texel%d;\n", j);
        if (in->height) {
            appendProgramFormat("TEX texel%d, tex_coord%d,texture[%d],2D;\n", j, j, j);
        } else if (castsShadowCoordinates(in, flags)) {
            appendProgramFormat("SWZ texel%d,fragment.texcoord[%d],x,y,0,1;\n", j, j);
            appendProgramFormat("TEX texel%d, texel%d,texture[%d],2D;\n", j, j, j);
        } else {
            appendProgramFormat("TEX texel%d, fragment.texcoord[%d],texture[%d],2D;\n", j, j, j);
        }
        if (isAlphaLayer(flags)) appendProgramFormat("MOV color.a,texel%d.r;\n", j);
        else appendProgramFormat("%s color.rgb,color,texel%d;\n", combine(*adds), j);
    }
}

// The position comes from the first caustics layer's coordinates, else from the first light vector.
void shadowTest(const MaterialInputs* in) {
    const int32_t source = shadowPositionSlot(in);
    appendProgramFormat("TEMP temp_shadow;\nMOV light,fragment.texcoord[%d];", source);
    appendProgramText("MAD temp_shadow,light,program.env[5],program.env[4];\n");
    appendProgramFormat("TEMP shadow;TEX shadow,temp_shadow,texture[%d],2D;\n", in->layerCount);
    appendProgramText("PARAM divider={1.0,0.00392156,0.0000153787,0.00000006031};\n");
    appendProgramText("DP4 shadow.x,shadow,divider;\n");
    appendProgramText("ADD shadow.x,shadow.x,0.00692156;\n");
    appendProgramText("MOV_SAT light.z,light.z;\n");
    appendProgramText("SGE shadow.y,shadow.x,light.z;\n");
    if (in->softShadows) {
        appendProgramText("SUB_SAT shadow.y,light.z,shadow.x;\n");
        appendProgramText("SUB shadow.x,1,shadow.x;\n");
        appendProgramText("MUL_SAT shadow.x,shadow.x,shadow.y;\n");
        appendProgramText("MUL_SAT shadow.x,shadow.x,program.env[6].x;\n");
        appendProgramText("SUB shadow.y,1,shadow.x;\n");
    }
    appendProgramText("ADD_SAT shadow.x,shadow.y,program.env[6].y;\n");
    appendProgramText("MUL color.rgb,color,shadow.x;\n");
}

// Glow = (max + min of the lit colour) x the surface's glow.
void glow(const MaterialInputs* in) {
    appendProgramText("MAX texel.r,color.r,color.g;MAX texel.r,texel.r,color.b;\n");
    appendProgramText("MIN texel.g,color.r,color.g;MIN texel.g,texel.g,color.b;\n");
    appendProgramText("ADD texel.b,texel.r,texel.g;MUL texel.b,texel.b,program.local[0].r;\n");
    appendProgramText(hasLayer(in, LAYER_ALPHA) ? "ADD color.a,color.a,texel.b;\n" : "MOV color.a,texel.b;\n");
}

// colour x f + fog colour x (1 - f), f = 2^fogcoord.
void fog() {
    appendProgramText("TEMP factor;\nPARAM one={1.0,1.0,1.0,0.25};\n");
    appendProgramText("EX2 factor,fragment.fogcoord.x;\n");
    appendProgramText("SUB_SAT texel,one,factor;\nMUL texel,texel,state.fog.color;\n");
    appendProgramText("MAD color.rgb,color,factor,texel;\n");
}

}  // namespace

void writeArbFragmentProgram(const MaterialInputs* in) {
    bool adds = false;
    appendProgramText("TEMP color,glos,secondary_color,texel,light,light_vector;\n");
    appendProgramText("PARAM two=2;\nPARAM m_one=-1;\n");
    height(in);
    if (in->viewVector)
        appendProgramText(
            "TEMP viewVector,halfWay;\nMAD viewVector,fragment.color.secondary,two,m_one;\n"
            "DP3 viewVector.w,viewVector,viewVector;\nRSQ viewVector.w,viewVector.w;\n"
            "MUL viewVector.xyz, viewVector,viewVector.w;\n");
    normal(in);
    if (in->specular) specularExponent(in, &adds);
    lights(in);
    appendProgramText("SUB secondary_color.a,secondary_color.a,secondary_color.a;\n");
    if (in->specular) specularMaps(in, &adds);
    appendProgramText("SUB color.a,color.a,color.a;\n");
    if (in->height) parallaxCoordinates(in);
    colourLayers(in, &adds);
    if (in->specular) appendProgramText("ADD color.rgb, color,secondary_color;\n");
    if (in->shadows) shadowTest(in);
    if (in->glow) glow(in);
    if (in->fog && !in->softShadows) fog();
    appendProgramText("MOV result.color,color;\n");
}
