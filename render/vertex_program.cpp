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
void skinnedPositionAndNormal(ProgramBuilder* b) {
    appendProgramText(b,
        "TEMP tempVertex,tempNormal;PARAM matrices[200] = { program.local[0..199] };\n"
        "ATTRIB bones=vertex.attrib[1];\nADDRESS a0;\n");
    appendProgramText(b, "ARL a0.x,bones.y;\n");
    appendProgramText(b, kBoneRows);
    appendProgramText(b, "MUL tempVertex,eyeVertex,bones.x;\n");
    appendProgramText(b, kBoneNormalRows);
    appendProgramText(b, "MUL tempNormal,eyeNormal,bones.x;\n");
    appendProgramText(b, "ARL a0.x,bones.w;\n");
    appendProgramText(b, kBoneRows);
    appendProgramText(b, "MAD eyeVertex,eyeVertex,bones.z,tempVertex;\n");
    appendProgramText(b, kBoneNormalRows);
    appendProgramText(b, "MAD eyeNormal,eyeNormal,bones.z,tempNormal;\n");
    appendProgramText(b, kNormalise);
}

void rigidPositionAndNormal(ProgramBuilder* b) {
    appendProgramText(b,
        "DP3 eyeNormal.x, model[0], vertex.normal;\nDP3 eyeNormal.y, model[1], vertex.normal;\n"
        "DP3 eyeNormal.z, model[2], vertex.normal;\n");
    appendProgramText(b, kNormalise);
    appendProgramText(b,
        "DP4 eyeVertex.x, model[0], vertex.position;\nDP4 eyeVertex.y, model[1], vertex.position;\n"
        "DP4 eyeVertex.z, model[2], vertex.position;\nDP4 eyeVertex.w, model[3], vertex.position;\n");
}

// The binormal is rebuilt from the normalised tangent and the negated normal.
void tangentBasis(ProgramBuilder* b) {
    appendProgramText(b, "TEMP t1,t2,t3;\n");
    appendProgramText(b, "ATTRIB tan=vertex.attrib[14];\nATTRIB bin=vertex.attrib[15];\n");
    appendProgramText(b, "DP3 t2.x, model[0], tan;\nDP3 t2.y, model[1], tan;\nDP3 t2.z, model[2], tan;\n");
    appendProgramText(b, "DP3 t1.x, model[0], bin;\nDP3 t1.y, model[1], bin;\nDP3 t1.z, model[2], bin;\n");
    appendProgramText(b, "MOV t3, eyeNormal;\n");
    appendProgramText(b, "DP3 t2.w, t2, t2;\nRSQ t2.w, t2.w;MUL t2,t2,t2.w;\n");
    appendProgramText(b, "XPD t1, t2,-t3;\n");
}

// fogcoord = distance x fogA / (h - fogC), h the height when at least fogB, else 0.
void fogCoordinate(ProgramBuilder* b) {
    appendProgramText(b, "SUB viewVector,eyeVertex,program.env[1];\n");
    appendProgramText(b, "DP3 viewVector.w, viewVector, viewVector;\nRSQ viewVector.w, viewVector.w;\n");
    appendProgramText(b, "RCP viewVector.w,viewVector.w;\nMUL viewVector.w,viewVector.w,program.env[6].x;\n");
    appendProgramText(b,
        "SGE viewVector.y,eyeVertex.y,program.env[6].y;\nMUL viewVector.z,viewVector.y,eyeVertex.y;\n"
        "SUB viewVector.z,viewVector.z,program.env[6].z;\n"
        "RCP viewVector.z,viewVector.z;MUL result.fogcoord.x,viewVector.w,viewVector.z;\n");
}

void viewVector(ProgramBuilder* b, bool normalMap) {
    appendProgramText(b, "SUB viewVector,program.env[1],eyeVertex;\n");
    appendProgramText(b, "DP3 viewVector.w, viewVector, viewVector;\nRSQ viewVector.w, viewVector.w;\n");
    appendProgramText(b, "MUL viewVector.xyz, viewVector.w,viewVector;\n");
    if (normalMap) {
        appendProgramText(b,
            "DP3 lightVector.x, -t2, viewVector;\nDP3 lightVector.y, -t1, viewVector;\n"
            "DP3 lightVector.z, t3, viewVector;\n");
        appendProgramText(b, "MAD result.color.secondary,lightVector,half,half;\n");
    } else {
        appendProgramText(b, "MAD result.color.secondary,viewVector,half,half;\n");
    }
}

// Distant lights pass their direction (w = 0), point lights the unnormalised vector to the light.
// Other types get no slot, so light vectors are packed after the layers' coordinates.
void lightVectors(ProgramBuilder* b, const MaterialInputs* in) {
    int32_t slot = in->layerCount;
    for (int32_t i = 0; i < in->lightCount; ++i) {
        const uint8_t type = in->lightTypes[i];
        if (!lightHasVector(type)) continue;
        if (type == 0) {
            if (in->normalMap) appendProgramFormat(b, "MOV lightVector, state.light[%d].position;\n", i);
            else appendProgramFormat(b, "MOV result.texcoord[%d],state.light[%d].position;\n", slot, i);
        } else {
            if (in->normalMap) appendProgramFormat(b, "SUB lightVector, state.light[%d].position, eyeVertex;\n", i);
            else appendProgramFormat(b, "SUB result.texcoord[%d],state.light[%d].position, eyeVertex;\n", slot, i);
        }
        if (in->normalMap) appendProgramFormat(b, kToTangentSpace, slot, slot, slot);
        ++slot;
    }
}

// Caustics project the vertex onto the horizontal plane; with shadows the third coordinate is the
// shadow depth. The parameter and the temporary are declared at the first caustics layer only: a
// second declaration would be refused.
void layerCoordinates(ProgramBuilder* b, const MaterialInputs* in) {
    bool causticsDeclared = false;
    for (int32_t k = 0; k < in->layerCount; ++k) {
        const uint32_t flags = in->layerFlags[k];
        if (flags & LAYER_UV) {
            appendProgramFormat(b, "MOV result.texcoord[%d],vertex.texcoord[%d];\n", k, k);
        } else if (flags & LAYER_ENVIRONMENT) {
            appendProgramFormat(b, "SWZ eyeNormal,eyeNormal,x,y,z,1;\nMOV result.texcoord[%d],eyeNormal;\n", k);
        } else if (flags & LAYER_CAUSTICS) {
            if (!causticsDeclared) appendProgramText(b, "PARAM Caustics=program.env[3];\n");
            appendProgramText(b, "SWZ lightVector,eyeVertex,x,z,0,1;\nMUL lightVector,lightVector,Caustics;\n");
            if (in->shadows) {
                if (!causticsDeclared) appendProgramText(b, "TEMP distVector;");
                appendProgramText(b, "SUB distVector.w,program.env[5].y,eyeVertex.y;\n");
                appendProgramText(b, "MUL lightVector.z,distVector.w,program.env[4];\n");
            }
            appendProgramFormat(b, "MOV result.texcoord[%d],lightVector;\n", k);
            causticsDeclared = true;
        }
    }
}

}  // namespace

void writeMaterialVertexProgram(ProgramBuilder* b, const MaterialInputs* in) {
    if (!in->skinned) appendProgramText(b, "OPTION ARB_position_invariant;\n");
    appendProgramText(b, "PARAM projection[4] = {state.matrix.projection};\nPARAM model[4] = {state.matrix.modelview};\n");
    appendProgramText(b, "TEMP eyeNormal,eyeVertex,lightVector,viewVector;\n");
    appendProgramText(b, "PARAM half = {0.5,0.5,0.5,0.5};\n");
    if (in->skinned) skinnedPositionAndNormal(b);
    else rigidPositionAndNormal(b);
    if (in->normalMap) tangentBasis(b);
    else appendProgramText(b, "MAD result.color.primary,eyeNormal,half,half;\n");
    if (in->fog) fogCoordinate(b);
    if (in->viewVector) viewVector(b, in->normalMap);
    lightVectors(b, in);
    layerCoordinates(b, in);
    if (in->skinned)
        appendProgramText(b,
            "DP4 result.position.x, projection[0], eyeVertex;\nDP4 result.position.y, projection[1], eyeVertex;\n"
            "DP4 result.position.z, projection[2], eyeVertex;\nDP4 result.position.w, projection[3], eyeVertex;\n");
}
