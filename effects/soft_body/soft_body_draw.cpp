// The soft-body slot: its object loaded as particles, simulated lazily to the scene time, streamed
// into a buffer of positions and normals and drawn with the object's own programs.
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "base/constants.h"
#include "base/out_of_memory.h"
#include "effects/body_programs.h"
#include "effects/effect_draw.h"
#include "effects/effect_helpers.h"
#include "effects/soft_body/soft_body.h"
#include "render/device_entry_points.h"
#include "render/mesh_build.h"
#include "render/render_state.h"
#include "render/texture_units.h"
#include "scene/transform.h"

namespace {

struct SoftBodyState {
    SoftBody* body;
    SceneItem item;
    uint32_t outputBuffer;  // position and normal of every particle, 24 bytes each
    int32_t step;
    SoftBodyParams params;
};

SoftBodyState* softBodyState(EffectSlot* slot) {
    return slot->family == FAMILY_SOFT_BODY ? static_cast<SoftBodyState*>(slot->state) : nullptr;
}

// The first surface's vertex positions and indices, read back from its buffers.
bool readFirstSurface(const Surface* s, std::vector<float>* positions, std::vector<uint16_t>* indices) {
    const GlEntryPoints* gl = glEntryPoints();
    if (!gl->glGetBufferSubDataARB || !s->vertexBuffer || !s->indexBuffer || s->vertexStride < 12) return false;
    GLint bytes = 0;
    gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, s->vertexBuffer);
    gl->glGetBufferParameterivARB(GL_ARRAY_BUFFER_ARB, GL_BUFFER_SIZE_ARB, &bytes);
    const int32_t count = bytes / s->vertexStride;
    std::vector<float> vertices(size_t(bytes) / sizeof(float) + 1);
    gl->glGetBufferSubDataARB(GL_ARRAY_BUFFER_ARB, 0, bytes, vertices.data());
    gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
    positions->resize(size_t(count) * 3);
    const int32_t floats = s->vertexStride / int32_t(sizeof(float));
    for (int32_t i = 0; i < count; ++i)
        for (int k = 0; k < 3; ++k) (*positions)[size_t(3 * i + k)] = vertices[size_t(i * floats + k)];

    gl->glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, s->indexBuffer);
    gl->glGetBufferParameterivARB(GL_ELEMENT_ARRAY_BUFFER_ARB, GL_BUFFER_SIZE_ARB, &bytes);
    indices->resize(size_t(bytes) / sizeof(uint16_t));
    gl->glGetBufferSubDataARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0, bytes, indices->data());
    gl->glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
    return count > 0;
}

void streamParticles(const SoftBodyState* state) {
    const GlEntryPoints* gl = glEntryPoints();
    gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, state->outputBuffer);
    float* out = static_cast<float*>(gl->glMapBufferARB(GL_ARRAY_BUFFER_ARB, GL_WRITE_ONLY_ARB));
    if (out) {
        for (int32_t i = 0; i < state->body->particleCount; ++i) {
            const SoftParticle& p = state->body->particles[i];
            for (int k = 0; k < 3; ++k) {
                out[6 * i + k] = p.position[k];
                out[6 * i + 3 + k] = p.normal[k];
            }
        }
        gl->glUnmapBufferARB(GL_ARRAY_BUFFER_ARB);
    }
    gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
}

// The body at the null: drawn unturned when its box follows the null (the box turns instead).
void placeBody(const SoftBodyState* state, const EffectMotion& pose) {
    float m[16];
    matrixLoadIdentity(m);
    matrixRotate(m, 180.0f, 0.0f, 1.0f, 0.0f);
    matrixTranslate(m, pose.x, pose.y, pose.z);
    if (!state->params.follow) matrixRotateHeadingPitchBank(m, pose.heading, pose.pitch, pose.bank);
    matrixScale(m, pose.sx, pose.sy, pose.sz);
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(m);
}

}  // namespace

void softBodyInit(RenderState* render, Scene* scene, EffectSlot* slot) {
    SoftBodyState* state = static_cast<SoftBodyState*>(std::calloc(1, sizeof(SoftBodyState)));
    if (!state) outOfMemory("a soft body");
    slot->state = state;
    state->params = softBodyParams(slot);
    std::snprintf(state->item.name, sizeof state->item.name, "%s", slot->fileName);
    if (buildMesh(render, scene, &state->item) < 0 || state->item.surfaceCount < 1) return;
    std::vector<float> positions;
    std::vector<uint16_t> indices;
    if (!readFirstSurface(state->item.surfaces[0].surface, &positions, &indices)) return;
    const int32_t count = int32_t(positions.size() / 3);
    state->body = createSoftBody(positions.data(), count, indices.data(), int32_t(indices.size()), state->params);
    if (!state->body) return;
    const GlEntryPoints* gl = glEntryPoints();
    gl->glGenBuffersARB(1, &state->outputBuffer);
    gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, state->outputBuffer);
    gl->glBufferDataARB(GL_ARRAY_BUFFER_ARB, GLsizeiptrARB(count) * 24, nullptr, GL_STATIC_DRAW_ARB);
    gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
    for (int32_t s = 0; s < state->item.surfaceCount; ++s) {
        SurfaceInstance* instance = &state->item.surfaces[s];
        if (bodyProgramsFit(scene, instance, state->item.name))
            buildSoftBodyPrograms(&render->programText, scene, instance);
    }
}

void softBodyAdvance(RenderState*, EffectSlot* slot, int32_t timeMs) {
    SoftBodyState* state = softBodyState(slot);
    if (!state || !state->body) {
        slot->reset = 0;
        return;
    }
    if (slot->reset) {
        resetBody(state->body, state->params);
        state->step = 0;
        slot->reset = 0;
    }
    advanceSoftBody(state->body, state->params, &state->step, timeMs);
    if (state->params.follow) {
        EffectMotion pose;
        effectMotionAt(slot, timeMs, &pose);
        // A box that follows the null turns with it: its walls for the next steps.
        setFollowBox(state->body, pose.heading, pose.pitch, pose.bank);
    }
}

void softBodyFrame(RenderState* render, EffectSlot* slot, int32_t timeMs) {
    softBodyAdvance(render, slot, timeMs);
    SoftBodyState* state = softBodyState(slot);
    if (!state || !state->body) return;
    EffectMotion pose;
    effectMotionAt(slot, timeMs, &pose);
    accumulateNormals(state->body);
    streamParticles(state);
    resetTextureUnits(render);
    placeBody(state, pose);
    const Scene* scene = render->currentScene;
    // Only the first surface is simulated: the others keep their own vertices.
    for (int32_t s = 0; s < state->item.surfaceCount; ++s) {
        VertexSource source = {s == 0 ? state->outputBuffer : 0, 24};
        drawEffectSurface(render, scene, state->item.mesh, &state->item.surfaces[s], timeMs, source, nullptr,
                          nullptr, false);
    }
    resetTextureUnits(render);
}

void softBodyRelease(EffectSlot* slot) {
    SoftBodyState* state = static_cast<SoftBodyState*>(slot->state);
    freeSoftBody(state->body);
    deleteEffectBuffers(&state->outputBuffer, 1);
    releaseEffectItem(&state->item);
    std::free(state);
    slot->state = nullptr;
}
