#include "effects/noise.h"

#include <cmath>
#include <cstring>

#include "base/crt_rand.h"
#include "base/parallel_slices.h"

namespace {

NoiseTables gTables;

// The lattice wraps every 256 cells although the tables hold 4096 entries.
constexpr int kLatticeMask = 255;

float randomUnit() { return static_cast<float>((crtRand() % (2 * NOISE_LATTICE)) - NOISE_LATTICE) / NOISE_LATTICE; }

struct Axis {
    int b0, b1;
    float r0, r1;
};

// Cell and fractions of one coordinate; false where the coordinate has no cell (NaN, or too far out for
// an int), so such inputs give 0 instead of an undefined conversion.
bool latticeAxis(float v, Axis* axis) {
    float t = v + static_cast<float>(NOISE_LATTICE);
    if (!(std::fabs(t) < 2.0e9f)) return false;
    int whole = static_cast<int>(t);
    axis->b0 = whole & kLatticeMask;
    axis->b1 = (axis->b0 + 1) & kLatticeMask;
    axis->r0 = t - static_cast<float>(whole);
    axis->r1 = axis->r0 - 1.0f;
    return true;
}

float sCurve(float t) { return t * t * (3.0f - 2.0f * t); }
float lerp(float t, float a, float b) { return a + t * (b - a); }

}  // namespace

const NoiseTables* noiseTables() { return &gTables; }

void initNoise() {
    NoiseTables& t = gTables;
    for (int i = 0; i < NOISE_LATTICE; ++i) {
        t.permutation[i] = i;
        t.gradients1[i] = randomUnit();
        float* g2 = t.gradients2[i];
        g2[0] = randomUnit();
        g2[1] = randomUnit();
        float length = std::sqrt(g2[0] * g2[0] + g2[1] * g2[1]);
        // A zero draw pair stays a zero gradient rather than becoming NaN.
        if (length > 0.0f) {
            g2[0] /= length;
            g2[1] /= length;
        }
        float* g3 = t.gradients3[i];
        for (int k = 0; k < 3; ++k) g3[k] = randomUnit();
        float squares = g3[0] * g3[0] + g3[1] * g3[1] + g3[2] * g3[2];
        if (squares > 0.0f)
            for (int k = 0; k < 3; ++k) g3[k] /= squares;
    }
    for (int i = NOISE_LATTICE - 1; i > 0; --i) {
        int j = crtRand() % NOISE_LATTICE;
        int swap = t.permutation[i];
        t.permutation[i] = t.permutation[j];
        t.permutation[j] = swap;
    }
    for (int i = 0; i < NOISE_LATTICE + 2; ++i) {
        t.permutation[NOISE_LATTICE + i] = t.permutation[i];
        t.gradients1[NOISE_LATTICE + i] = t.gradients1[i];
        std::memcpy(t.gradients2[NOISE_LATTICE + i], t.gradients2[i], sizeof t.gradients2[i]);
        std::memcpy(t.gradients3[NOISE_LATTICE + i], t.gradients3[i], sizeof t.gradients3[i]);
    }
}

float noise2(float x, float y) {
    Axis ax, ay;
    if (!latticeAxis(x, &ax) || !latticeAxis(y, &ay)) return 0.0f;
    const int32_t* p = gTables.permutation;
    int i = p[ax.b0], j = p[ax.b1];
    int b00 = p[i + ay.b0], b10 = p[j + ay.b0], b01 = p[i + ay.b1], b11 = p[j + ay.b1];
    float sx = sCurve(ax.r0), sy = sCurve(ay.r0);
    const float(*g)[2] = gTables.gradients2;
    float u = ax.r0 * g[b00][0] + ay.r0 * g[b00][1];
    float v = ax.r1 * g[b10][0] + ay.r0 * g[b10][1];
    float a = lerp(sx, u, v);
    u = ax.r0 * g[b01][0] + ay.r1 * g[b01][1];
    v = ax.r1 * g[b11][0] + ay.r1 * g[b11][1];
    float b = lerp(sx, u, v);
    return lerp(sy, a, b);
}

namespace {

float noise3In(const NoiseTables& t, float x, float y, float z) {
    Axis ax, ay, az;
    if (!latticeAxis(x, &ax) || !latticeAxis(y, &ay) || !latticeAxis(z, &az)) return 0.0f;
    const int32_t* p = t.permutation;
    int i = p[ax.b0], j = p[ax.b1];
    int b00 = p[i + ay.b0], b10 = p[j + ay.b0], b01 = p[i + ay.b1], b11 = p[j + ay.b1];
    float sx = sCurve(ax.r0), sy = sCurve(ay.r0), sz = sCurve(az.r0);
    const float(*g)[3] = t.gradients3;
    auto at = [g](int k, float rx, float ry, float rz) { return rx * g[k][0] + ry * g[k][1] + rz * g[k][2]; };
    float a = lerp(sx, at(b00 + az.b0, ax.r0, ay.r0, az.r0), at(b10 + az.b0, ax.r1, ay.r0, az.r0));
    float b = lerp(sx, at(b01 + az.b0, ax.r0, ay.r1, az.r0), at(b11 + az.b0, ax.r1, ay.r1, az.r0));
    float c = lerp(sy, a, b);
    a = lerp(sx, at(b00 + az.b1, ax.r0, ay.r0, az.r1), at(b10 + az.b1, ax.r1, ay.r0, az.r1));
    b = lerp(sx, at(b01 + az.b1, ax.r0, ay.r1, az.r1), at(b11 + az.b1, ax.r1, ay.r1, az.r1));
    float d = lerp(sy, a, b);
    return lerp(sz, c, d);
}

float tileNoise3In(const NoiseTables& t, float x, float y, float z, float w, float h, float d) {
    if (!(w * h * d != 0.0f)) return noise3In(t, x, y, z);
    float sum = 0.0f;
    for (int c = 0; c < 2; ++c)
        for (int b = 0; b < 2; ++b)
            for (int a = 0; a < 2; ++a) {
                float weight = (a ? x : w - x) * (b ? y : h - y) * (c ? z : d - z);
                sum += noise3In(t, x - a * w, y - b * h, z - c * d) * weight;
            }
    return sum / (w * h * d);
}

float sumNoise3In(const NoiseTables& t, float x, float y, float z, float w, float h, float d, float f0) {
    float sum = 0.0f;
    float f = f0;
    if (!(f > 0.0f)) return 0.0f;
    for (int octave = 0; octave < NOISE_MAX_OCTAVES; ++octave) {
        sum += tileNoise3In(t, f * x, f * y, f * z, f * w, f * h, f * d) / f;
        if (f / 2.0f < 1.0f) break;
        f /= 2.0f;
    }
    return sum;
}

}  // namespace

float noise3(float x, float y, float z) { return noise3In(gTables, x, y, z); }
float tileNoise3(float x, float y, float z, float w, float h, float d) { return tileNoise3In(gTables, x, y, z, w, h, d); }
float sumNoise3(float x, float y, float z, float w, float h, float d, float f0) {
    return sumNoise3In(gTables, x, y, z, w, h, d, f0);
}

float tileNoise2(float x, float y, float w, float h) {
    if (!(w * h != 0.0f)) return noise2(x, y);
    return (noise2(x, y) * (w - x) * (h - y) + noise2(x - w, y) * x * (h - y) + noise2(x, y - h) * (w - x) * y +
            noise2(x - w, y - h) * x * y) /
           (w * h);
}

float sumNoise2(float x, float y, float w, float h, float f0) {
    float sum = 0.0f;
    float f = f0;
    if (!(f > 0.0f)) return 0.0f;
    for (int octave = 0; octave < NOISE_MAX_OCTAVES; ++octave) {
        sum += tileNoise2(f * x, f * y, f * w, f * h) / f;
        if (f / 2.0f < 1.0f) break;
        f /= 2.0f;
    }
    return sum;
}

uint8_t noiseByte(float value) {
    // The textures keep the low 8 bits of the scaled value: the rare peaks above 1 wrap round, and the
    // stretch that follows is measured with them (the volume's look depends on it). Values with no
    // int conversion give 0.
    float scaled = (value + 1.0f) * 127.5f;
    if (!(std::fabs(scaled) < 2.0e9f)) return 0;
    return static_cast<uint8_t>(static_cast<int32_t>(scaled) & 0xFF);
}

void stretchBytes(uint8_t* bytes, size_t count) {
    if (count == 0) return;
    int lo = 255, hi = 0;
    for (size_t k = 0; k < count; ++k) {
        if (bytes[k] < lo) lo = bytes[k];
        if (bytes[k] > hi) hi = bytes[k];
    }
    if (hi == lo) return;
    for (size_t k = 0; k < count; ++k) bytes[k] = static_cast<uint8_t>((bytes[k] - lo) * 255 / (hi - lo));
}

namespace {

struct VolumePlanes {
    const NoiseTables* tables;
    uint8_t* bytes;
};

// The planes z of [first, end); the tables are only read.
void buildNoisePlanes(int32_t first, int32_t end, void* context) {
    const VolumePlanes& v = *static_cast<const VolumePlanes*>(context);
    for (int z = first; z < end; ++z) {
        size_t k = size_t(z) * NOISE_VOLUME_HEIGHT * NOISE_VOLUME_WIDTH;
        for (int y = 0; y < NOISE_VOLUME_HEIGHT; ++y)
            for (int x = 0; x < NOISE_VOLUME_WIDTH; ++x)
                v.bytes[k++] =
                    noiseByte(sumNoise3In(*v.tables, 0.08f * x, 0.16f * y, 0.16f * z, 10.24f, 5.12f, 5.12f, 16.0f));
    }
}

}  // namespace

void buildNoiseVolumeBytes(uint8_t* bytes) {
    initNoise();  // here, on the calling thread: it draws from the C library's generator
    VolumePlanes planes = {&gTables, bytes};
    forEachSlice(NOISE_VOLUME_DEPTH, buildNoisePlanes, &planes);
    stretchBytes(bytes, NOISE_VOLUME_BYTES);
}

void sampleNoiseVolume(const NoiseTables& tables, uint8_t* bytes) {
    VolumePlanes planes = {&tables, bytes};
    buildNoisePlanes(0, NOISE_VOLUME_DEPTH, &planes);
    stretchBytes(bytes, NOISE_VOLUME_BYTES);
}
