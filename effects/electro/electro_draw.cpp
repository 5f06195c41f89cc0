// The GL side shared by electro surfaces and ribbons: buffers, pictures, the glow program and drawing.
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdlib>
#include <cstring>

#include "data/texture.h"
#include "effects/effect_helpers.h"
#include "effects/effects_state.h"
#include "effects/electro/electro_ribbon.h"
#include "effects/noise.h"
#include "render/device_entry_points.h"
#include "render/program_builder.h"
#include "render/program_slots.h"
#include "render/render_state.h"
#include "render/texture_units.h"
#include "render/texture_upload.h"
#include "scene/effect_slot.h"

namespace {

const char* const kGlowLines[] = {
    "TEMP glow, turb, y, t, mid, color;\n",
    "TEX\t\tcolor, fragment.texcoord[2], texture[1], 2D;\n",
    "TEX\t\tturb, fragment.texcoord[0], texture[0], 3D;\n",
    "MAD\t\tturb.x, turb.x, program.local[3], program.local[2];\n",
    "MAD_SAT\tt.x, fragment.texcoord[1].y, -fragment.texcoord[1].y, program.local[1];\n",
    "MAD\t\ty, turb.x, -t.x, fragment.texcoord[1].x;\n",
    "ABS\t\ty, y;\n",
    "POW\t\tglow.x, y.x, program.local[0].x;\n",
    "MAD\t\tglow, -glow.x, color, color;\n",
    "MUL\t\tglow, glow, glow;\n",
    "MOV\t\tglow.a,0.35;\n",
    "DP4\t\tglow.a,glow,glow;\n",
    "MUL\t\tresult.color, glow, glow;\n",
};

const char* const kPicturePaths[3] = ELECTRO_PICTURES;

// Each slot gets the form it asks for; the first slot to load does not decide it for the others.
uint32_t glowProgram(ProgramBuilder* builder, ElectroShared* shared, bool grey) {
    uint32_t& program = shared->glowPrograms[grey ? 1 : 0];
    if (program) return program;
    beginProgram(builder, &program, GL_FRAGMENT_PROGRAM_ARB);
    for (size_t k = 0; k < sizeof kGlowLines / sizeof kGlowLines[0]; ++k) {
        appendProgramText(builder, kGlowLines[k]);
        if (k == 1 && grey) appendProgramText(builder, "MOV\t\tcolor,color.r;\n");
    }
    endProgram(builder, program, GL_FRAGMENT_PROGRAM_ARB);
    return program;
}

uint32_t makeBuffer(GLenum target, const void* data, size_t bytes, GLenum usage) {
    const GlEntryPoints* gl = glEntryPoints();
    GLuint name = 0;
    gl->glGenBuffersARB(1, &name);
    gl->glBindBufferARB(target, name);
    gl->glBufferDataARB(target, static_cast<GLsizeiptrARB>(bytes), data, usage);
    gl->glBindBufferARB(target, 0);
    return name;
}

// Shared set-up of both forms: vertex, index and coordinate buffers, the volume, the pictures.
void initElectro(RenderState* render, Scene* scene, const ElectroParams& params, ElectroBuffers* buffers,
                 const ElectroVertex* vertices, size_t vertexCount, const uint16_t* indices, size_t indexCount,
                 const float* texCoords, bool ribbon) {
    const Settings* settings = effectSettings(render, scene);
    ElectroShared* shared = &render->effects->electro;
    buffers->vertices =
        makeBuffer(GL_ARRAY_BUFFER_ARB, vertices, vertexCount * sizeof(ElectroVertex), GL_STREAM_DRAW_ARB);
    buffers->indices =
        makeBuffer(GL_ELEMENT_ARRAY_BUFFER_ARB, indices, indexCount * sizeof(uint16_t), GL_STATIC_DRAW_ARB);
    sharedNoiseVolume(render);
    if (ribbon)
        effectPicture(&shared->pictures[2], kPicturePaths[2], settings);
    else
        for (int k = 0; k < 2; ++k) effectPicture(&shared->pictures[k], kPicturePaths[k], settings);
    buffers->texCoords = makeBuffer(GL_ARRAY_BUFFER_ARB, texCoords, vertexCount * 2 * sizeof(float), GL_STATIC_DRAW_ARB);
    glowProgram(&render->programText, shared, params.grey);
}

void drawElectro(RenderState* render, EffectSlot* slot, const ElectroParams& params, const ElectroBuffers& buffers,
                 int32_t timeMs, const ElectroVertex* vertices, size_t vertexCount, size_t indexCount, bool ribbon) {
    const GlEntryPoints* gl = glEntryPoints();
    ElectroShared* shared = &render->effects->electro;
    gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, buffers.vertices);
    if (void* mapped = gl->glMapBufferARB(GL_ARRAY_BUFFER_ARB, GL_WRITE_ONLY_ARB)) {
        std::memcpy(mapped, vertices, vertexCount * sizeof(ElectroVertex));
        gl->glUnmapBufferARB(GL_ARRAY_BUFFER_ARB);
    }
    EffectMotion m;
    effectMotionAt(slot, timeMs, &m);
    if (ribbon) m.x = m.y = m.z = 0.0f;  // the vertices already lie on the path
    resetTextureUnits(render);
    effectLoadModelView(slot, &m, EFFECT_PARENT_TURNED, true);

    const bool backwards = params.backwards;
    glDepthMask(GL_FALSE);
    if (backwards) glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glDisable(GL_CULL_FACE);
    const float* a = &slot->colorA.r;
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, a);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, a);
    glMaterialf(GL_FRONT, GL_SHININESS, 32.0f);
    glFrontFace(GL_CCW);

    gl->glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_3D);
    readyNoiseVolume(render);
    glBindTexture(GL_TEXTURE_3D, sharedNoiseVolume(render));
    gl->glActiveTextureARB(GL_TEXTURE1_ARB);
    glEnable(GL_TEXTURE_2D);
    const int picture = ribbon ? 2 : params.picture;
    const TextureImage* image =
        picture >= 0 && picture <= 2 && (ribbon || picture < 2) ? &shared->pictures[picture] : nullptr;
    glBindTexture(GL_TEXTURE_2D, image && image->names ? image->names[0] : 0);
    glEnable(GL_FRAGMENT_PROGRAM_ARB);
    gl->glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, glowProgram(&render->programText, shared, params.grey));
    for (int k = 0; k < 4; ++k) {
        const float f = params.glow[k];
        const GLfloat local[4] = {f, f, f, f};
        gl->glProgramLocalParameter4fvARB(GL_FRAGMENT_PROGRAM_ARB, k, local);
    }

    const GLsizei stride = sizeof(ElectroVertex);
    gl->glClientActiveTextureARB(GL_TEXTURE0_ARB);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(3, GL_FLOAT, stride, reinterpret_cast<const void*>(12));
    gl->glClientActiveTextureARB(GL_TEXTURE1_ARB);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, stride, reinterpret_cast<const void*>(24));
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, stride, nullptr);
    gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, buffers.texCoords);
    gl->glClientActiveTextureARB(GL_TEXTURE2_ARB);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, 8, nullptr);
    gl->glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, buffers.indices);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indexCount), GL_UNSIGNED_SHORT, nullptr);

    for (int unit = 2; unit >= 0; --unit) {
        gl->glClientActiveTextureARB(GLenum(GL_TEXTURE0_ARB + unit));
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
    gl->glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
    glDisable(GL_FRAGMENT_PROGRAM_ARB);
    glFrontFace(GL_CW);
    glDisable(GL_BLEND);
    glEnable(GL_CULL_FACE);
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
    resetTextureUnits(render);
}

void releaseBuffers(ElectroBuffers* buffers) {
    deleteEffectBuffers(&buffers->vertices, 1);
    deleteEffectBuffers(&buffers->indices, 1);
    deleteEffectBuffers(&buffers->texCoords, 1);
}

template <typename State>
State* stateOf(EffectSlot* slot) {
    if (!slot->state) slot->state = std::calloc(1, sizeof(State));
    return static_cast<State*>(slot->state);
}

}  // namespace

void electroSurfaceInit(RenderState* render, Scene* scene, EffectSlot* slot) {
    const ElectroGenerator generator = electroGeneratorOf(slot->variant);
    ElectroSurfaceState* s = stateOf<ElectroSurfaceState>(slot);
    if (!s) return;
    s->generator = generator;
    s->params = electroParams(slot);
    electroSurfaceVertices(generator, s->params, 0, s->vertices);
    static uint16_t indices[ELECTRO_INDICES];
    static float texCoords[ELECTRO_VERTICES * 2];
    electroSurfaceIndices(generator, indices);
    electroGridTexCoords(texCoords);
    initElectro(render, scene, s->params, &s->buffers, s->vertices, ELECTRO_VERTICES, indices, ELECTRO_INDICES,
                texCoords, false);
}

namespace {

void surfaceQueued(int32_t, void* context) {
    ElectroSurfaceState* s = static_cast<ElectroSurfaceState*>(context);
    electroSurfaceVertices(s->generator, s->params, s->surface.timeMs, s->vertices);
}

}  // namespace

void electroSurfacePrepare(RenderState*, EffectSlot* slot, int32_t timeMs) {
    ElectroSurfaceState* s = static_cast<ElectroSurfaceState*>(slot->state);
    if (slot->family != FAMILY_ELECTRO_SURFACE || !s || !s->buffers.vertices) return;
    queueEffectWork(&s->surface, timeMs, 1, surfaceQueued, s);
}

void electroSurfaceRender(RenderState* render, EffectSlot* slot, int32_t timeMs) {
    slot->reset = 0;  // stateless between frames
    ElectroSurfaceState* s = static_cast<ElectroSurfaceState*>(slot->state);
    if (slot->family != FAMILY_ELECTRO_SURFACE || !s || !s->buffers.vertices) return;
    if (!awaitEffectWork(&s->surface, timeMs)) electroSurfaceVertices(s->generator, s->params, timeMs, s->vertices);
    drawElectro(render, slot, s->params, s->buffers, timeMs, s->vertices, ELECTRO_VERTICES, ELECTRO_INDICES, false);
}

void electroRibbonInit(RenderState* render, Scene* scene, EffectSlot* slot) {
    ElectroRibbonState* s = stateOf<ElectroRibbonState>(slot);
    if (!s) return;
    s->params = electroParams(slot);
    electroRibbonVertices(slot, s->params, 0, nullptr, s->vertices);
    static uint16_t indices[RIBBON_INDICES];
    static float texCoords[RIBBON_VERTICES * 2];
    electroRibbonIndices(indices);
    electroRibbonTexCoords(texCoords);
    initElectro(render, scene, s->params, &s->buffers, s->vertices, RIBBON_VERTICES, indices, RIBBON_INDICES, texCoords,
                true);
}

void electroRibbonRender(RenderState* render, EffectSlot* slot, int32_t timeMs) {
    slot->reset = 0;
    ElectroRibbonState* s = static_cast<ElectroRibbonState*>(slot->state);
    if (slot->family != FAMILY_ELECTRO_RIBBON || !s || !s->buffers.vertices) return;
    // The viewer's place in scene coordinates, as the view set-up left it for the programs, while a
    // camera is in use (the ribbon's formula turns it into the render frame itself).
    float camera[4] = {0, 0, 0, 0};
    const GlEntryPoints* gl = glEntryPoints();
    const bool haveCamera = render->currentCamera && gl->glGetProgramEnvParameterfvARB;
    if (haveCamera) gl->glGetProgramEnvParameterfvARB(GL_VERTEX_PROGRAM_ARB, VERTEX_ENV_CAMERA, camera);
    electroRibbonVertices(slot, s->params, timeMs, haveCamera ? camera : nullptr, s->vertices);
    drawElectro(render, slot, s->params, s->buffers, timeMs, s->vertices, RIBBON_VERTICES, RIBBON_INDICES, true);
}

void electroSurfaceRelease(EffectSlot* slot) {
    ElectroSurfaceState* s = static_cast<ElectroSurfaceState*>(slot->state);
    releaseBuffers(&s->buffers);
    std::free(s);
    slot->state = nullptr;
}

void electroRibbonRelease(EffectSlot* slot) {
    ElectroRibbonState* s = static_cast<ElectroRibbonState*>(slot->state);
    releaseBuffers(&s->buffers);
    std::free(s);
    slot->state = nullptr;
}

void electroReleaseShared(EffectsState* effects) {
    ElectroShared* shared = &effects->electro;
    deleteEffectPrograms(shared->glowPrograms, 2);
    for (TextureImage& picture : shared->pictures) releaseTextureImage(&picture);
}
