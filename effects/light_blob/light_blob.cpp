#include "effects/light_blob/light_blob.h"

#include <cmath>
#include <cstring>

#include "effects/effect_binding.h"
#include "effects/noise.h"
#include "scene/scene.h"

namespace {

// CPU tables, the same for every blob once built: the basis (rebuilt alike by every init) and the
// relief (built once a run, see LightBlobShared).
struct Tables {
    float basis[4][BLOB_BASIS_ENTRIES];
    uint8_t relief[BLOB_VERTICES];
};
Tables gTables;

float* vertexAt(float* vertices, int column, int row) {
    return vertices + BLOB_VERTEX_FLOATS * (BLOB_ROWS * column + row);
}

void cross(const float* a, const float* b, float* out) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

// A normal the programs can normalise: where the construction gives none (the poles' first column,
// a collapsed surface), the outward direction, or straight down or up at the centre.
void ensureNormal(float* v, int row) {
    float* n = v + 3;
    float squares = n[0] * n[0] + n[1] * n[1] + n[2] * n[2];
    if (squares > 0.0f && std::isfinite(squares)) return;
    float radial = v[0] * v[0] + v[1] * v[1] + v[2] * v[2];
    if (radial > 0.0f && std::isfinite(radial)) {
        std::memcpy(n, v, 3 * sizeof(float));
        return;
    }
    n[0] = 0.0f, n[1] = row < BLOB_ROWS / 2 ? -1.0f : 1.0f, n[2] = 0.0f;
}

}  // namespace

void lightBlobBuildBasis() {
    for (int s = 0; s < BLOB_BASIS_ENTRIES; ++s) {
        const float t = s * 0.00006100537f, u = 1.0f - t;
        const float b0 = u * u * u, b1 = 3 * t * u * u, b2 = 3 * t * t * u, b3 = t * t * t;
        gTables.basis[0][s] = b3 / 6;
        gTables.basis[1][s] = (b0 + 2 * b1 + 4 * b2 + 4 * b3) / 6;
        gTables.basis[2][s] = (4 * b0 + 4 * b1 + 2 * b2 + b3) / 6;
        gTables.basis[3][s] = b0 / 6;
    }
}

const float* lightBlobBasisTable(int segment) { return gTables.basis[segment]; }

float lightBlobBasis(float x) {
    if (!(x >= 0.0f && x < 4.0f)) return 0.0f;
    const int whole = static_cast<int>(x);
    int entry = static_cast<int>(BLOB_BASIS_ENTRIES * (x - whole));
    if (entry >= BLOB_BASIS_ENTRIES) entry = BLOB_BASIS_ENTRIES - 1;
    return gTables.basis[whole][entry];
}

void lightBlobBuildRelief() {
    initNoise();
    for (int y = 0; y < BLOB_ROWS; ++y)
        for (int x = 0; x < BLOB_COLUMNS; ++x)
            gTables.relief[y * BLOB_COLUMNS + x] = noiseByte(sumNoise2(0.08f * x, 0.16f * y, 8.0f, 8.0f, 4.0f));
    stretchBytes(gTables.relief, BLOB_VERTICES);
}

namespace {

// Per column (phi, u) and per row (theta, v) of the surface: its angles' sines and cosines and the
// four basis weights of its spline segment. They depend on the column or row only, so a frame
// computes each once instead of once a vertex, with the same arithmetic.
struct Axis {
    int first;         // the segment's first control
    float weights[4];  // lightBlobBasis(x - first - k)
    float sine, cosine;
};

void axisAt(float angle, float x, Axis* axis) {
    axis->first = static_cast<int>(x - 3.0f);
    for (int k = 0; k < 4; ++k) axis->weights[k] = lightBlobBasis(x - static_cast<float>(axis->first + k));
    axis->sine = std::sin(angle);
    axis->cosine = std::cos(angle);
}

}  // namespace

void lightBlobSurface(const float* c, float depth, float* vertices) {
    const float pi = 3.14159265f;
    Axis columns[BLOB_COLUMNS], rows[BLOB_ROWS];
    for (int i = 0; i < BLOB_COLUMNS; ++i) axisAt(-pi + 0.06346652f * i, 3.0f + 0.16f * i, &columns[i]);
    for (int j = 0; j < BLOB_ROWS; ++j) axisAt(-pi / 2 + 0.06411414f * j, 3.0f + 0.16f * j, &rows[j]);
    for (int i = 0; i < BLOB_COLUMNS; ++i) {
        const Axis& column = columns[i];
        for (int j = 0; j < BLOB_ROWS; ++j) {
            const Axis& row = rows[j];
            const float relief = gTables.relief[j * BLOB_COLUMNS + i % 49] * depth / 255.0f;
            float spline = 0.0f;
            for (int a = 0; a < 4; ++a) {
                float sum = 0.0f;
                for (int b = 0; b < 4; ++b) sum += row.weights[b] * c[19 * (row.first + b) + column.first + a];
                spline += column.weights[a] * sum;
            }
            const float r = relief + spline;
            float* p = vertexAt(vertices, i, j);
            p[0] = r * row.cosine * column.cosine;
            p[1] = r * row.sine;
            p[2] = r * row.cosine * column.sine;
        }
    }
    for (int i = 0; i < BLOB_COLUMNS; ++i)
        for (int j = 0; j < BLOB_ROWS; ++j) {
            float* p = vertexAt(vertices, i, j);
            if (j >= 1) {
                const float* prevRow = vertexAt(vertices, i, j - 1);
                // Column 0 meets column 99 on the seam: its neighbour across it is column 98.
                const float* prevColumn = vertexAt(vertices, i >= 1 ? i - 1 : BLOB_COLUMNS - 2, j);
                const float d1[3] = {p[0] - prevRow[0], p[1] - prevRow[1], p[2] - prevRow[2]};
                const float d2[3] = {p[0] - prevColumn[0], p[1] - prevColumn[1], p[2] - prevColumn[2]};
                cross(d1, d2, p + 3);
            } else if (i >= 1) {
                const float* prevColumn = vertexAt(vertices, i - 1, j);
                p[3] = p[2] - prevColumn[2];
                p[4] = 0.0f;
                p[5] = -(p[0] - prevColumn[0]);
            } else {
                p[3] = p[4] = p[5] = 0.0f;
            }
            ensureNormal(p, j);
        }
}

const float* evaluateBlobSurface(LightBlobState* state, float t) {
    float heights[BLOB_MOTIONS];
    for (int k = 0; k < BLOB_MOTIONS; ++k) heights[k] = evalEnvelope(&state->motions[k][1], t);
    lightBlobSurface(heights, heights[BLOB_CONTROLS], state->vertices);
    return state->vertices;
}

void lightBlobIndices(uint16_t* out) {
    int n = 0;
    for (int a = 0; a < 99; ++a)
        for (int c = 0; c < 49; ++c) {
            const int b = 50 * a + c;
            const int tri[6] = {b, b + 1, b + 51, b + 51, b + 50, b};
            for (int m = 0; m < 6; ++m) out[n++] = static_cast<uint16_t>(tri[m]);
        }
}

int32_t lightBlobLights(const Scene* scene, int32_t texCoordSets, BlobLight* out) {
    return effectLights(scene, 1, texCoordSets, out);
}

void lightBlobCheck(EffectCheck* check, const EffectBinding* row) {
    if (check->use(check, row->fileName)) check->lightBlobScene(check, row->fileName);
}
