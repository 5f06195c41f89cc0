// Rows of the setup table. Row format (words separated by white space, "#" starts a comment that runs
// to the end of its line):
//   scene PATH  FIELD...  end
// A row's fields may come in any order; they are always applied in one order: shadows, ambient and
// softness, shadow envelopes, depth scale, caustics scale, fog (with the texture period and an empty
// colour list), colour operations in their written order, glow.
#include "scene/setup_table.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/c_locale.h"
#include "base/out_of_memory.h"
#include "base/report.h"
#include "data/package.h"
#include "scene/colour_operations.h"
#include "scene/scene_setup.h"

namespace {

enum {
    WORD_LENGTH = SETUP_FILE_NAME_LENGTH,
    ROW_COLOUR_OPERATIONS = SETUP_COLOUR_OPERATIONS,
    DEFAULT_TEXTURE_PERIOD = 775,
};

struct RowColourOperation {
    uint8_t kind;
    bool animated;
    float constants[3];
    char file[WORD_LENGTH];
};

struct Row {
    bool hasShadows, hasAmbient, hasSoftness, hasEnvelopes, hasDepthScale, hasCausticsScale;
    bool hasFog, hasTexturePeriod, hasGlow, hasGlowColour;
    int shadowsOn, shadowMode;
    float ambient, softness, depthScale, causticsScale;
    char envelopes[4][WORD_LENGTH];
    float fogC, fogA;
    int texturePeriod;
    RowColourOperation operations[ROW_COLOUR_OPERATIONS];
    int operationCount;
    int glowOn, glowDivisor;
    float glowColour[4];
};

struct Reader {
    DemoFile file;
    char word[WORD_LENGTH];
    char problem[WORD_LENGTH + 128];
};

bool nextWord(Reader* r) {
    for (;;) {
        if (fileScan(r->file, "%255s", r->word) != 1) {
            r->word[0] = '\0';
            return false;
        }
        if (r->word[0] != '#') return true;
        fileScan(r->file, "%*[^\n]", nullptr);
    }
}

bool fail(Reader* r, const char* format, const char* detail) {
    std::snprintf(r->problem, sizeof r->problem, format, detail);
    return false;
}

bool readFloat(Reader* r, const char* field, float* value) {
    if (!nextWord(r)) return fail(r, "\"%s\" is missing a number", field);
    char* end = nullptr;
    float parsed = strtof_l(r->word, &end, cLocale());
    if (end == r->word || *end != '\0' || !std::isfinite(parsed)) return fail(r, "\"%s\" needs numbers", field);
    *value = parsed;
    return true;
}

bool readInt(Reader* r, const char* field, int lowest, int highest, int* value) {
    float parsed = 0;
    if (!readFloat(r, field, &parsed)) return false;
    if (parsed != std::floor(parsed) || parsed < float(lowest) || parsed > float(highest)) {
        char text[160];
        std::snprintf(text, sizeof text, "\"%s\" takes a whole number from %d to %d", field, lowest, highest);
        return fail(r, "%s", text);
    }
    *value = int(parsed);
    return true;
}

bool readPath(Reader* r, const char* field, char* out) {
    if (!nextWord(r)) return fail(r, "\"%s\" is missing a file name", field);
    std::memcpy(out, r->word, sizeof r->word);
    return true;
}

const char* const kColourKindNames[] = {"contrast", "brightness", "hue", "saturation", "scale"};

int colourKind(const char* word) {
    for (int k = 0; k < 5; ++k)
        if (std::strcmp(word, kColourKindNames[k]) == 0) return k;
    return -1;
}

bool readColourOperation(Reader* r, Row* row, int kind) {
    char field[WORD_LENGTH];
    std::memcpy(field, r->word, sizeof field);
    if (row->operationCount == ROW_COLOUR_OPERATIONS)
        return fail(r, "more than 16 colour operations (at \"%s\")", field);
    RowColourOperation* operation = &row->operations[row->operationCount];
    operation->kind = uint8_t(kind);
    if (!nextWord(r)) return fail(r, "\"%s\" is missing its values", field);
    if (std::strcmp(r->word, "animated") == 0) {
        operation->animated = true;
        if (!readPath(r, field, operation->file)) return false;
    } else {
        char* end = nullptr;
        float first = strtof_l(r->word, &end, cLocale());
        if (end == r->word || *end != '\0' || !std::isfinite(first))
            return fail(r, "\"%s\" needs three numbers or \"animated\" and a file", field);
        operation->constants[0] = first;
        if (!readFloat(r, field, &operation->constants[1]) || !readFloat(r, field, &operation->constants[2]))
            return false;
    }
    row->operationCount++;
    return true;
}

bool readField(Reader* r, Row* row) {
    const char* w = r->word;
    if (!std::strcmp(w, "shadows")) {
        row->hasShadows = true;
        return readInt(r, "shadows", 0, 1, &row->shadowsOn) && readInt(r, "shadows", 0, 2, &row->shadowMode);
    }
    if (!std::strcmp(w, "shadowAmbient")) {
        row->hasAmbient = true;
        return readFloat(r, "shadowAmbient", &row->ambient);
    }
    if (!std::strcmp(w, "shadowSoftness")) {
        row->hasSoftness = true;
        return readFloat(r, "shadowSoftness", &row->softness);
    }
    if (!std::strcmp(w, "shadowEnvelopes")) {
        row->hasEnvelopes = true;
        for (auto& path : row->envelopes)
            if (!readPath(r, "shadowEnvelopes", path)) return false;
        return true;
    }
    if (!std::strcmp(w, "shadowDepthScale")) {
        row->hasDepthScale = true;
        return readFloat(r, "shadowDepthScale", &row->depthScale);
    }
    if (!std::strcmp(w, "causticsScale")) {
        row->hasCausticsScale = true;
        return readFloat(r, "causticsScale", &row->causticsScale);
    }
    if (!std::strcmp(w, "fog")) {
        row->hasFog = true;
        return readFloat(r, "fog", &row->fogC) && readFloat(r, "fog", &row->fogA);
    }
    if (!std::strcmp(w, "texturePeriod")) {
        row->hasTexturePeriod = true;
        return readInt(r, "texturePeriod", 1, 1 << 30, &row->texturePeriod);
    }
    if (!std::strcmp(w, "glow")) {
        row->hasGlow = true;
        return readInt(r, "glow", 0, 2, &row->glowOn) && readInt(r, "glow", 1, 16, &row->glowDivisor);
    }
    if (!std::strcmp(w, "glowColour")) {
        row->hasGlowColour = true;
        for (float& c : row->glowColour)
            if (!readFloat(r, "glowColour", &c)) return false;
        return true;
    }
    int kind = colourKind(w);
    if (kind >= 0) return readColourOperation(r, row, kind);
    return fail(r, "unknown field \"%s\"", w);
}

bool readRow(Reader* r, Row* row) {
    for (;;) {
        if (!nextWord(r)) return fail(r, "%s", "the file ends before the row's \"end\"");
        if (!std::strcmp(r->word, "end")) return true;
        if (!std::strcmp(r->word, "scene")) return fail(r, "%s", "the next \"scene\" comes before the row's \"end\"");
        if (!readField(r, row)) return false;
    }
}

// Passes over a row that is not the one in use, up to its "end" or, when that is missing, up to the
// next row's "scene" (left as the current word, true). A row without "end" is reported here, so that
// loading any scene says so, not only loading the broken one.
bool skipRow(Reader* r, const char* key) {
    while (nextWord(r)) {
        if (!std::strcmp(r->word, "end")) return false;
        if (!std::strcmp(r->word, "scene")) {
            showError("%s: the row of %s has no \"end\" before the next \"scene\"; it is left out.",
                      SCENE_SETUP_FILE, key);
            return true;
        }
    }
    showError("%s: the row of %s has no \"end\"; it is left out.", SCENE_SETUP_FILE, key);
    return false;
}

// The three component envelopes of an animated operation each own a copy of the keys.
bool copyEnvelope(Envelope* out, const Envelope* in) {
    *out = *in;
    out->keys = nullptr;
    if (in->keyCount <= 0) return true;
    out->keys = static_cast<EnvelopeKey*>(std::malloc(sizeof(EnvelopeKey) * size_t(in->keyCount)));
    if (!out->keys) outOfMemory("%d envelope keys", in->keyCount);
    for (int32_t k = 0; k < in->keyCount; ++k) {
        out->keys[k] = in->keys[k];
        out->keys[k].prev = k > 0 ? &out->keys[k - 1] : nullptr;
        out->keys[k].next = k + 1 < in->keyCount ? &out->keys[k + 1] : nullptr;
    }
    return true;
}

bool addAnimated(SceneSetup* setup, const RowColourOperation* operation) {
    Envelope envelopes[3] = {};
    if (!loadEnvelopeFile(&envelopes[0], operation->file)) {
        std::free(envelopes[0].keys);
        return false;  // reported; without its curve the operation would grade to zero
    }
    if (!copyEnvelope(&envelopes[1], &envelopes[0]) || !copyEnvelope(&envelopes[2], &envelopes[0]) ||
        !addColourOperation(&setup->colourOperations, operation->kind, 1, envelopes)) {
        for (Envelope& e : envelopes) std::free(e.keys);
        showError("%s: out of memory for the colour operations", SCENE_SETUP_FILE);
        return false;
    }
    return true;
}

void applyRow(SceneSetup* setup, const Row* row, SceneSetupFiles* files) {
    if (row->hasShadows) {
        setup->shadowsOn = uint8_t(row->shadowsOn);
        setup->shadowMode = uint8_t(row->shadowMode);
    }
    if (row->hasAmbient) setup->shadowAmbient = row->ambient;
    if (row->hasSoftness) setup->shadowSoftness = row->softness;
    if (row->hasEnvelopes) {
        bool all = true;
        for (int k = 0; k < 4; ++k) {
            std::free(setup->shadowEnvelopes[k].keys);
            if (!loadEnvelopeFile(&setup->shadowEnvelopes[k], row->envelopes[k])) all = false;
        }
        if (!all) setup->shadowsOn = 0;  // reported; the shadow volume is undefined without all four
        for (int k = 0; all && k < 4; ++k) std::memcpy(files->shadowEnvelopes[k], row->envelopes[k], WORD_LENGTH);
    }
    if (row->hasDepthScale) setup->shadowDepthScale = row->depthScale;
    if (row->hasCausticsScale) setup->causticsScale = row->causticsScale;
    if (row->hasFog) {
        setup->texturePeriod = row->hasTexturePeriod ? row->texturePeriod : DEFAULT_TEXTURE_PERIOD;
        setup->fogB = 0;
        setup->fogC = row->fogC;
        setup->fogA = row->fogA;
        freeColourOperations(&setup->colourOperations);
    } else if (row->hasTexturePeriod) {
        setup->texturePeriod = row->texturePeriod;
    }
    int added = 0;
    for (int k = 0; k < row->operationCount; ++k) {
        const RowColourOperation* operation = &row->operations[k];
        bool ok = operation->animated ? addAnimated(setup, operation)
                                      : addColourOperation(&setup->colourOperations, operation->kind, 0,
                                                           operation->constants) != nullptr;
        if (!ok && !operation->animated) showError("%s: out of memory for the colour operations", SCENE_SETUP_FILE);
        if (ok && operation->animated) std::memcpy(files->operations[added], operation->file, WORD_LENGTH);
        if (ok) ++added;
    }
    if (row->hasGlow) {
        setup->glowOn = uint8_t(row->glowOn);
        setup->glowDivisor = uint8_t(row->glowDivisor);
    }
    if (row->hasGlowColour)
        for (int k = 0; k < 4; ++k) setup->glowColour[k] = row->glowColour[k];
}

}  // namespace

void applySceneSetup(SceneSetup* setup, const char* path, SceneSetupFiles* files) {
    SceneSetupFiles scratch;
    if (!files) files = &scratch;
    std::memset(files, 0, sizeof *files);
    for (float& c : setup->glowColour) c = 1.0f;
    setup->shadowsOn = 0;
    setup->shadowMode = 0;

    Reader reader = {};
    reader.file = fileOpen(SCENE_SETUP_FILE, "r");
    if (!reader.file) return;  // a production without a table: every scene has the defaults
    // Only the row in use is parsed: the others are passed word by word to their "end".
    bool atScene = false;  // the current word is a "scene" that the last skipped row ran into
    while (atScene || nextWord(&reader)) {
        atScene = false;
        if (std::strcmp(reader.word, "scene") != 0) continue;
        if (!nextWord(&reader)) break;
        if (std::strcmp(reader.word, path) != 0) {
            char key[WORD_LENGTH];
            std::memcpy(key, reader.word, sizeof key);
            atScene = skipRow(&reader, key);
            continue;
        }
        Row* row = static_cast<Row*>(std::calloc(1, sizeof(Row)));
        if (!row) outOfMemory("a setup row");
        if (readRow(&reader, row)) {
            applyRow(setup, row, files);
            files->rowFound = true;
        } else
            showError("%s: the row of %s cannot be used: %s. The scene gets the default setup.",
                      SCENE_SETUP_FILE, path, reader.problem);
        std::free(row);
        break;
    }
    fileClose(reader.file);
}

const char* colourOperationName(uint8_t kind) { return kind < 5 ? kColourKindNames[kind] : "?"; }

void releaseSceneSetup(SceneSetup* setup) {
    for (Envelope& envelope : setup->shadowEnvelopes) {
        std::free(envelope.keys);
        envelope = Envelope{};
    }
    freeColourOperations(&setup->colourOperations);
}
