#include "effects/typing/typing.h"

#include "base/crt_rand.h"
#include "data/file_words.h"
#include "effects/effect_binding.h"

namespace {

constexpr float kCell = 0.2f;
constexpr float kLine = 0.28333333f;

void glyphQuad(int glyph, int column, int line, TypingQuad* q) {
    const float uLeft = static_cast<float>(glyph % TYPING_ATLAS_COLUMNS) / TYPING_ATLAS_COLUMNS;
    const float uRight = uLeft + 1.0f / TYPING_ATLAS_COLUMNS;
    const float vTop = 1.0f - static_cast<float>(glyph / TYPING_ATLAS_COLUMNS) / TYPING_ATLAS_ROWS;
    const float vBottom = vTop - 1.0f / TYPING_ATLAS_ROWS;
    const float right = -kCell * column, left = kCell - kCell * column;
    const float top = kCell - kLine * line, bottom = -kLine * line;
    const float corners[4][5] = {{uRight, vTop, right, top},
                                 {uLeft, vTop, left, top},
                                 {uLeft, vBottom, left, bottom},
                                 {uRight, vBottom, right, bottom}};
    for (int k = 0; k < 4; ++k) {
        q->texCoord[k][0] = corners[k][0];
        q->texCoord[k][1] = corners[k][1];
        q->position[k][0] = corners[k][2];
        q->position[k][1] = corners[k][3];
        q->position[k][2] = 0.0f;
    }
}

}  // namespace

int32_t typingReadEntries(DemoFile file, TypingEntry* entries, int32_t capacity) {
    int32_t n = 0;
    while (n < capacity) {
        TypingEntry e = {};
        char c = 0;
        if (!fileReadTime(file, &e.time) || fileScan(file, "\t\t'%c'", &c) != 1) break;
        e.character = static_cast<uint8_t>(c);
        entries[n++] = e;
    }
    return n;
}

void typingLoginDigits(TypingEntry* entries, int32_t entryCount, uint32_t seed) {
    crtSrand(seed % 65536);
    for (int k = 0; k < TYPING_LOGIN_DIGITS; ++k) {
        int digit = k == 0 ? '1' + crtRand() % 9 : '0' + crtRand() % 10;
        if (TYPING_LOGIN_FIRST_DIGIT + k < entryCount)
            entries[TYPING_LOGIN_FIRST_DIGIT + k].character = static_cast<uint8_t>(digit);
    }
    crtSrand(0);
}

int32_t typingLayout(const TypingEntry* entries, int32_t entryCount, int32_t t, float cursorDelay, TypingQuad* out) {
    int column = -1, line = 0;
    int32_t quads = 0;
    bool lastWasBlank = false;  // the last entry is a due line break, tab or space: no cursor
    for (int32_t k = 0; k < entryCount; ++k) {
        const TypingEntry& e = entries[k];
        lastWasBlank = false;
        if (!(e.time < t)) continue;
        const uint8_t c = e.character;
        if (c == '&') {
            column = -1;
            ++line;
            lastWasBlank = true;
            continue;
        }
        if (c == '~') {
            column += 4;
            lastWasBlank = true;
            continue;
        }
        ++column;
        if (c == ' ') {
            lastWasBlank = true;
            continue;
        }
        const int glyph = c - 33;
        if (glyph >= 0 && glyph < TYPING_GLYPHS) glyphQuad(glyph, column, line, &out[quads++]);
    }
    if (!lastWasBlank && static_cast<float>(t) > cursorDelay && (t / 400) % 2 == 1)
        glyphQuad('_' - 33, column + 1, line, &out[quads++]);
    return quads;
}

TypingParams typingParams(const EffectSlot* slot) { return {slot->count > 0 ? slot->count : 0, slot->floatParams[0]}; }

void typingCheck(EffectCheck* check, const EffectBinding* row) {
    if (check->use(check, row->fileName)) check->typingText(check, row->fileName, row->count);
}
