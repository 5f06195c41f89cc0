// Electric surfaces: a 35 x 35 grid regenerated every frame (a wobbling blob, a torus, or a rectangle
// under a complex function) and shaded as glowing arcs by the shared electro glow program.
#pragma once
#include <cstdint>

#include "effects/effect_families.h"
#include "scene/effect_slot.h"

struct Scene;
struct RenderState;
struct EffectSlot;
struct Settings;

enum ElectroGenerator {
    ELECTRO_BLOB = 0,
    ELECTRO_TORUS,
    ELECTRO_EXPONENTIAL,
    ELECTRO_SINE,
    ELECTRO_COSINE,
    ELECTRO_TANGENT,
    ELECTRO_COTANGENT,
    ELECTRO_GENERATORS,
};

enum {
    ELECTRO_GRID = 35,
    ELECTRO_VERTICES = ELECTRO_GRID * ELECTRO_GRID,
    ELECTRO_INDICES = 34 * 34 * 6,
};

// Position; turbulence coordinates (texture set 0); glow shape (texture set 1). 32 bytes.
struct ElectroVertex {
    float position[3];
    float turbulence[3];
    float glow[2];
};

struct ElectroSurfaceState {
    ElectroGenerator generator;
    ElectroVertex vertices[ELECTRO_VERTICES];
};

// The generator a binding's variant names (the blob for a variant of another family).
ElectroGenerator electroGeneratorOf(EffectVariant variant);
// The grid for the slot's parameters at timeMs (floatParams 4..7 the two parameter ranges,
// intParams[7] the backwards flag).
void electroSurfaceVertices(ElectroGenerator generator, const EffectSlot* slot, int32_t timeMs, ElectroVertex* out);
// Triangles of the grid; the cotangent leaves columns 16 to 19 out (degenerate) around its pole.
void electroSurfaceIndices(ElectroGenerator generator, uint16_t* out);
// The static (u, v) per grid vertex for the colour picture.
void electroGridTexCoords(float* out);
// (p + iq) / (c + id); 0 where the divisor is 0 (the cotangent's and tangent's poles).
void electroComplexQuotient(float p, float q, float c, float d, float* re, float* im);

