// The neighbour rules of one fish in a flock step: alignment, leash, cohesion and separation over
// the fish within the radius, found through the step's cell table.
#pragma once
#include <cmath>
#include <cstdint>

#include "effects/boids/boids_flock.h"

// |v|, summed in x, y, z order like every length of the flock.
inline float flockLength(const float v[3]) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

// Whether a fish sees a point at offset a and distance da = |a|, moving at speed dv = |velocity|:
// within the half angle whose cosine is given.
inline bool faces(const float velocity[3], const float a[3], float da, float dv, float cosine) {
    if (da == 0.0f) return false;  // the point is the fish itself
    if (dv == 0.0f) return true;   // a fish at rest faces nowhere in particular
    return (a[0] * velocity[0] + a[1] * velocity[1] + a[2] * velocity[2]) / (da * dv) >= cosine;
}

// One fish's neighbours within the radius during a step, column by column, so that what does not
// depend on the steering fish's changing velocity is worked out four fish at a time. The columns
// hold `capacity` entries rounded up to a whole group of four.
struct NearFishList {
    const Boid** boid;
    float* offset[3];  // the neighbour's position less the steering fish's
    float* distance2;  // squared distance
    float* distance;
    float* pull;  // cohesion and separation factors of the second pass
    float* push;
    uint8_t* seen;  // whether the first pass saw the neighbour
    int32_t capacity;
};

// Null when memory runs out.
NearFishList* createNearFishList(int32_t capacity);
void freeNearFishList(NearFishList* list);

// Steers b by the fish around its cell key: t1 is where its path leads at the step's new time.
// No fish moves while the flock steers; b's velocity changes, and later fish see it.
void steerByNeighbours(const Flock* flock, Boid* b, int32_t key, const float t1[3]);
