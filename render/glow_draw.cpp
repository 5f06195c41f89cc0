// The glow post-process on the frame: everything happens through one texture and copies from the
// frame buffer, with the colour channels masked while the glow (alpha) is shrunk and blurred.
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstring>

#include "render/colour_matrix.h"
#include "render/device_caps.h"
#include "render/device_entry_points.h"
#include "render/glow.h"
#include "render/program_slots.h"
#include "render/render_state.h"

namespace {

struct GlowFrame {
    int32_t x, y, width, height;              // the viewport in the client area
    int32_t textureWidth, textureHeight;      // glow texture
    int32_t divisor;
};

// The copy keeps to the viewport and to the texture. Past the viewport lie the border bars or pixels
// no frame of this scene drew (the shrunk glow's margin at a divisor of 2 or less reaches past it):
// copied, they would be read by the next scene's blur taps at its edge, so that a frame would depend
// on what was drawn before it. Texels no copy writes stay as the texture was made, zero.
void copyFrame(const GlowFrame& f, int32_t width, int32_t height) {
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, f.x, f.y, std::min({width, f.width, f.textureWidth}),
                        std::min({height, f.height, f.textureHeight}));
}

void quad(const float texture[4][2], const float corners[4][2]) {
    glBegin(GL_QUADS);
    for (int k = 0; k < 4; ++k) {
        glTexCoord2f(texture[k][0], texture[k][1]);
        glVertex2f(corners[k][0], corners[k][1]);
    }
    glEnd();
}

void enableProgram(bool nv, uint32_t program) {
    const GlEntryPoints* gl = glEntryPoints();
    if (nv) {
        glEnable(GL_FRAGMENT_PROGRAM_NV);
        gl->glBindProgramNV(GL_FRAGMENT_PROGRAM_NV, program);
    } else {
        glEnable(GL_FRAGMENT_PROGRAM_ARB);
        gl->glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, program);
    }
}

void disableProgram(bool nv) { glDisable(nv ? GL_FRAGMENT_PROGRAM_NV : GL_FRAGMENT_PROGRAM_ARB); }

void setCompositeParameters(bool nv, uint32_t program, const float colour[4], const float rows[16]) {
    const GlEntryPoints* gl = glEntryPoints();
    if (nv) {
        const char* const names[4] = {"glow_color", "t1", "t2", "t3"};
        const float* values[4] = {colour, rows, rows + 4, rows + 8};
        for (int k = 0; k < 4; ++k)
            gl->glProgramNamedParameter4fvNV(program, GLsizei(std::strlen(names[k])),
                                             reinterpret_cast<const GLubyte*>(names[k]), values[k]);
        return;
    }
    gl->glProgramLocalParameter4fvARB(GL_FRAGMENT_PROGRAM_ARB, LOCAL_GLOW_COLOUR, colour);
    for (int r = 0; r < 3; ++r)
        gl->glProgramLocalParameter4fvARB(GL_FRAGMENT_PROGRAM_ARB, GLuint(LOCAL_COLOUR_MATRIX_ROW0 + r), rows + 4 * r);
}

}  // namespace

void drawGlow(RenderState* render, const Scene* scene, int32_t timeMs) {
    const SceneSetup& setup = scene->setup;
    if (!setup.glowOn || !render->glowTexture) return;
    const uint32_t blur = render->glowBlurProgram, composite = render->glowCompositeProgram;
    if (!blur || !composite) return;
    const Settings& s = render->settings;
    const DeviceCaps* caps = render->caps ? render->caps : deviceCaps();
    const bool nv = caps->states[EXT_NV_FRAGMENT_PROGRAM] == EXTENSION_FOUND;
    GlowFrame f = {(s.clientWidth - s.width) / 2, (s.clientHeight - s.height) / 2, s.width, s.height,
                   setup.glowTextureWidth, setup.glowTextureHeight, std::max<int32_t>(setup.glowDivisor, 1)};
    const float tw = float(f.width) / float(f.textureWidth), th = float(f.height) / float(f.textureHeight);
    const float d = float(f.divisor);

    float rows[16];
    buildColourMatrix(setup.colourOperations, timeMs, rows);

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(-1.0, 1.0, -1.0, 1.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    glDisable(GL_DEPTH_TEST);
    // The shrink pass draws with the fixed pipeline: lighting or blending left on would change it.
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    const GlEntryPoints* gl = glEntryPoints();
    if (gl->glActiveTextureARB) gl->glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, render->glowTexture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    copyFrame(f, f.width, f.height);

    // Shrink: the frame's glow, D times smaller, in the lower-left corner of the viewport.
    glDepthMask(GL_FALSE);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
    // The scene's clear colour, whose alpha 0 is no glow, whatever an earlier pass cleared with.
    glClearColor(scene->backdropColor[0], scene->backdropColor[1], scene->backdropColor[2], 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    const float small = 2.0f / d - 1.0f;
    const float fullTexture[4][2] = {{0.0f, th}, {tw, th}, {tw, 0.0f}, {0.0f, 0.0f}};
    const float shrunk[4][2] = {{-1.0f, small}, {small, small}, {small, -1.0f}, {-1.0f, -1.0f}};
    quad(fullTexture, shrunk);
    copyFrame(f, f.width / f.divisor + 64, f.height / f.divisor + 64);

    // Horizontal blur of the shrunk glow, drawn back at full size.
    const float viewport[4][2] = {{-1.0f, 1.0f}, {1.0f, 1.0f}, {1.0f, -1.0f}, {-1.0f, -1.0f}};
    const float shrunkTexture[4][2] = {{0.0f, th / d}, {tw / d, th / d}, {tw / d, 0.0f}, {0.0f, 0.0f}};
    enableProgram(nv, blur);
    quad(shrunkTexture, viewport);
    disableProgram(nv);
    copyFrame(f, f.width, f.height);

    // Composite: vertical blur, tint, grading.
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    enableProgram(nv, composite);
    setCompositeParameters(nv, composite, setup.glowColour, rows);
    quad(fullTexture, viewport);
    disableProgram(nv);

    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}
