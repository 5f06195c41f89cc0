#include "render/vertex_program.h"

#include "render/material_inputs.h"
#include "render/program_builder.h"
#include "scene/layer_flags.h"

namespace {

const char* const kBoneRows =
    "DP4 eyeVertex.x,vertex.position,matrices[a0.x];\nDP4 eyeVertex.y,vertex.position,matrices[a0.x+1];\n"
    "DP4 eyeVertex.z,vertex.position,matrices[a0.x+2];\nDP4 eyeVertex.w,vertex.position,matrices[a0.x+3];\n";
const char* const kBoneNormalRows =
    "DP3 eyeNormal.x,vertex.normal,matrices[a0.x];\nDP3 eyeNormal.y,vertex.normal,matrices[a0.x+1];\n"
    "DP3 eyeNormal.z,vertex.normal,matrices[a0.x+2];\n";
const char* const kNormalise =
    "DP3 eyeNormal.w, eyeNormal, eyeNormal;\nRSQ eyeNormal.w, eyeNormal.w;\nMUL eyeNormal.xyz, eyeNormal.w, eyeNormal;\n";
// Into tangent space: the basis is (-t2, -t1, t3).
const char* const kToTangentSpace =
    "DP3 result.texcoord[%d].x, -t2, lightVector;\nDP3 result.texcoord[%d].y, -t1, lightVector;\n"
    "DP3 result.texcoord[%d].z, t3, lightVector;\n";

// The bone matrices hold the whole model-view already.
void skinnedPositionAndNormal() {
    appendProgramText(
        "TEMP tempVertex,tempNormal;PARAM matrices[200] = { program.local[0..199] };\n"
        "ATTRIB bones=vertex.attrib[1];\nADDRESS a0;\n");
    appendProgramText("ARL a0.x,bones.y;\n");
    appendProgramText(kBoneRows);
    appendProgramText("MUL tempVertex,eyeVertex,bones.x;\n");
    appendProgramText(kBoneNormalRows);
    appendProgramText("MUL tempNormal,eyeNormal,bones.x;\n");
    appendProgramText("ARL a0.x,bones.w;\n");
    appendProgramText(kBoneRows);
    appendProgramText("MAD eyeVertex,eyeVertex,bones.z,tempVertex;\n");
    appendProgramText(kBoneNormalRows);
    appendProgramText("MAD eyeNormal,eyeNormal,bones.z,tempNormal;\n");
    appendProgramText(kNormalise);
}

void rigidPositionAndNormal() {
    appendProgramText(
        "DP3 eyeNormal.x, model[0], vertex.normal;\nDP3 eyeNormal.y, model[1], vertex.normal;\n"
        "DP3 eyeNormal.z, model[2], vertex.normal;\n");
    appendProgramText(kNormalise);
    appendProgramText(
        "DP4 eyeVertex.x, model[0], vertex.position;\nDP4 eyeVertex.y, model[1], vertex.position;\n"
        "DP4 eyeVertex.z, model[2], vertex.position;\nDP4 eyeVertex.w, model[3], vertex.position;\n");
}

// The binormal is rebuilt from the normalised tangent and the negated normal.
void tangentBasis() {
    appendProgramText("TEMP t1,t2,t3;\n");
    appendProgramText("ATTRIB tan=vertex.attrib[14];\nATTRIB bin=vertex.attrib[15];\n");
    appendProgramText("DP3 t2.x, model[0], tan;\nDP3 t2.y, model[1], tan;\nDP3 t2.z, model[2], tan;\n");
    appendProgramText("DP3 t1.x, model[0], bin;\nDP3 t1.y, model[1], bin;\nDP3 t1.z, model[2], bin;\n");
    appendProgramText("MOV t3, eyeNormal;\n");
    appendProgramText("DP3 t2.w, t2, t2;\nRSQ t2.w, t2.w;MUL t2,t2,t2.w;\n");
    appendProgramText("XPD t1, t2,-t3;\n");
}

// fogcoord = distance x fogA / (h - fogC), h the height when at least fogB, else 0.
void fogCoordinate() {
    appendProgramText("SUB viewVector,eyeVertex,program.env[1];\n");
    appendProgramText("DP3 viewVector.w, viewVector, viewVector;\nRSQ viewVector.w, viewVector.w;\n");
    appendProgramText("RCP viewVector.w,viewVector.w;\nMUL viewVector.w,viewVector.w,program.env[6].x;\n");
    appendProgramText(
        "SGE viewVector.y,eyeVertex.y,program.env[6].y;\nMUL viewVector.z,viewVector.y,eyeVertex.y;\n"
        "SUB viewVector.z,viewVector.z,program.env[6].z;\n"
        "RCP viewVector.z,viewVector.z;MUL result.fogcoord.x,viewVector.w,viewVector.z;\n");
}

void viewVector(bool normalMap) {
    appendProgramText("SUB viewVector,program.env[1],eyeVertex;\n");
    appendProgramText("DP3 viewVector.w, viewVector, viewVector;\nRSQ viewVector.w, viewVector.w;\n");
    appendProgramText("MUL viewVector.xyz, viewVector.w,viewVector;\n");
    if (normalMap) {
        appendProgramText(
            "DP3 lightVector.x, -t2, viewVector;\nDP3 lightVector.y, -t1, viewVector;\n"
            "DP3 lightVector.z, t3, viewVector;\n");
        appendProgramText("MAD result.color.secondary,lightVector,half,half;\n");
    } else {
        appendProgramText("MAD result.color.secondary,viewVector,half,half;\n");
    }
}

// Distant lights pass their direction (w = 0), point lights the unnormalised vector to the light.
// Other types get no slot, so light vectors are packed after the layers' coordinates.
void lightVectors(const MaterialInputs* in) {
    int32_t slot = in->layerCount;
    for (int32_t i = 0; i < in->lightCount; ++i) {
        const uint8_t type = in->lightTypes[i];
        if (!lightHasVector(type)) continue;
        if (type == 0) {
            if (in->normalMap) appendProgramFormat("MOV lightVector, state.light[%d].position;\n", i);
            else appendProgramFormat("MOV result.texcoord[%d],state.light[%d].position;\n", slot, i);
        } else {
            if (in->normalMap) appendProgramFormat("SUB lightVector, state.light[%d].position, eyeVertex;\n", i);
            else appendProgramFormat("SUB result.texcoord[%d],state.light[%d].position, eyeVertex;\n", slot, i);
        }
        if (in->normalMap) appendProgramFormat(kToTangentSpace, slot, slot, slot);
        ++slot;
    }
}

// Caustics project the vertex onto the horizontal plane; with shadows the third coordinate is the
// shadow depth. The parameter and the temporary are declared at the first caustics layer only: a
// second declaration would be refused.
void layerCoordinates(const MaterialInputs* in) {
    bool causticsDeclared = false;
    for (int32_t k = 0; k < in->layerCount; ++k) {
        const uint32_t flags = in->layerFlags[k];
        if (flags & LAYER_UV) {
            appendProgramFormat("MOV result.texcoord[%d],vertex.texcoord[%d];\n", k, k);
        } else if (flags & LAYER_ENVIRONMENT) {
            appendProgramFormat("SWZ eyeNormal,eyeNormal,x,y,z,1;\nMOV result.texcoord[%d],eyeNormal;\n", k);
        } else if (flags & LAYER_CAUSTICS) {
            if (!causticsDeclared) appendProgramText("PARAM Caustics=program.env[3];\n");
            appendProgramText("SWZ lightVector,eyeVertex,x,z,0,1;\nMUL lightVector,lightVector,Caustics;\n");
            if (in->shadows) {
                if (!causticsDeclared) appendProgramText("TEMP distVector;");
                appendProgramText("SUB distVector.w,program.env[5].y,eyeVertex.y;\n");
                appendProgramText("MUL lightVector.z,distVector.w,program.env[4];\n");
            }
            appendProgramFormat("MOV result.texcoord[%d],lightVector;\n", k);
            causticsDeclared = true;
        }
    }
}

}  // namespace

void writeMaterialVertexProgram(const MaterialInputs* in) {
    if (!in->skinned) appendProgramText("OPTION ARB_position_invariant;\n");
    appendProgramText("PARAM projection[4] = {state.matrix.projection};\nPARAM model[4] = {state.matrix.modelview};\n");
    appendProgramText("TEMP eyeNormal,eyeVertex,lightVector,viewVector;\n");
    appendProgramText("PARAM half = {0.5,0.5,0.5,0.5};\n");
    if (in->skinned) skinnedPositionAndNormal();
    else rigidPositionAndNormal();
    if (in->normalMap) tangentBasis();
    else appendProgramText("MAD result.color.primary,eyeNormal,half,half;\n");
    if (in->fog) fogCoordinate();
    if (in->viewVector) viewVector(in->normalMap);
    lightVectors(in);
    layerCoordinates(in);
    if (in->skinned)
        appendProgramText(
            "DP4 result.position.x, projection[0], eyeVertex;\nDP4 result.position.y, projection[1], eyeVertex;\n"
            "DP4 result.position.z, projection[2], eyeVertex;\nDP4 result.position.w, projection[3], eyeVertex;\n");
}
