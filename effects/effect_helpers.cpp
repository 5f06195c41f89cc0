#include "effects/effect_helpers.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/background_work.h"
#include "base/constants.h"
#include "data/image.h"
#include "render/device_entry_points.h"
#include "render/render_state.h"
#include "render/texture_upload.h"
#include "scene/effect_slot.h"
#include "scene/scene.h"
#include "scene/transform.h"

void effectMotionAt(const EffectSlot* slot, int32_t timeMs, EffectMotion* out) {
    const float t = msToSeconds(timeMs);
    float v[MOTION_CHANNELS];
    for (int k = 0; k < MOTION_CHANNELS; ++k) v[k] = evalEnvelope(&slot->motion[k], t);
    *out = {v[0], v[1], v[2], v[3] * kDegreesPerRadian, v[4] * kDegreesPerRadian, v[5] * kDegreesPerRadian,
            v[6], v[7], v[8]};
}

void effectLoadModelView(const EffectSlot* slot, const EffectMotion* m, EffectParenting parenting, bool withScale) {
    float matrix[16];
    matrixLoadIdentity(matrix);
    if (parenting == EFFECT_PARENT_TURNED || (parenting == EFFECT_PARENT_IN_FRAME && slot->parent)) {
        matrixRotate(matrix, 180.0f, 0.0f, 1.0f, 0.0f);
        multiplyParentChain(matrix, slot->parent, slot->parentKind);
        if (parenting == EFFECT_PARENT_TURNED) matrixRotate(matrix, -180.0f, 0.0f, 1.0f, 0.0f);
    }
    matrixTranslate(matrix, -m->x, m->y, -m->z);
    matrixRotateHeadingPitchBank(matrix, m->heading, m->pitch, m->bank);
    if (withScale) matrixScale(matrix, m->sx, m->sy, m->sz);
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(matrix);
}

const Settings* effectSettings(const RenderState* render, const Scene* scene) {
    return scene && scene->settings ? scene->settings : &render->settings;
}

void effectPictureFiltering(const Settings* settings, uint32_t minFilter, bool generateMipmaps) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    if (generateMipmaps) glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP_SGIS, GL_TRUE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GLint(minFilter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    applyAnisotropy(settings);
}

uint32_t effectPicture(TextureImage* image, const char* path, const Settings* settings) {
    if (image->names) return image->names[0];
    std::memset(image, 0, sizeof *image);
    image->first = 0;
    image->end = 1;
    std::snprintf(image->path, sizeof image->path, "%s", path);
    loadTexture(image, settings);
    if (!image->names || !image->names[0]) return 0;
    glBindTexture(GL_TEXTURE_2D, image->names[0]);
    effectPictureFiltering(settings, GL_LINEAR_MIPMAP_LINEAR, true);
    return image->names[0];
}

void queueEffectWork(QueuedEffectWork* work, int32_t timeMs, int32_t count, void (*run)(int32_t item, void* context),
                     void* context) {
    work->timeMs = timeMs;  // before the helpers can read it
    work->queued = true;
    work->ticket = queueSharedWork(count, run, context);
}

bool awaitEffectWork(QueuedEffectWork* work, int32_t timeMs) {
    if (!work->queued) return false;
    awaitSharedWork(work->ticket);
    work->queued = false;
    return work->timeMs == timeMs;
}

bool fillVolumeFromBackground(uint32_t texture, int64_t ticket, bool wait, int32_t width, int32_t height, int32_t depth,
                              const uint8_t* bytes) {
    if (!wait && !backgroundWorkDone(ticket)) return false;
    waitForBackgroundWork(ticket);  // its thread writes into the bytes until then
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_3D, &bound);
    glBindTexture(GL_TEXTURE_3D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glEntryPoints()->glTexSubImage3DEXT(GL_TEXTURE_3D, 0, 0, 0, 0, width, height, depth, GL_LUMINANCE, GL_UNSIGNED_BYTE,
                                        bytes);
    glBindTexture(GL_TEXTURE_3D, GLuint(bound));
    return true;
}

void deleteEffectBuffers(uint32_t* names, int32_t count) {
    const GlEntryPoints* gl = glEntryPoints();
    for (int32_t k = 0; k < count; ++k) {
        if (names[k] && gl->glDeleteBuffersARB) gl->glDeleteBuffersARB(1, &names[k]);
        names[k] = 0;
    }
}

void deleteEffectPrograms(uint32_t* names, int32_t count) {
    const GlEntryPoints* gl = glEntryPoints();
    for (int32_t k = 0; k < count; ++k) {
        if (names[k] && gl->glDeleteProgramsARB) gl->glDeleteProgramsARB(1, &names[k]);
        names[k] = 0;
    }
}

void releaseEffectItem(SceneItem* item) {
    for (int32_t s = 0; item->surfaces && s < item->surfaceCount; ++s) {
        deleteEffectPrograms(&item->surfaces[s].vertexProgram, 1);
        deleteEffectPrograms(&item->surfaces[s].fragmentProgram, 1);
    }
    std::free(item->surfaces);
    item->surfaces = nullptr;
    item->surfaceCount = 0;
    item->mesh = nullptr;
}

int32_t effectLights(const Scene* scene, int32_t firstSet, int32_t texCoordSets, EffectLight* out) {
    int32_t n = 0;
    for (int32_t k = 0; k < scene->lightCount && k < SCENE_LIGHTS; ++k) {
        if (scene->lights[k].type != 0 && scene->lights[k].type != 1) continue;
        if (firstSet + n >= texCoordSets) break;
        out[n] = {firstSet + n, k};
        ++n;
    }
    return n;
}

int32_t effectLightsWithVectors(const Scene* scene) {
    int32_t n = 0;
    for (int32_t k = 0; k < scene->lightCount && k < SCENE_LIGHTS; ++k)
        n += scene->lights[k].type == 0 || scene->lights[k].type == 1;
    return n;
}

int32_t effectTexCoordSets() {
    GLint sets = 0;
    glGetIntegerv(GL_MAX_TEXTURE_COORDS_ARB, &sets);
    if (sets <= 0) glGetIntegerv(GL_MAX_TEXTURE_UNITS_ARB, &sets);
    return sets;
}
