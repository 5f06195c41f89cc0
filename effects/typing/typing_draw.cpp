// The GL side of the typing text: font, program, reading the text at load and drawing the quads.
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "base/out_of_memory.h"
#include "base/report.h"
#include "data/image.h"
#include "effects/effect_helpers.h"
#include "effects/effects_state.h"
#include "effects/typing/typing.h"
#include "render/device_entry_points.h"
#include "render/program_builder.h"
#include "render/render_state.h"
#include "render/texture_units.h"
#include "render/texture_upload.h"
#include "scene/effect_slot.h"

namespace {

int64_t gLoginSeed = -1;

void makeShared(ProgramBuilder* builder, TypingShared* shared, const Settings* settings) {
    if (!shared->font.names) {
        TextureImage* font = &shared->font;
        font->first = 0;
        font->end = 1;
        std::snprintf(font->path, sizeof font->path, "%s", TYPING_FONT);
        loadTexture(font, settings);
        if (font->names && font->names[0]) {
            glBindTexture(GL_TEXTURE_2D, font->names[0]);
            effectPictureFiltering(settings, GL_LINEAR, false);
        }
    }
    if (!shared->program) {
        beginProgram(builder, &shared->program, GL_FRAGMENT_PROGRAM_ARB);
        appendProgramText(builder, "TEMP color;\n");
        appendProgramText(builder, "TEX\t\tcolor, fragment.texcoord[0], texture[0], 2D;\n");
        appendProgramText(builder, "MOV\t\tcolor.a, color.r;\n");
        appendProgramText(builder, "MUL\t\tresult.color, color,fragment.color;\n");
        endProgram(builder, shared->program, GL_FRAGMENT_PROGRAM_ARB);
    }
}

}  // namespace

void typingSetLoginSeed(int64_t seed) { gLoginSeed = seed; }

void typingInit(RenderState* render, Scene* scene, EffectSlot* slot) {
    makeShared(&render->programText, &render->effects->typing, effectSettings(render, scene));
    TypingState* s = static_cast<TypingState*>(std::calloc(1, sizeof(TypingState)));
    if (!s) outOfMemory("a typing effect");
    slot->state = s;
    s->params = typingParams(slot);
    const int32_t capacity = s->params.entries;
    s->entries = static_cast<TypingEntry*>(std::calloc(static_cast<size_t>(capacity) + 1, sizeof(TypingEntry)));
    if (!s->entries) outOfMemory("the typed characters");
    DemoFile file = fileOpen(slot->fileName, "rb");
    if (!file) {
        showError("The typing text \"%s\" is not in the package; nothing is typed.", slot->fileName);
        return;
    }
    s->entryCount = typingReadEntries(file, s->entries, capacity);
    if (s->entryCount < capacity)
        std::fprintf(stderr, "velmora: %s: %d of %d characters read\n", slot->fileName, s->entryCount, capacity);
    fileClose(file);
    if (std::strcmp(slot->fileName, "Demo/Login.txt") == 0)
        typingLoginDigits(s->entries, s->entryCount,
                          static_cast<uint32_t>((gLoginSeed >= 0 ? gLoginSeed : std::time(nullptr)) % 65536));
}

void typingRender(RenderState* render, EffectSlot* slot, int32_t t) {
    slot->reset = 0;  // what shows depends on the time alone
    const TypingState* s = static_cast<const TypingState*>(slot->state);
    const TypingShared* shared = &render->effects->typing;
    if (slot->family != FAMILY_TYPING || !s || !s->entries || !shared->program) return;
    EffectMotion m;
    effectMotionAt(slot, t, &m);
    resetTextureUnits(render);
    effectLoadModelView(slot, &m, EFFECT_NO_PARENT, true);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, shared->font.names ? shared->font.names[0] : 0);
    glEnable(GL_FRAGMENT_PROGRAM_ARB);
    glEntryPoints()->glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, shared->program);
    glColor4f(0.8f, 0.95f, 0.8f, 1.0f);
    static std::vector<TypingQuad> quads;
    quads.resize(static_cast<size_t>(s->entryCount) + 1);
    const int32_t n = typingLayout(s->entries, s->entryCount, t, s->params.cursorDelay, quads.data());
    glBegin(GL_QUADS);
    for (int32_t q = 0; q < n; ++q)
        for (int k = 0; k < 4; ++k) {
            glTexCoord2fv(quads[q].texCoord[k]);
            glVertex3fv(quads[q].position[k]);
        }
    glEnd();
    resetTextureUnits(render);
    glDisable(GL_FRAGMENT_PROGRAM_ARB);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
}

void typingRelease(EffectSlot* slot) {
    TypingState* s = static_cast<TypingState*>(slot->state);
    std::free(s->entries);
    std::free(s);
    slot->state = nullptr;
}

void typingReleaseShared(EffectsState* effects) {
    releaseTextureImage(&effects->typing.font);
    deleteEffectPrograms(&effects->typing.program, 1);
}
