#include "effects/boids/boids_flock.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "base/crt_rand.h"
#include "base/out_of_memory.h"
#include "effects/boids/flock_neighbours.h"
#include "scene/envelope.h"

namespace {

// Every preset sees and notices obstacles within 1.57 rad and steers around them with weight 0.8.
const float kViewAngle = 1.57f;
const float kObstacleWeight = 0.8f;

const FlockPreset kPresets[] = {
    {VARIANT_FLOCK_HERRING, 100, 1, 4, 4, 1.2f, 1.1f, 1.9f, 2, 0.01f, 0.2f, 0.1f, 0.1f, 10, 3,
     {{{2.8f, 5.77f, 22.5f}, 1, 1.5f}, {{2.8f, 2.77f, 22.5f}, 1, 1.5f}, {{2.8f, -0.77f, 22.5f}, 2, 1.9f}}},
    {VARIANT_FLOCK_HERRING_THREE, 60, 1, 0.2f, 0.5f, 0.8f, 1.1f, 0.4f, 3.2f, 0.01f, 0.2f, 0.1f, 0.1f, 10, 3,
     {{{2.8f, 5.77f, 22.5f}, 1, 1.5f}, {{2.8f, 2.77f, 22.5f}, 1, 1.5f}, {{2.8f, -0.77f, 22.5f}, 2, 1.9f}}},
    {VARIANT_FLOCK_HERRING_TWO, 60, 1, 30, 10, 30.2f, 1.1f, 14, 3.2f, 0.1f, 0.01f, 0.3f, 0.004f, 10, 0, {}},
    {VARIANT_FLOCK_YELLOW, 50, 1, 30, 10, 30.2f, 1.1f, 11, 3.2f, 0.1f, 0.01f, 0.3f, 0.004f, 10, 1,
     {{{4.7f, 38.8f, -58.14f}, 11, 16.5f}}},
    {VARIANT_FLOCK_YELLOW_TWO, 35, 1, 1.9f, 1.2f, 4.2f, 1.05f, 1, 4, 0.01f, 0.2f, 0.1f, 0.08f, 10, 0, {}},
    {VARIANT_FLOCK_BLUE, 24, 1, 32, 28, 10.2f, 1.05f, 7, 2.6f, 0.01f, 0.2f, 0.1f, 0.1f, 10, 0, {}},
    {VARIANT_FLOCK_BLUE_TWO, 15, 1, 3, 2, 1.2f, 1.2f, 0.8f, 1.7f, 0.01f, 0.2f, 0.1f, 0.1f, 10, 0, {}},
    {VARIANT_FLOCK_GREEN, 55, 1, 4, 3, 1, 1.05f, 1, 4.2f, 0.01f, 0.2f, 0.1f, 0.1f, 10, 0, {}},
    {VARIANT_FLOCK_GREEN_THREE, 35, 1, 4, 2, 5, 1.05f, 1, 6.2f, 0.01f, 0.2f, 0.1f, 0.1f, 10, 0, {}},
    {VARIANT_FLOCK_LOTS_OF_HERRINGS, 300, 2, 1.2f, 2.8f, 7.2f, 1.1f, 1.6f, 2.1f, 0.1f, 0.2f, 0.2f, 0.02f, 10, 0,
     {}},
    {VARIANT_FLOCK_SMALL, 100, 3, 1.5f, 6.8f, 4.2f, 0.9f, 2, 3, 0.01f, 0.4f, 0.1f, 0.08f, 15, 3,
     {{{-0.4f, 3.7f, -2.8f}, 1.5f, 2.25f}, {{-0.4f, 6.7f, -2.8f}, 1.5f, 2.25f}, {{-0.4f, 0.7f, -2.8f}, 3.5f, 2.25f}}},
    {VARIANT_FLOCK_MEDIUM, 70, 3, 1.5f, 6.8f, 4.2f, 0.9f, 2, 2.5f, 0.01f, 0.4f, 0.1f, 0.08f, 15, 1,
     {{{-10.41f, 4.4f, 4.36f}, 1.5f, 2.25f}}},
};

float uniform() { return static_cast<float>(crtRand()) * 3.051851e-05f; }

void pathAt(const Envelope* target, float t, float out[3]) {
    for (int k = 0; k < 3; ++k) out[k] = evalEnvelope(&target[k], t);
}

// Non-negative remainder: keys of cells left of the grid are negative.
int32_t positiveMod(int32_t a, int32_t m) {
    int32_t r = a % m;
    return r < 0 ? r + m : r;
}

// Cell index along one axis; NaN and far-away values are held to a range whose keys cannot overflow.
int32_t cellIndex(float offset, float cell) {
    if (!(cell > 0.0f)) return 0;  // a flat or undefined grid axis is one cell
    float i = offset / cell;
    if (!(i > -1.0e6f)) return i != i ? 0 : -1000000;
    if (i > 1.0e6f) return 1000000;
    return static_cast<int32_t>(i);
}

int32_t cellKey(const Flock* flock, const float p[3], const float cell[3]) {
    const int32_t r = flock->gridResolution;
    int32_t ix = cellIndex(p[0] - flock->boundsMin[0], cell[0]);
    int32_t iy = cellIndex(p[1] - flock->boundsMin[1], cell[1]);
    int32_t iz = cellIndex(p[2] - flock->boundsMin[2], cell[2]);
    return static_cast<int32_t>((int64_t(ix) * r + iy) * r + iz);
}

void cellSizes(const Flock* flock, float cell[3]) {
    for (int k = 0; k < 3; ++k)
        cell[k] = (flock->boundsMax[k] - flock->boundsMin[k]) / static_cast<float>(flock->gridResolution);
}

// Bounds over the positions plus a margin of twice the neighbour radius; the running extremes start
// from `first`.
void updateBounds(Flock* flock, const float first[3]) {
    float lo[3], hi[3];
    for (int k = 0; k < 3; ++k) lo[k] = hi[k] = first[k];
    for (int32_t i = 0; i < flock->boidCount; ++i)
        for (int k = 0; k < 3; ++k) {
            float v = flock->boids[i].position[k];
            if (v < lo[k]) lo[k] = v;
            if (v > hi[k]) hi[k] = v;
        }
    for (int k = 0; k < 3; ++k) {
        flock->boundsMin[k] = lo[k] - 2.0f * flock->neighbourRadius;
        flock->boundsMax[k] = hi[k] + 2.0f * flock->neighbourRadius;
    }
}

void setPreset(Flock* flock, const FlockPreset& preset) {
    flock->boidCount = preset.boidCount;
    flock->spawnScale = preset.spawnScale;
    flock->neighbourRadius = preset.neighbourRadius;
    flock->viewAngle = kViewAngle;
    flock->separationDistance = preset.separationDistance;
    flock->leashRadius = preset.leashRadius;
    flock->speedFactor = preset.speedFactor;
    flock->bodyLength = preset.bodyLength;
    flock->phaseSpread = preset.phaseSpread;
    flock->obstacleViewAngle = kViewAngle;
    flock->obstacleCount = preset.obstacleCount;
    flock->alignWeight = preset.alignWeight;
    flock->cohesionWeight = preset.cohesionWeight;
    flock->separationWeight = preset.separationWeight;
    flock->targetWeight = preset.targetWeight;
    flock->obstacleWeight = kObstacleWeight;
    flock->gridResolution = preset.gridResolution;
}

// isVisible with the cosine of the half angle given: it is the same for every pair of a step.
bool visibleWithin(const Boid* boid, const float point[3], float range, float cosine) {
    float a[3];
    for (int k = 0; k < 3; ++k) a[k] = point[k] - boid->position[k];
    float d2 = a[0] * a[0] + a[1] * a[1] + a[2] * a[2];
    if (!(d2 <= range * range)) return false;
    return faces(boid->velocity, a, std::sqrt(d2), flockLength(boid->velocity), cosine);
}

// Turns the fish sideways in the x-y plane around obstacles ahead of it.
void steerByObstacles(const Flock* flock, Boid* b) {
    const float obstacleCosine = flock->obstacleCount ? std::cos(flock->obstacleViewAngle) : 0.0f;
    for (int32_t i = 0; i < flock->obstacleCount; ++i) {
        const FlockObstacle& o = flock->obstacles[i];
        float away[3];
        for (int k = 0; k < 3; ++k) away[k] = b->position[k] - o.centre[k];
        float e = flockLength(away);
        if (!(e < o.influence + o.radius) || e == 0.0f || e == o.radius) continue;
        float s[3];
        for (int k = 0; k < 3; ++k) s[k] = o.centre[k] + away[k] * o.radius / e;
        if (!visibleWithin(b, s, o.influence, obstacleCosine)) continue;
        float g[2];
        for (int k = 0; k < 2; ++k) {
            float a = s[k] - b->position[k];
            g[k] = a * o.influence / (e - o.radius) - a;
        }
        float turn = g[0] * b->velocity[1] - g[1] * b->velocity[0];
        if (turn <= -turn) {
            b->velocity[0] += g[1] * flock->obstacleWeight;
            b->velocity[1] -= g[0] * flock->obstacleWeight;
        } else {
            b->velocity[0] -= g[1] * flock->obstacleWeight;
            b->velocity[1] += g[0] * flock->obstacleWeight;
        }
    }
}

int32_t cellCount(const Flock* flock) { return flock->gridResolution * flock->gridResolution * flock->gridResolution; }

// Empties the cell table and the chains of the cells its entries were in.
void clearCells(Flock* flock) {
    const CellTable* table = flock->cellTable;
    for (int32_t i = 0; i < table->poolUsed; ++i)
        if (uint32_t(table->pool[i].key) < uint32_t(cellCount(flock))) flock->cellChains[table->pool[i].key] = nullptr;
    cellClear(flock->cellTable);
}

void moveBoid(Boid* b) {
    float s = flockLength(b->velocity);
    for (int k = 0; k < 3; ++k) {
        b->position[k] += b->velocity[k];
        b->spine[0][k] = b->position[k];
    }
    if (!(b->length > 0.0f)) return;
    float follow = s / (0.33f * b->length);
    for (int p = 1; p < 4; ++p)
        for (int k = 0; k < 3; ++k) b->spine[p][k] += (b->spine[p - 1][k] - b->spine[p][k]) * follow;
}

}  // namespace

const FlockPreset* flockPreset(EffectVariant variant) {
    for (const FlockPreset& preset : kPresets)
        if (preset.variant == variant) return &preset;
    return nullptr;
}

int32_t cellBucketOf(const CellTable* table, int32_t key) {
    int32_t bucket = positiveMod(key, CELL_BUCKETS);
    const int32_t step = positiveMod(key, CELL_PROBE_MODULUS) + 1;
    for (int32_t probe = 0; probe < CELL_BUCKETS; ++probe) {
        const CellBucket& b = table->buckets[bucket];
        if (!b.head || b.key == key) return bucket;
        bucket = (bucket + step) % CELL_BUCKETS;
    }
    return -1;
}

void cellInsert(CellTable* table, Boid* boid, int32_t key) {
    int32_t bucket = cellBucketOf(table, key);
    if (bucket < 0 || table->poolUsed >= table->poolSize) return;
    CellEntry* entry = &table->pool[table->poolUsed++];
    entry->boid = boid;
    entry->key = key;
    entry->bucket = bucket;
    entry->next = nullptr;
    CellBucket& b = table->buckets[bucket];
    if (!b.head) {
        b.key = key;
        b.head = entry;
    } else {
        b.tail->next = entry;
    }
    b.tail = entry;
}

const CellEntry* cellLookup(const CellTable* table, int32_t key) {
    int32_t bucket = cellBucketOf(table, key);
    return bucket < 0 ? nullptr : table->buckets[bucket].head;
}

void cellClear(CellTable* table) {
    // Only buckets that entries went into can hold a chain; a fresh table is all zero.
    for (int32_t i = 0; i < table->poolUsed; ++i) table->buckets[table->pool[i].bucket] = CellBucket{0, nullptr, nullptr};
    table->poolUsed = 0;
}

const CellEntry* flockCellChain(const Flock* flock, int32_t key) {
    if (!flock->cellChainsCover) return cellLookup(flock->cellTable, key);
    return uint32_t(key) < uint32_t(cellCount(flock)) ? flock->cellChains[key] : nullptr;
}

bool isVisible(const Boid* boid, const float point[3], float range, float halfAngle) {
    return visibleWithin(boid, point, range, std::cos(halfAngle));
}

void copyFlock(Flock* dst, const Flock* src) {
    // The header takes the source's array pointers, so the arrays themselves are already the same:
    // copying them would copy each onto itself.
    if (dst != src) *dst = *src;
}

void computeCellOffsets(Flock* flock) {
    const int32_t res = flock->gridResolution;
    const float r = flock->neighbourRadius;
    float cell[3];
    cellSizes(flock, cell);
    // Per axis the offsets run from -(n - 1) to n, n the cells needed to pass the radius; a flat or
    // undefined axis (every fish in cell 0) needs only offset 0, and the count is bounded by the grid.
    int32_t lo[3], hi[3];
    for (int k = 0; k < 3; ++k) {
        int32_t n = 0;
        for (float sum = 0; r >= 0 && sum <= r && n < res; sum += cell[k]) ++n;
        lo[k] = cell[k] > 0.0f ? -(n - 1) : 0;
        hi[k] = cell[k] > 0.0f ? n : 0;
    }
    const int32_t capacity = res * res * res;
    flock->cellOffsetCount = 0;
    for (int32_t ox = lo[0]; ox <= hi[0]; ++ox)
        for (int32_t oy = lo[1]; oy <= hi[1]; ++oy)
            for (int32_t oz = lo[2]; oz <= hi[2]; ++oz) {
                float x = ox ? ox * cell[0] : 0.0f, y = oy ? oy * cell[1] : 0.0f, z = oz ? oz * cell[2] : 0.0f;
                if (r * r - x * x - y * y - z * z > 0 && flock->cellOffsetCount < capacity)
                    flock->cellOffsets[flock->cellOffsetCount++] = (ox * res + oy) * res + oz;
            }
}

void stepFlock(Flock* flock, float newTime) {
    computeCellOffsets(flock);
    float cell[3];
    cellSizes(flock, cell);
    const int32_t cells = cellCount(flock);
    CellTable* table = flock->cellTable;
    clearCells(flock);
    flock->cellChainsCover = true;
    for (int32_t i = 0; i < flock->boidCount; ++i) {
        const int32_t key = cellKey(flock, flock->boids[i].position, cell);
        cellInsert(table, &flock->boids[i], key);
        flock->cellChainsCover = flock->cellChainsCover && uint32_t(key) < uint32_t(cells);
    }
    // Each entry knows the bucket its chain hangs from: no second probe.
    for (int32_t i = 0; i < table->poolUsed; ++i)
        if (uint32_t(table->pool[i].key) < uint32_t(cells))
            flock->cellChains[table->pool[i].key] = table->buckets[table->pool[i].bucket].head;

    for (int32_t i = 0; i < flock->boidCount; ++i) {
        Boid* b = &flock->boids[i];
        float t0[3], t1[3], travel[3];
        pathAt(flock->target, flock->time + b->timeOffset, t0);
        pathAt(flock->target, newTime + b->timeOffset, t1);
        for (int k = 0; k < 3; ++k) travel[k] = t1[k] - t0[k];
        flock->maxSpeed = flockLength(travel) * flock->speedFactor;

        steerByNeighbours(flock, b, cellKey(flock, b->position, cell), t1);
        steerByObstacles(flock, b);
        float speed = flockLength(b->velocity);
        if (speed > flock->maxSpeed)
            for (float& v : b->velocity) v *= flock->maxSpeed / speed;
    }
    flock->time = newTime;

    if (flock->boidCount == 0) return;
    float first[3];
    std::memcpy(first, flock->boids[0].position, sizeof first);
    for (int32_t i = 0; i < flock->boidCount; ++i) moveBoid(&flock->boids[i]);
    updateBounds(flock, first);
}

void advanceFlock(FlockSet* set, float t, float step) {
    Flock* current = &set->current;
    float behind = (t - current->time) / step;
    // A step of 0 or a time far ahead would mean endless steps; the clock then jumps instead.
    int64_t k = behind > 0 && behind < 1.0e7f ? static_cast<int64_t>(behind) : 0;
    for (int64_t s = 0; s < k; ++s) stepFlock(current, current->time + step);
    if (t <= current->time) {
        copyFlock(&set->display, current);
        copyFlock(&set->lookahead, current);
        return;
    }
    if (k > 0) {
        copyFlock(&set->lookahead, current);
        stepFlock(&set->lookahead, set->lookahead.time + step);
    }
    set->display.time = t;
}

void resetFlock(FlockSet* set, float startTime, float step, const Envelope* target) {
    Flock* flock = &set->current;
    flock->target = target;
    clearCells(flock);
    for (int k = 0; k < 3; ++k) {
        flock->boundsMax[k] = 20.0f;
        flock->boundsMin[k] = -20.0f;
    }
    flock->cellOffsetCount = 0;
    float p0[3], p1[3];
    pathAt(target, startTime, p0);
    pathAt(target, step, p1);
    flock->time = startTime;

    const float spread = flock->neighbourRadius * flock->spawnScale;
    for (int32_t i = 0; i < flock->boidCount; ++i) {
        Boid* b = &flock->boids[i];
        for (int k = 0; k < 3; ++k) b->position[k] = p0[k] + (2.0f * uniform() - 1.0f) * spread;
        for (int k = 0; k < 3; ++k) b->velocity[k] = (p1[k] - p0[k]) + 0.1f * uniform() - 0.05f;
        b->length = (0.2f * uniform() + 1.0f) * flock->bodyLength - 0.1f * flock->bodyLength;
        b->timeOffset = uniform() * flock->phaseSpread;
        float speed = flockLength(b->velocity);
        float d[3] = {1.0f, 0.0f, 0.0f};  // a fish seeded at rest faces +x
        if (speed > 0.0f)
            for (int k = 0; k < 3; ++k) d[k] = b->velocity[k] / speed;
        const float along[4] = {0.0f, 0.33f, 0.66f, 1.0f};
        for (int p = 0; p < 4; ++p)
            for (int k = 0; k < 3; ++k) b->spine[p][k] = b->position[k] - d[k] * b->length * along[p];
    }
    if (flock->boidCount > 0) updateBounds(flock, flock->boids[0].position);
    copyFlock(&set->display, flock);
    copyFlock(&set->lookahead, flock);
}

FlockSet* createFlockSet(EffectVariant variant, const Envelope* target, float startTime, float step) {
    const FlockPreset* preset = flockPreset(variant);
    if (!preset) return nullptr;
    FlockSet* set = static_cast<FlockSet*>(std::calloc(1, sizeof(FlockSet)));
    if (!set) outOfMemory("a flock");
    Flock* flock = &set->current;
    setPreset(flock, *preset);
    const int32_t res = preset->gridResolution;
    flock->boids = static_cast<Boid*>(std::calloc(size_t(preset->boidCount), sizeof(Boid)));
    flock->obstacles = static_cast<FlockObstacle*>(std::calloc(3, sizeof(FlockObstacle)));
    flock->cellOffsets = static_cast<int32_t*>(std::calloc(size_t(res) * res * res, sizeof(int32_t)));
    flock->cellTable = static_cast<CellTable*>(std::calloc(1, sizeof(CellTable)));
    flock->cellChains = static_cast<const CellEntry**>(std::calloc(size_t(res) * res * res, sizeof(CellEntry*)));
    flock->inRange = createNearFishList(preset->boidCount);
    CellEntry* pool = static_cast<CellEntry*>(std::calloc(size_t(preset->boidCount) + 1, sizeof(CellEntry)));
    if (!flock->boids || !flock->obstacles || !flock->cellOffsets || !flock->cellTable || !flock->cellChains ||
        !flock->inRange || !pool) {
        std::free(pool);
        freeFlockSet(set);
        return nullptr;
    }
    flock->cellTable->pool = pool;
    flock->cellTable->poolSize = preset->boidCount;
    for (int32_t i = 0; i < preset->obstacleCount; ++i) flock->obstacles[i] = preset->obstacles[i];
    resetFlock(set, startTime, step, target);
    return set;
}

void freeFlockSet(FlockSet* set) {
    if (!set) return;
    Flock* flock = &set->current;
    if (flock->cellTable) std::free(flock->cellTable->pool);
    std::free(flock->cellTable);
    freeNearFishList(flock->inRange);
    std::free(flock->cellOffsets);
    std::free(flock->cellChains);
    std::free(flock->obstacles);
    std::free(flock->boids);
    std::free(set);
}
