#include "effects/clip_script.h"

#include <cstdio>
#include <cstring>

#include "data/file_words.h"

namespace {

ClipScript gScript;

typedef char Word[CLIP_WORD];

bool readWord(DemoFile file, const char* path, Word word) {
    bool cut = false;
    if (!fileReadWord(file, word, CLIP_WORD, &cut)) return false;
    if (cut) std::fprintf(stderr, "velmora: %s: word \"%.32s...\" is longer than %d characters\n", path, word, CLIP_WORD - 1);
    return true;
}

// Later entries of the same name win, as every entry is compared.
const TextureImage* findTexture(const ClipScript* s, const char* name, const TextureImage* previous) {
    const TextureImage* found = previous;
    for (int k = 0; k < s->textureCount; ++k)
        if (std::strcmp(s->textures[k].path, name) == 0) found = &s->textures[k];
    return found;
}

const Envelope* findEnvelope(const ClipScript* s, const char* name, const Envelope* previous) {
    const Envelope* found = previous;
    for (int k = 0; k < s->envelopeCount; ++k)
        if (std::strcmp(s->envelopeNames[k], name) == 0) found = &s->envelopes[k];
    return found;
}

bool fits(const char* name, size_t size) { return std::strlen(name) < size; }

void loadStatement(DemoFile file, const char* path, ClipScript* s) {
    Word kind, source, name;
    if (!readWord(file, path, kind)) return;
    bool texture = std::strcmp(kind, "texture") == 0;
    if (!texture && std::strcmp(kind, "envelope") != 0) return;
    if (!readWord(file, path, source) || !readWord(file, path, name)) return;
    if (texture) {
        if (s->textureCount >= CLIP_TEXTURES) {
            std::fprintf(stderr, "velmora: %s: more than %d textures; \"%.64s\" is not loaded\n", path, CLIP_TEXTURES, name);
            return;
        }
        if (!fits(name, CLIP_TEXTURE_NAME)) {
            std::fprintf(stderr, "velmora: %s: texture name \"%.32s...\" is longer than %d characters; not loaded\n", path,
                         name, CLIP_TEXTURE_NAME - 1);
            return;
        }
        TextureImage* image = &s->textures[s->textureCount];
        std::memset(image, 0, sizeof *image);
        image->first = 0;
        image->end = 1;
        std::snprintf(image->path, sizeof image->path, "%s", name);
        std::snprintf(s->textureFiles[s->textureCount], CLIP_WORD, "%s", source);
        ++s->textureCount;
        return;
    }
    if (s->envelopeCount >= CLIP_ENVELOPES) {
        std::fprintf(stderr, "velmora: %s: more than %d envelopes; \"%.64s\" is not loaded\n", path, CLIP_ENVELOPES, name);
        return;
    }
    if (!fits(name, CLIP_ENVELOPE_NAME)) {
        std::fprintf(stderr, "velmora: %s: envelope name \"%.32s...\" is longer than %d characters; not loaded\n", path, name,
                     CLIP_ENVELOPE_NAME - 1);
        return;
    }
    Envelope* envelope = &s->envelopes[s->envelopeCount];
    std::memset(envelope, 0, sizeof *envelope);
    loadEnvelopeFile(envelope, source);
    std::snprintf(s->envelopeNames[s->envelopeCount], CLIP_ENVELOPE_NAME, "%s", name);
    ++s->envelopeCount;
}

void playStatement(DemoFile file, const char* path, ClipScript* s) {
    Word kind;
    if (!readWord(file, path, kind) || std::strcmp(kind, "clip") != 0) return;
    ClipOverlay o = {};
    Word texture, mask, word, envelopes[4], glow;
    bool ok = readWord(file, path, texture) && readWord(file, path, mask) && readWord(file, path, word) &&
              fileReadTime(file, &o.start) && readWord(file, path, word) && fileReadTime(file, &o.end);
    float* numbers[8] = {&o.x, &o.y, &o.width, &o.height, &o.uLeft, &o.vTop, &o.uRight, &o.vBottom};
    for (int k = 0; ok && k < 8; ++k) ok = fileScan(file, "%f", numbers[k]) == 1;
    for (int k = 0; ok && k < 4; ++k) ok = readWord(file, path, envelopes[k]);
    ok = ok && readWord(file, path, glow);
    if (!ok) {
        std::fprintf(stderr, "velmora: %s: a \"play clip\" statement is malformed; ignored\n", path);
        return;
    }
    if (s->overlayCount >= CLIP_OVERLAYS) {
        std::fprintf(stderr, "velmora: %s: more than %d clips; \"play clip %.64s\" is ignored\n", path, CLIP_OVERLAYS, texture);
        return;
    }
    o.texture = findTexture(s, texture, nullptr);
    if (std::strcmp(mask, "null") != 0) o.mask = findTexture(s, mask, nullptr);
    const Envelope** channels[4] = {&o.moveX, &o.moveY, &o.alpha, &o.scale};
    for (int k = 0; k < 4; ++k)
        if (std::strcmp(envelopes[k], "null") != 0) *channels[k] = findEnvelope(s, envelopes[k], nullptr);
    if (std::strcmp(glow, "electro") == 0) o.electro = 1;
    s->overlays[s->overlayCount++] = o;
}

}  // namespace

ClipScript* clipScript() { return &gScript; }

void parseClipScript(DemoFile file, const char* path, ClipScript* s) {
    Word word;
    for (;;) {
        if (!readWord(file, path, word)) return;
        if (std::strcmp(word, "begin") == 0) break;
    }
    for (;;) {
        if (!readWord(file, path, word)) {
            std::fprintf(stderr, "velmora: %s: no \"end\"; the script ends with the file\n", path);
            return;
        }
        if (std::strcmp(word, "end") == 0) return;
        if (std::strcmp(word, "load") == 0)
            loadStatement(file, path, s);
        else if (std::strcmp(word, "play") == 0)
            playStatement(file, path, s);
    }
}
