#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdlib>

#include "base/out_of_memory.h"
#include "render/glow.h"
#include "render/render_state.h"

namespace {

enum { GLOW_TEXTURE_MIN = 512, GLOW_TEXTURE_MAX = 1 << 15 };

int32_t powerOfTwoCover(int32_t size) {
    int32_t cover = GLOW_TEXTURE_MIN;
    while (cover < size && cover < GLOW_TEXTURE_MAX) cover *= 2;
    return cover;
}

void createGlowTexture(RenderState* render, int32_t width, int32_t height) {
    glGenTextures(1, &render->glowTexture);
    glBindTexture(GL_TEXTURE_2D, render->glowTexture);
    defineFrameCopyTexture(width, height);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);
}

}  // namespace

void defineFrameCopyTexture(int32_t width, int32_t height) {
    void* zeros = std::calloc(size_t(width) * size_t(height), 4);
    if (!zeros) outOfMemory("a frame copy texture of %d x %d", width, height);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, zeros);
    std::free(zeros);
}

void glowTextureSize(const Settings* settings, int32_t* width, int32_t* height) {
    const bool full = settings->fullscreen != 0;
    *width = powerOfTwoCover(full ? settings->width : settings->screenWidth);
    *height = powerOfTwoCover(full ? settings->height : settings->screenHeight);
}

// The texture is made whenever the scene glows or grades its colours: a glowing scene without colour
// operations needs it as much as one with them.
void setUpGlow(RenderState* render, Scene* scene) {
    SceneSetup* setup = &scene->setup;
    glowTextureSize(&render->settings, &setup->glowTextureWidth, &setup->glowTextureHeight);
    if ((setup->colourOperations || setup->glowOn) && !render->glowTexture)
        createGlowTexture(render, setup->glowTextureWidth, setup->glowTextureHeight);
    if (setup->glowOn) compileGlowPrograms(render);
}
