#include "effects/boids/flock_neighbours.h"

#include <cstdlib>

#include "base/out_of_memory.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

enum { GROUP = 4 };

// Every other fish in the grid cells around key within the radius (range2 its square), in chain
// order: visit(fish, offset, squared distance).
template <typename Visit>
void forFishInRange(const Flock* flock, const Boid* b, int32_t key, float range2, Visit visit) {
    for (int32_t o = 0; o < flock->cellOffsetCount; ++o)
        for (const CellEntry* e = flockCellChain(flock, key + flock->cellOffsets[o]); e; e = e->next) {
            const Boid* q = e->boid;
            const float a[3] = {q->position[0] - b->position[0], q->position[1] - b->position[1],
                                q->position[2] - b->position[2]};
            const float d2 = a[0] * a[0] + a[1] * a[1] + a[2] * a[2];
            if (q == b || !(d2 <= range2)) continue;
            visit(q, a, d2);
        }
}

// The first pass over entries [from, to): each neighbour's distance, and whether a fish moving with
// velocity v at speed sees it. The same operations in the same order as faces(), four at a time.
void measure(NearFishList* list, int32_t from, int32_t to, const float v[3], float speed, float cosine) {
    int32_t i = from;
#ifdef __SSE2__
    const __m128 zero = _mm_setzero_ps(), vs = _mm_set1_ps(speed), cs = _mm_set1_ps(cosine);
    const __m128 vx = _mm_set1_ps(v[0]), vy = _mm_set1_ps(v[1]), vz = _mm_set1_ps(v[2]);
    const bool resting = speed == 0.0f;
    for (; i + GROUP <= to; i += GROUP) {
        const __m128 e = _mm_sqrt_ps(_mm_loadu_ps(list->distance2 + i));
        _mm_storeu_ps(list->distance + i, e);
        const __m128 dot = _mm_add_ps(_mm_add_ps(_mm_mul_ps(_mm_loadu_ps(list->offset[0] + i), vx),
                                                 _mm_mul_ps(_mm_loadu_ps(list->offset[1] + i), vy)),
                                      _mm_mul_ps(_mm_loadu_ps(list->offset[2] + i), vz));
        __m128 seen = resting ? _mm_cmpeq_ps(zero, zero) : _mm_cmpge_ps(_mm_div_ps(dot, _mm_mul_ps(e, vs)), cs);
        seen = _mm_andnot_ps(_mm_cmpeq_ps(e, zero), seen);
        const int mask = _mm_movemask_ps(seen);
        for (int k = 0; k < GROUP; ++k) list->seen[i + k] = (mask >> k) & 1;
    }
#endif
    for (; i < to; ++i) {
        list->distance[i] = std::sqrt(list->distance2[i]);
        const float a[3] = {list->offset[0][i], list->offset[1][i], list->offset[2][i]};
        list->seen[i] = faces(v, a, list->distance[i], speed, cosine);
    }
}

// The second pass's factors of entries [0, count), which depend on the distance alone.
void pullAndPush(NearFishList* list, int32_t count, float mean, float cohesion, float separation, float spacing) {
    int32_t i = 0;
#ifdef __SSE2__
    const __m128 m = _mm_set1_ps(mean), c = _mm_set1_ps(cohesion), s = _mm_set1_ps(separation);
    const __m128 d = _mm_set1_ps(spacing), one = _mm_set1_ps(1.0f);
    for (; i + GROUP <= count; i += GROUP) {
        const __m128 e = _mm_loadu_ps(list->distance + i);
        _mm_storeu_ps(list->pull + i, _mm_mul_ps(_mm_div_ps(_mm_sub_ps(e, m), e), c));
        _mm_storeu_ps(list->push + i, _mm_mul_ps(_mm_sub_ps(_mm_div_ps(d, e), one), s));
    }
#endif
    for (; i < count; ++i) {
        const float e = list->distance[i];
        list->pull[i] = (e - mean) / e * cohesion;
        list->push[i] = (spacing / e - 1.0f) * separation;
    }
}

// Adds the velocities and distances of the entries [0, count) the first pass saw to sum and
// *distances, in order, and returns how many it saw. Without branches: which fish are in sight
// follows no pattern. A fish out of sight adds -0, which leaves every sum as it was.
int32_t addSeen(const NearFishList* list, int32_t count, float sum[3], float* distances) {
    int32_t seen = 0;
    int32_t i = 0;
#ifdef __SSE2__
    __m128 total = _mm_setr_ps(sum[0], sum[1], sum[2], *distances);
    const __m128 nothing = _mm_set1_ps(-0.0f);
    for (; i < count; ++i) {
        const float* velocity = list->boid[i]->velocity;
        const __m128 value = _mm_setr_ps(velocity[0], velocity[1], velocity[2], list->distance[i]);
        const __m128 mask = _mm_castsi128_ps(_mm_set1_epi32(-int32_t(list->seen[i])));
        total = _mm_add_ps(total, _mm_or_ps(_mm_and_ps(mask, value), _mm_andnot_ps(mask, nothing)));
        seen += list->seen[i];
    }
    float lanes[4];
    _mm_storeu_ps(lanes, total);
    for (int k = 0; k < 3; ++k) sum[k] = lanes[k];
    *distances = lanes[3];
#endif
    for (; i < count; ++i) {
        if (!list->seen[i]) continue;
        ++seen;
        for (int k = 0; k < 3; ++k) sum[k] += list->boid[i]->velocity[k];
        *distances += list->distance[i];
    }
    return seen;
}

// The second pass over entries [0, count): cohesion and separation, each neighbour judged with the
// velocity v as the ones before it changed it. The velocity stays in registers along the chain, and
// what is in sight is decided without its root (facesBySquares).
void cohere(const NearFishList* list, int32_t count, float v[3], float cosine, float spacing) {
    float vx = v[0], vy = v[1], vz = v[2];
    float squared = vx * vx + vy * vy + vz * vz;
    for (int32_t i = 0; i < count; ++i) {
        const float e = list->distance[i];
        const float ax = list->offset[0][i], ay = list->offset[1][i], az = list->offset[2][i];
        if (!facesBySquares(ax * vx + ay * vy + az * vz, e, squared, cosine)) continue;
        const float pull = list->pull[i];
        vx += ax * pull;
        vy += ay * pull;
        vz += az * pull;
        if (e < spacing) {
            const float push = list->push[i];
            vx -= ax * push;
            vy -= ay * push;
            vz -= az * push;
        }
        squared = vx * vx + vy * vy + vz * vz;
    }
    v[0] = vx;
    v[1] = vy;
    v[2] = vz;
}

}  // namespace

NearFishList* createNearFishList(int32_t capacity) {
    NearFishList* list = static_cast<NearFishList*>(std::calloc(1, sizeof(NearFishList)));
    if (!list) return nullptr;
    // Whole groups of four, so that the vector passes may read a group's unused tail.
    const size_t n = (size_t(capacity) + GROUP - 1) / GROUP * GROUP + GROUP;
    list->capacity = capacity;
    list->boid = static_cast<const Boid**>(std::calloc(n, sizeof(Boid*)));
    float* columns = static_cast<float*>(std::calloc(n * 7, sizeof(float)));
    list->seen = static_cast<uint8_t*>(std::calloc(n, 1));
    if (!list->boid || !columns || !list->seen) {
        std::free(columns);
        freeNearFishList(list);
        return nullptr;
    }
    float** named[] = {&list->offset[0], &list->offset[1], &list->offset[2], &list->distance2,
                       &list->distance,  &list->pull,      &list->push};
    for (size_t k = 0; k < 7; ++k) *named[k] = columns + k * n;
    return list;
}

void freeNearFishList(NearFishList* list) {
    if (!list) return;
    std::free(list->offset[0]);  // the first of the float columns, allocated as one
    std::free(list->boid);
    std::free(list->seen);
    std::free(list);
}

// Two passes over the fish in sight. No fish moves while the flock steers, so the first pass walks
// the grid's chains once and keeps the fish within the radius, in chain order, for the second; what
// is in sight is decided in each pass with the fish's velocity of that moment, which the second pass
// changes as it goes.
void steerByNeighbours(const Flock* flock, Boid* b, int32_t key, const float t1[3]) {
    NearFishList* list = flock->inRange;
    const float viewCosine = std::cos(flock->viewAngle);
    const float range2 = flock->neighbourRadius * flock->neighbourRadius;
    float v[3] = {b->velocity[0], b->velocity[1], b->velocity[2]};
    const float speed = flockLength(v);
    int32_t n = 0, near = 0;  // near counts past the list's capacity: then the second pass walks again
    float sum[3] = {v[0], v[1], v[2]};
    float distances = 0;
    int32_t kept = 0;
    // Measures the kept entries and adds the ones in sight, in order.
    auto firstPass = [&]() {
        measure(list, 0, kept, v, speed, viewCosine);
        n += addSeen(list, kept, sum, &distances);
    };
    forFishInRange(flock, b, key, range2, [&](const Boid* q, const float a[3], float d2) {
        if (kept == list->capacity) {
            firstPass();
            kept = 0;
        }
        list->boid[kept] = q;
        for (int k = 0; k < 3; ++k) list->offset[k][kept] = a[k];
        list->distance2[kept] = d2;
        ++kept;
        ++near;
    });
    firstPass();

    const float share = static_cast<float>(n + 1);
    for (int k = 0; k < 3; ++k) v[k] += (sum[k] / share - v[k]) * flock->alignWeight;
    float toTarget[3];
    for (int k = 0; k < 3; ++k) toTarget[k] = t1[k] - b->position[k];
    const float d = flockLength(toTarget);
    if (d > flock->leashRadius)
        for (int k = 0; k < 3; ++k) v[k] += toTarget[k] * (1.0f - flock->leashRadius / d) * flock->targetWeight;

    const float mean = distances / share;
    const float cohesion = flock->cohesionWeight / share, separation = flock->separationWeight / share;
    const float spacing = flock->separationDistance;
    if (near <= list->capacity) {
        pullAndPush(list, near, mean, cohesion, separation, spacing);
        cohere(list, near, v, viewCosine, spacing);
    } else {
        // Cells met twice (offsets that name the same cell on a coarse grid) overflowed the list:
        // the chains again.
        float velocityLength = flockLength(v);
        forFishInRange(flock, b, key, range2, [&](const Boid*, const float a[3], float d2) {
            const float e = std::sqrt(d2);
            if (!faces(v, a, e, velocityLength, viewCosine)) return;
            for (int k = 0; k < 3; ++k) v[k] += a[k] * ((e - mean) / e * cohesion);
            if (e < spacing)
                for (int k = 0; k < 3; ++k) v[k] -= a[k] * ((spacing / e - 1.0f) * separation);
            velocityLength = flockLength(v);
        });
    }
    for (int k = 0; k < 3; ++k) b->velocity[k] = v[k];
}
