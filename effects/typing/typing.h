// Terminal text typed character by character, with a blinking cursor, from a 17 x 6 glyph atlas.
#pragma once
#include <cstdint>

#include "effects/effect_families.h"

#include "data/package.h"

struct Scene;
struct RenderState;
struct EffectSlot;

enum {
    TYPING_ATLAS_COLUMNS = 17,
    TYPING_ATLAS_ROWS = 6,
    TYPING_GLYPHS = TYPING_ATLAS_COLUMNS * TYPING_ATLAS_ROWS,
    TYPING_LOGIN_FIRST_DIGIT = 10,
    TYPING_LOGIN_DIGITS = 5,
};

struct TypingEntry {
    int32_t time;  // scene ms at which the character appears
    uint8_t character;
    uint8_t unused[3];
};

struct TypingState {
    TypingEntry* entries;
    int32_t entryCount;  // entries actually read (the file may hold fewer than asked for)
};

// A glyph's quad: four corners (u, v) and (x, y, z), in drawing order.
struct TypingQuad {
    float texCoord[4][2];
    float position[4][3];
};

// Reads up to capacity entries ("m:s:ms 'c'"); returns how many were read whole.
int32_t typingReadEntries(DemoFile file, TypingEntry* entries, int32_t capacity);
// Replaces entries 10..14 by a random number drawn from seed (the first digit 1..9), then reseeds 0.
void typingLoginDigits(TypingEntry* entries, int32_t entryCount, uint32_t seed);
// The seed "Demo/Login.txt" is loaded with: the calendar time unless one was set here (runs whose frames
// must repeat, tests). A negative seed goes back to the calendar time.
void typingSetLoginSeed(int64_t seed);
// Quads of every character due before timeMs, and the cursor when it shows; returns how many were
// written (at most entryCount + 1). Characters outside the atlas advance without drawing.
int32_t typingLayout(const TypingEntry* entries, int32_t entryCount, int32_t timeMs, float cursorDelay,
                     TypingQuad* out);

