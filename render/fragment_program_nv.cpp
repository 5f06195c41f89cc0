// The NV text does the ARB program's work in half-precision registers: H0 height then shadow, H1 view
// vector, H2 normal, H3 scratch, H4 exponent, H5 light vector, H6 colour, H7 half vector, H8 specular
// colour. Products, exponent, shadow, glow and fog values come from named parameters.
#include "render/fragment_program.h"

#include "render/material_inputs.h"
#include "render/program_builder.h"
#include "render/program_slots.h"
#include "scene/layer_flags.h"

namespace {

const char* combine(bool adds) { return adds ? "ADDH" : "MULH"; }

void normal(ProgramBuilder* b, const MaterialInputs* in) {
    if (in->normalMap) {
        const int32_t m = in->bumpLayer;
        if (in->height) appendProgramFormat(b, "MADH H2,H0,H1,f[TEX%d];\n", m);
        else appendProgramFormat(b, "MOVH H2,f[TEX%d];\n", m);
        appendProgramFormat(b, "TEX H3,H2,TEX%d,2D;\n", m);
        appendProgramText(b, "MADH H3,H3,two,m_one;\n");
        appendProgramText(b, "DP3H H2.w, H3, H3;\nRSQH H2.w, H2.w;\nMULH H2, H3, H2.w;\n");
    } else {
        appendProgramText(b, "MADH H2,f[COL0],two,m_one;\n");
        appendProgramText(b, "DP3H H2.w, H2, H2;\nRSQH H2.w, H2.w;\nMULH H2, H2, H2.w;\n");
    }
}

void specularExponent(ProgramBuilder* b, const MaterialInputs* in, bool* adds) {
    appendProgramText(b, "MOVH H4,1;\n");
    bool found = false;
    for (int32_t j = 0; j < in->layerCount; ++j) {
        *adds = layerAdds(in->layerFlags[j], *adds);
        if (!(in->layerFlags[j] & LAYER_GLOSS_MAP)) continue;
        found = true;
        appendProgramFormat(b, "TEX H3, f[TEX%d],TEX%d,2D;\n", j, j);
        appendProgramFormat(b, "%s H4,H4,H3;\n", combine(*adds));
    }
    appendProgramText(b, found ? "MULH H4,H4,256;\n" : "MOVH H4,shininess.x;\n");
}

// Light i's products are the parameters 'a' + i (diffuse) and 'A' + i (specular).
void lights(ProgramBuilder* b, const MaterialInputs* in) {
    int32_t slot = in->layerCount;
    for (int32_t i = 0; i < in->lightCount; ++i) {
        if (!lightHasVector(in->lightTypes[i])) continue;
        const bool first = slot == in->layerCount;
        appendProgramFormat(b, "MOVH H5,f[TEX%d];\nDECLARE %c;", slot++, nvDiffuseProductName(i));
        appendProgramText(b, "DP3H H5.w,H5,H5;\nRSQH H5.w, H5.w;\nMULH H5.xyz, H5, H5.w;\n");
        if (first) appendProgramFormat(b, "DP3H H3, H2, H5;\nMULH H6,H3,%c;\n", nvDiffuseProductName(i));
        else appendProgramFormat(b, "DP3H H3, H2, H5;\nMADH_SAT H6,H3,%c,H6;\n", nvDiffuseProductName(i));
        if (!in->specular) continue;
        appendProgramFormat(b, "DECLARE %c;", nvSpecularProductName(i));
        appendProgramText(b, "ADDH H7,H1,H5;\nDP3H H7.w,H7,H7;\nRSQH H7.w,H7.w;\nMULH H7.xyz,H7,H7.w;\n");
        appendProgramText(b, "DP3H_SAT H3.x,H7,H2;\n");
        appendProgramText(b, "LG2H H5.w,H3.x;\nMULH H5.w,H5.w,H4.x;\nEX2H H3,H5.w;\n");
        if (first) appendProgramFormat(b, "MULH H8,H3,%c;\n", nvSpecularProductName(i));
        else appendProgramFormat(b, "MADH_SAT H8,H3,%c,H8;\n", nvSpecularProductName(i));
    }
}

void specularMaps(ProgramBuilder* b, const MaterialInputs* in, bool* adds) {
    for (int32_t j = 0; j < in->layerCount; ++j) {
        *adds = layerAdds(in->layerFlags[j], *adds);
        if (!(in->layerFlags[j] & LAYER_SPECULAR_MAP)) continue;
        appendProgramFormat(b, "TEX H3, f[TEX%d],TEX%d,2D;\n", j, j);
        appendProgramFormat(b, "%s H8.xyz,H8,H3;\n", combine(*adds));
    }
}

void colourLayers(ProgramBuilder* b, const MaterialInputs* in, bool* adds) {
    for (int32_t j = 0; j < in->layerCount; ++j) {
        const uint32_t flags = in->layerFlags[j];
        *adds = layerAdds(flags, *adds);
        if (!isColourLayer(flags)) continue;
        if (in->height) appendProgramFormat(b, "MADH H3,H0,H1,f[TEX%d];\n", j);
        else appendProgramFormat(b, "MOVH H3,f[TEX%d];\n", j);
        if ((flags & LAYER_CAUSTICS) && in->shadows) {
            appendProgramText(b, "MOVH H3.z,0;\n");
            appendProgramText(b, "MOVH H3.w,1;\n");
        }
        appendProgramFormat(b, "TEX H3, H3,TEX%d,2D;\n", j);
        if (isAlphaLayer(flags)) appendProgramText(b, "MOVH H6.w,H3.x;\n");
        else appendProgramFormat(b, "%s H6.xyz,H6,H3;\n", combine(*adds));
    }
}

void shadowTest(ProgramBuilder* b, const MaterialInputs* in) {
    const int32_t source = shadowPositionSlot(in);
    appendProgramFormat(b, "MOVH H5,f[TEX%d];\n", source);
    appendProgramText(b, "DECLARE shadow4;\nDECLARE shadow5;\nDECLARE env6;\nMULH H0,H5,shadow5;\nADDH H0,H0,shadow4;\n");
    appendProgramFormat(b, "TEX H0,H0,TEX%d,2D;\n", in->layerCount);
    appendProgramText(b, "DEFINE divider={1.0,0.00392156,0.0000153787,0.00000006031};\n");
    appendProgramText(b, "DP4H H0.x,H0,divider;\n");
    appendProgramText(b, "ADDH H0.x,H0.x,0.00692156;\n");
    appendProgramText(b, "MOVH_SAT H5.z,H5.z;\n");
    appendProgramText(b, "SGEH H0.y,H0.x,H5.z;\n");
    if (in->softShadows) {
        appendProgramText(b, "SUBH_SAT H0.y,H5.z,H0.x;\n");
        appendProgramText(b, "SUBH H0.x,1,H0.x;\n");
        appendProgramText(b, "MULH_SAT H0.x,H0.x,H0.y;\n");
        appendProgramText(b, "MULH_SAT H0.x,H0.x,env6.x;\n");
        appendProgramText(b, "SUBH H0.y,1,H0.x;\n");
    }
    appendProgramText(b, "ADDH_SAT H0.x,H0.y,env6.y;\n");
    appendProgramText(b, "MULH H6.xyz,H6,H0.x;\n");
}

}  // namespace

void writeNvFragmentProgram(ProgramBuilder* b, const MaterialInputs* in) {
    bool adds = false;
    appendProgramText(b, "DEFINE two=2;\nDEFINE m_one=-1;\nDECLARE shininess;\n");
    for (int32_t j = 0; j < in->layerCount; ++j) {
        if (!(in->layerFlags[j] & LAYER_HEIGHT_MAP)) continue;
        appendProgramFormat(b, "TEX H0,f[TEX%d],TEX%d,2D;\n", j, j);
        appendProgramText(b, "MADH H0,H0,0.06,-0.03;");
    }
    // The parallax of a height map reads the view vector too, as on the ARB path.
    if (in->viewVector) appendProgramText(b, "MADH H1,f[COL1],two,m_one;\nDP3H H1.w,H1,H1;\nRSQH H1.w,H1.w;\nMULH H1.xyz, H1,H1.w;\n");
    normal(b, in);
    if (in->specular) specularExponent(b, in, &adds);
    lights(b, in);
    appendProgramText(b, "MOVH H8.w,shininess.y;\n");
    if (in->specular) specularMaps(b, in, &adds);
    appendProgramText(b, "MOVH H6.w,shininess.y;\n");
    colourLayers(b, in, &adds);
    if (in->specular) appendProgramText(b, "ADDH H6.xyz,H6,H8;\n");
    if (in->shadows) shadowTest(b, in);
    if (in->glow) {
        appendProgramText(b, "DECLARE glow;\nMAXH H3.x,H6.x,H6.y;\nMAXH H3.x,H3.x,H6.z;\n");
        appendProgramText(b, "MINH H3.y,H6.x,H6.y;\nMINH H3.y,H3.y,H6.z;\n");
        appendProgramText(b, "ADDH H3.z,H3.x,H3.y;\nMULH H3.z,H3.z,glow.x;\n");
        appendProgramText(b, hasLayer(in, LAYER_ALPHA) ? "ADDH H6.w,H6.w,H3.z;\n" : "MOV H6.w,H3.z;\n");
    }
    if (in->fog && !in->softShadows) {
        appendProgramText(b, "DECLARE fog_color;\nDEFINE one={1.0,1.0,1.0,0.25};\n");
        appendProgramText(b, "EX2H H0.x,f[FOGC].x;\n");
        appendProgramText(b, "SUBH_SAT H3,one,H0.x;\nMULH H3,H3,fog_color;\n");
        appendProgramText(b, "MADH H6.xyz,H6,H0.x,H3;\n");
    }
    appendProgramText(b, "MOV o[COLH],H6;\n");
}
