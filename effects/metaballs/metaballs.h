// Three blobby balls on fixed paths: their field sampled on a 41^3 grid and the iso-surface at 0.5
// polygonised by marching cubes. The grid is shared by every metaball slot.
#pragma once
#include <cstdint>

#include "effects/effect_check.h"
#include "effects/effect_family.h"
#include "effects/effect_helpers.h"

struct Scene;
struct RenderState;

enum {
    METABALL_GRID = 41,
    METABALL_POINTS = METABALL_GRID * METABALL_GRID * METABALL_GRID,
    METABALL_CELLS = 40 * 40 * 40,
    METABALL_PATHS = 3,  // balls past the third have no path and are left out
};

struct MetaBall {
    float position[3];
    float strength;
};

struct MetaballGrid {
    float points[METABALL_POINTS][4];  // x, y, z, field value
    float gradients[METABALL_POINTS][3];
    int32_t cells[METABALL_CELLS][8];  // corner point indices
    // Per line of points (a, b, *), bit c set where point c's value is below the surface's level;
    // written with the values by evaluateMetaballs.
    uint64_t below[METABALL_GRID][METABALL_GRID];
};

// The grid every metaball slot evaluates into, allocated with its positions and cells on first use;
// null when memory runs out.
struct MetaballsShared {
    MetaballGrid* grid;
};
MetaballGrid* metaballGrid(MetaballsShared* shared);

// Ball k (0..2) at time T (ms).
MetaBall metaballAt(int32_t k, float timeMs);
// The box of grid points ball reaches along one axis: [*start, *end).
void metaballBox(const MetaBall& ball, int axis, int32_t* start, int32_t* end);
// Positions of up to three balls at timeMs, then the field and gradients of the whole grid.
void evaluateMetaballs(MetaballGrid* grid, int32_t count, float timeMs, MetaBall balls[METABALL_PATHS]);

// Marching cubes over every cell as evaluateMetaballs left the grid, slab by slab of cells on every
// core: the triangles of each slab in cell order, each triangle's corners in the order they are
// drawn, a corner its normal then its position (six floats).
struct MetaballSurfaceSlab {
    const float* corners;
    int32_t triangles;
};
enum { METABALL_SLABS = METABALL_GRID - 1 };
// The slabs in cell order; the arrays stay valid until the next call.
const MetaballSurfaceSlab* polygonizeMetaballSlabs(const MetaballGrid* grid);

// The same field and surface queued as one piece of the frame's shared work for timeMs: once work
// is awaited (awaitEffectWork), queuedMetaballSurface holds the slabs. One frame at a time, and no
// other evaluation of the grid until then.
void queueMetaballFrame(QueuedEffectWork* work, MetaballGrid* grid, int32_t count, int32_t timeMs,
                        MetaBall balls[METABALL_PATHS]);
const MetaballSurfaceSlab* queuedMetaballSurface();

// The case tables: edges cut for each inside/outside pattern, and the triangles over those edges
// (edge numbers, three at a time, -1 ends the row).
enum { METABALL_ROW = 16 };
const uint16_t* metaballEdgeTable();
const int8_t (*metaballTriangleTable())[METABALL_ROW];

void initMetaballs(RenderState* render, Scene* scene, EffectSlot* slot);
void drawMetaballs(RenderState* render, EffectSlot* slot, int32_t timeMs);
// At the start of a frame: the field and surface start on the helper threads.
void prepareMetaballs(RenderState* render, EffectSlot* slot, int32_t timeMs);
void releaseMetaballs(EffectSlot* slot);
void releaseMetaballsShared(EffectsState* effects);

inline constexpr EffectFamilyDescriptor kMetaballsFamily = {
    FAMILY_METABALLS, "metaballs", initMetaballs, drawMetaballs, releaseMetaballs, releaseMetaballsShared,
    kNoFamilyFiles,   checkRowFile, nullptr, nullptr, nullptr, prepareMetaballs};
