// Terminal text typed character by character, with a blinking cursor, from a 17 x 6 glyph atlas.
#pragma once
#include <cstdint>

#include "data/package.h"
#include "data/texture.h"
#include "effects/effect_check.h"
#include "effects/effect_family.h"

struct Scene;
struct RenderState;

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

// The slot's count is how many entries the text holds; floatParams[0] the cursor's delay (ms).
struct TypingParams {
    int32_t entries;
    float cursorDelay;
};
TypingParams typingParams(const EffectSlot* slot);

struct TypingState {
    TypingParams params;
    TypingEntry* entries;
    int32_t entryCount;  // entries actually read (the file may hold fewer than asked for)
};

// The glyph atlas and its program, shared by every typing slot.
struct TypingShared {
    TextureImage font;
    uint32_t program;
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

void typingInit(RenderState* render, Scene* scene, EffectSlot* slot);
void typingRender(RenderState* render, EffectSlot* slot, int32_t timeMs);
void typingRelease(EffectSlot* slot);
void typingReleaseShared(EffectsState* effects);
// The text, with as many entries as the row reads.
void typingCheck(EffectCheck* check, const EffectBinding* row);

#define TYPING_FONT "Demo/Fonts.JPG"
inline constexpr const char* kTypingFiles[] = {TYPING_FONT, nullptr};
inline constexpr EffectFamilyDescriptor kTypingFamily = {
    FAMILY_TYPING, "typing",    typingInit, typingRender, typingRelease, typingReleaseShared,
    kTypingFiles,  typingCheck, nullptr, nullptr, nullptr, nullptr};
