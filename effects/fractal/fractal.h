// Glowing quaternion-Julia volumes: built once per builder at load, drawn as blended slices.
#pragma once
#include <cstdint>

#include "effects/effect_families.h"
#include "scene/effect_slot.h"

struct Scene;
struct RenderState;
struct EffectSlot;

enum FractalBuilder {
    FRACTAL_4D = 0,        // "4DFractal"
    FRACTAL_BRAIN = 1,     // "3DBrain"
    FRACTAL_SMALL_1 = 2,   // "Small_4DFractal_1"
    FRACTAL_SMALL_2 = 3,   // "Small_4DFractal_2"
    FRACTAL_BUILDERS = 4,
};

enum { FRACTAL_MAX_SIZE = 256, FRACTAL_MIN_SLICES = 2 };

struct FractalState {
    FractalBuilder builder;
    uint32_t texture, vertexBuffer, indexBuffer;
};

struct FractalConstants {
    double a, b, c, d;  // the Julia constant
    int32_t iterations;
    int32_t size;  // edge of the cube
};

const FractalConstants* fractalConstants(FractalBuilder builder);
// The builder a binding's variant names (the first for a variant of another family).
FractalBuilder fractalBuilderOf(EffectVariant variant);

// Fills n^3 bytes (index i n + j n^2 + k) with 255 where the orbit stays within radius 2, else 0.
// Cubes smaller than 4 use a lattice step of 1 instead of n / 4.
void buildJuliaVolume(uint8_t* buffer, int32_t iterations, double a, double b, double c, double d, int32_t n);

// The texture builder of a slot: the builder's cached volume texture, built on first use (edge n, at
// most FRACTAL_MAX_SIZE); left bound with 3D texturing on.
uint32_t buildFractalTexture(FractalBuilder builder, int32_t n);
