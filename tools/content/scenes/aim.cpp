// Cameras aimed at a subject: LightWave's curves evaluated on the generator's side, item points
// followed through their parents, and heading and pitch keys sampled along the shot.
#include "tools/content/scenes/aim.h"

#include <algorithm>
#include <cmath>

#include "base/constants.h"

namespace {

// Span parameters as the scene file carries them: TCB keys hold tension, continuity and bias in
// params 0-2, Hermite and Bezier keys their incoming and outgoing tangents in 3 and 4, 2D Bezier keys
// their two handles (time, value) in 0-3.
float outgoing(const std::vector<LwKey>& keys, size_t k) {
    const LwKey& k0 = keys[k];
    const LwKey& k1 = keys[k + 1];
    const LwKey* prev = k > 0 ? &keys[k - 1] : nullptr;
    // Tangents are per span: a key's neighbours on both sides share its slope by their widths.
    const float share = prev ? (k1.time - k0.time) / (k1.time - prev->time) : 1.0f;
    const float d = k1.value - k0.value;
    switch (k0.shape) {
        case 0: {
            const float* p = k0.params;
            float a = (1 - p[0]) * (1 + p[1]) * (1 + p[2]);
            float b = (1 - p[0]) * (1 - p[1]) * (1 - p[2]);
            return prev ? share * (a * (k0.value - prev->value) + b * d) : b * d;
        }
        case 3: return prev ? share * (k0.value - prev->value + d) : d;
        case 1:
        case 2: return k0.params[4] * share;
        case 5: {
            float out = k0.params[3] * (k1.time - k0.time);
            return std::fabs(k0.params[2]) > 0.00001f ? out / k0.params[2] : out * 100000.0f;
        }
        default: return 0;
    }
}

float incoming(const std::vector<LwKey>& keys, size_t k) {
    const LwKey& k0 = keys[k];
    const LwKey& k1 = keys[k + 1];
    const LwKey* next = k + 2 < keys.size() ? &keys[k + 2] : nullptr;
    const float share = next ? (k1.time - k0.time) / (next->time - k0.time) : 1.0f;
    const float d = k1.value - k0.value;
    switch (k1.shape) {
        case 0: {
            const float* p = k1.params;
            float a = (1 - p[0]) * (1 - p[1]) * (1 + p[2]);
            float b = (1 - p[0]) * (1 + p[1]) * (1 - p[2]);
            return next ? share * (b * (next->value - k1.value) + a * d) : a * d;
        }
        case 3: return next ? share * (next->value - k1.value + d) : d;
        case 1:
        case 2: return k1.params[3] * share;
        case 5: {
            float in = k1.params[1] * (k1.time - k0.time);
            return std::fabs(k1.params[0]) > 0.00001f ? in / k1.params[0] : in * 100000.0f;
        }
        default: return 0;
    }
}

float bezier(float x0, float x1, float x2, float x3, float s) {
    float c = 3 * (x1 - x0), b = 3 * (x2 - x1) - c, a = x3 - x0 - c - b;
    return x0 + s * (c + s * (b + s * a));
}

// A 2D Bezier span: the curve's parameter is found by bisection on its time.
float bezier2d(const LwKey& k0, const LwKey& k1, float time) {
    const bool handle = k0.shape == 5;
    float x1 = handle ? k0.time + k0.params[2] : k0.time + (k1.time - k0.time) / 3;
    float y1 = handle ? k0.value + k0.params[3] : k0.value + k0.params[4] / 3;
    float lo = 0, hi = 1, s = 0.5f;
    for (int i = 0; i < 60; ++i) {
        s = (lo + hi) / 2;
        float x = bezier(k0.time, x1, k1.time + k1.params[0], k1.time, s);
        if (std::fabs(time - x) <= 0.0001f) break;
        (x > time ? hi : lo) = s;
    }
    return bezier(k0.value, y1, k1.value + k1.params[1], k1.value, s);
}

Vec3 rotate(Vec3 v, float heading, float pitch, float bank) {
    // Ry(heading) * Rx(pitch) * Rz(bank), as the player turns its items.
    float cb = std::cos(bank), sb = std::sin(bank);
    v = {v.x * cb - v.y * sb, v.x * sb + v.y * cb, v.z};
    float cp = std::cos(pitch), sp = std::sin(pitch);
    v = {v.x, v.y * cp - v.z * sp, v.y * sp + v.z * cp};
    float ch = std::cos(heading), sh = std::sin(heading);
    return {v.x * ch + v.z * sh, v.y, -v.x * sh + v.z * ch};
}

// The item's parent when it is an object or null of the scene (item references carry 1 in their top
// nibble); a chain longer than the scene's items is a cycle, and the walks below stop there.
bool parentItem(const LwScene& scene, const LwItem& item, uint32_t* parent) {
    if ((item.parent & 0xF0000000u) != 0x10000000u) return false;
    *parent = item.parent & 0x0FFFFFFFu;
    return *parent < scene.items.size();
}

bool moves(const LwMotion& motion, int channels) {
    for (int c = 0; c < channels; ++c)
        if (motion.channels[c].keys.size() > 1) return true;
    return false;
}

void addKeyTimes(const LwMotion& motion, int channels, std::vector<float>* times) {
    for (int c = 0; c < channels; ++c)
        for (const LwKey& key : motion.channels[c].keys) times->push_back(key.time);
}

}  // namespace

float evalChannel(const LwEnvelope& channel, float time) {
    const std::vector<LwKey>& keys = channel.keys;
    if (keys.empty()) return 0;
    if (keys.size() == 1) return keys[0].value;
    const LwKey& first = keys.front();
    const LwKey& last = keys.back();
    float offset = 0;
    if (time < first.time || time > last.time) {
        const bool before = time < first.time;
        const float length = last.time - first.time;
        const float periods = std::floor((time - first.time) / length);
        switch (before ? channel.preBehavior : channel.postBehavior) {
            case 0: return 0;
            case 1: return before ? first.value : last.value;
            case 2: time -= periods * length; break;
            case 3:
                time -= periods * length;
                if (std::fmod(std::fabs(periods), 2.0f) == 1.0f) time = first.time + last.time - time;
                break;
            case 4:
                time -= periods * length;
                offset = (last.value - first.value) * periods;
                break;
            case 5:
                if (before) return first.value + outgoing(keys, 0) / (keys[1].time - first.time) * (time - first.time);
                return last.value + incoming(keys, keys.size() - 2) / (last.time - keys[keys.size() - 2].time) *
                                        (time - last.time);
            default: break;
        }
    }
    size_t k = 0;
    while (k + 2 < keys.size() && time > keys[k + 1].time) ++k;
    const LwKey& k0 = keys[k];
    const LwKey& k1 = keys[k + 1];
    if (time <= k0.time) return k0.value + offset;
    if (time >= k1.time) return k1.value + offset;
    const float t = (time - k0.time) / (k1.time - k0.time);
    switch (k1.shape) {
        case 0:
        case 1:
        case 2: {
            float t2 = t * t, t3 = t2 * t;
            float h2 = 3 * t2 - 2 * t3, h1 = 1 - h2, h3 = t - 2 * t2 + t3, h4 = t3 - t2;
            return h1 * k0.value + h2 * k1.value + h3 * outgoing(keys, k) + h4 * incoming(keys, k) + offset;
        }
        case 3: return k0.value + t * (k1.value - k0.value) + offset;
        case 4: return k0.value + offset;
        case 5: return bezier2d(k0, k1, time) + offset;
        default: return offset;
    }
}

Vec3 itemPoint(const LwScene& scene, uint32_t item, Vec3 local, float t) {
    Vec3 p = local;
    for (size_t steps = 0; item < scene.items.size() && steps <= scene.items.size(); ++steps) {
        const LwItem& it = scene.items[item];
        const LwEnvelope* c = it.motion.channels;
        // T(position) * R(heading, pitch, bank) * T(-pivot) * S(scale), as the player builds it.
        p = {p.x * evalChannel(c[6], t), p.y * evalChannel(c[7], t), p.z * evalChannel(c[8], t)};
        if (it.pivot) p = vecSub(p, Vec3{it.pivot->x, it.pivot->y, it.pivot->z});
        p = rotate(p, evalChannel(c[3], t), evalChannel(c[4], t), evalChannel(c[5], t));
        p = vecAdd(p, Vec3{evalChannel(c[0], t), evalChannel(c[1], t), evalChannel(c[2], t)});
        if (!parentItem(scene, it, &item)) break;
    }
    return p;
}

void aimCamera(const LwScene& scene, LwCamera* camera, const AimTarget& target) {
    std::vector<float> times;
    bool moving = moves(camera->motion, 3);
    addKeyTimes(camera->motion, 3, &times);
    for (uint32_t item = target.item, steps = 0; target.onItem && item < scene.items.size() &&
                                                 steps <= scene.items.size();
         ++steps) {
        const LwItem& it = scene.items[item];
        moving = moving || moves(it.motion, 9);
        addKeyTimes(it.motion, 9, &times);
        if (!parentItem(scene, it, &item)) break;
    }
    std::vector<float> samples;
    if (!moving) {
        samples.push_back(times.empty() ? 0.0f : times.front());
    } else {
        // The scene's frames and every key of the motions, on a grid from time 0 or the first key.
        const float lastFrame = scene.framesPerSecond > 0 ? float(scene.lastFrame) / float(scene.framesPerSecond) : 0;
        float start = std::min(0.0f, *std::min_element(times.begin(), times.end()));
        float end = std::max(lastFrame, *std::max_element(times.begin(), times.end()));
        for (int k = 0; start + float(k) * kAimStep < end + kAimStep; ++k) samples.push_back(start + float(k) * kAimStep);
    }
    LwEnvelope heading, pitch;
    float previous = 0;
    for (size_t k = 0; k < samples.size(); ++k) {
        const float t = samples[k];
        const LwEnvelope* c = camera->motion.channels;
        Vec3 eye = {evalChannel(c[0], t), evalChannel(c[1], t), evalChannel(c[2], t)};
        Vec3 subject = target.onItem ? itemPoint(scene, target.item, target.point, t) : target.point;
        Vec3 d = vecSub(subject, eye);
        float horizontal = std::sqrt(d.x * d.x + d.z * d.z);
        // Straight above or below its subject the camera keeps its last heading.
        float h = horizontal > 1e-6f ? std::atan2(d.x, d.z) : previous;
        // Turn the short way from the previous key.
        while (k > 0 && h - previous > kPiF) h -= kTwoPiF;
        while (k > 0 && h - previous < -kPiF) h += kTwoPiF;
        previous = h;
        LwKey key;
        key.time = t;
        key.value = h;
        heading.keys.push_back(key);
        key.value = std::atan2(-d.y, horizontal);
        pitch.keys.push_back(key);
    }
    camera->motion.channels[3] = heading;
    camera->motion.channels[4] = pitch;
}
