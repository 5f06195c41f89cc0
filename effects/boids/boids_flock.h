// The fish school simulation: flock records, presets, seeding, the fixed-step update with its spatial
// hash, and the clock that follows the scene time. Drawing is boids_draw.
#pragma once
#include <cstdint>

#include "scene/effect_slot.h"

struct Envelope;

struct Boid {
    float position[3];
    float velocity[3];  // displacement per step
    float length;
    float timeOffset;  // phase on the null's path, seconds
    float spine[4][3];  // head, first, second, tail
};

struct FlockObstacle {
    float centre[3];
    float radius;
    float influence;
};

enum { CELL_BUCKETS = 4001, CELL_PROBE_MODULUS = 97 };

struct CellEntry {
    Boid* boid;
    int32_t key;
    int32_t bucket;  // where the entry's chain lives, so that clearing visits only the buckets in use
    CellEntry* next;
};

struct CellBucket {
    int32_t key;
    CellEntry* head;  // null: the bucket is empty
    CellEntry* tail;
};

// Open addressing over prime-sized buckets, each a chain of the boids of one cell. Entries come from
// a pool sized for the flock, so clearing frees nothing.
struct CellTable {
    CellBucket buckets[CELL_BUCKETS];
    CellEntry* pool;
    int32_t poolSize;
    int32_t poolUsed;
};

struct NearFishList;

struct Flock {
    Boid* boids;
    int32_t boidCount;
    const Envelope* target;  // the slot's motion; channels 0..2 are the null's path
    float time;
    float spawnScale;
    float neighbourRadius;
    float viewAngle;
    float separationDistance;
    float leashRadius;
    float speedFactor;
    float maxSpeed;
    float bodyLength;
    float phaseSpread;
    float obstacleViewAngle;
    FlockObstacle* obstacles;
    int32_t obstacleCount;
    int32_t* cellOffsets;  // gridResolution^3 entries
    int32_t cellOffsetCount;
    float alignWeight, cohesionWeight, separationWeight, targetWeight, obstacleWeight;
    CellTable* cellTable;
    // gridResolution^3 entries: each cell key's chain in cellTable during a step, read without
    // hashing when every fish's key is a cell of the grid (cellChainsCover).
    const CellEntry** cellChains;
    bool cellChainsCover;
    NearFishList* inRange;  // one fish's neighbours within the radius, during a step
    float boundsMax[3];
    float boundsMin[3];
    int32_t gridResolution;
};

// Three headers over one boid array: only their scalars differ.
struct FlockSet {
    Flock current;
    Flock display;
    Flock lookahead;
};

struct FlockPreset {
    EffectVariant variant;
    int32_t boidCount;
    float spawnScale, neighbourRadius, separationDistance, leashRadius, speedFactor, bodyLength, phaseSpread;
    float alignWeight, cohesionWeight, separationWeight, targetWeight;
    int32_t gridResolution;
    int32_t obstacleCount;
    FlockObstacle obstacles[3];
};

// The preset a variant selects, or null when it is no flock preset.
const FlockPreset* flockPreset(EffectVariant variant);

// Allocates the set, the boids, obstacles, offsets and hash for the preset, points it at target and
// seeds it (resetFlock). Null when the variant is no preset or memory runs out.
FlockSet* createFlockSet(EffectVariant variant, const Envelope* target, float startTime, float step);
void freeFlockSet(FlockSet* set);

// Seeds the flock around the path at startTime, drawing 8 numbers per boid from the shared
// generator (the caller seeds it), then copies current to display and lookahead.
void resetFlock(FlockSet* set, float startTime, float step, const Envelope* target);
// Per axis the cell size is (max - min) / resolution; keeps the key offsets within neighbourRadius.
void computeCellOffsets(Flock* flock);
// One simulation step from flock->time to newTime.
void stepFlock(Flock* flock, float newTime);
// Brings the set to scene time t (seconds): whole steps, then one lookahead step.
void advanceFlock(FlockSet* set, float t, float step);
bool isVisible(const Boid* boid, const float point[3], float range, float halfAngle);
// Copies the header, array pointers included: the headers then share one boid and obstacle array,
// which is never copied onto itself. Copying a header onto itself does nothing.
void copyFlock(Flock* dst, const Flock* src);

// The hash: insertion under a key, the chain of a key (null when none), clearing.
void cellInsert(CellTable* table, Boid* boid, int32_t key);
const CellEntry* cellLookup(const CellTable* table, int32_t key);
// The chain of key in the flock's table during a step, as cellLookup finds it.
const CellEntry* flockCellChain(const Flock* flock, int32_t key);
void cellClear(CellTable* table);
int32_t cellBucketOf(const CellTable* table, int32_t key);  // the bucket holding key, or -1
