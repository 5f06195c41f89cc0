#include "effects/electro/electro_surface.h"

#include <cmath>

#include "base/constants.h"
#include "scene/effect_slot.h"

namespace {

constexpr float kStep = 0.029411765f;  // 1 / 34

float scaledTime(ElectroGenerator generator, const ElectroParams& params, int32_t timeMs) {
    float t = msToSeconds(timeMs);
    bool backwards = params.backwards;
    switch (generator) {
        case ELECTRO_BLOB:
            return backwards ? -0.33333334f * t : 0.2f * t;
        case ELECTRO_TORUS:
            return backwards ? -0.5f * t : 0.5f * t;
        default:
            return backwards ? -0.33333334f * t : 0.11111111f * t;
    }
}

// The pair written as C: cos x cosh y, -sin x sinh y.
void pairC(float x, float y, float* re, float* im) {
    *re = std::cos(x) * std::cosh(y);
    *im = -std::sin(x) * std::sinh(y);
}
// The pair written as S: sin x cosh y, -cos x sinh y.
void pairS(float x, float y, float* re, float* im) {
    *re = std::sin(x) * std::cosh(y);
    *im = -std::cos(x) * std::sinh(y);
}

// U or V: the parameter's place in its range, -1..1.
float unitParameter(float value, float start, float range, int index) {
    if (range == 0.0f) return index * 2.0f / 34.0f - 1.0f;
    return 2.0f * (value - start) / range - 1.0f;
}

}  // namespace

ElectroParams electroParams(const EffectSlot* slot) {
    const float* f = slot->floatParams;
    const int32_t* i = slot->intParams;
    return {{f[0], f[1], f[2], f[3]}, f[4], f[5], f[6], f[7], i[5], i[7] != 0, i[8] != 0};
}

ElectroGenerator electroGeneratorOf(EffectVariant variant) {
    switch (variant) {
        case VARIANT_SURFACE_TORUS:
            return ELECTRO_TORUS;
        case VARIANT_SURFACE_SINE:
            return ELECTRO_SINE;
        case VARIANT_SURFACE_COSINE:
            return ELECTRO_COSINE;
        case VARIANT_SURFACE_TANGENT:
            return ELECTRO_TANGENT;
        case VARIANT_SURFACE_COTANGENT:
            return ELECTRO_COTANGENT;
        case VARIANT_SURFACE_EXPONENTIAL:
            return ELECTRO_EXPONENTIAL;
        default:
            return ELECTRO_BLOB;
    }
}

void electroComplexQuotient(float p, float q, float c, float d, float* re, float* im) {
    float divisor = c * c + d * d;
    if (!(divisor > 0.0f)) {
        *re = 0.0f;
        *im = 0.0f;
        return;
    }
    *re = (p * c + q * d) / divisor;
    *im = (c * q - p * d) / divisor;
}

void electroSurfaceVertices(ElectroGenerator generator, const ElectroParams& params, int32_t timeMs,
                            ElectroVertex* out) {
    const float a0 = params.a0, ra = params.ra;
    const float b0 = params.b0, rb = params.rb;
    const bool backwards = params.backwards;
    const float tau = scaledTime(generator, params, timeMs);
    for (int i = 0; i < ELECTRO_GRID; ++i) {
        const float a = a0 + i * ra * kStep;
        const float u = unitParameter(a, a0, ra, i);
        for (int j = 0; j < ELECTRO_GRID; ++j) {
            const float b = b0 + j * rb * kStep;
            const float v = unitParameter(b, b0, rb, j);
            ElectroVertex& e = out[i * ELECTRO_GRID + j];
            e.turbulence[0] = u;
            e.turbulence[1] = 1.456f * tau - std::fabs(v);
            e.turbulence[2] = 0.8f * tau;
            const float h = 0.3f * std::sin(20.0f * tau + b) * std::cos(20.0f * tau + a);
            float re = 0.0f, im = 0.0f;
            bool shapeVu = true;  // set 1 = (V, 0.4 U); the trigonometric ones use (0.4 U, V)
            switch (generator) {
                case ELECTRO_BLOB: {
                    float w = backwards ? 0.2f : std::sin(4.0f * tau);
                    float rho = 1.0f + 0.5f * w * std::sin(6.0f * b) * std::cos(4.0f * a + w);
                    e.position[0] = rho * std::cos(b) * std::cos(a);
                    e.position[1] = rho * std::cos(b) * std::sin(a);
                    e.position[2] = rho * std::sin(b);
                    break;
                }
                case ELECTRO_TORUS: {
                    float w = backwards ? 0.2f : std::sin(tau);
                    float rho = 1.0f + 0.5f * std::cos(3.0f * a * (0.1f * w + 0.5f));
                    float theta = a + tau + b;
                    e.position[0] = rho * std::cos(theta);
                    e.position[1] = 0.5f * std::sin(4.0f * a);
                    e.position[2] = rho * std::sin(theta);
                    break;
                }
                case ELECTRO_EXPONENTIAL: {
                    float m = std::exp(b);
                    re = m * std::cos(a + tau);
                    im = m * std::sin(a + tau);
                    break;
                }
                case ELECTRO_SINE:
                    pairC(10.0f * tau + b, a, &re, &im);
                    shapeVu = false;
                    break;
                case ELECTRO_COSINE:
                    pairS(10.0f * tau + b, a, &re, &im);
                    shapeVu = false;
                    break;
                case ELECTRO_TANGENT:
                case ELECTRO_COTANGENT: {
                    float sr, si, cr, ci;
                    pairS(a + tau, b, &sr, &si);
                    pairC(a + tau, b, &cr, &ci);
                    if (generator == ELECTRO_TANGENT)
                        electroComplexQuotient(sr, si, cr, ci, &re, &im);
                    else
                        electroComplexQuotient(cr, ci, sr, si, &re, &im);
                    shapeVu = false;
                    break;
                }
                default:
                    break;
            }
            if (generator != ELECTRO_BLOB && generator != ELECTRO_TORUS) {
                e.position[0] = re;
                e.position[1] = h;
                e.position[2] = im;
            }
            if (shapeVu) {
                e.glow[0] = v;
                e.glow[1] = 0.4f * u;
            } else {
                e.glow[0] = 0.4f * u;
                e.glow[1] = v;
            }
        }
    }
}

void electroSurfaceIndices(ElectroGenerator generator, uint16_t* out) {
    int n = 0;
    for (int j = 0; j < 34; ++j)
        for (int k = 0; k < 34; ++k) {
            const int a = k + ELECTRO_GRID * j;
            if (generator == ELECTRO_COTANGENT && k >= 16 && k <= 19) {
                for (int m = 0; m < 6; ++m) out[n++] = static_cast<uint16_t>(ELECTRO_GRID * j);
                continue;
            }
            const int tri[6] = {a, a + 1, a + 36, a + 36, a + 35, a};
            for (int m = 0; m < 6; ++m) out[n++] = static_cast<uint16_t>(tri[m]);
        }
}

void electroGridTexCoords(float* out) {
    const float pi = 3.14159274f, halfPi = 1.57079637f;
    for (int i = 0; i < ELECTRO_GRID; ++i)
        for (int j = 0; j < ELECTRO_GRID; ++j) {
            float* st = out + 2 * (i * ELECTRO_GRID + j);
            st[0] = (-pi + i * 0.18479957f + pi) * 0.15915494f;
            st[1] = (-halfPi + j * 0.09239978f + halfPi) * 0.31830987f;
        }
}
