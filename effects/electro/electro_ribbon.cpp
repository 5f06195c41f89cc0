#include "effects/electro/electro_ribbon.h"

#include <cmath>

#include "base/constants.h"
#include "base/crt_rand.h"
#include "scene/effect_slot.h"

namespace {

void pathPoint(const EffectSlot* slot, float s, float* p) {
    p[0] = -evalEnvelope(&slot->motion[0], s);
    p[1] = evalEnvelope(&slot->motion[1], s);
    p[2] = -evalEnvelope(&slot->motion[2], s);
}

// v scaled to unit length; false (v untouched) when it has none.
bool normalise(float* v) {
    float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (!(length > 0.0f) || !std::isfinite(length)) return false;
    for (int k = 0; k < 3; ++k) v[k] /= length;
    return true;
}

}  // namespace

float electroRibbonWidth(int sample) {
    const int down = RIBBON_SAMPLES - sample;
    if (down >= 181) return 0.11111111f * sample;
    if (down < 10) return down / 9.0f;
    return 1.0f;
}

void electroRibbonVertices(const EffectSlot* slot, const ElectroParams& params, int32_t timeMs, const float* camera,
                           ElectroVertex* out) {
    const float w0 = params.a0, wl = params.ra;
    const float h = wl * 0.005291005f;
    float tau = msToSeconds(timeMs) * 0.71428573f;
    if (params.backwards) tau = -tau;
    crtSrand(0);
    // A path that stands still (or a window of no length) has no direction: the last good tangent
    // is kept, and before any the ribbon lies along x.
    float tangent[3] = {1.0f, 0.0f, 0.0f};
    for (int i = 0; i < RIBBON_SAMPLES; ++i) {
        const float s = w0 + i * h + tau;
        float p[3], next[3];
        pathPoint(slot, s, p);
        pathPoint(slot, s + h, next);
        float d[3] = {p[0] - next[0], p[1] - next[1], p[2] - next[2]};
        if (h != 0.0f) {
            for (int k = 0; k < 3; ++k) d[k] /= h;
            if (normalise(d))
                for (int k = 0; k < 3; ++k) tangent[k] = d[k];
        }
        float view[3] = {0.0f, 1.0f, 1.0f};
        if (camera) {
            float toward[3] = {camera[0] + p[0], p[1] - camera[1], camera[2] + p[2]};
            if (normalise(toward))
                for (int k = 0; k < 3; ++k) view[k] = toward[k];
        }
        const float w = electroRibbonWidth(i);
        const float e[3] = {w * (tangent[1] * view[2] - tangent[2] * view[1]),
                            w * (tangent[2] * view[0] - tangent[0] * view[2]),
                            w * (tangent[0] * view[1] - tangent[1] * view[0])};
        const float side[3] = {-1.1f, 0.0f, 1.1f};
        const float u = i * 0.01058201f - 1.0f;
        for (int m = 0; m < 3; ++m) {
            ElectroVertex& v = out[3 * i + m];
            const float sign = static_cast<float>(m - 1);
            for (int k = 0; k < 3; ++k) v.position[k] = p[k] + sign * e[k];
            v.turbulence[0] = u;
            v.turbulence[1] = 1.456f * tau - std::fabs(side[m]);
            v.turbulence[2] = 0.8f * tau;
            v.glow[0] = side[m];
            v.glow[1] = i * 0.0042328043f - 1.0f;
        }
    }
}

void electroRibbonIndices(uint16_t* out) {
    int n = 0;
    for (int j = 0; j < RIBBON_SAMPLES - 1; ++j)
        for (int k = 0; k < 2; ++k) {
            const int a = 3 * j + k;
            const int tri[6] = {a, a + 1, a + 4, a + 4, a + 3, a};
            for (int m = 0; m < 6; ++m) out[n++] = static_cast<uint16_t>(tri[m]);
        }
}

void electroRibbonTexCoords(float* out) {
    for (int i = 0; i < RIBBON_SAMPLES; ++i) {
        const float v = i * 0.005291005f;
        const float s[3] = {1.0f, 0.0f, 1.0f};
        for (int m = 0; m < 3; ++m) {
            out[2 * (3 * i + m)] = s[m];
            out[2 * (3 * i + m) + 1] = v;
        }
    }
}
