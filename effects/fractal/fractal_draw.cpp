// The GL side of the fractal volumes: cached textures, the slice grid, programs and drawing.
#include <GL/gl.h>
#include <GL/glext.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "base/background_work.h"
#include "base/out_of_memory.h"
#include "effects/effect_helpers.h"
#include "effects/effects_state.h"
#include "effects/fractal/fractal.h"
#include "render/device_entry_points.h"
#include "render/program_builder.h"
#include "render/render_state.h"
#include "render/texture_units.h"
#include "scene/effect_slot.h"
#include "scene/transform.h"

namespace {

void buildPrograms(ProgramBuilder* builder, FractalShared* shared) {
    if (!shared->vertexProgram) {
        beginProgram(builder, &shared->vertexProgram, GL_VERTEX_PROGRAM_ARB);
        appendProgramText(builder, "OPTION ARB_position_invariant;\n");
        appendProgramText(builder, "PARAM texture[4] = {state.matrix.texture[0]};\n");
        appendProgramText(builder, "TEMP eyeVertex;\n");
        appendProgramText(builder,
            "DP4 eyeVertex.x, texture[0], vertex.position;\nDP4 eyeVertex.y, texture[1], vertex.position;\n"
            "DP4 eyeVertex.z, texture[2], vertex.position;\nDP4 eyeVertex.w, texture[3], vertex.position;\n");
        appendProgramText(builder, "SWZ result.texcoord[0],eyeVertex,x,y,z,1;");
        endProgram(builder, shared->vertexProgram, GL_VERTEX_PROGRAM_ARB);
    }
    if (!shared->fragmentProgram) {
        beginProgram(builder, &shared->fragmentProgram, GL_FRAGMENT_PROGRAM_ARB);
        appendProgramText(builder, "TEMP texel,temp;\n");
        appendProgramText(builder, "TEX texel, fragment.texcoord[0],texture[0],3D;\n");
        appendProgramText(builder, "MOV texel.a,state.material.specular.g;\n");
        appendProgramText(builder, "SUB texel,texel,state.material.diffuse;\nKIL texel;\n");
        appendProgramText(builder, "MUL texel,texel,state.material.specular.r;\n");
        appendProgramText(builder, "MOV result.color,texel;\n");
        endProgram(builder, shared->fragmentProgram, GL_FRAGMENT_PROGRAM_ARB);
    }
}

}  // namespace

struct FractalVolumeBuild {
    const FractalConstants* constants;
    int32_t n;
    uint8_t* voxels;
    int64_t ticket;
    std::atomic<bool> abandon;  // the player is ending before a frame needed the bytes
};

namespace {

void buildInBackground(void* context) {
    FractalVolumeBuild* build = static_cast<FractalVolumeBuild*>(context);
    const FractalConstants* c = build->constants;
    // One thread: the loading goes on beside it on the other cores.
    buildJuliaVolume(build->voxels, c->iterations, c->a, c->b, c->c, c->d, build->n, false, &build->abandon);
}

}  // namespace

uint32_t buildFractalTexture(FractalShared* shared, FractalBuilder builder, int32_t n) {
    const FractalConstants* c = fractalConstants(builder);
    if (!c) return 0;
    uint32_t& texture = shared->textures[builder];
    glEnable(GL_TEXTURE_3D);
    if (texture) {
        glBindTexture(GL_TEXTURE_3D, texture);
        return texture;
    }
    if (n <= 0) n = c->size;
    if (n > FRACTAL_MAX_SIZE) n = FRACTAL_MAX_SIZE;
    FractalVolumeBuild* build = new (std::nothrow) FractalVolumeBuild{c, n, nullptr, 0, {false}};
    if (build) build->voxels = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(n) * n * n));
    if (!build || !build->voxels) outOfMemory("a fractal volume");
    build->ticket = queueBackgroundWork(buildInBackground, build);
    shared->pending[builder] = build;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_3D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glEntryPoints()->glTexImage3DEXT(GL_TEXTURE_3D, 0, GL_LUMINANCE8, n, n, n, 0, GL_LUMINANCE, GL_UNSIGNED_BYTE,
                                     nullptr);
    return texture;
}

bool fillFractalTexture(FractalShared* shared, FractalBuilder builder, bool wait) {
    if (builder < 0 || builder >= FRACTAL_BUILDERS) return false;
    FractalVolumeBuild* build = shared->pending[builder];
    if (!build) return true;
    const int32_t n = build->n;
    if (!fillVolumeFromBackground(shared->textures[builder], build->ticket, wait, n, n, n, build->voxels)) return false;
    std::free(build->voxels);
    delete build;
    shared->pending[builder] = nullptr;
    return true;
}

void fractalInit(RenderState* render, Scene*, EffectSlot* slot) {
    const FractalBuilder builder = fractalBuilderOf(slot->variant);
    FractalState* s = static_cast<FractalState*>(std::calloc(1, sizeof(FractalState)));
    if (!s) outOfMemory("a fractal");
    slot->state = s;
    s->builder = builder;
    s->params = fractalParams(slot);
    float grid[25][3];
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 5; ++c) {
            grid[5 * r + c][0] = 0.25f * c - 0.5f;
            grid[5 * r + c][1] = 0.25f * r - 0.5f;
            grid[5 * r + c][2] = -0.5f;
        }
    uint16_t quads[64];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            const int a = 5 * r + c;
            const uint16_t q[4] = {uint16_t(a), uint16_t(a + 1), uint16_t(a + 6), uint16_t(a + 5)};
            for (int k = 0; k < 4; ++k) quads[4 * (4 * r + c) + k] = q[k];
        }
    const GlEntryPoints* gl = glEntryPoints();
    GLuint buffers[2];
    gl->glGenBuffersARB(2, buffers);
    s->vertexBuffer = buffers[0], s->indexBuffer = buffers[1];
    gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, s->vertexBuffer);
    gl->glBufferDataARB(GL_ARRAY_BUFFER_ARB, sizeof grid, grid, GL_STATIC_DRAW_ARB);
    gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
    gl->glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, s->indexBuffer);
    gl->glBufferDataARB(GL_ELEMENT_ARRAY_BUFFER_ARB, sizeof quads, quads, GL_STATIC_DRAW_ARB);
    gl->glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);

    FractalShared* shared = &render->effects->fractal;
    s->texture = buildFractalTexture(shared, builder, s->params.size);
    // No anisotropy on a volume (applyAnisotropy says why).
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_BORDER_ARB);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_BORDER_ARB);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_BORDER_ARB);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glDisable(GL_TEXTURE_3D);
    buildPrograms(&render->programText, shared);
}

void fractalRender(RenderState* render, EffectSlot* slot, int32_t timeMs) {
    slot->reset = 0;
    const FractalState* s = static_cast<const FractalState*>(slot->state);
    FractalShared* shared = &render->effects->fractal;
    if (slot->family != FAMILY_FRACTAL || !s || !s->texture || !shared->fragmentProgram) return;
    const GlEntryPoints* gl = glEntryPoints();
    glBlendFunc(GL_ONE, GL_ONE);
    glEnable(GL_BLEND);
    EffectMotion m;
    effectMotionAt(slot, timeMs, &m);

    // The inverse of the model-view's rotation: its rows normalised, the rest cleared, transposed.
    GLfloat modelView[16], v[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
    matrixLoadIdentity(v);
    for (int row = 0; row < 3; ++row) {
        const float x = modelView[row], y = modelView[4 + row], z = modelView[8 + row];
        const float length = std::sqrt(x * x + y * y + z * z);
        const float inverse = length > 0.0f ? 1.0f / length : 0.0f;
        // Transposed on the way: row of the model-view becomes column of v.
        v[4 * row + 0] = x * inverse;
        v[4 * row + 1] = y * inverse;
        v[4 * row + 2] = z * inverse;
    }
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, &slot->colorA.r);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, &slot->colorB.r);

    float texture[16];
    matrixLoadIdentity(texture);
    matrixTranslate(texture, 0.5f, 0.5f, 0.5f);
    matrixRotateHeadingPitchBank(texture, m.heading, m.pitch, m.bank);
    matrixScale(texture, 0.65f, 0.65f, 0.65f);

    gl->glActiveTextureARB(GL_TEXTURE0_ARB);
    // A warm-up frame is never shown: it draws with whatever the volume holds so far.
    fillFractalTexture(shared, s->builder, !render->warmingUp);
    glEnable(GL_TEXTURE_3D);
    glBindTexture(GL_TEXTURE_3D, s->texture);
    glEnable(GL_FRAGMENT_PROGRAM_ARB);
    gl->glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, shared->fragmentProgram);
    glEnable(GL_VERTEX_PROGRAM_ARB);
    gl->glBindProgramARB(GL_VERTEX_PROGRAM_ARB, shared->vertexProgram);
    glFrontFace(GL_CCW);
    gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, s->vertexBuffer);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 12, nullptr);
    gl->glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, s->indexBuffer);

    const int slices = slot->count < FRACTAL_MIN_SLICES ? FRACTAL_MIN_SLICES : slot->count;
    for (int i = 0; i < slices; ++i) {
        const float z = static_cast<float>(i) / static_cast<float>(slices - 1) - 0.5f;
        glMatrixMode(GL_TEXTURE);
        glLoadMatrixf(texture);
        glTranslatef(0.0f, 0.0f, z + 0.5f);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(-m.x, m.y, -m.z);
        glTranslatef(0.0f, 0.0f, z);
        glScalef(m.sx, m.sy, m.sz);
        glMultMatrixf(v);
        glDrawElements(GL_QUADS, 64, GL_UNSIGNED_SHORT, nullptr);
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
    gl->glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
    glFrontFace(GL_CW);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_FRAGMENT_PROGRAM_ARB);
    glDisable(GL_VERTEX_PROGRAM_ARB);
    resetTextureUnits(render);
}

void fractalRelease(EffectSlot* slot) {
    FractalState* s = static_cast<FractalState*>(slot->state);
    deleteEffectBuffers(&s->vertexBuffer, 1);
    deleteEffectBuffers(&s->indexBuffer, 1);
    std::free(s);
    slot->state = nullptr;
}

void fractalReleaseShared(EffectsState* effects) {
    FractalShared* shared = &effects->fractal;
    for (FractalVolumeBuild* build : shared->pending)
        if (build) build->abandon = true;
    for (FractalVolumeBuild* build : shared->pending)
        if (build) {
            waitForBackgroundWork(build->ticket);  // its thread writes into the bytes until then
            std::free(build->voxels);
            delete build;
        }
    for (uint32_t& texture : shared->textures)
        if (texture) glDeleteTextures(1, &texture);
    deleteEffectPrograms(&shared->vertexProgram, 1);
    deleteEffectPrograms(&shared->fragmentProgram, 1);
    std::memset(shared, 0, sizeof *shared);
}
