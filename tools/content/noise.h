// Deterministic randomness and tiling noise for the content generators: the same seed gives the
// same picture and the same music on every build.
#pragma once
#include <cstdint>

// splitmix64: small, fast and identical everywhere.
struct Rng {
    uint64_t state;
};

Rng rngSeed(uint64_t seed);
uint64_t rngNext(Rng* rng);
// Uniform in [0, 1).
double rngUniform(Rng* rng);
double rngRange(Rng* rng, double low, double high);
// Uniform integer in [0, count).
int rngBelow(Rng* rng, int count);

// An integer hash of a lattice point, for noise that needs no state.
uint32_t hashPoint(int x, int y, int z, uint32_t seed);
// The hash as a value in [0, 1).
double hashUnit(int x, int y, int z, uint32_t seed);

// Gradient noise in about [-1, 1] that repeats every periodX cells in x and periodY cells in y.
double tileNoise(double x, double y, int periodX, int periodY, uint32_t seed);
// Octave sum over a tile: u, v in [0, 1) cover the tile once, the first octave has `cells` cells
// across and each further one twice as many with `gain` times the amplitude. Result in about [-1, 1].
double tileFbm(double u, double v, int cells, int octaves, double gain, uint32_t seed);
// As tileFbm, but each octave folded (1 - |n|): sharp crests, for rock and caustic webs. In [0, 1].
double tileRidged(double u, double v, int cells, int octaves, double gain, uint32_t seed);

// Distances from (u, v) to the nearest and second nearest feature point of a tiling cell grid with
// `cells` cells across. Every point circles its home position with radius `wobble` (in cells), at
// angle 2 pi (phase + its own offset): a whole turn of phase brings every point back.
struct Voronoi {
    double nearest;
    double second;
    uint32_t cellHash;  // identifies the nearest point's cell
};
Voronoi tileVoronoi(double u, double v, int cells, double wobble, double phase, uint32_t seed);

double smoothStep(double edge0, double edge1, double x);
double clamp01(double x);
double mix(double a, double b, double t);
