// Electric surfaces: a 35 x 35 grid regenerated every frame (a wobbling blob, a torus, or a rectangle
// under a complex function) and shaded as glowing arcs by the shared electro glow program.
#pragma once
#include <cstdint>

#include "data/texture.h"
#include "effects/effect_check.h"
#include "effects/effect_family.h"
#include "effects/effect_helpers.h"
#include "scene/effect_slot.h"

struct Scene;
struct RenderState;

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

// What the rows of both electro families give: floatParams 0..3 the glow program's locals, 4..7 the
// two parameter ranges (start, length; the ribbon's time window in 4 and 5); intParams[5] which colour
// picture a surface takes, [7] the backwards flag, [8] the grey glow.
struct ElectroParams {
    float glow[4];
    float a0, ra, b0, rb;
    int32_t picture;
    bool backwards;
    bool grey;
};
ElectroParams electroParams(const EffectSlot* slot);

// The buffers one electro slot draws from.
struct ElectroBuffers {
    uint32_t vertices, indices, texCoords;
};

struct ElectroSurfaceState {
    ElectroGenerator generator;
    ElectroParams params;
    ElectroBuffers buffers;
    ElectroVertex vertices[ELECTRO_VERTICES];
    QueuedEffectWork surface;  // the vertices, queued by electroSurfacePrepare
};

#define ELECTRO_PICTURES {"Demo/Kolorki.JPG", "Demo/Kolorki3.JPG", "Demo/Kolorki2.JPG"}
// The two glow programs and the colour pictures, shared by surfaces and ribbons.
struct ElectroShared {
    uint32_t glowPrograms[2];  // colour picture as it is; its red channel as grey
    TextureImage pictures[3];  // ELECTRO_PICTURES: two for surfaces, the last for ribbons
};

// The generator a binding's variant names (the blob for a variant of another family).
ElectroGenerator electroGeneratorOf(EffectVariant variant);
// The grid for the parameters at timeMs.
void electroSurfaceVertices(ElectroGenerator generator, const ElectroParams& params, int32_t timeMs,
                            ElectroVertex* out);
// Triangles of the grid; the cotangent leaves columns 16 to 19 out (degenerate) around its pole.
void electroSurfaceIndices(ElectroGenerator generator, uint16_t* out);
// The static (u, v) per grid vertex for the colour picture.
void electroGridTexCoords(float* out);
// (p + iq) / (c + id); 0 where the divisor is 0 (the cotangent's and tangent's poles).
void electroComplexQuotient(float p, float q, float c, float d, float* re, float* im);

void electroSurfaceInit(RenderState* render, Scene* scene, EffectSlot* slot);
void electroSurfaceRender(RenderState* render, EffectSlot* slot, int32_t timeMs);
// At the start of a frame: the vertices are worked out on the helper threads.
void electroSurfacePrepare(RenderState* render, EffectSlot* slot, int32_t timeMs);
void electroSurfaceRelease(EffectSlot* slot);
// Both families' shared objects; the ribbon's descriptor leaves them to the surface's.
void electroReleaseShared(EffectsState* effects);

inline constexpr const char* kElectroSurfaceFiles[] = {"Demo/Kolorki.JPG", "Demo/Kolorki3.JPG", nullptr};
inline constexpr EffectFamilyDescriptor kElectroSurfaceFamily = {
    FAMILY_ELECTRO_SURFACE, "electro-surface", electroSurfaceInit, electroSurfaceRender, electroSurfaceRelease,
    electroReleaseShared,   kElectroSurfaceFiles, checkRowFile, nullptr, nullptr, nullptr, electroSurfacePrepare};
