// Loading the clip script's pictures and programs, and drawing the overlays each frame.
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <cstring>

#include "base/report.h"
#include "data/image.h"
#include "effects/clip_script.h"
#include "effects/effect_helpers.h"
#include "effects/noise.h"
#include "render/device_entry_points.h"
#include "render/program_builder.h"
#include "render/render_state.h"
#include "render/texture_upload.h"

namespace {

const char* const kMaskedPieces[] = {
    "TEMP sum,alpha;\n",
    "TEX sum, fragment.texcoord[0], texture[0], 2D;\n",
    "TEX alpha, fragment.texcoord[0], texture[1], 2D;\n",
    "MOV sum.a, alpha.r;\n",
    "MUL sum.a, sum.a,program.local[0].r;\n",
};
const char* const kGlowPieces[] = {
    "TEMP glow, turb, y, t, mid;",
    "PARAM glowFallOff = 2.2;\n",
    "TEX\t\tturb, fragment.texcoord[1], texture[2], 3D;\n",
    "MAD\t\tturb.x, turb.x, 2, -1;\n",
    "MAD_SAT\tt.x, fragment.texcoord[2].y, -fragment.texcoord[2].y, 0.35;\n",
    "ABS\t\tmid.x,fragment.texcoord[2].y;\n",
    "MUL\t\tmid.x,mid,-8;\n",
    "POW\t\tmid.x,glowFallOff.x,mid.x;\n",
    "MAD\t\ty, turb.x, -t.x, fragment.texcoord[2].x;",
    "ABS\t\ty, y;",
    "POW\t\tglow.x, y.x, glowFallOff.x;",
    "MUL\t\tglow, glow, glow;",
    "MUL\t\tglow.x, glow.x, mid.x;",
    "SGE\t\tt.x, glow.x, 0.1;",
    "MOV\t\tglow, glow.x;",
    "MUL\t\tglow.a, glow.a,t.x;",
    "ADD\t\tresult.color, sum,glow;\n",
};
const char* const kPlainPieces[] = {
    "TEMP sum;\n",
    "TEX sum, fragment.texcoord[0], texture[0], 2D;\n",
    "MOV sum.a, program.local[0].r;\n",
    "MOV result.color, sum;\n",
};

template <size_t N>
void appendPieces(ProgramBuilder* builder, const char* const (&pieces)[N]) {
    for (const char* piece : pieces) appendProgramText(builder, piece);
}

void buildPrograms(ProgramBuilder* builder, ClipScript* s) {
    beginProgram(builder, &s->maskedOverlayProgram, GL_FRAGMENT_PROGRAM_ARB);
    appendPieces(builder, kMaskedPieces);
    appendProgramText(builder, "MOV result.color, sum;\n");
    endProgram(builder, s->maskedOverlayProgram, GL_FRAGMENT_PROGRAM_ARB);

    beginProgram(builder, &s->electroOverlayProgram, GL_FRAGMENT_PROGRAM_ARB);
    appendPieces(builder, kMaskedPieces);
    appendPieces(builder, kGlowPieces);
    endProgram(builder, s->electroOverlayProgram, GL_FRAGMENT_PROGRAM_ARB);

    // Without a mask the picture has no alpha to show it by: the glow runs alone.
    beginProgram(builder, &s->electroGlowProgram, GL_FRAGMENT_PROGRAM_ARB);
    appendProgramText(builder, "TEMP sum;\nMOV sum, 0;\n");
    appendPieces(builder, kGlowPieces);
    endProgram(builder, s->electroGlowProgram, GL_FRAGMENT_PROGRAM_ARB);

    beginProgram(builder, &s->overlayProgram, GL_FRAGMENT_PROGRAM_ARB);
    appendPieces(builder, kPlainPieces);
    endProgram(builder, s->overlayProgram, GL_FRAGMENT_PROGRAM_ARB);
}

void loadPictures(ClipScript* s, const char* path, const Settings* settings) {
    for (int k = 0; k < s->textureCount; ++k) {
        TextureImage* image = &s->textures[k];
        char name[sizeof image->path];
        std::snprintf(name, sizeof name, "%s", image->path);
        if (std::snprintf(image->path, sizeof image->path, "%s", s->textureFiles[k]) >= int(sizeof image->path)) {
            std::fprintf(stderr, "velmora: %s: picture path \"%.32s...\" is too long; not loaded\n", path,
                         s->textureFiles[k]);
            std::snprintf(image->path, sizeof image->path, "%s", name);
            continue;
        }
        loadTexture(image, settings);
        std::snprintf(image->path, sizeof image->path, "%s", name);
        if (!image->names || !image->names[0]) continue;
        glBindTexture(GL_TEXTURE_2D, image->names[0]);
        // Mipmapped, but the loader's own levels: no generation on later uploads.
        effectPictureFiltering(settings, GL_LINEAR_MIPMAP_LINEAR, false);
    }
}

GLuint pictureName(const TextureImage* image) { return image && image->names ? image->names[0] : 0; }

void selectUnit(const GlEntryPoints* gl, int unit) { gl->glActiveTextureARB(GLenum(GL_TEXTURE0_ARB + unit)); }

}  // namespace

void readClipScript(const char* path, RenderState* render) {
    ClipScript* s = clipScript();
    // A second reading replaces the first.
    for (int k = 0; k < s->textureCount; ++k) releaseTextureImage(&s->textures[k]);
    for (int k = 0; k < s->envelopeCount; ++k) releaseEnvelope(&s->envelopes[k]);
    for (GLuint program : {s->overlayProgram, s->maskedOverlayProgram, s->electroOverlayProgram, s->electroGlowProgram})
        if (program) glEntryPoints()->glDeleteProgramsARB(1, &program);
    const uint32_t volume = s->volume;
    std::memset(s, 0, sizeof *s);
    s->volume = volume;
    DemoFile file = fileOpen(path, "rb");
    if (!file) {
        showError("The clip script %s is not in the package; there are no clip overlays.", path);
        return;
    }
    parseClipScript(file, path, s);
    fileClose(file);
    loadPictures(s, path, &render->settings);
    buildPrograms(&render->programText, s);
    s->volume = sharedNoiseVolume(render);
}

void drawClipOverlays(RenderState* render, int32_t demoTime) {
    const ClipScript* s = clipScript();
    if (!s->overlayCount || !s->overlayProgram) return;
    readyNoiseVolume(render);
    const GlEntryPoints* gl = glEntryPoints();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, 1, 0, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    for (int unit = 0; unit < 2; ++unit) {
        selectUnit(gl, unit);
        glEnable(GL_TEXTURE_2D);
    }
    glEnable(GL_FRAGMENT_PROGRAM_ARB);
    glColor4f(1, 1, 1, 1);
    for (int k = 0; k < s->overlayCount; ++k) {
        const ClipOverlay* o = &s->overlays[k];
        // An overlay whose picture was never loaded has nothing to show.
        if (!clipOverlayActive(o, demoTime) || !pictureName(o->texture)) continue;
        if ((o->electro & 0xFF) > 1) continue;
        ClipVertex v[CLIP_QUAD_VERTICES];
        float alpha = 1.0f;
        int count = clipOverlayVertices(o, demoTime, v, &alpha);
        bool electro = count == CLIP_QUAD_VERTICES;
        GLuint program = s->overlayProgram;
        if (electro)
            program = o->mask ? s->electroOverlayProgram : s->electroGlowProgram;
        else if (o->mask)
            program = s->maskedOverlayProgram;
        selectUnit(gl, 0);
        glBindTexture(GL_TEXTURE_2D, pictureName(o->texture));
        selectUnit(gl, 1);
        glBindTexture(GL_TEXTURE_2D, pictureName(o->mask));
        if (electro) {
            selectUnit(gl, 2);
            glEnable(GL_TEXTURE_3D);
            glBindTexture(GL_TEXTURE_3D, s->volume);
        }
        gl->glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, program);
        const GLfloat local[4] = {alpha, alpha, alpha, alpha};
        gl->glProgramLocalParameter4fvARB(GL_FRAGMENT_PROGRAM_ARB, 0, local);
        glBegin(GL_QUADS);
        for (int m = 0; m < count; ++m) {
            gl->glMultiTexCoord2fARB(GL_TEXTURE0_ARB, v[m].picture[0], v[m].picture[1]);
            if (electro) {
                gl->glMultiTexCoord3fARB(GL_TEXTURE1_ARB, v[m].turbulence[0], v[m].turbulence[1], v[m].turbulence[2]);
                gl->glMultiTexCoord2fARB(GL_TEXTURE2_ARB, v[m].glow[0], v[m].glow[1]);
            }
            glVertex2f(v[m].position[0], v[m].position[1]);
        }
        glEnd();
    }
    for (int unit = 0; unit < 3; ++unit) {
        selectUnit(gl, unit);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_TEXTURE_3D);
    }
    selectUnit(gl, 0);
    glDisable(GL_FRAGMENT_PROGRAM_ARB);
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    glDisable(GL_BLEND);
}
