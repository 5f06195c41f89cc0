// Cameras aimed at a subject: item points followed through their parents on the player's curves,
// and heading and pitch keys sampled along the shot.
#include "tools/content/scenes/aim.h"

#include <algorithm>
#include <cmath>

#include "base/constants.h"
#include "scene/envelope.h"

namespace {

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
    // The player's own evaluator, over keys linked as its envelope reader links them.
    std::vector<EnvelopeKey> keys(channel.keys.size());
    for (size_t k = 0; k < keys.size(); ++k) {
        const LwKey& written = channel.keys[k];
        keys[k].value = written.value;
        keys[k].time = written.time;
        setKeyShape(&keys[k], static_cast<uint32_t>(written.shape), written.params);
        keys[k].prev = k > 0 ? &keys[k - 1] : nullptr;
        keys[k].next = k + 1 < keys.size() ? &keys[k + 1] : nullptr;
    }
    const Envelope envelope = {keys.data(), int32_t(keys.size()), channel.preBehavior, channel.postBehavior};
    return evalEnvelope(&envelope, time);
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
