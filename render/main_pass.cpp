#include "render/main_pass.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include "render/device_caps.h"
#include "render/device_entry_points.h"
#include "render/effect_passes.h"
#include "render/program_slots.h"
#include "render/render_state.h"
#include "render/shadow_parameters.h"
#include "render/shadow_pass.h"
#include "render/texture_units.h"
#include "scene/layer_flags.h"
#include "scene/mesh_geometry.h"
#include "scene/transform.h"

namespace {

// Layers that only a fragment program can make sense of: without one, unit 0 shows a plain colour
// layer and the rest stay off.
const uint32_t kProgramOnlyLayers = LAYER_NORMAL_MAP | LAYER_HEIGHT_MAP | LAYER_SPECULAR_MAP | LAYER_GLOSS_MAP |
                                    LAYER_ENVIRONMENT | LAYER_CAUSTICS | LAYER_ALPHA;

struct DrawContext {
    RenderState* render;
    const Scene* scene;
    const GlEntryPoints* gl;
    bool nvPath;
    int32_t fixedFunctionUnits;  // units that can be enabled for fixed-function texturing
    int32_t imageUnits;          // units a fragment program can sample
    int32_t timeMs;
};

void itemMatrix(const SceneItem* item, float m[16]) {
    matrixLoadIdentity(m);
    matrixRotate(m, 180.0f, 0.0f, 1.0f, 0.0f);
    multiplyParentChain(m, item, ITEM_OBJECT);
}

// The palette of a skinned item into each surface's vertex program; the rows hold the whole
// transform, so the model-view is then left at identity for those surfaces.
void uploadSkinningPalette(const DrawContext& d, const SceneItem* item) {
    const int32_t boneCount = item->boneCount < ITEM_BONES ? item->boneCount : ITEM_BONES;
    // Four rows per weight-map slot; a slot no bone drives is not loaded.
    float boneRows[ITEM_BONES][16];
    uint8_t boneSet[ITEM_BONES] = {};
    for (int32_t b = 0; b < boneCount; ++b) {
        const Bone* bone = &item->bones[b];
        float rows[16];
        if (!skinningMatrix(bone, rows)) continue;
        for (int32_t k = 0; k < 16; ++k) boneRows[bone->weightMapIndex][k] = rows[k];
        boneSet[bone->weightMapIndex] = 1;
    }
    if (!d.gl->glProgramLocalParameter4fvARB) return;
    glEnable(GL_VERTEX_PROGRAM_ARB);
    for (int32_t s = 0; s < item->surfaceCount; ++s) {
        const uint32_t program = item->surfaces[s].vertexProgram;
        if (!program) continue;
        d.gl->glBindProgramARB(GL_VERTEX_PROGRAM_ARB, program);
        for (int32_t w = 0; w < ITEM_BONES; ++w) {
            if (!boneSet[w]) continue;
            for (int32_t r = 0; r < 4; ++r)
                d.gl->glProgramLocalParameter4fvARB(GL_VERTEX_PROGRAM_ARB, GLuint(LOCAL_ROWS_PER_BONE * w + r),
                                                    &boneRows[w][4 * r]);
        }
    }
    glDisable(GL_VERTEX_PROGRAM_ARB);
}

// The shadow map goes to the unit after the surface's layers. A unit past the fixed-function ones
// is bound without being enabled (enabling it is an error); one the programs cannot sample is skipped.
void bindShadowMap(const DrawContext& d, const Surface* surface) {
    const int32_t unit = surface->layerCount;
    if (unit >= d.imageUnits) return;
    bindShadowTexture(d.render, unit, unit < d.fixedFunctionUnits);
}

void setNamedParameter(const DrawContext& d, uint32_t program, const char* name, float x, float y, float z, float w) {
    int len = 0;
    while (name[len]) ++len;
    d.gl->glProgramNamedParameter4fNV(program, len, reinterpret_cast<const GLubyte*>(name), x, y, z, w);
}

void bindFragmentProgram(const DrawContext& d, const Surface* surface, uint32_t program) {
    if (d.nvPath) {
        glEnable(GL_FRAGMENT_PROGRAM_NV);
        d.gl->glBindProgramNV(GL_FRAGMENT_PROGRAM_NV, program);
        setNamedParameter(d, program, kNvGlow, surface->glow, 0.0f, 0.0f, 1.0f);
        setNamedParameter(d, program, kNvShininess, float(surface->shininess), 0.0f, 0.0f, 0.0f);
        const Colour& c = surface->color;
        for (int32_t k = 0; k < d.scene->lightCount && k < SCENE_LIGHTS; ++k) {
            const Colour& l = d.scene->lights[k].effectiveColor;
            const char diffuseName[2] = {nvDiffuseProductName(k), 0};
            const char specularName[2] = {nvSpecularProductName(k), 0};
            const float df = surface->diffuse, sf = surface->specular;
            setNamedParameter(d, program, diffuseName, c.r * l.r * df, c.g * l.g * df, c.b * l.b * df, c.a * l.a * df);
            setNamedParameter(d, program, specularName, c.r * l.r * sf, c.g * l.g * sf, c.b * l.b * sf, c.a * l.a * sf);
        }
        if (d.scene->setup.fogType != 0) {
            const float* f = d.scene->setup.fogColour;
            setNamedParameter(d, program, kNvFogColour, f[0], f[1], f[2], 1.0f);
        }
        return;
    }
    glEnable(GL_FRAGMENT_PROGRAM_ARB);
    d.gl->glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, program);
    const GLfloat glow[4] = {surface->glow, 0.0f, 0.0f, 1.0f};
    d.gl->glProgramLocalParameter4fvARB(GL_FRAGMENT_PROGRAM_ARB, LOCAL_GLOW, glow);
}

// Without programs the surface is lit by the GL lights and shows its colour layer; the height fog
// is a program feature, so plain fog stays off.
void useFixedFunction(const Surface* surface, int32_t fixedFunctionUnits, const GlEntryPoints* gl) {
    glEnable(GL_LIGHTING);
    glEnable(GL_NORMALIZE);
    glDisable(GL_FOG);
    const bool colourLayer = surface->layerCount > 0 && (surface->layerFlags[0] & LAYER_UV) &&
                             !(surface->layerFlags[0] & kProgramOnlyLayers);
    const int32_t units = surface->layerCount < fixedFunctionUnits ? surface->layerCount : fixedFunctionUnits;
    for (int32_t k = colourLayer ? 1 : 0; k < units; ++k) {
        if (gl->glActiveTextureARB) gl->glActiveTextureARB(GLenum(GL_TEXTURE0_ARB + k));
        glDisable(GL_TEXTURE_2D);
    }
    if (gl->glActiveTextureARB) gl->glActiveTextureARB(GL_TEXTURE0_ARB);
}

// A position in the bound vertex buffer, in floats from its start.
const GLvoid* floatOffset(int32_t floats) {
    return reinterpret_cast<const GLvoid*>(uintptr_t(sizeof(float)) * uintptr_t(floats));
}

struct EnabledArrays {
    bool weights;
    bool tangents;
    uint32_t uvLayers;  // bit k: client unit k
};

EnabledArrays setUpArrays(const DrawContext& d, const SceneItem* item, const Surface* surface, bool vertexProgram) {
    EnabledArrays on = {};
    const bool weights = item->mesh && item->mesh->weightMapCount > 0;
    const VertexLayout layout = surfaceVertexLayout(surface, weights);
    const GLsizei stride = surface->vertexStride;
    d.gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, surface->vertexBuffer);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, stride, floatOffset(0));
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, stride, floatOffset(3));
    if (weights && vertexProgram) {
        d.gl->glEnableVertexAttribArrayARB(1);
        d.gl->glVertexAttribPointerARB(1, 4, GL_FLOAT, GL_FALSE, stride, floatOffset(layout.weightOffset));
        on.weights = true;
    }
    if (surface->bumpLayer && vertexProgram) {
        d.gl->glEnableVertexAttribArrayARB(14);
        d.gl->glVertexAttribPointerARB(14, 3, GL_FLOAT, GL_FALSE, stride, floatOffset(layout.tangentOffset));
        d.gl->glEnableVertexAttribArrayARB(15);
        d.gl->glVertexAttribPointerARB(15, 3, GL_FLOAT, GL_FALSE, stride, floatOffset(layout.tangentOffset + 3));
        on.tangents = true;
    }
    for (int32_t k = 0; k < surface->layerCount && k < SURFACE_LAYERS; ++k) {
        if (!(surface->layerFlags[k] & LAYER_UV)) continue;
        if (d.gl->glClientActiveTextureARB) d.gl->glClientActiveTextureARB(GLenum(GL_TEXTURE0_ARB + k));
        else if (k > 0) continue;
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, stride, floatOffset(layout.uvOffset + 2 * k));
        on.uvLayers |= 1u << k;
    }
    return on;
}

void tearDownArrays(const DrawContext& d, EnabledArrays on) {
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    for (int32_t k = 0; k < SURFACE_LAYERS; ++k) {
        if (!(on.uvLayers & (1u << k))) continue;
        if (d.gl->glClientActiveTextureARB) d.gl->glClientActiveTextureARB(GLenum(GL_TEXTURE0_ARB + k));
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    if (d.gl->glClientActiveTextureARB) d.gl->glClientActiveTextureARB(GL_TEXTURE0_ARB);
    if (on.weights) d.gl->glDisableVertexAttribArrayARB(1);
    if (on.tangents) {
        d.gl->glDisableVertexAttribArrayARB(14);
        d.gl->glDisableVertexAttribArrayARB(15);
    }
    d.gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
    d.gl->glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
}

void drawSurface(const DrawContext& d, const SceneItem* item, const SurfaceInstance* instance, bool skinned,
                 const float itemModelview[16]) {
    Surface* surface = instance->surface;
    if (!surface || !surface->vertexBuffer || !surface->indexBuffer || surface->triangleCount <= 0) return;
    const bool vertexProgram = instance->vertexProgram != 0;
    const bool fragmentProgram = instance->fragmentProgram != 0;
    // A skinned surface's bone rows carry the whole transform; without its program it stays rigid.
    if (skinned && vertexProgram) glLoadIdentity();
    else glLoadMatrixf(itemModelview);

    if (d.scene->setup.shadowsOn) bindShadowMap(d, surface);
    if (surface->displayListCount > 1)
        surface->frame = textureFrame(d.timeMs, d.scene->setup.texturePeriod, surface->displayListCount);
    else
        surface->frame = 0;
    if (surface->displayLists && surface->displayLists[surface->frame])
        glCallList(surface->displayLists[surface->frame]);

    if (fragmentProgram) bindFragmentProgram(d, surface, instance->fragmentProgram);
    if (vertexProgram) {
        glEnable(GL_VERTEX_PROGRAM_ARB);
        d.gl->glBindProgramARB(GL_VERTEX_PROGRAM_ARB, instance->vertexProgram);
    } else {
        useFixedFunction(surface, d.fixedFunctionUnits, d.gl);
    }

    EnabledArrays arrays = setUpArrays(d, item, surface, vertexProgram);
    d.gl->glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, surface->indexBuffer);
    glDrawElements(GL_TRIANGLES, 3 * surface->triangleCount, GL_UNSIGNED_SHORT, nullptr);
    tearDownArrays(d, arrays);

    if (vertexProgram) glDisable(GL_VERTEX_PROGRAM_ARB);
    if (fragmentProgram) glDisable(d.nvPath ? GLenum(GL_FRAGMENT_PROGRAM_NV) : GLenum(GL_FRAGMENT_PROGRAM_ARB));
    if (!vertexProgram) {
        glDisable(GL_LIGHTING);
        glDisable(GL_NORMALIZE);
        if (d.scene->setup.fogType != 0) glEnable(GL_FOG);
    }
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    resetTextureUnits(d.render);
}

void drawObject(const DrawContext& d, const SceneItem* item) {
    float modelview[16];
    itemMatrix(item, modelview);
    const bool skinned = item->mesh && item->mesh->weightMapCount > 0 && item->bones && item->boneCount > 0;
    if (skinned) uploadSkinningPalette(d, item);
    for (int32_t s = 0; s < item->surfaceCount; ++s) drawSurface(d, item, &item->surfaces[s], skinned, modelview);
}

}  // namespace

int32_t textureFrame(int32_t timeMs, int32_t periodMs, int32_t frameCount) {
    const uint32_t period = periodMs > 0 ? uint32_t(periodMs) : uint32_t(DEFAULT_TEXTURE_PERIOD_MS);
    if (frameCount <= 1) return 0;
    // 64 bits: the product overflows 32 for long periods with many frames.
    const uint64_t frame = uint64_t(uint32_t(timeMs) % period) * uint64_t(frameCount) / period;
    return int32_t(frame);
}

bool drawScene(RenderState* render, int32_t timeMs) {
    Scene* scene = render->currentScene;
    DrawContext d = {};
    d.render = render;
    d.scene = scene;
    d.gl = glEntryPoints();
    d.nvPath = render->caps && render->caps->states[EXT_NV_FRAGMENT_PROGRAM] == EXTENSION_FOUND;
    d.fixedFunctionUnits = render->settings.maxTextureUnits;
    d.imageUnits = render->settings.maxTextureImageUnits > d.fixedFunctionUnits
                       ? render->settings.maxTextureImageUnits
                       : d.fixedFunctionUnits;
    d.timeMs = timeMs;
    if (!d.gl->glBindBufferARB) return false;  // the meshes live in buffer objects

    setShadowParameters(render, timeMs);
    resetTextureUnits(render);
    glMatrixMode(GL_MODELVIEW);
    int32_t slot = 0;
    for (int32_t i = 0; scene->items && i < scene->itemCount; ++i) {
        const SceneItem* item = &scene->items[i];
        if (item->isNull) {
            // Every null owns the next slot, whatever its pass.
            if (renderNullEffect(render, scene, slot, timeMs)) resetTextureUnits(render);
            ++slot;
            continue;
        }
        drawObject(d, item);
    }
    glDepthMask(GL_TRUE);
    return true;
}
