#include "render/shadow_pass.h"

#include <cstdint>

#include "render/device_entry_points.h"
#include "render/device_state.h"
#include "render/program_slots.h"
#include "render/render_state.h"
#include "render/shadow_parameters.h"
#include "render/texture_units.h"
#include "scene/layer_flags.h"
#include "scene/mesh_geometry.h"
#include "scene/transform.h"

namespace {

constexpr uint32_t kNoShadowLayers = LAYER_TRANSPARENT | LAYER_ADDITIVE | LAYER_ALPHA;

const GLubyte* offset(uintptr_t bytes) { return reinterpret_cast<const GLubyte*>(bytes); }

bool isSkinned(const SceneItem& item) { return item.mesh->weightMapCount > 0 && item.boneCount > 0; }

// The bone palette goes to the depth vertex program of every surface, as the main pass loads it into
// the material programs; the bones then carry the whole transform.
void loadBonePalette(const SceneItem& item) {
    const GlEntryPoints* gl = glEntryPoints();
    for (int32_t b = 0; b < item.boneCount; ++b) {
        const Bone& bone = item.bones[b];
        float rows[16];
        if (!skinningMatrix(&bone, rows)) continue;
        for (int32_t s = 0; s < item.surfaceCount; ++s) {
            glEnable(GL_VERTEX_PROGRAM_ARB);
            gl->glBindProgramARB(GL_VERTEX_PROGRAM_ARB, item.surfaces[s].surface->shadowPrograms[0]);
            for (int r = 0; r < 4; ++r)
                gl->glProgramLocalParameter4fvARB(GL_VERTEX_PROGRAM_ARB, GLuint(LOCAL_ROWS_PER_BONE * bone.weightMapIndex + r),
                                                  &rows[4 * r]);
        }
    }
    glDisable(GL_VERTEX_PROGRAM_ARB);
    glLoadIdentity();
}

void drawSurface(const Surface* surface, bool weighted) {
    const GlEntryPoints* gl = glEntryPoints();
    glEnable(GL_FRAGMENT_PROGRAM_ARB);
    gl->glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, surface->shadowPrograms[1]);
    glEnable(GL_VERTEX_PROGRAM_ARB);
    gl->glBindProgramARB(GL_VERTEX_PROGRAM_ARB, surface->shadowPrograms[0]);
    gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, surface->vertexBuffer);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, surface->vertexStride, offset(0));
    if (weighted) {
        const VertexLayout layout = surfaceVertexLayout(surface, weighted);
        gl->glEnableVertexAttribArrayARB(1);
        gl->glVertexAttribPointerARB(1, 4, GL_FLOAT, GL_FALSE, surface->vertexStride,
                                     offset(sizeof(float) * uintptr_t(layout.weightOffset)));
    }
    gl->glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, surface->indexBuffer);
    glDrawElements(GL_TRIANGLES, 3 * surface->triangleCount, GL_UNSIGNED_SHORT, offset(0));
    glDisableClientState(GL_VERTEX_ARRAY);
    if (weighted) gl->glDisableVertexAttribArrayARB(1);
    gl->glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
    gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
    glDisable(GL_VERTEX_PROGRAM_ARB);
    glDisable(GL_FRAGMENT_PROGRAM_ARB);
}

}  // namespace

bool castsShadow(const Surface* surface) {
    for (int32_t k = 0; k < surface->layerCount && k < SURFACE_LAYERS; ++k)
        if (surface->layerFlags[k] & kNoShadowLayers) return false;
    return true;
}

void setUpShadowCamera(RenderState* render, int32_t timeMs) {
    const ShadowParameters p = shadowParameters(&render->currentScene->setup, timeMs);
    const float x = p.volume[0], y = p.volume[1], z = p.volume[2], w = p.volume[3];
    // The buffer shares the window's state: whatever the last frame left, this pass writes depth and
    // every colour channel, keeps the nearest surface and culls as the main pass does.
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glDepthFunc(GL_LESS);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CW);
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_BLEND);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // Depth grows with Y - y, so the depth test keeps the highest surface above each texel.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-w, w, -w, w, 1000.0, -1000.0);
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
    glTranslatef(x, -y, z);
    glMatrixMode(GL_MODELVIEW);
}

void drawDepthPass(RenderState* render, int32_t timeMs) {
    const Scene* scene = render->currentScene;
    resetTextureUnits(render);
    const ShadowParameters p = shadowParameters(&scene->setup, timeMs);
    setShadowVertexParameters(&p);
    for (int32_t i = 0; i < scene->itemCount; ++i) {
        const SceneItem& item = scene->items[i];
        if (item.isNull || !item.mesh) continue;
        float m[16];
        matrixLoadIdentity(m);
        matrixRotate(m, 180.0f, 0.0f, 1.0f, 0.0f);
        multiplyParentChain(m, &item, ITEM_OBJECT);
        glMatrixMode(GL_MODELVIEW);
        glLoadMatrixf(m);
        const bool weighted = item.mesh->weightMapCount > 0;
        if (isSkinned(item)) loadBonePalette(item);
        for (int32_t s = 0; s < item.surfaceCount; ++s) {
            const Surface* surface = item.surfaces[s].surface;
            if (surface && castsShadow(surface)) drawSurface(surface, weighted);
        }
    }
    glFrontFace(GL_CW);
}

void renderShadowMap(RenderState* render, int32_t timeMs) {
    const Scene* scene = render->currentScene;
    if (!scene || !scene->setup.shadowsOn || !render->shadowFramebuffer) return;
    if (!shadowParameters(&scene->setup, timeMs).castsShadows) return;
    bindShadowBuffer(render);
    const int32_t size = render->settings.shadowMapSize;
    glViewport(0, 0, size, size);
    setUpShadowCamera(render, timeMs);
    drawDepthPass(render, timeMs);
    unbindShadowBuffer();
}

void bindShadowTexture(RenderState* render, int32_t unit, bool enable) {
    const GlEntryPoints* gl = glEntryPoints();
    if (unit < 0 || unit >= 32 || !gl->glActiveTextureARB) return;
    gl->glActiveTextureARB(GLenum(GL_TEXTURE0_ARB + unit));
    if (enable) glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, render->shadowTexture);
    gl->glActiveTextureARB(GL_TEXTURE0_ARB);
    render->shadowUnits.bound |= 1u << unit;
}

void releaseShadowTexture(RenderState* render) {
    uint32_t& bound = render->shadowUnits.bound;
    const GlEntryPoints* gl = glEntryPoints();
    for (int32_t unit = 0; unit < 32 && bound; ++unit) {
        if (!(bound & (1u << unit))) continue;
        bound &= ~(1u << unit);
        if (gl->glActiveTextureARB) gl->glActiveTextureARB(GLenum(GL_TEXTURE0_ARB + unit));
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    if (gl->glActiveTextureARB) gl->glActiveTextureARB(GL_TEXTURE0_ARB);
}
