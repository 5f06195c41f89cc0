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

// faces() for a fish whose squared speed is given and dot = a · velocity, decided from squares (in
// single, then double precision) wherever the roundings of faces() cannot change the answer: with no
// root and no division on the chain of a fish's changing velocity. Near the edge of the view, and
// for extreme values, it is faces() itself.
inline bool facesBySquares(float dot, float da, float squared, float cosine) {
    if (da == 0.0f) return false;
    if (squared == 0.0f) return true;
    if (cosine > 0.0f) {
        if (!(dot > 0.0f)) return false;  // behind, across or undefined: below a positive cosine
        // In single precision first, where its roundings (a few in 1e7) cannot reach the margin: the
        // squared dot product lies in [1e-30, 1e30], so a limit that overflows or underflows is far
        // from it.
        if (dot > 1.0e-15f && dot < 1.0e15f && squared > 1.0e-30f && squared < 1.0e30f && da > 1.0e-10f &&
            da < 1.0e10f) {
            const float limit = cosine * cosine * (da * da) * squared, d2 = dot * dot;
            if (d2 > limit * 1.0001f) return true;
            if (d2 < limit * 0.9999f) return false;
        }
        const double limit = double(cosine) * double(cosine) * (double(da) * double(da)) * double(squared);
        // faces() rounds three times (root, product, quotient): its quotient is within 2e-7 of the
        // true one, so a margin of 1e-5 on the squares decides for it.
        if (dot < 1.0e30f && squared < 1.0e30f && limit > 1.0e-60) {
            const double d2 = double(dot) * double(dot);
            if (d2 > limit * (1.0 + 1.0e-5)) return true;
            if (d2 < limit * (1.0 - 1.0e-5)) return false;
        }
    }
    return dot / (da * std::sqrt(squared)) >= cosine;
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
