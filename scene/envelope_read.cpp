// Reading LightWave envelope blocks ("{ Envelope ... }") from scene and envelope files.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/out_of_memory.h"
#include "base/report.h"
#include "data/package.h"
#include "scene/envelope.h"

namespace {

enum { TOKEN_LENGTH = 256 };

// A sane ceiling well above any baked motion (an hour at 60 frames a second is 216000 keys).
const int32_t kMaxEnvelopeKeys = 1 << 20;
// The least text one key line can take: a separator, the keyword and nine one-digit numbers.
const uint32_t kMinKeyBytes = 20;

bool readWord(DemoFile file, char* token) { return fileScan(file, "%255s", token) == 1; }
bool readFloat(DemoFile file, float* value) { return fileScan(file, "%f", value) == 1; }
bool readInt(DemoFile file, int* value) { return fileScan(file, "%d", value) == 1; }

bool refuse(DemoFile file, const char* problem) {
    showError("The envelope data in \"%s\" cannot be read: %s.", file->name, problem);
    return false;
}

uint32_t bytesLeft(DemoFile file) { return file->offset + file->size - file->cursor; }

// Reads one key line: keyword, value, time, shape and six span parameters.
bool readKey(DemoFile file, EnvelopeKey* key) {
    char keyword[TOKEN_LENGTH];
    int shape = 0;
    float p[6];
    if (!readWord(file, keyword) || !readFloat(file, &key->value) || !readFloat(file, &key->time) ||
        !readInt(file, &shape))
        return false;
    for (float& v : p)
        if (!readFloat(file, &v)) return false;
    setKeyShape(key, static_cast<uint32_t>(shape), p);
    return true;
}

// Reads the body of one envelope: the "Envelope" keyword has just been read into token.
bool readEnvelope(DemoFile file, Envelope* envelope, char* token) {
    int count = 0;
    if (!readInt(file, &count)) return refuse(file, "a key count is missing or not a number");
    if (count < 0 || count > kMaxEnvelopeKeys || uint64_t(count) * kMinKeyBytes > bytesLeft(file)) {
        char problem[96];
        std::snprintf(problem, sizeof problem, "an envelope declares %d keys, more than the file can hold", count);
        return refuse(file, problem);
    }
    EnvelopeKey* keys = nullptr;
    if (count > 0) {
        keys = static_cast<EnvelopeKey*>(std::calloc(static_cast<size_t>(count), sizeof(EnvelopeKey)));
        if (!keys) outOfMemory("%d envelope keys", count);
    }
    for (int i = 0; i < count; ++i) {
        keys[i].prev = i > 0 ? &keys[i - 1] : nullptr;
        keys[i].next = i + 1 < count ? &keys[i + 1] : nullptr;
        if (!readKey(file, &keys[i])) {
            std::free(keys);
            return refuse(file, "a key line is cut short or holds something other than numbers");
        }
    }
    int pre = 0, post = 0;
    if (!readWord(file, token) || !readInt(file, &pre) || !readInt(file, &post)) {
        std::free(keys);
        return refuse(file, "the behaviours of an envelope are missing");
    }
    envelope->keys = keys;
    envelope->keyCount = count;
    envelope->preBehavior = pre;
    envelope->postBehavior = post;
    // A missing closing brace at the very end is harmless: the envelope is complete.
    while (std::strcmp(token, "}") != 0) {
        if (!readWord(file, token)) {
            token[0] = '\0';
            break;
        }
    }
    return true;
}

}  // namespace

void setKeyShape(EnvelopeKey* key, uint32_t shape, const float p[6]) {
    key->shape = shape;
    switch (shape) {
        case SHAPE_TCB:
        case SHAPE_HERMITE:
        case SHAPE_BEZIER:
            key->tension = p[0];
            key->continuity = p[1];
            key->bias = p[2];
            key->param[0] = p[3];
            key->param[1] = p[4];
            break;
        case SHAPE_BEZIER2D:
            for (int i = 0; i < 4; ++i) key->param[i] = p[i];
            break;
        default:
            break;  // linear and stepped spans carry no parameters
    }
}

bool readMotion(Envelope* envelopes, int channelCount, DemoFile file) {
    if (channelCount <= 0) return true;
    std::memset(envelopes, 0, sizeof(Envelope) * static_cast<size_t>(channelCount));
    if (!file) return false;
    char token[TOKEN_LENGTH];
    if (!readWord(file, token)) return refuse(file, "it ends where an envelope should begin");
    for (int channel = 0; channel < channelCount; ++channel) {
        while (std::strcmp(token, "Envelope") != 0)
            if (!readWord(file, token)) return refuse(file, "it ends where an envelope should begin");
        if (!readEnvelope(file, &envelopes[channel], token)) return false;
    }
    return true;
}

bool loadEnvelopeFile(Envelope* envelope, const char* path) {
    std::memset(envelope, 0, sizeof *envelope);
    DemoFile file = fileOpen(path, "r");
    if (!file) {
        showError("The envelope file \"%s\" is not in the data package.", path);
        return false;
    }
    bool ok = readMotion(envelope, 1, file);
    fileClose(file);
    return ok;
}

void releaseEnvelope(Envelope* envelope) {
    std::free(envelope->keys);
    std::memset(envelope, 0, sizeof *envelope);
}
