// The two glow programs. Both blur the glow value in alpha with 13 taps: the centre and six on
// either side, weights 0.22, 0.17, 0.12, 0.08, 0.05, 0.02, 0.01 (1.12 in all). The horizontal taps
// are 0.001 apart on the shrunk image; the vertical ones 0.004 apart on the full-size image.
#include <GL/gl.h>
#include <GL/glext.h>

#include <initializer_list>

#include "render/device_caps.h"
#include "render/glow.h"
#include "render/program_builder.h"
#include "render/render_state.h"

namespace {

enum { GLOW_TAPS_EACH_SIDE = 6 };

const char* const kWeights[GLOW_TAPS_EACH_SIDE] = {"0.17", "0.12", "0.08", "0.05", "0.02", "0.01"};

// Declarations, the centre tap and every side tap but the last, whose MAD the caller writes so that
// it can land in the result or in sum.
void appendBlur(ProgramBuilder* b, double stepX, double stepY) {
    appendProgramText(b, "TEMP sum;\n");
    for (const char* kind : {"s", "t"}) {
        appendProgramText(b, "TEMP ");
        for (int k = 0; k < 2 * GLOW_TAPS_EACH_SIDE; ++k) appendProgramFormat(b, "%s%s%02d", k ? "," : "", kind, k);
        appendProgramText(b, ";\n");
    }
    for (int k = 0; k < 2 * GLOW_TAPS_EACH_SIDE; ++k) {
        const int distance = k % GLOW_TAPS_EACH_SIDE + 1;
        const double sign = k < GLOW_TAPS_EACH_SIDE ? 1.0 : -1.0;
        appendProgramFormat(b, "PARAM off%02d = {%g, %g, 0, 0};\n", k, sign * distance * stepX + 0.0,
                            sign * distance * stepY + 0.0);  // + 0.0: no "-0"
    }
    appendProgramText(b, "PARAM gg = {0, 0, 0, 0.22};\n");
    for (int k = 0; k < GLOW_TAPS_EACH_SIDE; ++k) appendProgramFormat(b, "PARAM g%02d = {0, 0, 0, %s};\n", k, kWeights[k]);
    appendProgramText(b, "TEX sum, fragment.texcoord[0], texture[0], 2D;\nMUL sum, sum, gg;\n");
    for (int k = 0; k < 2 * GLOW_TAPS_EACH_SIDE; ++k) appendProgramFormat(b, "ADD s%02d, off%02d, fragment.texcoord[0];\n", k, k);
    for (int k = 0; k < 2 * GLOW_TAPS_EACH_SIDE; ++k) appendProgramFormat(b, "TEX t%02d, s%02d, texture[0], 2D;\n", k, k);
    for (int k = 0; k < 2 * GLOW_TAPS_EACH_SIDE - 1; ++k)
        appendProgramFormat(b, "MAD sum, t%02d, g%02d, sum;\n", k, k % GLOW_TAPS_EACH_SIDE);
}

void compileArbBlur(ProgramBuilder* b, uint32_t* program) {
    beginProgram(b, program, GL_FRAGMENT_PROGRAM_ARB);
    appendBlur(b, 0.001, 0.0);
    appendProgramText(b, "MAD\tresult.color, t11, g05, sum;\n");
    endProgram(b, *program, GL_FRAGMENT_PROGRAM_ARB);
}

void compileArbComposite(ProgramBuilder* b, uint32_t* program) {
    beginProgram(b, program, GL_FRAGMENT_PROGRAM_ARB);
    appendProgramText(b, "TEMP texel;\n");
    appendProgramText(b, "TEX texel, fragment.texcoord[0],texture[0],2D;\n");
    appendBlur(b, 0.0, 0.004);
    appendProgramText(b, "MAD\tsum, t11, g05, sum;\n");
    appendProgramText(b, "MAD_SAT texel,program.local[1], sum.a,texel;\n");
    appendProgramText(b, "MOV texel.a,1;\n");
    appendProgramText(b,
        "DP4 sum.r,texel,program.local[2];DP4 sum.g,texel,program.local[3];DP4 sum.b,texel,program.local[4];\n");
    appendProgramText(b, "MOV result.color,sum;\n");
    endProgram(b, *program, GL_FRAGMENT_PROGRAM_ARB);
}

}  // namespace

void compileGlowPrograms(RenderState* render) {
    ProgramBuilder* b = &render->programText;
    const DeviceCaps* caps = render->caps ? render->caps : deviceCaps();
    const bool nv = caps->states[EXT_NV_FRAGMENT_PROGRAM] == EXTENSION_FOUND;
    // Tools load scenes without a device: they need the glow's settings, not its programs.
    if (!deviceCompilesPrograms(nv ? GL_FRAGMENT_PROGRAM_NV : GL_FRAGMENT_PROGRAM_ARB)) return;
    if (!render->glowBlurProgram) {
        if (nv) loadProgramFile(b, &render->glowBlurProgram, GL_FRAGMENT_PROGRAM_NV, "Demo/glow_h.fp");
        else compileArbBlur(b, &render->glowBlurProgram);
    }
    if (!render->glowCompositeProgram) {
        if (nv) loadProgramFile(b, &render->glowCompositeProgram, GL_FRAGMENT_PROGRAM_NV, "Demo/glow_v.fp");
        else compileArbComposite(b, &render->glowCompositeProgram);
    }
}
