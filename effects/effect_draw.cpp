#include "effects/effect_draw.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdint>

#include "base/constants.h"
#include "render/device_entry_points.h"
#include "render/main_pass.h"
#include "render/render_state.h"
#include "render/texture_units.h"
#include "scene/layer_flags.h"
#include "scene/mesh_geometry.h"
#include "scene/transform.h"

namespace {

const GLvoid* offset(intptr_t bytes) { return reinterpret_cast<const GLvoid*>(bytes); }

}  // namespace

bool beginEffectSurface(const Scene* scene, const Mesh* mesh, const SurfaceInstance* instance, int32_t timeMs,
                        VertexSource positions) {
    const GlEntryPoints* gl = glEntryPoints();
    const Surface* s = instance->surface;
    if (!gl->glBindBufferARB || !s->vertexBuffer || !s->indexBuffer || !instance->vertexProgram) return false;
    if (s->displayLists && s->displayListCount > 0)
        glCallList(s->displayLists[textureFrame(timeMs, scene->setup.texturePeriod, s->displayListCount)]);
    glEnable(GL_FRAGMENT_PROGRAM_ARB);
    gl->glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, instance->fragmentProgram);
    glEnable(GL_VERTEX_PROGRAM_ARB);
    gl->glBindProgramARB(GL_VERTEX_PROGRAM_ARB, instance->vertexProgram);

    const GLsizei stride = s->vertexStride;
    if (positions.buffer) {
        gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, positions.buffer);
        glVertexPointer(3, GL_FLOAT, positions.stride, offset(0));
        glNormalPointer(GL_FLOAT, positions.stride, offset(12));
    }
    gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, s->vertexBuffer);
    if (!positions.buffer) {
        glVertexPointer(3, GL_FLOAT, stride, offset(0));
        glNormalPointer(GL_FLOAT, stride, offset(12));
    }
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    const bool weights = mesh && mesh->weightMapCount > 0;
    const bool bump = s->bumpLayer != 0;
    const VertexLayout layout = surfaceVertexLayout(s, weights);
    const intptr_t floatBytes = sizeof(float);
    if (weights) {
        gl->glVertexAttribPointerARB(1, 4, GL_FLOAT, GL_FALSE, stride, offset(floatBytes * layout.weightOffset));
        gl->glEnableVertexAttribArrayARB(1);
    }
    if (bump) {
        gl->glVertexAttribPointerARB(14, 3, GL_FLOAT, GL_FALSE, stride, offset(floatBytes * layout.tangentOffset));
        gl->glVertexAttribPointerARB(15, 3, GL_FLOAT, GL_FALSE, stride,
                                     offset(floatBytes * (layout.tangentOffset + 3)));
        gl->glEnableVertexAttribArrayARB(14);
        gl->glEnableVertexAttribArrayARB(15);
    }
    for (int32_t k = 0; k < s->layerCount; ++k) {
        if (!(s->layerFlags[k] & LAYER_UV)) continue;
        if (gl->glClientActiveTextureARB) gl->glClientActiveTextureARB(GLenum(GL_TEXTURE0_ARB + k));
        glTexCoordPointer(2, GL_FLOAT, stride, offset(floatBytes * (layout.uvOffset + 2 * k)));
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    gl->glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, s->indexBuffer);
    return true;
}

void drawEffectSurfaceElements(const SurfaceInstance* instance) {
    glDrawElements(GL_TRIANGLES, 3 * instance->surface->triangleCount, GL_UNSIGNED_SHORT, offset(0));
}

void endEffectSurface(const RenderState* render, const Mesh* mesh, const SurfaceInstance* instance, bool resetUnits) {
    const GlEntryPoints* gl = glEntryPoints();
    const Surface* s = instance->surface;
    const bool weights = mesh && mesh->weightMapCount > 0;
    const bool bump = s->bumpLayer != 0;
    for (int32_t k = 0; k < s->layerCount; ++k) {
        if (!(s->layerFlags[k] & LAYER_UV)) continue;
        if (gl->glClientActiveTextureARB) gl->glClientActiveTextureARB(GLenum(GL_TEXTURE0_ARB + k));
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    if (gl->glClientActiveTextureARB) gl->glClientActiveTextureARB(GL_TEXTURE0_ARB);
    if (bump) {
        gl->glDisableVertexAttribArrayARB(14);
        gl->glDisableVertexAttribArrayARB(15);
    }
    if (weights) gl->glDisableVertexAttribArrayARB(1);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
    gl->glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
    glDisable(GL_VERTEX_PROGRAM_ARB);
    glDisable(GL_FRAGMENT_PROGRAM_ARB);
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    if (resetUnits) resetTextureUnits(render);
}

void drawEffectSurface(const RenderState* render, const Scene* scene, const Mesh* mesh,
                       const SurfaceInstance* instance, int32_t timeMs, VertexSource positions,
                       BeforeDrawFn beforeDraw, const void* data, bool resetUnits) {
    if (!beginEffectSurface(scene, mesh, instance, timeMs, positions)) return;
    if (beforeDraw) beforeDraw(instance, data);
    drawEffectSurfaceElements(instance);
    endEffectSurface(render, mesh, instance, resetUnits);
}
