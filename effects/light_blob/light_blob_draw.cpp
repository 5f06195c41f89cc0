// The GL side of the light blob: control envelopes, buffers, shared relief and picture, programs.
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/constants.h"
#include "base/crt_rand.h"
#include "base/out_of_memory.h"
#include "base/report.h"
#include "data/package.h"
#include "data/texture.h"
#include "effects/effect_helpers.h"
#include "effects/effects_state.h"
#include "effects/light_blob/light_blob.h"
#include "render/device_entry_points.h"
#include "render/program_builder.h"
#include "render/render_state.h"
#include "render/texture_units.h"
#include "render/texture_upload.h"
#include "scene/effect_slot.h"
#include "scene/scene.h"

namespace {

const char* const kHalfWay =
    "ADD halfWay,viewVector,light;\nDP3 halfWay.w, halfWay,halfWay;\nRSQ halfWay.w, halfWay.w;\n"
    "MUL halfWay.xyz, halfWay, halfWay.w;\n";

void readControls(LightBlobState* s, const char* path) {
    DemoFile file = fileOpen(path, "rb");
    if (!file) {
        showError("The light blob's control scene \"%s\" is not in the package; the blob does not move.", path);
        return;
    }
    char word[256];
    bool found = false;
    while (!found && fileScan(file, "%255s", word) == 1) found = std::strcmp(word, "AddNullObject") == 0;
    for (int k = 0; found && k < BLOB_MOTIONS; ++k)
        if (!readMotion(s->motions[k], MOTION_CHANNELS, file)) break;
    fileClose(file);
}

void buildPrograms(ProgramBuilder* builder, LightBlobState* s, const Scene* scene) {
    BlobLight lights[BLOB_MAX_LIGHTS];
    const int32_t sets = effectTexCoordSets();
    const int32_t n = lightBlobLights(scene, sets, lights);
    const int32_t usable = effectLightsWithVectors(scene);
    if (usable > n)
        std::fprintf(stderr, "velmora: the light blob of scene \"%s\" is lit by %d of its %d lights (the device has %d "
                     "texture coordinate sets)\n", scene->name, n, usable, sets);

    beginProgram(builder, &s->vertexProgram, GL_VERTEX_PROGRAM_ARB);
    appendProgramText(builder, "OPTION ARB_position_invariant;\n");
    appendProgramText(builder, "PARAM half = {0.5,0.5,0.5,0.5};PARAM two = {2.0,2.0,2.0,2.0};"
                      "PARAM projection[4] = {state.matrix.projection};\nPARAM model[4] = {state.matrix.modelview};\n");
    appendProgramText(builder, "TEMP eyeNormal,eyeVertex,lightVector,viewVector;\n");
    appendProgramText(builder, "DP3 eyeNormal.x, model[0], vertex.normal;\nDP3 eyeNormal.y, model[1], vertex.normal;\n"
                      "DP3 eyeNormal.z, model[2], vertex.normal;\n");
    appendProgramText(builder, "DP3 eyeNormal.w, eyeNormal, eyeNormal;\nRSQ eyeNormal.w, eyeNormal.w;\n"
                      "MUL eyeNormal.xyz, eyeNormal.w, eyeNormal;\n");
    appendProgramText(builder, "DP4 eyeVertex.x, model[0], vertex.position;\nDP4 eyeVertex.y, model[1], vertex.position;\n"
                      "DP4 eyeVertex.z, model[2], vertex.position;\nDP4 eyeVertex.w, model[3], vertex.position;\n");
    appendProgramText(builder, "MAD result.color.primary,eyeNormal,half,half;\n");
    appendProgramText(builder, "SUB viewVector,program.env[1],eyeVertex;\n");
    appendProgramText(builder, "DP3 viewVector.w, viewVector, viewVector;\nRSQ viewVector.w, viewVector.w;\n");
    appendProgramText(builder, "MUL viewVector.xyz, viewVector.w,viewVector;\n");
    appendProgramText(builder, "MAD result.color.secondary,viewVector,half,half;\n");
    appendProgramText(builder, "MAD lightVector,eyeNormal,0.4,0.4;");
    appendProgramText(builder, "SWZ result.texcoord[0],lightVector,x,y,z,1;");
    for (int32_t k = 0; k < n; ++k) {
        if (scene->lights[lights[k].light].type == 0)
            appendProgramFormat(builder, "MOV result.texcoord[%d],state.light[%d].position;\n", lights[k].texCoord, lights[k].light);
        else
            appendProgramFormat(builder, "SUB result.texcoord[%d],state.light[%d].position, eyeVertex;\n", lights[k].texCoord,
                                lights[k].light);
    }
    endProgram(builder, s->vertexProgram, GL_VERTEX_PROGRAM_ARB);

    // The fragment program reads exactly the coordinate sets the vertex program wrote.
    beginProgram(builder, &s->fragmentProgram, GL_FRAGMENT_PROGRAM_ARB);
    appendProgramText(builder, "PARAM two={2.0,2.0,2.0,2.0};PARAM m_one={-1.0,-1.0,-1.0,-1.0};\n");
    appendProgramText(builder, "TEMP color,secondary_color,normal,viewVector,texel,light,light_vector;\n");
    appendProgramText(builder, "MAD normal, fragment.color.primary,two,m_one;\n");
    appendProgramText(builder, "MAD viewVector, fragment.color.secondary,two,m_one;\n");
    appendProgramText(builder, "DP3 normal.a, normal, normal;\nRSQ normal.a, normal.a;\nMUL normal.rgb, normal, normal.a;\n");
    appendProgramText(builder, "TEMP halfWay;\nDP3 viewVector.w, viewVector,viewVector;\nRSQ viewVector.w,viewVector.w;\n"
                      "MUL viewVector.xyz, viewVector,viewVector.w;\n");
    if (n == 0) appendProgramText(builder, "MOV color, 0;\nMOV secondary_color, 0;\n");
    for (int32_t k = 0; k < n; ++k) {
        appendProgramFormat(builder, "MOV light_vector,fragment.texcoord[%d];\n", lights[k].texCoord);
        appendProgramText(builder, "DP3 light.a, light_vector,light_vector;\nRSQ light.a, light.a;\n"
                          "MUL light.rgb, light_vector, light.a;\n");
        if (k == 0)
            appendProgramFormat(builder, "DP3_SAT texel, normal, light;\nMUL color, texel,state.lightprod[%d].diffuse;\n",
                                lights[k].light);
        else
            appendProgramFormat(builder, "DP3_SAT texel, normal, light;\nMAD_SAT color, texel,state.lightprod[%d].diffuse, color;\n",
                                lights[k].light);
        appendProgramText(builder, kHalfWay);
        appendProgramText(builder, "DP3_SAT texel,halfWay,normal;\n");
        appendProgramText(builder, "LG2 light.w,texel.x;\nMUL light.w,light.w,state.material.shininess.x;\nEX2 texel,light.w;\n");
        if (k == 0)
            appendProgramFormat(builder, "MUL secondary_color, texel,state.lightprod[%d].specular;\n", lights[k].light);
        else
            appendProgramFormat(builder, "MAD_SAT secondary_color, texel,state.lightprod[%d].specular, secondary_color;\n",
                                lights[k].light);
    }
    appendProgramText(builder, "TEX texel, fragment.texcoord[0],texture[0],2D;\n");
    appendProgramText(builder, "MUL color,color,2;\n");
    appendProgramText(builder, "MUL color,color,texel;\n");
    appendProgramText(builder, "ADD color, color,secondary_color;\n");
    appendProgramText(builder, "MOV color.a,0;\n");
    appendProgramText(builder, "PARAM glow=0.9;");
    appendProgramText(builder, "MAX texel.r,color.r,color.g;MAX texel.r,texel.r,color.b;\n");
    appendProgramText(builder, "MIN texel.g,color.r,color.g;MIN texel.g,texel.g,color.b;\n");
    appendProgramText(builder, "ADD texel.b,texel.r,texel.g;MUL texel.b,texel.b,glow.a;\n");
    appendProgramText(builder, "ADD color.a,color.a,texel.b;\n");
    appendProgramText(builder, "MOV result.color,color;\n");
    endProgram(builder, s->fragmentProgram, GL_FRAGMENT_PROGRAM_ARB);
}

}  // namespace

void lightBlobInit(RenderState* render, Scene* scene, EffectSlot* slot) {
    LightBlobState* s = static_cast<LightBlobState*>(std::calloc(1, sizeof(LightBlobState)));
    if (!s) outOfMemory("a light blob");
    slot->state = s;
    crtSrand(0);
    readControls(s, slot->fileName);
    lightBlobBuildBasis();
    const float* vertices = evaluateBlobSurface(s, 0.0f);
    LightBlobShared* shared = &render->effects->lightBlob;
    const GlEntryPoints* gl = glEntryPoints();
    GLuint buffers[2];
    gl->glGenBuffersARB(2, buffers);
    s->vertexBuffer = buffers[0], s->indexBuffer = buffers[1];
    gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, s->vertexBuffer);
    gl->glBufferDataARB(GL_ARRAY_BUFFER_ARB, BLOB_VERTICES * BLOB_VERTEX_FLOATS * sizeof(float), vertices,
                        GL_DYNAMIC_DRAW_ARB);
    gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
    static uint16_t indices[BLOB_INDICES];
    lightBlobIndices(indices);
    gl->glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, s->indexBuffer);
    gl->glBufferDataARB(GL_ELEMENT_ARRAY_BUFFER_ARB, sizeof indices, indices, GL_STATIC_DRAW_ARB);
    gl->glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
    if (!shared->reliefBuilt) {
        lightBlobBuildRelief();
        shared->reliefBuilt = true;
    }
    const Settings* settings = effectSettings(render, scene);
    if (!shared->environment.names && effectPicture(&shared->environment, LIGHT_BLOB_ENVIRONMENT, settings)) {
        glBindTexture(GL_TEXTURE_2D, shared->environment.names[0]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    }
    buildPrograms(&render->programText, s, scene);
}

namespace {

void evaluateQueued(int32_t, void* context) {
    LightBlobState* s = static_cast<LightBlobState*>(context);
    evaluateBlobSurface(s, msToSeconds(s->surface.timeMs));
}

}  // namespace

void lightBlobPrepare(RenderState*, EffectSlot* slot, int32_t timeMs) {
    LightBlobState* s = static_cast<LightBlobState*>(slot->state);
    if (slot->family != FAMILY_LIGHT_BLOB || !s || !s->vertexProgram) return;
    queueEffectWork(&s->surface, timeMs, 1, evaluateQueued, s);
}

void lightBlobRender(RenderState* render, EffectSlot* slot, int32_t timeMs) {
    slot->reset = 0;
    LightBlobState* s = static_cast<LightBlobState*>(slot->state);
    if (slot->family != FAMILY_LIGHT_BLOB || !s || !s->vertexProgram) return;
    const GlEntryPoints* gl = glEntryPoints();
    const float* vertices =
        awaitEffectWork(&s->surface, timeMs) ? s->vertices : evaluateBlobSurface(s, msToSeconds(timeMs));
    gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, s->vertexBuffer);
    if (void* mapped = gl->glMapBufferARB(GL_ARRAY_BUFFER_ARB, GL_WRITE_ONLY_ARB)) {
        std::memcpy(mapped, vertices, BLOB_VERTICES * BLOB_VERTEX_FLOATS * sizeof(float));
        gl->glUnmapBufferARB(GL_ARRAY_BUFFER_ARB);
    }
    EffectMotion m;
    effectMotionAt(slot, timeMs, &m);
    resetTextureUnits(render);
    glEnable(GL_TEXTURE_2D);
    const TextureImage& environment = render->effects->lightBlob.environment;
    glBindTexture(GL_TEXTURE_2D, environment.names ? environment.names[0] : 0);
    effectLoadModelView(slot, &m, EFFECT_NO_PARENT, true);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, &slot->colorA.r);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, &slot->colorB.r);
    glMaterialf(GL_FRONT, GL_SHININESS, 128.0f);
    glEnable(GL_FRAGMENT_PROGRAM_ARB);
    gl->glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, s->fragmentProgram);
    glEnable(GL_VERTEX_PROGRAM_ARB);
    gl->glBindProgramARB(GL_VERTEX_PROGRAM_ARB, s->vertexProgram);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 24, nullptr);
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, 24, reinterpret_cast<const void*>(12));
    gl->glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, s->indexBuffer);
    glDrawElements(GL_TRIANGLES, BLOB_INDICES, GL_UNSIGNED_SHORT, nullptr);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
    gl->glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
    glDisable(GL_FRAGMENT_PROGRAM_ARB);
    glDisable(GL_VERTEX_PROGRAM_ARB);
    resetTextureUnits(render);
}

void lightBlobRelease(EffectSlot* slot) {
    LightBlobState* s = static_cast<LightBlobState*>(slot->state);
    for (auto& motion : s->motions)
        for (Envelope& channel : motion) releaseEnvelope(&channel);
    deleteEffectBuffers(&s->vertexBuffer, 1);
    deleteEffectBuffers(&s->indexBuffer, 1);
    deleteEffectPrograms(&s->vertexProgram, 1);
    deleteEffectPrograms(&s->fragmentProgram, 1);
    std::free(s);
    slot->state = nullptr;
}

void lightBlobReleaseShared(EffectsState* effects) { releaseTextureImage(&effects->lightBlob.environment); }
