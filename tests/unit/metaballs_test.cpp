// Metaballs: the paths, each ball's reach on the grid, the field, and the polygonised surface.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "effects/metaballs/metaballs.h"

namespace {

struct Winding {
    int32_t triangles = 0;
    int32_t outward = 0;
};

// Every triangle of the surface: its corners' normals and positions, six floats a corner.
template <typename Visit>
void forEachTriangle(const MetaballSurfaceSlab* slabs, Visit visit) {
    for (int32_t k = 0; k < METABALL_SLABS; ++k)
        for (int32_t i = 0; i < slabs[k].triangles; ++i) visit(slabs[k].corners + size_t(i) * 18);
}

void countWinding(const float* corners, Winding* w) {
    float u[3], v[3], n[3] = {0, 0, 0};
    for (int k = 0; k < 3; ++k) {
        u[k] = corners[6 + 3 + k] - corners[3 + k];
        v[k] = corners[12 + 3 + k] - corners[3 + k];
        for (int c = 0; c < 3; ++c) n[k] += corners[6 * c + k];
    }
    const float cross[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    ++w->triangles;
    if (cross[0] * n[0] + cross[1] * n[1] + cross[2] * n[2] > 0) ++w->outward;
}

}  // namespace

TEST(Metaballs, FieldAtTimeZero) {
    static MetaballsShared shared;
    MetaballGrid* grid = metaballGrid(&shared);
    MetaBall balls[METABALL_PATHS];
    evaluateMetaballs(grid, 5, 0.0f, balls);  // a count past the three paths draws three
    const float at[3][2] = {{2, -2}, {2, 3}, {-5, 0}};
    for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(balls[k].position[0], at[k][0], 1e-6f) << k;
        EXPECT_NEAR(balls[k].position[1], at[k][1], 1e-6f) << k;
    }
    const int32_t box[3][2] = {{3, 41}, {0, 35}, {0, 39}};
    for (int axis = 0; axis < 3; ++axis) {
        int32_t start, end;
        metaballBox(balls[0], axis, &start, &end);
        EXPECT_EQ(start, box[axis][0]) << axis;
        EXPECT_EQ(end, box[axis][1]) << axis;
    }
    EXPECT_NEAR(grid->points[1681 * 20 + 41 * 20 + 20][3], 0.4807692f, 1e-6f);
    // Ball 0 sits on grid point (24, 16, 20): clamped distance, no infinity.
    EXPECT_NEAR(grid->points[1681 * 24 + 41 * 16 + 20][3], 20000.0f, 20.0f);
}

TEST(Metaballs, CaseTablesCutOnlyCrossedEdges) {
    const uint16_t* edges = metaballEdgeTable();
    EXPECT_EQ(edges[0], 0);
    EXPECT_EQ(edges[1], 0x109);
    EXPECT_EQ(edges[0x55], 0xff);
    EXPECT_EQ(edges[255], 0);
    const auto* rows = metaballTriangleTable();
    for (int pattern = 0; pattern < 256; ++pattern) {
        int used = 0;
        while (used < METABALL_ROW && rows[pattern][used] >= 0) {
            EXPECT_TRUE(edges[pattern] & (1u << rows[pattern][used])) << pattern;
            ++used;
        }
        EXPECT_EQ(used % 3, 0) << pattern;
        EXPECT_EQ(used == 0, edges[pattern] == 0) << pattern;
    }
}

TEST(Metaballs, SurfaceFacesAlongTheNormals) {
    static MetaballsShared shared;
    MetaballGrid* grid = metaballGrid(&shared);
    MetaBall balls[METABALL_PATHS];
    evaluateMetaballs(grid, 3, 1234.0f, balls);
    Winding winding;
    forEachTriangle(polygonizeMetaballSlabs(grid), [&](const float* corners) { countWinding(corners, &winding); });
    EXPECT_GT(winding.triangles, 500);
    EXPECT_GT(winding.outward, winding.triangles * 99 / 100);
}

// The arrays drawn hold each corner as its normal, then its position on an edge of its cell: two of
// its coordinates are those of the grid's points (0.5 a - 10), and it lies inside the grid.
TEST(Metaballs, DrawnArraysHoldCornersOnTheCellEdges) {
    static MetaballsShared shared;
    MetaballGrid* grid = metaballGrid(&shared);
    MetaBall balls[METABALL_PATHS];
    evaluateMetaballs(grid, 3, 5678.0f, balls);
    int32_t triangles = 0;
    forEachTriangle(polygonizeMetaballSlabs(grid), [&](const float* corners) {
        ++triangles;
        for (int v = 0; v < 3; ++v) {
            const float* position = corners + 6 * v + 3;
            int onGridLines = 0;
            for (int axis = 0; axis < 3; ++axis) {
                ASSERT_LE(std::fabs(position[axis]), 10.0f) << triangles;
                const float steps = 2.0f * (position[axis] + 10.0f);
                if (steps == std::floor(steps)) ++onGridLines;
            }
            ASSERT_GE(onGridLines, 2) << triangles;
        }
    });
    EXPECT_GT(triangles, 500);
}

// The surface visits only the cells its masks say are cut; over every cell of the grid, read
// through the cells' corner lists, the table rows give the same number of triangles, and the masks
// agree with the values they were made from.
TEST(Metaballs, EveryCutCellIsPolygonised) {
    static MetaballsShared shared;
    MetaballGrid* grid = metaballGrid(&shared);
    const uint16_t* edges = metaballEdgeTable();
    const auto* rows = metaballTriangleTable();
    for (float t : {0.0f, 777.0f, 4321.0f, 20000.0f}) {
        MetaBall balls[METABALL_PATHS];
        evaluateMetaballs(grid, 3, t, balls);
        for (int32_t line = 0; line < METABALL_GRID * METABALL_GRID; ++line)
            for (int32_t c = 0; c < METABALL_GRID; ++c)
                ASSERT_EQ((grid->below[line / METABALL_GRID][line % METABALL_GRID] >> c) & 1,
                          uint64_t(grid->points[line * METABALL_GRID + c][3] < 0.5f));
        int32_t expected = 0, drawn = 0;
        for (int32_t cell = 0; cell < METABALL_CELLS; ++cell) {
            int32_t pattern = 0;
            for (int32_t k = 0; k < 8; ++k)
                if (grid->points[grid->cells[cell][k]][3] < 0.5f) pattern |= 1 << k;
            for (int32_t i = 0; edges[pattern] && i < METABALL_ROW && rows[pattern][i] >= 0; i += 3) ++expected;
        }
        forEachTriangle(polygonizeMetaballSlabs(grid), [&](const float*) { ++drawn; });
        EXPECT_GT(expected, 100) << t;
        EXPECT_EQ(drawn, expected) << t;
    }
}
