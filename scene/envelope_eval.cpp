// Evaluation of LightWave keyed curves. Everything is single precision: the results must match
// the curves the content was tuned against, bit for bit.
#include <cmath>
#include <cstddef>

#include "scene/envelope.h"

namespace {

// A guard against hand-linked key runs that loop back on themselves.
EnvelopeKey* lastKeyOf(const Envelope* envelope) {
    EnvelopeKey* key = envelope->keys;
    for (int32_t i = 1; i < envelope->keyCount && key->next; ++i) key = key->next;
    return key;
}

// Maps v into the key range [lo, hi) and counts the whole periods between them. The period is
// measured from the first key, so a curve that does not start at time 0 repeats from its start.
float range(float v, float lo, float hi, int* periods) {
    float r = hi - lo;
    if (r == 0.0f) {
        *periods = 0;
        return lo;
    }
    float shifted = v - lo;
    float whole = static_cast<float>(std::floor(static_cast<double>(shifted) / r));
    float w = v - r * whole;
    float count = (w - v) / r + (w > v ? 0.5f : -0.5f);
    // Keys at huge or non-finite times give a count no int holds; such a curve has no whole periods.
    *periods = std::isfinite(count) && std::fabs(count) < 2.0e9f ? -static_cast<int>(count) : 0;
    return w;
}

// Tangent leaving key0 towards key1, by key0's shape.
float outgoing(const EnvelopeKey* key0, const EnvelopeKey* key1) {
    const EnvelopeKey* p = key0->prev;
    switch (key0->shape) {
        case SHAPE_TCB: {
            float a = (1.0f - key0->tension) * (1.0f + key0->continuity) * (1.0f + key0->bias);
            float b = (1.0f - key0->tension) * (1.0f - key0->continuity) * (1.0f - key0->bias);
            float d = key1->value - key0->value;
            if (p) return ((key1->time - key0->time) / (key1->time - p->time)) * (a * (key0->value - p->value) + b * d);
            return b * d;
        }
        case SHAPE_LINEAR: {
            float d = key1->value - key0->value;
            if (p) return ((key1->time - key0->time) / (key1->time - p->time)) * (key0->value - p->value + d);
            return d;
        }
        case SHAPE_HERMITE:
        case SHAPE_BEZIER: {
            float out = key0->param[1];
            if (p) out *= (key1->time - key0->time) / (key1->time - p->time);
            return out;
        }
        case SHAPE_BEZIER2D: {
            float out = key0->param[3] * (key1->time - key0->time);
            if (std::fabs(key0->param[2]) > 0.00001f)
                out /= key0->param[2];
            else
                out *= 100000.0f;
            return out;
        }
        default:
            return 0.0f;
    }
}

// Tangent arriving at key1 from key0, by key1's shape.
float incoming(const EnvelopeKey* key0, const EnvelopeKey* key1) {
    const EnvelopeKey* n = key1->next;
    switch (key1->shape) {
        case SHAPE_TCB: {
            float a = (1.0f - key1->tension) * (1.0f - key1->continuity) * (1.0f + key1->bias);
            float b = (1.0f - key1->tension) * (1.0f + key1->continuity) * (1.0f - key1->bias);
            float d = key1->value - key0->value;
            if (n) return ((key1->time - key0->time) / (n->time - key0->time)) * (b * (n->value - key1->value) + a * d);
            return a * d;
        }
        case SHAPE_LINEAR: {
            float d = key1->value - key0->value;
            if (n) return ((key1->time - key0->time) / (n->time - key0->time)) * (n->value - key1->value + d);
            return d;
        }
        case SHAPE_HERMITE:
        case SHAPE_BEZIER: {
            float in = key1->param[0];
            if (n) in *= (key1->time - key0->time) / (n->time - key0->time);
            return in;
        }
        case SHAPE_BEZIER2D: {
            float in = key1->param[1] * (key1->time - key0->time);
            if (std::fabs(key1->param[0]) > 0.00001f)
                in /= key1->param[0];
            else
                in *= 100000.0f;
            return in;
        }
        default:
            return 0.0f;
    }
}

float cubicBezier(float x0, float x1, float x2, float x3, float s) {
    float c = 3.0f * (x1 - x0);
    float b = 3.0f * (x2 - x1) - c;
    float a = x3 - x0 - c - b;
    float s2 = s * s;
    float s3 = s2 * s;
    return x0 + c * s + b * s2 + a * s3;
}

// Enough halvings to exhaust a float in [0, 1] down to the smallest subnormal.
const int kBisectionLimit = 200;

float bezier2D(const EnvelopeKey* key0, const EnvelopeKey* key1, float time) {
    float x1 = key0->shape == SHAPE_BEZIER2D ? key0->time + key0->param[2]
                                             : key0->time + (key1->time - key0->time) * 0.33333334f;
    float x2 = key1->time + key1->param[0];
    float lo = 0.0f, hi = 1.0f, s = 0.5f;
    for (int i = 0; i < kBisectionLimit; ++i) {
        s = lo + (hi - lo) * 0.5f;
        float x = cubicBezier(key0->time, x1, x2, key1->time, s);
        if (std::fabs(time - x) <= 0.0001f) break;
        // The interval no longer shrinks: no closer parameter exists in single precision.
        if (s == lo || s == hi) break;
        if (x > time)
            hi = s;
        else
            lo = s;
    }
    float y1 = key0->shape == SHAPE_BEZIER2D ? key0->value + key0->param[3]
                                             : key0->value + key0->param[1] * 0.33333334f;
    return cubicBezier(key0->value, y1, key1->param[1] + key1->value, key1->value, s);
}

}  // namespace

float evalEnvelope(const Envelope* envelope, float time) {
    if (!envelope || envelope->keyCount <= 0 || !envelope->keys) return 0.0f;
    const EnvelopeKey* first = envelope->keys;
    if (envelope->keyCount == 1 || !first->next) return first->value;
    const EnvelopeKey* last = lastKeyOf(envelope);

    float offset = 0.0f;
    int periods = 0;
    bool before = time < first->time;
    if (before || time > last->time) {
        int32_t behavior = before ? envelope->preBehavior : envelope->postBehavior;
        switch (behavior) {
            case BEHAVIOR_RESET:
                return 0.0f;
            case BEHAVIOR_CONSTANT:
                return before ? first->value : last->value;
            case BEHAVIOR_REPEAT:
                time = range(time, first->time, last->time, &periods);
                break;
            case BEHAVIOR_OSCILLATE:
                time = range(time, first->time, last->time, &periods);
                // Odd periods run backwards: mirror within the key range.
                if (periods % 2) time = first->time + last->time - time;
                break;
            case BEHAVIOR_OFFSET_REPEAT:
                time = range(time, first->time, last->time, &periods);
                offset = (last->value - first->value) * static_cast<float>(periods);
                break;
            case BEHAVIOR_LINEAR:
                if (before)
                    return outgoing(first, first->next) / (first->next->time - first->time) * (time - first->time) +
                           first->value;
                return incoming(last->prev, last) / (last->time - last->prev->time) * (time - last->time) +
                       last->value;
            default:
                break;  // unknown behaviours extrapolate the end span
        }
    }

    // Rounding in range() may leave the time a hair past the last key: stay on the last span.
    const EnvelopeKey* key0 = first;
    while (key0->next != last && time > key0->next->time) key0 = key0->next;
    const EnvelopeKey* key1 = key0->next;

    if (time == key0->time) return key0->value + offset;
    if (time == key1->time) return key1->value + offset;

    float t = (time - key0->time) / (key1->time - key0->time);
    switch (key1->shape) {
        case SHAPE_TCB:
        case SHAPE_HERMITE:
        case SHAPE_BEZIER: {
            float t2 = t * t;
            float t3 = t2 * t;
            float h2 = 3.0f * t2 - 2.0f * t3;
            float h1 = 1.0f - h2;
            float h3 = t - 2.0f * t2 + t3;
            float h4 = t3 - t2;
            return h1 * key0->value + h2 * key1->value + h3 * outgoing(key0, key1) + h4 * incoming(key0, key1) +
                   offset;
        }
        case SHAPE_LINEAR:
            return key0->value + t * (key1->value - key0->value) + offset;
        case SHAPE_STEPPED:
            return key0->value + offset;
        case SHAPE_BEZIER2D:
            return bezier2D(key0, key1, time) + offset;
        default:
            return offset;
    }
}
