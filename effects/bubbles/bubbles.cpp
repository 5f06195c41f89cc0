#include "effects/bubbles/bubbles.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/crt_rand.h"
#include "base/float_byte.h"
#include "base/out_of_memory.h"
#include "scene/effect_slot.h"

namespace {

// Parameters are divisors in several formulas; a zero one contributes nothing instead of infinity.
float ratio(float numerator, float denominator) { return denominator != 0.0f ? numerator / denominator : 0.0f; }

float draw() { return static_cast<float>(crtRand()); }

void seedParticle(BubbleParticle* p, BubbleEmitter emitter, const BubbleParams& params) {
    const float speedDivisor = params.speedDivisor * 32767.0f, accelDivisor = params.accelDivisor * 32767.0f;
    switch (emitter) {
        case BUBBLES_PLAIN:
        case BUBBLES_WHALE:
        case BUBBLES_NUREK:
            p->h = p->hStart = draw() * (emitter == BUBBLES_NUREK ? 3.051851e-7f : 3.0518509e-6f);
            p->s0 = draw() * 0.00009587673f;
            p->s1 = draw() * 0.00003051851f;
            p->v = p->vStart = ratio(draw(), speedDivisor) * 100.0f;
            p->a = p->aStart = ratio(draw(), accelDivisor) * 100.0f;
            break;
        case BUBBLES_DZIAD:
        case BUBBLES_DZIAD_SPADA_BOK:
            p->h = p->hStart = draw() * 0.0003051851f;
            p->s0 = draw() * 0.00019175345f;
            p->s1 = draw() * (emitter == BUBBLES_DZIAD ? 0.00003051851f : 0.000036622212f);
            p->v = p->vStart = ratio(draw(), speedDivisor) * 10000.0f;
            p->a = p->aStart = ratio(draw(), accelDivisor) * 10000.0f;
            break;
        default:
            p->h = p->hStart = draw() * 3.051851e-6f;
            p->s0 = draw() * 0.00003051851f + 0.7f;
            p->s1 = draw() * 0.00003051851f + 0.7f;
            p->v = p->vStart = ratio(draw(), speedDivisor) * 10000.0f;
            p->a = p->aStart = ratio(draw(), accelDivisor) * 10000.0f;
            break;
    }
}

bool delayed(BubbleEmitter emitter) { return emitter == BUBBLES_WHALE || emitter == BUBBLES_NUREK; }

// Whether a delayed plume has started. In double: 3000 ms x 0.001 in float rounds above 3 and would
// start a 3 s plume one frame early.
bool started(const BubblesState* s, int32_t t) { return static_cast<double>(t) * 0.001 > s->params.delay; }

void position(const BubblesState* s, const BubbleParticle* p, float* out) {
    const float root = std::sqrt(p->h > 0.0f ? p->h : 0.0f);
    switch (s->emitter) {
        case BUBBLES_NOS1:
            out[0] = evalEnvelope(&s->path[0], p->h) * p->s0;
            out[1] = evalEnvelope(&s->path[1], p->h) * p->s1;
            out[2] = evalEnvelope(&s->path[2], p->h);
            return;
        default: {
            float r = root * p->s1;
            if (s->emitter == BUBBLES_NUREK) r *= 0.3f;
            if (s->emitter == BUBBLES_DZIAD_SPADA_BOK) r = root + p->s1;
            out[0] = r * std::cos(p->s0);
            out[1] = p->h;
            out[2] = r * std::sin(p->s0);
        }
    }
}

}  // namespace

BubbleParams bubbleParams(const EffectSlot* slot) {
    const int32_t* i = slot->intParams;
    return {i[3], i[4], i[5], i[6], i[7], i[8], i[10], i[11], slot->floatParams[0]};
}

BubbleEmitter bubbleEmitterOf(EffectVariant variant) {
    switch (variant) {
        case VARIANT_BUBBLES_WHALE:
            return BUBBLES_WHALE;
        case VARIANT_BUBBLES_NUREK:
            return BUBBLES_NUREK;
        case VARIANT_BUBBLES_DZIAD:
            return BUBBLES_DZIAD;
        case VARIANT_BUBBLES_DZIAD_SPADA_BOK:
            return BUBBLES_DZIAD_SPADA_BOK;
        case VARIANT_BUBBLES_NOS1:
            return BUBBLES_NOS1;
        default:
            return BUBBLES_PLAIN;
    }
}

BubblesState* bubblesCreate(const EffectSlot* slot, BubbleEmitter emitter) {
    BubblesState* s = static_cast<BubblesState*>(std::calloc(1, sizeof(BubblesState)));
    if (!s) outOfMemory("bubbles");
    s->emitter = emitter;
    s->params = bubbleParams(slot);
    // A row may start the clock and the seeding where it likes (intParams 2 and 9).
    s->lastTime = slot->intParams[2];
    s->seeded = slot->intParams[9] != 0;
    s->count = slot->count < 0 ? 0 : slot->count;
    if (s->count > BUBBLE_MAX_PARTICLES) {
        std::fprintf(stderr, "velmora: %d bubbles asked for; %d drawn\n", s->count, int(BUBBLE_MAX_PARTICLES));
        s->count = BUBBLE_MAX_PARTICLES;
    }
    const size_t n = static_cast<size_t>(s->count) + 1;  // never a zero-byte block
    s->particles = static_cast<BubbleParticle*>(std::calloc(n, sizeof(BubbleParticle)));
    s->positions = static_cast<float*>(std::calloc(n * 12, sizeof(float)));
    s->corners = static_cast<float*>(std::calloc(n * 16, sizeof(float)));
    if (!s->particles || !s->positions || !s->corners) {
        bubblesFree(s);
        return nullptr;
    }
    const BubbleParams& bp = s->params;
    crtSrand(0);
    static const float kCorner[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    for (int32_t k = 0; k < s->count; ++k) {
        const float size0 = ratio(draw() * bp.sizeSpread * 0.00003051851f, float(bp.sizeDivisor)) +
                            ratio(float(bp.sizeBase), float(bp.sizeBaseDivisor));
        for (int c = 0; c < 4; ++c) {
            float* corner = s->corners + 16 * k + 4 * c;
            corner[0] = kCorner[c][0];
            corner[1] = kCorner[c][1];
            corner[2] = c == 0 ? size0
                               : ratio(draw() * size0, bp.cornerDivisor * 32767.0f) + size0 -
                                     ratio(size0, float(bp.cornerDivisor));
            corner[3] = draw() * 0.00006103888f;
        }
    }
    return s;
}

void bubblesFree(BubblesState* s) {
    if (!s) return;
    for (Envelope& e : s->path) releaseEnvelope(&e);
    std::free(s->particles), std::free(s->positions), std::free(s->corners), std::free(s->kept), std::free(s);
}

void bubblesEmit(BubblesState* s, EffectSlot* slot, int32_t t) {
    int32_t& lastTime = s->lastTime;
    if (!s->seeded) {
        for (int32_t k = 0; k < s->count; ++k) seedParticle(&s->particles[k], s->emitter, s->params);
        s->seeded = true;
        if (s->emitter == BUBBLES_DZIAD || s->emitter == BUBBLES_DZIAD_SPADA_BOK) lastTime = t;
    }
    if (slot->reset) {
        lastTime = t;
        slot->reset = 0;
        if (delayed(s->emitter))
            for (int32_t k = 0; k < s->count; ++k) {
                BubbleParticle* p = &s->particles[k];
                p->h = p->hStart, p->v = p->vStart, p->a = p->aStart;
            }
    }
    const bool moves = !delayed(s->emitter) || started(s, t);
    const bool wraps = !delayed(s->emitter);
    const float dt = static_cast<float>(t - lastTime);
    for (int32_t k = 0; k < s->count; ++k) {
        BubbleParticle* p = &s->particles[k];
        if (moves) {
            p->v += dt * p->a * 0.001f;
            p->h += p->v * dt * 0.001f;
            if (wraps && p->h > static_cast<float>(s->params.height)) {
                p->h = 0.0f;
                p->v = p->vStart;
            }
        }
        float at[3];
        position(s, p, at);
        for (int c = 0; c < 4; ++c) std::memcpy(s->positions + 12 * k + 3 * c, at, sizeof at);
    }
    lastTime = t;
}

bool bubblesVisible(const BubblesState* s, int32_t t) { return !delayed(s->emitter) || started(s, t); }

void bubbleTexture(uint8_t* rgba) {
    const int n = BUBBLE_TEXTURE_SIZE;
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const float x = -1.1f + i * 0.00859375f, y = -1.1f + j * 0.00859375f;
            const float u = 1.0f - x * x - y * y;
            uint8_t* texel = rgba + 4 * (j * n + i);
            if (u >= 0.0f) {
                // The centre's blue, (1 + 1) x 128, would overflow a byte: it stays 255.
                texel[0] = floatToByte((x + 1.0f) * 128.0f);
                texel[1] = floatToByte((y + 1.0f) * 128.0f);
                texel[2] = floatToByte((std::sqrt(u) + 1.0f) * 128.0f);
                texel[3] = 255;
            } else {
                std::memset(texel, 0, 4);
            }
        }
    for (int pass = 0; pass < 2; ++pass)
        for (int j = 1; j < n - 1; ++j)
            for (int i = 1; i < n - 1; ++i) {
                auto alpha = [&](int di, int dj) { return float(rgba[4 * ((j + dj) * n + i + di) + 3]); };
                float edges = alpha(-1, 0) + alpha(1, 0) + alpha(0, -1) + alpha(0, 1);
                float corners = alpha(-1, -1) + alpha(1, -1) + alpha(-1, 1) + alpha(1, 1);
                rgba[4 * (j * n + i) + 3] = floatToByte(0.3f * alpha(0, 0) + 0.11111111f * edges + 0.055555556f * corners);
            }
}
