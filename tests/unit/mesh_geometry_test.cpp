// Surface vertices built on the CPU: smoothing, reuse, weights, tangents, UV pairs and the guards.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "scene/lwo_reader.h"
#include "scene/mesh_geometry.h"
#include "tests/support/test_package.h"
#include "tests/unit/scene_load_fixture.h"
#include "tools/lightwave/lw_writer.h"

namespace {

struct ObjectDeleter {
    void operator()(RawObject* object) const { freeRawObject(object); }
};
typedef std::unique_ptr<RawObject, ObjectDeleter> ObjectPtr;

ObjectPtr readLw(const LwObject& lw) {
    std::vector<uint8_t> bytes = writeLwo(lw);
    loadTestPackage({{"Demo/x.lwo", std::string(bytes.begin(), bytes.end())}});
    testing::internal::CaptureStderr();
    ObjectPtr object(readObject("Demo/x.lwo"));
    testing::internal::GetCapturedStderr();
    return object;
}

SurfaceGeometry build(RawObject* object, int32_t surface = 0) {
    UvCursor cursor = {0, 0};
    SurfaceGeometry geometry;
    EXPECT_EQ(buildSurfaceGeometry(object, surface, &cursor, &geometry), GEOMETRY_OK);
    return geometry;
}

const float* vertex(const SurfaceGeometry& g, int v) { return &g.vertices[size_t(v) * size_t(g.layout.floats)]; }

void expectVector(const float* actual, float x, float y, float z, const char* what) {
    EXPECT_NEAR(actual[0], x, 1e-5f) << what;
    EXPECT_NEAR(actual[1], y, 1e-5f) << what;
    EXPECT_NEAR(actual[2], z, 1e-5f) << what;
}

// Two triangles folded 90 degrees along the x axis: normals +z and +y, points 0 and 1 shared.
LwObject hinge(float smoothingDegrees) {
    LwObject lw = lwTriangles({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {0, 1, 2, 1, 0, 3}, "Skin");
    if (smoothingDegrees > 0) lw.surfaces[0].smoothingAngle = smoothingDegrees * 3.14159265f / 180.0f;
    return lw;
}

// A unit square in z = 0 with a UV map "UV" (u = x, v = y).
LwObject uvSquare() {
    LwObject lw = lwTriangles({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {0, 1, 2, 0, 2, 3}, "Skin");
    LwVertexMap uv;
    uv.name = "UV";
    const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (uint32_t p = 0; p < 4; ++p) uv.entries.push_back({p, {corners[p][0], corners[p][1]}});
    lw.layers[0].vertexMaps.push_back(uv);
    LwClip clip;
    clip.fileName = "Demo/t.bmp";
    lw.clips.push_back(clip);
    return lw;
}

LwTextureLayer layerOn(const char* channel) {
    LwTextureLayer layer;
    layer.channel = channel;
    layer.uvMap = "UV";
    return layer;
}

TEST(MeshGeometry, FlatSurfaceEmitsEveryCornerWithItsFaceNormal) {
    ObjectPtr object = readLw(hinge(0));
    ASSERT_TRUE(object);
    SurfaceGeometry g = build(object.get());
    EXPECT_EQ(g.layout.floats, 6);
    EXPECT_EQ(g.triangleCount, 2);
    ASSERT_EQ(g.vertexCount, 6);
    EXPECT_EQ(g.indices, (std::vector<uint16_t>{0, 1, 2, 3, 4, 5}));
    for (int v = 0; v < 3; ++v) expectVector(vertex(g, v) + 3, 0, 0, 1, "first face");
    for (int v = 3; v < 6; ++v) expectVector(vertex(g, v) + 3, 0, 1, 0, "second face");
    expectVector(vertex(g, 3), 1, 0, 0, "position of point 1");
}

TEST(MeshGeometry, SmoothingJoinsFacesWithinTheAngleOnly) {
    ObjectPtr wide = readLw(hinge(100));
    SurfaceGeometry g = build(wide.get());
    ASSERT_EQ(g.vertexCount, 4);
    EXPECT_EQ(g.indices, (std::vector<uint16_t>{0, 1, 2, 1, 0, 3}));
    const float h = std::sqrt(0.5f);
    expectVector(vertex(g, 0) + 3, 0, h, h, "shared point 0");
    expectVector(vertex(g, 1) + 3, 0, h, h, "shared point 1");
    expectVector(vertex(g, 2) + 3, 0, 0, 1, "point of the first face only");
    expectVector(vertex(g, 3) + 3, 0, 1, 0, "point of the second face only");

    ObjectPtr narrow = readLw(hinge(80));
    EXPECT_EQ(build(narrow.get()).vertexCount, 6);
}

TEST(MeshGeometry, VerticesAreReusedWhenNormalsAgreeWithinTolerance) {
    // The second triangle of the square is tilted by lifting point 3.
    auto square = [](float lift) {
        return lwTriangles({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, lift}}, {0, 1, 2, 0, 2, 3}, "Skin");
    };
    ObjectPtr flat = readLw(square(0));
    SurfaceGeometry g = build(flat.get());
    EXPECT_EQ(g.vertexCount, 4);
    EXPECT_EQ(g.indices, (std::vector<uint16_t>{0, 1, 2, 0, 2, 3}));

    ObjectPtr slight = readLw(square(0.005f));  // 1 - cos(tilt) about 2.5e-5
    g = build(slight.get());
    EXPECT_EQ(g.vertexCount, 4);
    expectVector(vertex(g, 0) + 3, 0, 0, 1, "the first vertex emitted is the one reused");

    ObjectPtr tilted = readLw(square(0.02f));  // about 4e-4
    EXPECT_EQ(build(tilted.get()).vertexCount, 6);
}

TEST(MeshGeometry, WeightsTangentsBinormalsAndUvsFollowTheLayout) {
    LwObject lw = uvSquare();
    LwVertexMap a, b;
    a.type = b.type = "WGHT";
    a.dimension = b.dimension = 1;
    a.name = "A";
    b.name = "B";
    a.entries.push_back({0, {0.75f, 0}});
    b.entries.push_back({0, {0.25f, 0}});
    b.entries.push_back({1, {1.0f, 0}});
    lw.layers[0].vertexMaps.push_back(a);
    lw.layers[0].vertexMaps.push_back(b);
    lw.surfaces[0].layers = {layerOn("BUMP"), layerOn("COLR")};
    ObjectPtr object = readLw(lw);
    ASSERT_TRUE(object);
    computeFaceTangents(object.get(), 0);
    SurfaceGeometry g = build(object.get());
    ASSERT_EQ(g.layout.floats, 6 + 4 + 6 + 2 * 2);
    EXPECT_EQ(g.layout.weightOffset, 6);
    EXPECT_EQ(g.layout.tangentOffset, 10);
    EXPECT_EQ(g.layout.uvOffset, 16);
    ASSERT_EQ(g.vertexCount, 4);

    const float* p0 = vertex(g, 0);
    EXPECT_EQ(std::vector<float>(p0 + 6, p0 + 10), (std::vector<float>{0.75f, 0.0f, 0.25f, 4.0f}));
    const float* p1 = vertex(g, 1);
    EXPECT_EQ(std::vector<float>(p1 + 6, p1 + 10), (std::vector<float>{1.0f, 4.0f, 0.0f, 0.0f}));
    const float* p2 = vertex(g, 2);
    EXPECT_EQ(std::vector<float>(p2 + 6, p2 + 10), (std::vector<float>{0, 0, 0, 0}));
    for (int v = 0; v < 4; ++v) {
        expectVector(vertex(g, v) + 10, 1, 0, 0, "tangent along u");
        expectVector(vertex(g, v) + 13, 0, -1, 0, "binormal = tangent x normal");
    }
    EXPECT_EQ(std::vector<float>(p2 + 16, p2 + 20), (std::vector<float>{1, 1, 1, 1}));

    // Without the bump layer the block disappears and the UVs move up.
    lw.surfaces[0].layers = {layerOn("COLR")};
    object = readLw(lw);
    g = build(object.get());
    EXPECT_EQ(g.layout.floats, 6 + 4 + 2);
    EXPECT_EQ(std::vector<float>(vertex(g, 2) + 10, vertex(g, 2) + 12), (std::vector<float>{1, 1}));
}

TEST(MeshGeometry, DegenerateUvsGiveZeroTangentsNotNaN) {
    LwObject lw = uvSquare();
    for (LwMapEntry& e : lw.layers[0].vertexMaps[0].entries) e.values[0] = e.values[1] = 0.5f;
    lw.surfaces[0].layers = {layerOn("BUMP")};
    lw.surfaces[0].smoothingAngle = 1.0f;
    ObjectPtr object = readLw(lw);
    computeFaceTangents(object.get(), 0);
    SurfaceGeometry g = build(object.get());
    for (int v = 0; v < g.vertexCount; ++v) {
        expectVector(vertex(g, v) + 3, 0, 0, 1, "normal");
        expectVector(vertex(g, v) + 6, 0, 0, 0, "tangent");
        expectVector(vertex(g, v) + 9, 0, 0, 0, "binormal");
    }
}

TEST(MeshGeometry, CancellingSmoothedNormalsFallBackToTheFaceNormal) {
    // Three faces around the z axis whose normals lie 120 degrees apart: their sum is zero.
    std::vector<LwPoint> points = {{0, 0, 0}, {0, 0, 1}};
    std::vector<uint32_t> corners;
    for (int k = 0; k < 3; ++k) {
        float a = float(k) * 2.0943951f;
        points.push_back({-std::sin(a), std::cos(a), 0});
        corners.insert(corners.end(), {0, 1, uint32_t(2 + k)});
    }
    LwObject lw = lwTriangles(points, corners, "Skin");
    lw.surfaces[0].smoothingAngle = 170.0f * 3.14159265f / 180.0f;
    ObjectPtr object = readLw(lw);
    SurfaceGeometry g = build(object.get());
    ASSERT_EQ(g.vertexCount, 9);
    for (int k = 0; k < 3; ++k) {
        float a = float(k) * 2.0943951f;
        for (int c = 0; c < 3; ++c) {
            const float* n = vertex(g, 3 * k + c) + 3;
            expectVector(n, -std::cos(a), -std::sin(a), 0, "face normal");
        }
    }
}

TEST(MeshGeometry, APointMayCarryAnyNumberOfVertices) {
    // A cone of 100 faces: the apex needs one vertex per face, past any per-point capacity.
    std::vector<LwPoint> points = {{0, 0, 1}};
    std::vector<uint32_t> corners;
    for (int k = 0; k < 100; ++k) {
        float a = float(k) * 6.2831853f / 100.0f;
        points.push_back({std::cos(a), std::sin(a), 0});
        corners.insert(corners.end(), {0, uint32_t(1 + (k + 1) % 100), uint32_t(1 + k)});
    }
    ObjectPtr object = readLw(lwTriangles(points, corners, "Skin"));
    ASSERT_TRUE(object);
    SurfaceGeometry g = build(object.get());
    EXPECT_EQ(g.vertexCount, 300);
    EXPECT_EQ(g.indices.size(), 300u);
}

TEST(MeshGeometry, UvPairsOfLayersWithoutUvsAreReservedButUnwritten) {
    LwObject lw = uvSquare();
    lw.layers[0].vertexMaps[0].entries.pop_back();  // point 3 has no UV
    lw.surfaces[0].layers = {layerOn("COLR"), layerOn("DIFF"), layerOn("REFL")};
    ObjectPtr object = readLw(lw);
    SurfaceGeometry g = build(object.get());
    ASSERT_EQ(g.layout.floats, 6 + 3 * 2);
    ASSERT_EQ(g.vertexCount, 4);
    const float* p1 = vertex(g, 1);
    EXPECT_EQ(std::vector<float>(p1 + 6, p1 + 12), (std::vector<float>{1, 0, 0, 0, 0, 0}));
    // Point 3 repeats the previous lookup's UV (point 2's).
    const float* p3 = vertex(g, 3);
    EXPECT_EQ(std::vector<float>(p3 + 6, p3 + 12), (std::vector<float>{1, 1, 0, 0, 0, 0}));
}

// A height field whose every face leans its own way: each corner needs its own vertex.
LwObject roughField(int side) {
    std::vector<LwPoint> points;
    for (int j = 0; j < side; ++j)
        for (int i = 0; i < side; ++i) {
            uint32_t hash = (uint32_t(i) * 73856093u) ^ (uint32_t(j) * 19349663u);
            points.push_back({float(i), float(j), float(hash % 101u) * 0.01f});
        }
    std::vector<uint32_t> corners;
    for (int j = 0; j + 1 < side; ++j)
        for (int i = 0; i + 1 < side; ++i) {
            uint32_t p = uint32_t(j * side + i);
            corners.insert(corners.end(), {p, p + 1, p + uint32_t(side), p + 1, p + uint32_t(side) + 1,
                                           p + uint32_t(side)});
        }
    return lwTriangles(points, corners, "Rough");
}

TEST_F(SceneLoadTest, ASurfaceBeyondSixteenBitIndicesIsRefusedWithAMessage) {
    addObject("Demo/big.lwo", roughField(110));  // 23762 faces
    addObject("Demo/tri.lwo", triangleObject());
    LwScene scene = basicScene("Demo/big.lwo");
    scene.items.push_back(objectItem("Demo/tri.lwo"));
    addScene("Demo/a.lws", scene);
    bool ok = false;
    Scene* loadedScene = load("Demo/a.lws", &ok);
    ASSERT_TRUE(ok) << messages;
    EXPECT_TRUE(said("Object Demo/big.lwo cannot be loaded: its surface \"Rough\" needs more than 65536 vertices"))
        << messages;
    EXPECT_EQ(loadedScene->items[0].mesh, nullptr);
    EXPECT_EQ(loadedScene->items[0].surfaceCount, 0);
    ASSERT_NE(loadedScene->items[1].mesh, nullptr);
    EXPECT_EQ(ctx->render.meshes.count, 1);
    EXPECT_EQ(loadedScene->items[1].mesh->surfaces[0].triangleCount, 1);
    EXPECT_EQ(loadedScene->items[1].mesh->surfaces[0].vertexStride, 24);
}

TEST_F(SceneLoadTest, SurfacesWithoutADeviceGetTheirLayoutButNoGlObjects) {
    LwObject lw = uvSquare();
    lw.surfaces[0].layers = {layerOn("BUMP"), layerOn("DIFF")};
    addObject("Demo/sq.lwo", lw);
    addScene("Demo/a.lws", basicScene("Demo/sq.lwo"));
    Scene* scene = load("Demo/a.lws");
    const Mesh* mesh = scene->items[0].mesh;
    ASSERT_NE(mesh, nullptr) << messages;
    const Surface& s = mesh->surfaces[0];
    EXPECT_EQ(s.vertexStride, 4 * (6 + 6 + 2 * 2));
    EXPECT_EQ(s.triangleCount, 2);
    EXPECT_EQ(s.vertexBuffer, 0u);
    EXPECT_EQ(s.indexBuffer, 0u);
    EXPECT_EQ(s.displayLists, nullptr);
    EXPECT_EQ(s.layerTexture[0], -1);
    EXPECT_EQ(ctx->render.textures.count, 0);
}

}  // namespace

namespace {

TEST_F(SceneLoadTest, BumpLayersOnTwoUvMapsEndTheRunAfterTheirMessage) {
    LwObject lw = uvSquare();
    LwVertexMap second = lw.layers[0].vertexMaps[0];
    second.name = "UV2";
    lw.layers[0].vertexMaps.push_back(second);
    lw.layers[0].polygons[1].tag = lwTag(lw, "Other");
    LwTextureLayer other = layerOn("BUMP");
    lw.surfaces[0].layers = {layerOn("BUMP"), layerOn("COLR")};
    LwSurface otherSurface;
    otherSurface.name = "Other";
    otherSurface.layers = {other};
    lw.surfaces.push_back(otherSurface);
    addObject("Demo/same.lwo", lw);
    lw.surfaces[1].layers[0].uvMap = "UV2";
    addObject("Demo/two.lwo", lw);
    loadTestPackage(files);

    Scene scene = {};
    scene.settings = &ctx->render.settings;
    SceneItem item = {};
    std::strcpy(item.name, "Demo/same.lwo");
    EXPECT_EQ(buildMesh(&ctx->render, &scene, &item), 0);
    std::free(item.surfaces);
    std::strcpy(item.name, "Demo/two.lwo");
    EXPECT_EXIT(buildMesh(&ctx->render, &scene, &item), ::testing::ExitedWithCode(0),
                "Object Demo/two.lwo has two different BumpUV maps");
}

}  // namespace
