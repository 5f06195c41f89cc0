#include "effects/blur/gaussian_blur.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/constants.h"
#include "base/out_of_memory.h"
#include "effects/effect_helpers.h"
#include "render/device_caps.h"
#include "render/device_entry_points.h"
#include "render/glow.h"
#include "render/program_builder.h"
#include "render/render_state.h"
#include "scene/effect_slot.h"

const float kBlurCentreWeight = 0.22f;
const float kBlurWeights[6] = {0.17f, 0.12f, 0.08f, 0.05f, 0.02f, 0.01f};

namespace {

const char* const kWeightText[6] = {"0.17", "0.12", "0.08", "0.05", "0.02", "0.01"};
const char* const kOffsetText[6] = {"0.1", "0.2", "0.3", "0.4", "0.5", "0.6"};

std::string offset(bool vertical, int k) {
    const std::string d = std::string(k < 6 ? "" : "-") + kOffsetText[k % 6];
    return vertical ? "{0," + d + ",0,0}" : "{" + d + ",0,0,0}";
}

std::string all(const char* value) { return std::string("{") + value + "," + value + "," + value + "," + value + "}"; }

std::string two(int k) {
    char text[4];
    std::snprintf(text, sizeof text, "%02d", k);
    return text;
}

std::string arbText(bool vertical) {
    std::string t = "TEMP sum;\n";
    for (int k = 0; k < 12; ++k) t += "TEMP s" + two(k) + ";TEMP t" + two(k) + ";\n";
    for (int k = 0; k < 12; ++k) t += "PARAM off" + two(k) + " = " + offset(vertical, k) + ";\n";
    t += "PARAM gg = " + all("0.22") + ";\n";
    for (int k = 0; k < 6; ++k) t += "PARAM g" + two(k) + " = " + all(kWeightText[k]) + ";\n";
    t += "PARAM size = program.local[0];\n";
    t += "TEX sum, fragment.texcoord[0], texture[0], 2D;\nMUL sum, sum, gg;\n";
    for (int k = 0; k < 12; ++k) {
        t += "MAD s" + two(k) + ", off" + two(k) + ", size, fragment.texcoord[0];\n";
        t += "TEX t" + two(k) + ", s" + two(k) + ", texture[0], 2D;\n";
        t += std::string(k == 11 ? "MAD result.color" : "MAD sum") + ", t" + two(k) + ", g" + two(k % 6) + ", sum;\n";
    }
    return t;
}

// Registers: R0 the sum, R1..R12 the tap coordinates, R13..R24 the taps, R25 the size.
std::string nvText(bool vertical) {
    std::string t;
    for (int k = 0; k < 12; ++k) t += "DEFINE off" + two(k) + " = " + offset(vertical, k) + ";\n";
    t += "DEFINE gg = " + all("0.22") + ";\n";
    for (int k = 0; k < 6; ++k) t += "DEFINE g" + two(k) + " = " + all(kWeightText[k]) + ";\n";
    t += "DECLARE size;MOV R25,size;\n";
    t += "TEX R0, f[TEX0], TEX0, 2D;\nMUL R0, R0, gg;\n";
    for (int k = 0; k < 12; ++k) {
        const std::string coord = "R" + std::to_string(1 + k), tap = "R" + std::to_string(13 + k);
        t += "MAD " + coord + ", off" + two(k) + ", R25, f[TEX0];\n";
        t += "TEX " + tap + ", " + coord + ", TEX0, 2D;\n";
        t += std::string(k == 11 ? "MAD o[COLR]" : "MAD R0") + ", " + tap + ", g" + two(k % 6) + ", R0;\n";
    }
    return t;
}

}  // namespace

size_t gaussianBlurProgramText(bool vertical, bool nv, char* out, size_t size) {
    const std::string t = nv ? nvText(vertical) : arbText(vertical);
    if (size) std::snprintf(out, size, "%s", t.c_str());
    return t.size();
}

void gaussianBlurInit(RenderState* render, Scene*, EffectSlot* slot) {
    BlurState* s = static_cast<BlurState*>(std::calloc(1, sizeof(BlurState)));
    if (!s) outOfMemory("a blur");
    slot->state = s;
    const DeviceCaps* caps = deviceCaps();
    s->target = caps && caps->states[EXT_NV_FRAGMENT_PROGRAM] == EXTENSION_FOUND ? GL_FRAGMENT_PROGRAM_NV
                                                                                              : GL_FRAGMENT_PROGRAM_ARB;
    char text[BLUR_TEXT];
    for (int pass = 0; pass < 2; ++pass) {
        gaussianBlurProgramText(pass == 1, s->target == GL_FRAGMENT_PROGRAM_NV, text, sizeof text);
        beginProgram(&render->programText, &s->programs[pass], s->target);
        appendProgramText(&render->programText, text);
        endProgram(&render->programText, s->programs[pass], s->target);
    }
}

namespace {

void blurPass(const BlurState* s, int pass, float size, const GLint* viewport) {
    const GlEntryPoints* gl = glEntryPoints();
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, viewport[0], viewport[1], viewport[2], viewport[3]);
    glEnable(s->target);
    const GLfloat v[4] = {size, size, size, size};
    if (s->target == GL_FRAGMENT_PROGRAM_NV) {
        gl->glBindProgramNV(s->target, s->programs[pass]);
        gl->glProgramNamedParameter4fvNV(s->programs[pass], 4, reinterpret_cast<const GLubyte*>("size"), v);
    } else {
        gl->glBindProgramARB(s->target, s->programs[pass]);
        gl->glProgramLocalParameter4fvARB(GL_FRAGMENT_PROGRAM_ARB, 0, v);
    }
    const float sMax = float(viewport[2]) / s->textureWidth, tMax = float(viewport[3]) / s->textureHeight;
    glBegin(GL_QUADS);
    glTexCoord2f(0, tMax);
    glVertex2f(-1, 1);
    glTexCoord2f(sMax, tMax);
    glVertex2f(1, 1);
    glTexCoord2f(sMax, 0);
    glVertex2f(1, -1);
    glTexCoord2f(0, 0);
    glVertex2f(-1, -1);
    glEnd();
    glDisable(s->target);
}

// The frame copy: a texture of its own, so the blur works whether or not any scene made a glow
// texture, but sized as the glow texture is: the taps are in texture units, so the blur's width
// follows the texture's size, not the window's. Grown only should the viewport outgrow it.
void ensureTexture(const RenderState* render, BlurState* s, const GLint* viewport) {
    int32_t w = 0, h = 0;
    glowTextureSize(&render->settings, &w, &h);
    while (w < viewport[2]) w *= 2;
    while (h < viewport[3]) h *= 2;
    if (s->texture && w == s->textureWidth && h == s->textureHeight) return;
    if (!s->texture) glGenTextures(1, &s->texture);
    glBindTexture(GL_TEXTURE_2D, s->texture);
    defineFrameCopyTexture(w, h);
    effectPictureFiltering(nullptr, GL_LINEAR, false);
    s->textureWidth = w;
    s->textureHeight = h;
}

}  // namespace

void gaussianBlurRender(RenderState* render, EffectSlot* slot, int32_t timeMs) {
    slot->reset = 0;
    BlurState* s = static_cast<BlurState*>(slot->state);
    if (slot->family != FAMILY_BLUR || !s || !s->programs[0]) return;
    const float size = evalEnvelope(&slot->motion[0], msToSeconds(timeMs));
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (viewport[2] <= 0 || viewport[3] <= 0) return;
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(-1, 1, -1, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    if (glEntryPoints()->glActiveTextureARB) glEntryPoints()->glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    ensureTexture(render, s, viewport);
    glBindTexture(GL_TEXTURE_2D, s->texture);
    glDepthMask(GL_FALSE);
    blurPass(s, 0, size, viewport);
    blurPass(s, 1, size, viewport);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

void gaussianBlurRelease(EffectSlot* slot) {
    BlurState* s = static_cast<BlurState*>(slot->state);
    // Both program paths share one namespace of names.
    deleteEffectPrograms(s->programs, 2);
    if (s->texture) glDeleteTextures(1, &s->texture);
    std::free(s);
    slot->state = nullptr;
}
