#include "effects/picture/picture.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <cstdlib>

#include "base/out_of_memory.h"
#include "data/image.h"
#include "effects/effect_helpers.h"
#include "render/device_entry_points.h"
#include "render/render_state.h"
#include "render/texture_units.h"
#include "render/texture_upload.h"
#include "scene/effect_slot.h"

const float kPictureQuad[4][4] = {
    {0.0f, 1.0f, -1.0f, 1.0f},
    {1.0f, 1.0f, 1.0f, 1.0f},
    {1.0f, 0.25f, 1.0f, -1.0f},
    {0.0f, 0.25f, -1.0f, -1.0f},
};

void pictureInit(RenderState* render, Scene* scene, EffectSlot* slot) {
    const Settings* settings = scene->settings ? scene->settings : &render->settings;
    TextureImage* image = static_cast<TextureImage*>(std::calloc(1, sizeof(TextureImage)));
    if (!image) outOfMemory("a picture");
    image->first = 0;
    image->end = 1;
    std::snprintf(image->path, sizeof image->path, "%s", slot->fileName);
    loadTexture(image, settings);
    slot->state = image;
    if (!image->names || !image->names[0]) return;
    glBindTexture(GL_TEXTURE_2D, image->names[0]);
    effectPictureFiltering(settings, GL_LINEAR, false);
}

void pictureRender(RenderState* render, EffectSlot* slot, int32_t) {
    slot->reset = 0;
    const TextureImage* image = slot->family == FAMILY_PICTURE ? static_cast<const TextureImage*>(slot->state) : nullptr;
    if (!image || !image->names || !image->names[0]) return;
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    if (glEntryPoints()->glActiveTextureARB) glEntryPoints()->glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, image->names[0]);
    glColor3f(1, 1, 1);
    glBegin(GL_QUADS);
    for (const float* c : kPictureQuad) {
        glTexCoord2f(c[0], c[1]);
        glVertex2f(c[2], c[3]);
    }
    glEnd();
    resetTextureUnits(render);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

void pictureRelease(EffectSlot* slot) {
    TextureImage* image = static_cast<TextureImage*>(slot->state);
    releaseTextureImage(image);
    std::free(image);
    slot->state = nullptr;
}
