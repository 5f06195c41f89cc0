// LightWave keyed curves and the nine-channel motions built from them.
#pragma once
#include <cstdint>

typedef struct PackageEntry* DemoFile;

enum SpanShape : uint32_t {
    SHAPE_TCB = 0,
    SHAPE_HERMITE = 1,
    SHAPE_BEZIER = 2,
    SHAPE_LINEAR = 3,
    SHAPE_STEPPED = 4,
    SHAPE_BEZIER2D = 5,
};

enum EnvelopeBehavior : int32_t {
    BEHAVIOR_RESET = 0,
    BEHAVIOR_CONSTANT = 1,
    BEHAVIOR_REPEAT = 2,
    BEHAVIOR_OSCILLATE = 3,
    BEHAVIOR_OFFSET_REPEAT = 4,
    BEHAVIOR_LINEAR = 5,
};

struct EnvelopeKey {
    EnvelopeKey* next;
    EnvelopeKey* prev;
    float value;
    float time;  // seconds
    uint32_t shape;
    float tension;
    float continuity;
    float bias;
    float param[4];
};

struct Envelope {
    EnvelopeKey* keys;
    int32_t keyCount;
    int32_t preBehavior;
    int32_t postBehavior;
};

enum {
    MOTION_CHANNELS = 9,         // position xyz, heading pitch bank, scale xyz
    CAMERA_MOTION_CHANNELS = 6,  // position xyz, heading pitch bank
};

// Stores a key's shape and its six span parameters as a scene file writes them: tension, continuity
// and bias then the two tangents for TCB, Hermite and Bezier keys, the two handles for 2D Bezier.
void setKeyShape(EnvelopeKey* key, uint32_t shape, const float params[6]);
// Reads channelCount envelope blocks from the token stream into consecutive envelopes.
// Returns false (with a message naming the file) when the stream is malformed.
bool readMotion(Envelope* envelopes, int channelCount, DemoFile file);
// Loads one envelope block from a ".env" file of the package.
bool loadEnvelopeFile(Envelope* envelope, const char* path);
float evalEnvelope(const Envelope* envelope, float time);
// Frees keys that readMotion allocated and leaves the envelope empty (evaluating to 0).
void releaseEnvelope(Envelope* envelope);
