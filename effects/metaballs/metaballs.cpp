#include "base/out_of_memory.h"
#include "base/shared_work.h"
#include "effects/metaballs/metaballs.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// Corner k of a cell sits at these grid offsets (x, y, z) from its first point.
const int32_t kCornerOffsets[8][3] = {{0, 0, 0}, {0, 0, 1}, {0, 1, 1}, {0, 1, 0},
                                      {1, 0, 0}, {1, 0, 1}, {1, 1, 1}, {1, 1, 0}};
const int32_t kEdges[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                               {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
// The cell's faces, corners counter-clockwise seen from outside the cell.
const int32_t kFaces[6][4] = {{0, 1, 2, 3}, {4, 7, 6, 5}, {0, 4, 5, 1}, {3, 2, 6, 7}, {0, 3, 7, 4}, {1, 5, 6, 2}};

struct CaseTables {
    uint16_t edges[256];
    int8_t triangles[256][METABALL_ROW];
};

int32_t edgeOf(int32_t a, int32_t b) {
    for (int32_t e = 0; e < 12; ++e)
        if ((kEdges[e][0] == a && kEdges[e][1] == b) || (kEdges[e][0] == b && kEdges[e][1] == a)) return e;
    return -1;
}

// The tables are derived rather than typed in: on each face the cut edges pair up around every run
// of corners above the level (so on a face with two diagonal corners below it, those are joined and
// the others kept apart, the same way from either cell that shares the face); the pairs chain into
// closed loops, and each loop is a fan of triangles wound to face the side below the level once
// drawn in the order 0, 2, 1.
void buildCase(int32_t pattern, CaseTables* tables) {
    bool below[8];
    uint16_t mask = 0;
    for (int32_t k = 0; k < 8; ++k) below[k] = (pattern >> k) & 1;
    for (int32_t e = 0; e < 12; ++e)
        if (below[kEdges[e][0]] != below[kEdges[e][1]]) mask = uint16_t(mask | (1u << e));
    tables->edges[pattern] = mask;

    int32_t next[12];
    for (int32_t& n : next) n = -1;
    for (const auto& face : kFaces) {
        int32_t cut[4], leaving[4], count = 0;
        for (int32_t i = 0; i < 4; ++i) {
            int32_t a = face[i], b = face[(i + 1) % 4];
            if (below[a] == below[b]) continue;
            cut[count] = edgeOf(a, b);
            leaving[count++] = below[a];
        }
        for (int32_t i = 0; i < count; ++i) {
            if (!leaving[i]) continue;
            for (int32_t j = 1; j < count; ++j) {
                int32_t k = (i + j) % count;
                if (!leaving[k]) {
                    next[cut[i]] = cut[k];
                    break;
                }
            }
        }
    }
    int8_t* row = tables->triangles[pattern];
    std::memset(row, -1, METABALL_ROW);
    int32_t used = 0;
    bool seen[12] = {};
    for (int32_t start = 0; start < 12; ++start) {
        if (next[start] < 0 || seen[start]) continue;
        int32_t loop[12], length = 0;
        for (int32_t e = start; e >= 0 && !seen[e] && length < 12; e = next[e]) {
            seen[e] = true;
            loop[length++] = e;
        }
        // Stored reversed: drawing swaps the last two corners back.
        for (int32_t i = 1; i + 1 < length && used + 3 < METABALL_ROW; ++i) {
            row[used++] = int8_t(loop[0]);
            row[used++] = int8_t(loop[length - i]);
            row[used++] = int8_t(loop[length - i - 1]);
        }
    }
}

const CaseTables& caseTables() {
    static CaseTables tables;
    static bool built = false;
    if (!built) {
        for (int32_t pattern = 0; pattern < 256; ++pattern) buildCase(pattern, &tables);
        built = true;
    }
    return tables;
}

int32_t pointIndex(int32_t a, int32_t b, int32_t c) { return 1681 * a + 41 * b + c; }

}  // namespace

const uint16_t* metaballEdgeTable() { return caseTables().edges; }
const int8_t (*metaballTriangleTable())[METABALL_ROW] { return caseTables().triangles; }

MetaballGrid* metaballGrid(MetaballsShared* shared) {
    if (shared->grid) return shared->grid;
    MetaballGrid* grid = static_cast<MetaballGrid*>(std::calloc(1, sizeof(MetaballGrid)));
    if (!grid) outOfMemory("the metaball grid");
    for (int32_t a = 0; a < METABALL_GRID; ++a)
        for (int32_t b = 0; b < METABALL_GRID; ++b)
            for (int32_t c = 0; c < METABALL_GRID; ++c) {
                float* p = grid->points[pointIndex(a, b, c)];
                p[0] = 0.5f * float(a) - 10.0f;
                p[1] = 0.5f * float(b) - 10.0f;
                p[2] = 0.5f * float(c) - 10.0f;
                p[3] = 0.0f;
            }
    int32_t cell = 0;
    for (int32_t a = 0; a < 40; ++a)
        for (int32_t b = 0; b < 40; ++b)
            for (int32_t c = 0; c < 40; ++c, ++cell)
                for (int32_t k = 0; k < 8; ++k)
                    grid->cells[cell][k] =
                        pointIndex(a + kCornerOffsets[k][0], b + kCornerOffsets[k][1], c + kCornerOffsets[k][2]);
    shared->grid = grid;
    return grid;
}

MetaBall metaballAt(int32_t k, float t) {
    const float c = 2.0f * std::cos(t * 0.0016666667f);
    MetaBall ball = {{0.0f, 0.0f, 0.0f}, 0.0f};
    switch (k) {
        case 0:
            ball = {{4.0f * std::cos(t * 0.0014285714f) - c, 4.0f * std::sin(t * 0.0016666667f) - c, 0.0f}, 2.0f};
            break;
        case 1:
            ball = {{c + 5.0f * std::sin(t * 0.0025f), 5.0f * std::cos(t * 0.0025f) - c, 0.0f}, 3.0f};
            break;
        case 2:
            ball = {{-5.0f * std::cos(t * 0.0025f) - 2.0f * std::sin(t * 0.0016666667f),
                     5.0f * std::sin(t * 0.002f) - 2.0f * std::sin(t * 0.0025f), 0.0f},
                    1.0f};
            break;
        default:
            break;
    }
    return ball;
}

void metaballBox(const MetaBall& ball, int axis, int32_t* start, int32_t* end) {
    const int32_t reach = static_cast<int32_t>(ball.strength * 10.25f);
    const float at = 2.05f * (ball.position[axis] + 10.0f);
    // Held to the grid before the conversion: a ball far away reaches nothing.
    const int32_t cell = at > -1000.0f && at < 1000.0f ? static_cast<int32_t>(at) : -1000;
    int32_t s = cell - 1 - reach;
    int32_t e = s + 2 * reach;
    *start = s < 0 ? 0 : s;
    *end = e > METABALL_GRID ? METABALL_GRID : e;
}

namespace {

enum { FIELD_WIDTH = METABALL_GRID + 3 };  // a line of points and the four-lane rounding past it

// The balls of a frame as every slab of the grid reads them: their boxes and their offsets (and
// squares) from the grid's own coordinates, per axis.
struct FieldPass {
    MetaballGrid* grid;
    const MetaBall* balls;
    int32_t count;
    int32_t lo[METABALL_PATHS][3], hi[METABALL_PATHS][3];
    float d[METABALL_PATHS][3][METABALL_GRID], dd[METABALL_PATHS][3][METABALL_GRID];
};

// One line of points (a, b, *), summed in registers and stored once: each point starts at 0 and
// takes every reaching ball's share in ball order, strength / d2 to the value and strength / d2^2
// times the offset to the gradient, d2 the squared distance held at 0.0001 or more. The squares of
// the offsets come per axis (a point's x depends on a only, y on b, z on c), summed in the order
// (x^2 + y^2) + z^2; four points go at a time where the processor can, each lane the same IEEE
// operations as one point at a time.
void fieldLine(const FieldPass& f, int32_t a, int32_t b) {
    alignas(16) float line[4][FIELD_WIDTH];  // value, gradient x, y, z
    float *value = line[0], *gx = line[1], *gy = line[2], *gz = line[3];
#ifdef __SSE2__
    // Cleared by hand: a library fill of so small an array costs more than the sums, and the
    // compiler would turn a loop of plain zeros back into one.
    __m128 zero = _mm_setzero_ps();
    __asm__("" : "+x"(zero));
    for (int32_t i = 0; i < 4 * FIELD_WIDTH; i += 4) _mm_store_ps(line[0] + i, zero);
#else
    std::memset(line, 0, sizeof line);
#endif
    for (int32_t k = 0; k < f.count; ++k) {
        if (a < f.lo[k][0] || a >= f.hi[k][0] || b < f.lo[k][1] || b >= f.hi[k][1]) continue;
        const float strength = f.balls[k].strength, dx = f.d[k][0][a], dy = f.d[k][1][b];
        const float xy = f.dd[k][0][a] + f.dd[k][1][b];
        const float *dz = f.d[k][2], *zz = f.dd[k][2];
        const int32_t lo = f.lo[k][2], hi = f.hi[k][2];
        int32_t c = lo;
#ifdef __SSE2__
        const __m128 h = _mm_set1_ps(strength), x = _mm_set1_ps(dx), y = _mm_set1_ps(dy), s = _mm_set1_ps(xy);
        const __m128 least = _mm_set1_ps(0.0001f);
        for (; c + 4 <= hi; c += 4) {
            __m128 d2 = _mm_add_ps(s, _mm_loadu_ps(zz + c));
            d2 = _mm_max_ps(least, d2);  // d2 unless least > d2: a NaN stays, as below
            const __m128 slope = _mm_div_ps(h, _mm_mul_ps(d2, d2));
            _mm_storeu_ps(value + c, _mm_add_ps(_mm_loadu_ps(value + c), _mm_div_ps(h, d2)));
            _mm_storeu_ps(gx + c, _mm_add_ps(_mm_loadu_ps(gx + c), _mm_mul_ps(x, slope)));
            _mm_storeu_ps(gy + c, _mm_add_ps(_mm_loadu_ps(gy + c), _mm_mul_ps(y, slope)));
            _mm_storeu_ps(gz + c, _mm_add_ps(_mm_loadu_ps(gz + c), _mm_mul_ps(_mm_loadu_ps(dz + c), slope)));
        }
#endif
        for (; c < hi; ++c) {
            float d2 = xy + zz[c];
            if (d2 < 0.0001f) d2 = 0.0001f;
            const float slope = strength / (d2 * d2);
            value[c] += strength / d2;
            gx[c] += dx * slope;
            gy[c] += dy * slope;
            gz[c] += dz[c] * slope;
        }
    }
    MetaballGrid* grid = f.grid;
    const int32_t first = pointIndex(a, b, 0);
    int32_t c = 0;
#ifdef __SSE2__
    // Four points' gradients at a time, from columns to x, y, z of each point in turn.
    for (; c + 4 <= METABALL_GRID; c += 4) {
        const __m128 x = _mm_loadu_ps(gx + c), y = _mm_loadu_ps(gy + c), z = _mm_loadu_ps(gz + c);
        const __m128 xyLow = _mm_unpacklo_ps(x, y), xyHigh = _mm_unpackhi_ps(x, y);  // x0 y0 x1 y1, x2 y2 x3 y3
        float* out = grid->gradients[first + c];
        _mm_storeu_ps(out, _mm_shuffle_ps(xyLow, _mm_shuffle_ps(z, xyLow, _MM_SHUFFLE(2, 2, 0, 0)),
                                          _MM_SHUFFLE(2, 0, 1, 0)));
        _mm_storeu_ps(out + 4, _mm_shuffle_ps(_mm_shuffle_ps(xyLow, z, _MM_SHUFFLE(1, 1, 3, 3)), xyHigh,
                                              _MM_SHUFFLE(1, 0, 2, 0)));
        _mm_storeu_ps(out + 8, _mm_shuffle_ps(_mm_shuffle_ps(z, xyHigh, _MM_SHUFFLE(2, 2, 2, 2)),
                                              _mm_shuffle_ps(xyHigh, z, _MM_SHUFFLE(3, 3, 3, 3)),
                                              _MM_SHUFFLE(2, 0, 2, 0)));
        for (int32_t i = 0; i < 4; ++i) grid->points[first + c + i][3] = value[c + i];
    }
#endif
    for (; c < METABALL_GRID; ++c) {
        grid->points[first + c][3] = value[c];
        float* gradient = grid->gradients[first + c];
        gradient[0] = gx[c];
        gradient[1] = gy[c];
        gradient[2] = gz[c];
    }
    uint64_t below = 0;
    c = 0;
#ifdef __SSE2__
    for (const __m128 level = _mm_set1_ps(0.5f); c < METABALL_GRID; c += 4)
        below |= uint64_t(_mm_movemask_ps(_mm_cmplt_ps(_mm_loadu_ps(value + c), level))) << c;
#endif
    for (; c < METABALL_GRID; ++c) below |= uint64_t(value[c] < 0.5f) << c;
    grid->below[a][b] = below & ((uint64_t(1) << METABALL_GRID) - 1);
}

void fieldSlab(int32_t a, void* context) {
    const FieldPass& f = *static_cast<const FieldPass*>(context);
    for (int32_t b = 0; b < METABALL_GRID; ++b) fieldLine(f, a, b);
}

}  // namespace

namespace {

// The balls at timeMs and what every slab of the field reads of them.
void setUpField(FieldPass& f, MetaballGrid* grid, int32_t count, float timeMs, MetaBall balls[METABALL_PATHS]) {
    if (count > METABALL_PATHS) count = METABALL_PATHS;
    if (count < 0) count = 0;
    for (int32_t k = 0; k < count; ++k) balls[k] = metaballAt(k, timeMs);
    f.grid = grid;
    f.balls = balls;
    f.count = count;
    for (int32_t k = 0; k < count; ++k) {
        const MetaBall& ball = balls[k];
        for (int axis = 0; axis < 3; ++axis) metaballBox(ball, axis, &f.lo[k][axis], &f.hi[k][axis]);
        for (int32_t n = 0; n < METABALL_GRID; ++n) {
            const int32_t along[3] = {pointIndex(n, 0, 0), pointIndex(0, n, 0), pointIndex(0, 0, n)};
            for (int axis = 0; axis < 3; ++axis) {
                f.d[k][axis][n] = grid->points[along[axis]][axis] - ball.position[axis];
                f.dd[k][axis][n] = f.d[k][axis][n] * f.d[k][axis][n];
            }
        }
    }
}

}  // namespace

void evaluateMetaballs(MetaballGrid* grid, int32_t count, float timeMs, MetaBall balls[METABALL_PATHS]) {
    FieldPass f;
    setUpField(f, grid, count, timeMs, balls);
    shareWork(METABALL_GRID, fieldSlab, &f);
}

namespace {

// Triangles of one slab of cells: each corner a normal then a position.
struct SlabTriangles {
    float* values;  // 18 floats a triangle
    int32_t count, capacity;
};

struct SurfacePass {
    const MetaballGrid* grid;
    const CaseTables* tables;
    SlabTriangles slabs[METABALL_SLABS];
    MetaballSurfaceSlab surface[METABALL_SLABS];
};

// Appends a triangle whose corners are edges order[0..2] of a cell, each its normal then position.
void keepTriangle(SlabTriangles* slab, const int32_t order[3], const float normals[12][3],
                  const float positions[12][3]) {
    if (slab->count == slab->capacity) {
        const int32_t capacity = slab->capacity ? 2 * slab->capacity : 256;
        float* grown = static_cast<float*>(std::realloc(slab->values, size_t(capacity) * 18 * sizeof(float)));
        if (!grown) outOfMemory("the metaball surface");
        slab->values = grown;
        slab->capacity = capacity;
    }
    float* out = slab->values + size_t(slab->count++) * 18;
    for (int v = 0; v < 3; ++v) {
        std::memcpy(out + 6 * v, normals[order[v]], 3 * sizeof(float));
        std::memcpy(out + 6 * v + 3, positions[order[v]], 3 * sizeof(float));
    }
}

// A cell's corner k is the point of its first point's index plus this.
const int32_t kCornerSteps[8] = {0, 1, 42, 41, 1681, 1682, 1723, 1722};

// Marching cubes over the cells (pa, *, *). A row of cells (pa, pb, *) reads four lines of points;
// the cells with corners on both sides of the level are found from the lines' masks at once, and
// only those are visited, in order.
void cellsOfSlab(int32_t pa, void* context) {
    SurfacePass& s = *static_cast<SurfacePass*>(context);
    const MetaballGrid* grid = s.grid;
    SlabTriangles* slab = &s.slabs[pa];
    slab->count = 0;
    float positions[12][3], normals[12][3];
    const uint64_t cells = (uint64_t(1) << (METABALL_GRID - 1)) - 1;
    for (int32_t pb = 0; pb < METABALL_GRID - 1; ++pb) {
        // Corners 0, 3, 4, 7 sit at the cell's c, corners 1, 2, 5, 6 at c + 1 (kCornerOffsets).
        const uint64_t line[4] = {grid->below[pa][pb], grid->below[pa][pb + 1], grid->below[pa + 1][pb],
                                  grid->below[pa + 1][pb + 1]};
        uint64_t any = 0, all = cells;
        for (uint64_t l : line) {
            any |= l | (l >> 1);
            all &= l & (l >> 1);
        }
        for (uint64_t mixed = any & ~all & cells; mixed; mixed &= mixed - 1) {
            const int32_t c = __builtin_ctzll(mixed);
            const int32_t pattern = int32_t((line[0] >> c) & 1) | int32_t((line[0] >> (c + 1)) & 1) << 1 |
                                    int32_t((line[1] >> (c + 1)) & 1) << 2 | int32_t((line[1] >> c) & 1) << 3 |
                                    int32_t((line[2] >> c) & 1) << 4 | int32_t((line[2] >> (c + 1)) & 1) << 5 |
                                    int32_t((line[3] >> (c + 1)) & 1) << 6 | int32_t((line[3] >> c) & 1) << 7;
            const uint16_t mask = s.tables->edges[pattern];
            if (mask == 0) continue;
            const int32_t first = pointIndex(pa, pb, c);
            for (int32_t e = 0; e < 12; ++e) {
                if (!(mask & (1u << e))) continue;
                const int32_t a = first + kCornerSteps[kEdges[e][0]], b = first + kCornerSteps[kEdges[e][1]];
                const float va = grid->points[a][3], vb = grid->points[b][3];
                const float t = (0.5f - va) / (vb - va);
                for (int axis = 0; axis < 3; ++axis) {
                    positions[e][axis] = grid->points[a][axis] + t * (grid->points[b][axis] - grid->points[a][axis]);
                    normals[e][axis] =
                        grid->gradients[a][axis] + t * (grid->gradients[b][axis] - grid->gradients[a][axis]);
                }
            }
            const int8_t* row = s.tables->triangles[pattern];
            for (int32_t i = 0; i + 2 < METABALL_ROW && row[i] >= 0; i += 3) {
                const int32_t order[3] = {row[i], row[i + 2], row[i + 1]};
                keepTriangle(slab, order, normals, positions);
            }
        }
    }
}

// The slabs' triangles are kept from frame to frame: their arrays only grow.
SurfacePass& surfacePass() {
    static SurfacePass pass;
    return pass;
}

SurfacePass& surfacePassOver(const MetaballGrid* grid) {
    SurfacePass& pass = surfacePass();
    pass.grid = grid;
    pass.tables = &caseTables();
    return pass;
}

const MetaballSurfaceSlab* surfaceSlabs(SurfacePass& pass) {
    for (int32_t k = 0; k < METABALL_SLABS; ++k) pass.surface[k] = {pass.slabs[k].values, pass.slabs[k].count};
    return pass.surface;
}

// A frame's field and surface as one queued piece: the field's slabs first, then the surface's,
// each waiting for the two slabs of points its cells read (taken earlier, so already running).
struct QueuedFrame {
    FieldPass field;
    std::atomic<bool> fieldDone[METABALL_GRID];
};

QueuedFrame& queuedFrame() {
    static QueuedFrame frame;
    return frame;
}

void frameItem(int32_t item, void*) {
    QueuedFrame& frame = queuedFrame();
    if (item < METABALL_GRID) {
        fieldSlab(item, &frame.field);
        frame.fieldDone[item].store(true, std::memory_order_release);
        return;
    }
    const int32_t slab = item - METABALL_GRID;
    while (!frame.fieldDone[slab].load(std::memory_order_acquire) ||
           !frame.fieldDone[slab + 1].load(std::memory_order_acquire))
        std::this_thread::yield();
    cellsOfSlab(slab, &surfacePass());
}

}  // namespace

const MetaballSurfaceSlab* polygonizeMetaballSlabs(const MetaballGrid* grid) {
    SurfacePass& pass = surfacePassOver(grid);
    shareWork(METABALL_SLABS, cellsOfSlab, &pass);
    return surfaceSlabs(pass);
}

void queueMetaballFrame(QueuedEffectWork* work, MetaballGrid* grid, int32_t count, int32_t timeMs,
                        MetaBall balls[METABALL_PATHS]) {
    QueuedFrame& frame = queuedFrame();
    setUpField(frame.field, grid, count, float(timeMs), balls);
    for (std::atomic<bool>& done : frame.fieldDone) done.store(false, std::memory_order_relaxed);
    surfacePassOver(grid);
    queueEffectWork(work, timeMs, METABALL_GRID + METABALL_SLABS, frameItem, nullptr);
}

const MetaballSurfaceSlab* queuedMetaballSurface() { return surfaceSlabs(surfacePass()); }
