#include "tools/content/noise.h"

#include <cmath>

#include "base/constants.h"

namespace {

int wrap(int i, int period) {
    int m = i % period;
    return m < 0 ? m + period : m;
}

double fade(double t) { return t * t * t * (t * (t * 6.0 - 15.0) + 10.0); }

double gradientDot(int ix, int iy, double fx, double fy, uint32_t seed) {
    double angle = hashUnit(ix, iy, 0, seed) * kTwoPi;
    return std::cos(angle) * fx + std::sin(angle) * fy;
}

}  // namespace

Rng rngSeed(uint64_t seed) { return Rng{seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull}; }

uint64_t rngNext(Rng* rng) {
    uint64_t z = (rng->state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double rngUniform(Rng* rng) { return double(rngNext(rng) >> 11) * (1.0 / 9007199254740992.0); }

double rngRange(Rng* rng, double low, double high) { return low + (high - low) * rngUniform(rng); }

int rngBelow(Rng* rng, int count) { return count > 0 ? int(rngNext(rng) % uint64_t(count)) : 0; }

uint32_t hashPoint(int x, int y, int z, uint32_t seed) {
    uint32_t h = seed * 0x27D4EB2Du;
    h ^= uint32_t(x) * 0x85EBCA6Bu;
    h = (h << 13) | (h >> 19);
    h ^= uint32_t(y) * 0xC2B2AE35u;
    h = (h << 11) | (h >> 21);
    h ^= uint32_t(z) * 0x165667B1u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

double hashUnit(int x, int y, int z, uint32_t seed) {
    return double(hashPoint(x, y, z, seed) >> 8) * (1.0 / 16777216.0);
}

double tileNoise(double x, double y, int periodX, int periodY, uint32_t seed) {
    double flx = std::floor(x), fly = std::floor(y);
    int x0 = int(flx), y0 = int(fly);
    double fx = x - flx, fy = y - fly;
    int ax = wrap(x0, periodX), bx = wrap(x0 + 1, periodX);
    int ay = wrap(y0, periodY), by = wrap(y0 + 1, periodY);
    double n00 = gradientDot(ax, ay, fx, fy, seed);
    double n10 = gradientDot(bx, ay, fx - 1.0, fy, seed);
    double n01 = gradientDot(ax, by, fx, fy - 1.0, seed);
    double n11 = gradientDot(bx, by, fx - 1.0, fy - 1.0, seed);
    double sx = fade(fx), sy = fade(fy);
    // Unit gradients give at most about 0.7; scale to roughly [-1, 1].
    return 1.41 * mix(mix(n00, n10, sx), mix(n01, n11, sx), sy);
}

double tileFbm(double u, double v, int cells, int octaves, double gain, uint32_t seed) {
    double sum = 0.0, amplitude = 1.0, norm = 0.0;
    int period = cells;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * tileNoise(u * period, v * period, period, period, seed + 101u * uint32_t(o));
        norm += amplitude;
        amplitude *= gain;
        period *= 2;
    }
    return sum / norm;
}

double tileRidged(double u, double v, int cells, int octaves, double gain, uint32_t seed) {
    double sum = 0.0, amplitude = 1.0, norm = 0.0;
    int period = cells;
    for (int o = 0; o < octaves; ++o) {
        double n = 1.0 - std::fabs(tileNoise(u * period, v * period, period, period, seed + 211u * uint32_t(o)));
        sum += amplitude * n * n;
        norm += amplitude;
        amplitude *= gain;
        period *= 2;
    }
    return sum / norm;
}

Voronoi tileVoronoi(double u, double v, int cells, double wobble, double phase, uint32_t seed) {
    double x = u * cells, y = v * cells;
    int cx = int(std::floor(x)), cy = int(std::floor(y));
    Voronoi result{1e9, 1e9, 0};
    for (int dy = -2; dy <= 2; ++dy) {
        for (int dx = -2; dx <= 2; ++dx) {
            int gx = cx + dx, gy = cy + dy;
            int hx = wrap(gx, cells), hy = wrap(gy, cells);
            double angle = kTwoPi * (phase + hashUnit(hx, hy, 7, seed));
            double px = gx + 0.5 + (hashUnit(hx, hy, 1, seed) - 0.5) * 0.5 + wobble * std::cos(angle);
            double py = gy + 0.5 + (hashUnit(hx, hy, 2, seed) - 0.5) * 0.5 + wobble * std::sin(angle);
            double d = std::sqrt((px - x) * (px - x) + (py - y) * (py - y));
            if (d < result.nearest) {
                result.second = result.nearest;
                result.nearest = d;
                result.cellHash = hashPoint(hx, hy, 3, seed);
            } else if (d < result.second) {
                result.second = d;
            }
        }
    }
    return result;
}

double smoothStep(double edge0, double edge1, double x) {
    double t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3.0 - 2.0 * t);
}

double clamp01(double x) { return x < 0.0 ? 0.0 : (x > 1.0 ? 1.0 : x); }

double mix(double a, double b, double t) { return a + (b - a) * t; }
