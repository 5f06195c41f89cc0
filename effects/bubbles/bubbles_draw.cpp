// The GL side of the bubbles: shared texture and programs, per-slot buffers, drawing.
#include <GL/gl.h>
#include <GL/glext.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/constants.h"
#include "base/out_of_memory.h"
#include "effects/bubbles/bubbles.h"
#include "effects/effect_helpers.h"
#include "effects/effects_state.h"
#include "render/device_entry_points.h"
#include "render/program_builder.h"
#include "render/render_state.h"
#include "render/texture_units.h"
#include "scene/effect_slot.h"

namespace {

const char* const kDp4Model =
    "DP4 eyeVertex.x, model[0], vertex.position;\nDP4 eyeVertex.y, model[1], vertex.position;\n"
    "DP4 eyeVertex.z, model[2], vertex.position;\nDP4 eyeVertex.w, model[3], vertex.position;\n";
const char* const kVertexLines[] = {
    "PARAM projection[4] = {state.matrix.projection};\nPARAM model[4] = {state.matrix.modelview};\n",
    "TEMP eyeVertex,size,trigonometric_temp;ADDRESS a0;PARAM extra={0.1,0.3,3.1415926,-6.2831852};"
    "PARAM vectors[4]={program.local[0..3]};\n",
    kDp4Model,
    "MOV result.texcoord[1],eyeVertex;\n",
    "ADD trigonometric_temp.z,program.local[6].x,vertex.texcoord[0].w;\n",
    "SGE trigonometric_temp.x,trigonometric_temp.z,extra.z;\n",
    "MAD trigonometric_temp.z,trigonometric_temp.x,extra.w,trigonometric_temp.z;\n",
    "MUL size,trigonometric_temp.z,trigonometric_temp.z;\n",
    "MUL size.yzw,size,size;\n",
    "MUL size.zw,size,size.x;\n",
    "MUL size.w,size,size.x;\n",
    "MUL size,size,trigonometric_temp.z;\n",
    "DP4 trigonometric_temp.x,size,program.local[4];\n",
    "ADD trigonometric_temp.x,trigonometric_temp.x,trigonometric_temp.z;\n",
    "MUL trigonometric_temp.x,trigonometric_temp.x,extra.y;\n",
    "ARL a0.x,vertex.texcoord[0].x;\n",
    "MAD size,trigonometric_temp.x,vertex.texcoord[0].z,vertex.texcoord[0].z;\n",
    "MAD eyeVertex,vectors[a0.x],size,eyeVertex;\n",
    "ARL a0.x,vertex.texcoord[0].y;\n",
    "MAD eyeVertex,vectors[a0.x+2],size,eyeVertex;\n",
    "ABS size.w,size.x;\n",
    "MOV size.xyz,eyeVertex;MOV result.texcoord[2],size;\n",
    "DP4 result.position.x, projection[0], eyeVertex;\nDP4 result.position.y, projection[1], eyeVertex;\n"
    "DP4 result.position.z, projection[2], eyeVertex;\nDP4 result.position.w, projection[3], eyeVertex;\n",
    "MOV result.color.primary,vertex.color;\n",
    "SWZ result.texcoord[0],vertex.texcoord[0],x,y,0,1;\n",
};

const char* const kHalfWay =
    "ADD halfWay,viewVector,light;\nDP3 halfWay.w, halfWay,halfWay;\nRSQ halfWay.w, halfWay.w;\n"
    "MUL halfWay.xyz, halfWay, halfWay.w;\n";
const char* const kPower = "LG2 light.w,texel.x;\nMUL light.w,light.w,state.material.shininess.x;\nEX2 texel,light.w;\n";
const char* const kFragmentLines[] = {
    "TEMP texel,position,viewVector,normal,nrm_normal,light_vector,\t\t\t\tsecondary_color,halfWay,light,color,"
    "color_temp;PARAM offset=-0.2;\n",
    "PARAM two=2.0;PARAM m_one=-1.0;PARAM half=0.5;\n",
    "TEX texel, fragment.texcoord[0],texture[0],2D;\n",
    "MOV color.a,texel.a;\n",
    "MAD nrm_normal, texel,two,m_one;\n",
    "MUL normal,nrm_normal.b,-program.local[0];\n",
    "MAD position.xyz,normal,fragment.texcoord[2].w,fragment.texcoord[2];\n",
    "SUB normal, position,fragment.texcoord[1];\n",
    "DP3 normal.a, normal,normal;RSQ normal.a,normal.a;MUL normal.rgb,normal,normal.a;\n",
    "SUB viewVector,program.env[1],position;\n",
    "DP3 viewVector.w, viewVector, viewVector;\nRSQ viewVector.w, viewVector.w;\n",
    "MUL viewVector.xyz, viewVector.w,viewVector;\n",
    "SWZ light_vector,state.light[0].position,-x,y,-z,0;\n",
    "SUB light_vector,light_vector, position;\n",
    "DP3 light.a, light_vector,light_vector;\nRSQ light.a, light.a;\nMUL light.rgb, light_vector, light.a;\n",
    "DP3_SAT texel, normal, light;\nMUL color.rgb, texel,state.lightprod[0].diffuse;\n",
    kHalfWay,
    "DP3_SAT texel,halfWay,normal;\n",
    kPower,
    "MUL secondary_color, texel,state.lightprod[0].specular;\n",
    "ADD color.rgb, color,secondary_color;\n",
    "SUB viewVector,program.env[0],position;\n",
    "DP3 viewVector.w, viewVector, viewVector;\nRSQ viewVector.w, viewVector.w;\n",
    "MUL viewVector.xyz, viewVector.w,viewVector;\n",
    "MOV normal, -normal;\n",
    "DP3_SAT texel, normal, light;\nMUL color_temp.rgb, texel,state.lightprod[0].diffuse;\n",
    kHalfWay,
    "DP3_SAT texel.x,halfWay,normal;\n",
    kPower,
    "MUL secondary_color, texel,state.lightprod[0].specular;\n",
    "ADD color_temp, color_temp,secondary_color;\n",
    "ADD color.rgb, color,color_temp;\n",
    "MUL color.rgb,color, color.a;\n",
    "MAX texel.r,color.r,color.g;MAX texel.r,texel.r,color.b;\n",
    "MIN texel.g,color.r,color.g;MIN texel.g,texel.g,color.b;\n",
    "ADD texel.b,texel.r,texel.g;MUL texel.b,texel.b,two;\n",
    "MOV color.a,texel.b;\n",
    "MOV result.color, color;",
};

template <size_t N>
uint32_t buildProgram(ProgramBuilder* builder, GLenum target, const char* const (&lines)[N]) {
    uint32_t program = 0;
    beginProgram(builder, &program, target);
    for (const char* line : lines) appendProgramText(builder, line);
    endProgram(builder, program, target);
    return program;
}

void makeShared(ProgramBuilder* builder, BubblesShared* shared, const Settings* settings) {
    if (!shared->texture) {
        std::vector<uint8_t> rgba(BUBBLE_TEXTURE_SIZE * BUBBLE_TEXTURE_SIZE * 4);
        bubbleTexture(rgba.data());
        glGenTextures(1, &shared->texture);
        glBindTexture(GL_TEXTURE_2D, shared->texture);
        effectPictureFiltering(settings, GL_LINEAR_MIPMAP_LINEAR, true);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, BUBBLE_TEXTURE_SIZE, BUBBLE_TEXTURE_SIZE, 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, rgba.data());
    }
    if (!shared->vertexProgram) shared->vertexProgram = buildProgram(builder, GL_VERTEX_PROGRAM_ARB, kVertexLines);
    if (!shared->fragmentProgram) shared->fragmentProgram = buildProgram(builder, GL_FRAGMENT_PROGRAM_ARB, kFragmentLines);
}

void normalised(const float* v, float* out) {
    const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    for (int k = 0; k < 3; ++k) out[k] = length > 0.0f ? v[k] / length : 0.0f;
}

}  // namespace

void bubblesInit(RenderState* render, Scene* scene, EffectSlot* slot) {
    const BubbleEmitter emitter = bubbleEmitterOf(slot->variant);
    BubblesState* s = bubblesCreate(slot, emitter);
    if (!s) return;
    slot->state = s;
    if (emitter == BUBBLES_NOS1) {
        // Three envelope paths separated by line feeds.
        char paths[3][EFFECT_FILE_NAME] = {};
        const char* at = slot->fileName;
        for (int k = 0; k < 3 && *at; ++k) {
            size_t length = std::strcspn(at, "\n");
            std::memcpy(paths[k], at, length < EFFECT_FILE_NAME ? length : EFFECT_FILE_NAME - 1);
            at += length;
            if (*at) ++at;
        }
        for (int k = 0; k < 3; ++k)
            if (paths[k][0]) loadEnvelopeFile(&s->path[k], paths[k]);
    }
    const GlEntryPoints* gl = glEntryPoints();
    const size_t n = static_cast<size_t>(s->count);
    // The buffers hold one spare particle beyond the count; their sources must be as long.
    std::vector<uint16_t> indices((n + 1) * 4);
    for (size_t k = 0; k < indices.size(); ++k) indices[k] = static_cast<uint16_t>(k);
    GLuint buffers[3];
    gl->glGenBuffersARB(3, buffers);
    s->positionBuffer = buffers[0], s->cornerBuffer = buffers[1], s->indexBuffer = buffers[2];
    gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, s->positionBuffer);
    gl->glBufferDataARB(GL_ARRAY_BUFFER_ARB, GLsizeiptrARB(n * 48 + 48), nullptr, GL_STREAM_DRAW_ARB);
    gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, s->cornerBuffer);
    gl->glBufferDataARB(GL_ARRAY_BUFFER_ARB, GLsizeiptrARB(n * 64 + 64), s->corners, GL_STATIC_DRAW_ARB);
    gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
    gl->glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, s->indexBuffer);
    gl->glBufferDataARB(GL_ELEMENT_ARRAY_BUFFER_ARB, GLsizeiptrARB(n * 8 + 8), indices.data(), GL_STATIC_DRAW_ARB);
    gl->glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
    makeShared(&render->programText, &render->effects->bubbles, effectSettings(render, scene));
}

void bubblesAdvance(RenderState* render, EffectSlot* slot, int32_t t) {
    BubblesState* s = static_cast<BubblesState*>(slot->state);
    if (slot->family != FAMILY_BUBBLES || !s || !render->effects->bubbles.vertexProgram) return;
    bubblesEmit(s, slot, t);
}

void bubblesKeepState(EffectSlot* slot) {
    BubblesState* s = slot->family == FAMILY_BUBBLES ? static_cast<BubblesState*>(slot->state) : nullptr;
    if (!s) return;
    if (!s->kept) s->kept = static_cast<BubbleParticle*>(std::calloc(size_t(s->count) + 1, sizeof(BubbleParticle)));
    if (!s->kept) outOfMemory("a bubble plume");
    std::memcpy(s->kept, s->particles, size_t(s->count) * sizeof(BubbleParticle));
    s->keptSeeded = s->seeded;
    s->keptLastTime = s->lastTime;
}

void bubblesRestoreState(EffectSlot* slot) {
    BubblesState* s = slot->family == FAMILY_BUBBLES ? static_cast<BubblesState*>(slot->state) : nullptr;
    if (!s || !s->kept) return;
    std::memcpy(s->particles, s->kept, size_t(s->count) * sizeof(BubbleParticle));
    s->seeded = s->keptSeeded;
    s->lastTime = s->keptLastTime;
}

void bubblesRender(RenderState* render, EffectSlot* slot, int32_t t) {
    BubblesState* s = static_cast<BubblesState*>(slot->state);
    const BubblesShared* shared = &render->effects->bubbles;
    if (slot->family != FAMILY_BUBBLES || !s || !shared->vertexProgram) return;
    const GlEntryPoints* gl = glEntryPoints();
    EffectMotion m;
    effectMotionAt(slot, t, &m);
    bubblesAdvance(render, slot, t);
    gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, s->positionBuffer);
    if (void* mapped = gl->glMapBufferARB(GL_ARRAY_BUFFER_ARB, GL_WRITE_ONLY_ARB)) {
        std::memcpy(mapped, s->positions, static_cast<size_t>(s->count) * 48);
        gl->glUnmapBufferARB(GL_ARRAY_BUFFER_ARB);
    }
    // Billboard axes from the camera's rotation, which lives in the projection matrix.
    GLfloat projection[16];
    glGetFloatv(GL_TRANSPOSE_PROJECTION_MATRIX_ARB, projection);
    float right[3], up[3], forward[3];
    normalised(projection, right);
    normalised(projection + 4, up);
    normalised(projection + 8, forward);

    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, &slot->colorA.r);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, &slot->colorB.r);
    glMaterialf(GL_FRONT, GL_SHININESS, 64.0f);
    effectLoadModelView(slot, &m, EFFECT_PARENT_IN_FRAME, false);

    gl->glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, shared->texture);
    glColor3f(0, 1, 1);
    glEnable(GL_VERTEX_PROGRAM_ARB);
    gl->glBindProgramARB(GL_VERTEX_PROGRAM_ARB, shared->vertexProgram);
    const GLfloat locals[7][4] = {
        {right[0], right[1], right[2], 0},
        {-right[0], -right[1], -right[2], 0},
        {up[0], up[1], up[2], 0},
        {-up[0], -up[1], -up[2], 0},
        {-0.16666667f, 0.008333334f, -0.0001984127f, 0.0000027557319f},
        {-0.5f, 0.041666668f, -0.0013888889f, 0.000024801588f},
        {msToSeconds(t % 6283) - 3.1415f, 0, 0, 0},
    };
    for (int k = 0; k < 7; ++k) gl->glProgramLocalParameter4fvARB(GL_VERTEX_PROGRAM_ARB, k, locals[k]);
    glEnable(GL_FRAGMENT_PROGRAM_ARB);
    gl->glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, shared->fragmentProgram);
    const GLfloat facing[4] = {forward[0], forward[1], forward[2], 0};
    gl->glProgramLocalParameter4fvARB(GL_FRAGMENT_PROGRAM_ARB, 0, facing);

    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 12, nullptr);
    gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, s->cornerBuffer);
    gl->glClientActiveTextureARB(GL_TEXTURE0_ARB);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(4, GL_FLOAT, 16, nullptr);
    gl->glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, s->indexBuffer);
    if (bubblesVisible(s, t)) glDrawElements(GL_QUADS, s->count * 4, GL_UNSIGNED_SHORT, nullptr);

    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
    gl->glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
    glDisable(GL_VERTEX_PROGRAM_ARB);
    glDisable(GL_FRAGMENT_PROGRAM_ARB);
    glDisable(GL_TEXTURE_2D);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    resetTextureUnits(render);
}

void bubblesRelease(EffectSlot* slot) {
    BubblesState* s = static_cast<BubblesState*>(slot->state);
    deleteEffectBuffers(&s->positionBuffer, 1);
    deleteEffectBuffers(&s->cornerBuffer, 1);
    deleteEffectBuffers(&s->indexBuffer, 1);
    bubblesFree(s);
    slot->state = nullptr;
}

void bubblesReleaseShared(EffectsState* effects) {
    BubblesShared* shared = &effects->bubbles;
    if (shared->texture) glDeleteTextures(1, &shared->texture);
    shared->texture = 0;
    deleteEffectPrograms(&shared->vertexProgram, 1);
    deleteEffectPrograms(&shared->fragmentProgram, 1);
}
