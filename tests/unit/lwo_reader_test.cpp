#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <memory>
#include <sstream>

#include "scene/lwo_reader.h"
#include "tests/support/ci.h"
#include "tests/support/test_package.h"
#include "tools/lightwave/lw_writer.h"

namespace {

struct ObjectDeleter {
    void operator()(RawObject* object) const { freeRawObject(object); }
};
typedef std::unique_ptr<RawObject, ObjectDeleter> ObjectPtr;

struct Read {
    ObjectPtr object;
    std::string messages;
};

Read readBytes(const std::vector<uint8_t>& bytes, const char* name = "Demo/x.lwo") {
    loadTestPackage({{name, std::string(bytes.begin(), bytes.end())}});
    Read result;
    testing::internal::CaptureStderr();
    result.object.reset(readObject(name));
    result.messages = testing::internal::GetCapturedStderr();
    return result;
}

bool has(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

// Two triangles of a unit square in the z = 0 plane, on surface "Skin".
LwObject square() {
    return lwTriangles({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {0, 1, 2, 0, 2, 3}, "Skin");
}

// A square with one UV map, a textured surface and a still image.
LwObject texturedSquare() {
    LwObject object = square();
    LwVertexMap uv;
    uv.name = "UVMap";
    for (uint32_t p = 0; p < 4; p++) uv.entries.push_back({p, {float(p), float(p) * 0.5f}});
    object.layers[0].vertexMaps.push_back(uv);
    LwClip clip;
    clip.fileName = "Demo/skin.jpg";
    object.clips.push_back(clip);
    LwTextureLayer layer;
    layer.uvMap = "UVMap";
    object.surfaces[0].layers.push_back(layer);
    return object;
}

}  // namespace

TEST(LwoReader, ReadsPointsTrianglesAndFaceNormals) {
    Read r = readBytes(writeLwo(square()));
    ASSERT_TRUE(r.object) << r.messages;
    EXPECT_EQ(r.messages, "");
    const RawObject& o = *r.object;
    ASSERT_EQ(o.pointCount, 4);
    ASSERT_EQ(o.triangleCount, 2);
    EXPECT_EQ(o.points[2].position[0], 1.0f);
    EXPECT_EQ(o.points[2].position[1], 1.0f);
    EXPECT_EQ(o.triangles[1].points[0], 0);
    EXPECT_EQ(o.triangles[1].points[2], 3);
    // (p0 - p1) x (p0 - p2) for a counter-clockwise triangle seen from +z points to +z.
    EXPECT_FLOAT_EQ(o.triangles[0].normal[2], 1.0f);
    EXPECT_FLOAT_EQ(o.triangles[0].normal[0], 0.0f);
    EXPECT_EQ(o.triangles[0].surface, 0);
    EXPECT_EQ(o.points[0].triangleCount, 2);
    EXPECT_EQ(o.points[1].triangleCount, 1);
    EXPECT_EQ(o.points[3].triangles[0], 1);
    EXPECT_EQ(o.points[0].firstUv, -1);
    EXPECT_EQ(o.surfaceCount, 1);
    EXPECT_STREQ(o.surfaces[0].name, "Skin");
    EXPECT_EQ(o.hasWeights, 0);
}

TEST(LwoReader, DegenerateTriangleKeepsAZeroNormal) {
    Read r = readBytes(writeLwo(lwTriangles({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}}, {0, 1, 2}, "S")));
    ASSERT_TRUE(r.object);
    for (int k = 0; k < 3; k++) EXPECT_EQ(r.object->triangles[0].normal[k], 0.0f);
}

TEST(LwoReader, ReadsSurfaceValues) {
    LwObject object = square();
    LwSurface& s = object.surfaces[0];
    s.color[0] = 0.25f;
    s.color[1] = 0.5f;
    s.color[2] = 0.75f;
    s.diffuse = 0.8f;
    s.specular = 0.3f;
    s.glossiness = 0.4f;
    s.glow = 0.6f;
    s.transparency = 0.2f;
    s.smoothingAngle = 1.0f;
    s.lines = true;
    LwSurface plain;
    plain.name = "Plain";
    object.surfaces.push_back(plain);
    LwSurface glossy;
    glossy.name = "Glossy";
    glossy.glossiness = 0.7f;
    glossy.transparency = 0.9f;
    glossy.transparencyBeforeColor = true;
    object.surfaces.push_back(glossy);

    Read r = readBytes(writeLwo(object));
    ASSERT_TRUE(r.object) << r.messages;
    ASSERT_EQ(r.object->surfaceCount, 3);
    const RawSurface& a = r.object->surfaces[0];
    EXPECT_EQ(a.color[0], 0.25f);
    EXPECT_EQ(a.color[2], 0.75f);
    EXPECT_EQ(a.color[3], 0.2f);  // TRAN after COLR
    EXPECT_EQ(a.diffuse, 0.8f);
    EXPECT_EQ(a.specular, 0.3f);
    EXPECT_EQ(a.shininess, 64);  // 2^(2 + 4)
    EXPECT_EQ(a.glow, 0.6f);
    EXPECT_EQ(a.smoothingAngle, 1.0f);
    EXPECT_FLOAT_EQ(a.smoothingCosine, std::cos(1.0f));
    EXPECT_EQ(a.lines, 1);

    const RawSurface& b = r.object->surfaces[1];  // no tag refers to it; still created
    EXPECT_STREQ(b.name, "Plain");
    EXPECT_EQ(b.color[3], 1.0f);
    EXPECT_EQ(b.smoothingAngle, 0.0f);
    EXPECT_EQ(b.smoothingCosine, 1.0f);
    EXPECT_EQ(b.shininess, 0);
    EXPECT_EQ(b.lines, 0);
    EXPECT_EQ(b.layerCount, 0);

    const RawSurface& c = r.object->surfaces[2];
    EXPECT_EQ(c.shininess, 512);      // 10 * 0.7 is 7 in single precision
    EXPECT_EQ(c.color[3], 1.0f);      // "COLR" after "TRAN" makes it opaque again
    for (int t = 0; t < r.object->triangleCount; t++) EXPECT_EQ(r.object->triangles[t].surface, 0);
}

TEST(LwoReader, GlossinessOutsideItsRangeStaysDefined) {
    LwObject object = square();
    object.surfaces[0].glossiness = 1e30f;
    Read high = readBytes(writeLwo(object));
    ASSERT_TRUE(high.object);
    EXPECT_EQ(high.object->surfaces[0].shininess, 1 << 30);
    object.surfaces[0].glossiness = -1.0f;
    Read low = readBytes(writeLwo(object));
    ASSERT_TRUE(low.object);
    EXPECT_EQ(low.object->surfaces[0].shininess, 0);
}

TEST(LwoReader, TagsMapTrianglesToSurfacesByName) {
    LwObject object;
    object.tags = {"Metal", "Glass"};
    LwLayer layer;
    layer.points = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    layer.polygons = {{{0, 1, 2}, 1}, {{0, 2, 3}, 0}, {{0, 3, 1}, 1}};
    object.layers.push_back(layer);
    for (const char* name : {"Glass", "Unused", "Metal"}) {
        LwSurface s;
        s.name = name;
        object.surfaces.push_back(s);
    }
    Read r = readBytes(writeLwo(object));
    ASSERT_TRUE(r.object) << r.messages;
    EXPECT_EQ(r.messages, "");
    ASSERT_EQ(r.object->triangleCount, 3);
    EXPECT_EQ(r.object->triangles[0].surface, 0);
    EXPECT_EQ(r.object->triangles[1].surface, 2);
    EXPECT_EQ(r.object->triangles[2].surface, 0);
}

TEST(LwoReader, ReadsTextureLayers) {
    LwObject object = texturedSquare();
    LwVertexMap detail;
    detail.name = "Detail";
    detail.entries.push_back({0, {9, 9}});
    object.layers[0].vertexMaps.push_back(detail);
    LwClip bump;
    bump.index = 2;
    bump.fileName = "Demo/bump.tga";
    object.clips.push_back(bump);
    LwTextureLayer layer;
    layer.channel = "BUMP";
    layer.opacityType = 7;
    layer.opacity = 0.5f;
    layer.image = 2u;
    layer.widthWrap = 3;
    layer.heightWrap = 0;
    layer.pixelBlending = 1;
    layer.uvMap = "Detail";
    object.surfaces[0].layers.push_back(layer);
    const char* channels[] = {"REFL", "SPEC", "TRAN", "TRNL", "DIFF", "LUMI", "GLOS", "RIND"};
    for (const char* channel : channels) {
        LwTextureLayer l;
        l.channel = channel;
        l.writeOpacity = false;
        object.surfaces[0].layers.push_back(l);
    }

    Read r = readBytes(writeLwo(object));
    ASSERT_TRUE(r.object) << r.messages;
    const RawSurface& s = r.object->surfaces[0];
    ASSERT_EQ(s.layerCount, 8);  // two, then six of the eight channels fit
    EXPECT_TRUE(has(r.messages, "more than 8 texture layers")) << r.messages;

    const TextureLayer& first = s.layers[0];
    EXPECT_EQ(first.channel, CHANNEL_COLR);
    EXPECT_EQ(first.opacity, 1.0f);
    EXPECT_EQ(first.opacityType, 0);
    EXPECT_EQ(first.pixelBlending, 0);
    EXPECT_EQ(first.widthWrap, 1);
    EXPECT_EQ(first.uvMap, 0);
    EXPECT_EQ(first.image, &r.object->clips[0]);

    const TextureLayer& second = s.layers[1];
    EXPECT_EQ(second.channel, CHANNEL_BUMP);
    EXPECT_EQ(second.opacityType, 7);
    EXPECT_EQ(second.opacity, 0.5f);
    EXPECT_EQ(second.widthWrap, 3);
    EXPECT_EQ(second.heightWrap, 0);
    EXPECT_EQ(second.pixelBlending, 1);
    EXPECT_EQ(second.uvMap, 1);
    EXPECT_EQ(second.image, &r.object->clips[1]);

    const uint8_t codes[] = {CHANNEL_REFL, CHANNEL_SPEC, CHANNEL_TRAN, CHANNEL_TRNL, CHANNEL_DIFF,
                             CHANNEL_LUMI};
    for (int i = 0; i < 6; i++) {
        EXPECT_EQ(s.layers[2 + i].channel, codes[i]);
        EXPECT_EQ(s.layers[2 + i].opacity, 1.0f);
    }
}

TEST(LwoReader, GlosAndRindChannels) {
    LwObject object = texturedSquare();
    object.surfaces[0].layers[0].channel = "GLOS";
    LwTextureLayer rind;
    rind.channel = "RIND";
    object.surfaces[0].layers.push_back(rind);
    Read r = readBytes(writeLwo(object));
    ASSERT_TRUE(r.object);
    EXPECT_EQ(r.object->surfaces[0].layers[0].channel, CHANNEL_GLOS);
    EXPECT_EQ(r.object->surfaces[0].layers[1].channel, CHANNEL_RIND);
}

TEST(LwoReader, ReadsStillsAndImageSequences) {
    LwObject object = texturedSquare();
    LwClip sequence = lwSequenceClip(2, "Demo/water", 2, ".jpg", 10, 20);
    sequence.reserved = 7;
    // The value 14 bytes past the names: the third word of a following 12-byte sub-chunk.
    LwRawChunk timing{"TIME", {}};
    lwPutF4(timing.body, 0.0f);
    lwPutF4(timing.body, 1.0f);
    lwPutU4(timing.body, 0x12345678u);
    sequence.extraSubChunks.push_back(timing);
    sequence.extraSubChunks.push_back({"FLAG", std::vector<uint8_t>(12, 0)});
    object.clips.push_back(sequence);
    LwTextureLayer layer;
    layer.image = 2u;
    object.surfaces[0].layers.push_back(layer);

    Read r = readBytes(writeLwo(object));
    ASSERT_TRUE(r.object) << r.messages;
    ASSERT_EQ(r.object->clipCount, 2);
    const ImageClip& still = r.object->clips[0];
    EXPECT_STREQ(still.fileName, "Demo/skin.jpg");
    EXPECT_EQ(still.start, 0);
    EXPECT_EQ(still.end, 1);
    EXPECT_EQ(still.digits, 0);
    EXPECT_STREQ(still.suffix, "");
    const ImageClip& seq = r.object->clips[1];
    EXPECT_STREQ(seq.fileName, "Demo/water");
    EXPECT_STREQ(seq.suffix, ".jpg");
    EXPECT_EQ(seq.digits, 2);
    EXPECT_EQ(seq.reserved, 7);
    EXPECT_EQ(seq.start, 10);
    EXPECT_EQ(seq.end, 20);
    EXPECT_EQ(uint32_t(seq.extra), 0x12345678u);
    EXPECT_EQ(r.object->surfaces[0].layers[1].image, &seq);
}

TEST(LwoReader, ImageReferencesFollowClipIndices) {
    // Clips numbered from 0 (as some converters write), and clips numbered apart from their order.
    LwObject object = texturedSquare();
    object.clips[0].index = 0;
    object.surfaces[0].layers[0].image = 0u;
    Read zero = readBytes(writeLwo(object));
    ASSERT_TRUE(zero.object);
    EXPECT_EQ(zero.object->surfaces[0].layerCount, 1) << zero.messages;

    object.clips[0].index = 40;
    object.surfaces[0].layers[0].image = 1u;  // no clip 1: counts clips from 1
    Read ordinal = readBytes(writeLwo(object));
    ASSERT_TRUE(ordinal.object);
    ASSERT_EQ(ordinal.object->surfaces[0].layerCount, 1);
    EXPECT_EQ(ordinal.object->surfaces[0].layers[0].image, &ordinal.object->clips[0]);

    object.clipsAfterSurfaces = true;
    object.surfaces[0].layers[0].image = 40u;
    Read after = readBytes(writeLwo(object));
    ASSERT_TRUE(after.object);
    EXPECT_EQ(after.object->surfaces[0].layers[0].image, &after.object->clips[0]);
}

TEST(LwoReader, ReadsUvAndWeightMaps) {
    LwObject object = texturedSquare();
    LwVertexMap second;
    second.name = "Second";
    second.entries = {{2, {0.25f, 0.75f}}, {0, {0.5f, 0.5f}}};
    object.layers[0].vertexMaps.push_back(second);
    LwVertexMap colours;
    colours.type = "RGB ";
    colours.dimension = 3;
    colours.name = "Paint";
    colours.entries = {{0, {1, 1}}};
    object.layers[0].vertexMaps.push_back(colours);
    const char* weightNames[] = {"Arm", "Hand", "Finger"};
    const float weights[3][4] = {{1.0f, 0.5f, 0, 0}, {0, 0.5f, 0.2f, 0}, {0, 0.1f, 0.9f, 0}};
    for (int m = 0; m < 3; m++) {
        LwVertexMap w;
        w.type = "WGHT";
        w.dimension = 1;
        w.name = weightNames[m];
        for (uint32_t p = 0; p < 4; p++)
            if (weights[m][p] > 0) w.entries.push_back({p, {weights[m][p], 0}});
        object.layers[0].vertexMaps.push_back(w);
    }

    Read r = readBytes(writeLwo(object));
    ASSERT_TRUE(r.object);
    const RawObject& o = *r.object;
    ASSERT_EQ(o.uvMapCount, 2);
    EXPECT_STREQ(o.uvMapNames[0], "UVMap");
    EXPECT_STREQ(o.uvMapNames[1], "Second");
    ASSERT_NE(findPointUv(&o, 2, 1), nullptr);
    EXPECT_EQ(findPointUv(&o, 2, 1)->u, 0.25f);
    EXPECT_EQ(findPointUv(&o, 2, 1)->v, 0.75f);
    EXPECT_EQ(findPointUv(&o, 3, 1), nullptr);
    EXPECT_EQ(findPointUv(&o, 3, 0)->u, 3.0f);
    // A point's UVs are listed in file order.
    int32_t entry = o.points[0].firstUv;
    ASSERT_GE(entry, 0);
    EXPECT_EQ(o.uvs[entry].map, 0);
    ASSERT_GE(o.uvs[entry].next, 0);
    EXPECT_EQ(o.uvs[o.uvs[entry].next].map, 1);
    EXPECT_EQ(o.uvs[o.uvs[entry].next].next, -1);

    EXPECT_EQ(o.hasWeights, 1);
    ASSERT_EQ(o.weightMapCount, 3);
    EXPECT_STREQ(o.weightMapNames[2], "Finger");
    EXPECT_EQ(o.points[0].weightCount, 1);
    EXPECT_EQ(o.points[0].weights[0], 1.0f);
    EXPECT_EQ(o.points[0].weightMaps[0], 0);
    EXPECT_EQ(o.points[3].weightCount, 0);
    // Point 1 has three influences: the two strongest stay.
    const ObjectPoint& p1 = o.points[1];
    EXPECT_EQ(p1.weightCount, 2);
    float kept[2] = {p1.weights[0], p1.weights[1]};
    EXPECT_TRUE((kept[0] == 0.5f && kept[1] == 0.5f)) << kept[0] << " " << kept[1];
    EXPECT_EQ(o.points[2].weightMaps[0] + o.points[2].weightMaps[1], 1 + 2);
    EXPECT_TRUE(has(r.messages, "more than 2 weights (1 more in all)")) << r.messages;
}

TEST(LwoReader, PassesOverChunksOutsideTheBasicLayout) {
    LwObject plain = texturedSquare();
    LwObject rich = texturedSquare();
    rich.layers[0].mapPreambles = true;
    LwRawChunk vmad{"VMAD", {}};
    lwPutId(vmad.body, "TXUV");
    lwPutU2(vmad.body, 2);
    lwPutString(vmad.body, "UVMap");
    lwPutVX(vmad.body, 0);
    lwPutVX(vmad.body, 0);
    lwPutF4(vmad.body, 7);
    lwPutF4(vmad.body, 7);
    rich.layers[0].extraChunks.push_back({"VMPA", std::vector<uint8_t>(8, 0)});
    rich.layers[0].extraChunks.push_back(vmad);
    // Bone polygons and their tags after the triangle chunk.
    LwRawChunk bones{"POLS", {}};
    lwPutId(bones.body, "BONE");
    lwPutU2(bones.body, 2);
    lwPutVX(bones.body, 0);
    lwPutVX(bones.body, 1);
    LwRawChunk boneTags{"PTAG", {}};
    lwPutId(boneTags.body, "SURF");
    lwPutVX(boneTags.body, 0);
    lwPutU2(boneTags.body, 5);  // not a tag at all: must not be read
    rich.layers[0].extraChunks.push_back(bones);
    rich.layers[0].extraChunks.push_back(boneTags);
    rich.extraChunks.push_back({"ENVL", std::vector<uint8_t>(10, 1)});
    rich.clipsAfterSurfaces = true;
    LwRawChunk odd{"DESC", {1, 2, 3}};  // odd size, padded
    rich.extraChunks.insert(rich.extraChunks.begin(), odd);
    rich.surfaces[0].extraSubChunks.push_back({"VERS", {0, 0, 3, 0xC0}});

    Read a = readBytes(writeLwo(plain));
    Read b = readBytes(writeLwo(rich));
    ASSERT_TRUE(a.object);
    ASSERT_TRUE(b.object) << b.messages;
    EXPECT_EQ(b.messages, "");
    EXPECT_EQ(b.object->triangleCount, 2);
    EXPECT_EQ(b.object->uvCount, a.object->uvCount);
    EXPECT_EQ(findPointUv(b.object.get(), 0, 0)->u, 0.0f);  // the VMAD leaves UVs alone
    EXPECT_EQ(b.object->surfaces[0].layerCount, 1);
    EXPECT_EQ(b.object->surfaces[0].layers[0].image, &b.object->clips[0]);
}

TEST(LwoReader, BoneSurfaceTrianglesAreLeftOutQuietly) {
    LwObject object = square();
    object.layers[0].polygons[1].tag = lwTag(object, "Bone");
    LwSurface bone;
    bone.name = "Bone";
    object.surfaces.insert(object.surfaces.begin(), bone);
    LwSurface after;
    after.name = "After";
    object.surfaces.push_back(after);
    Read r = readBytes(writeLwo(object));
    ASSERT_TRUE(r.object);
    EXPECT_EQ(r.messages, "");
    EXPECT_EQ(r.object->surfaceCount, 2);
    ASSERT_EQ(r.object->triangleCount, 1);
    EXPECT_EQ(r.object->triangles[0].surface, 0);
    EXPECT_EQ(r.object->points[3].triangleCount, 0);  // only the dropped triangle used it
}

TEST(LwoReader, WideIndicesReadLikeNarrowOnes) {
    LwObject object = texturedSquare();
    Read narrow = readBytes(writeLwo(object));
    object.wideIndices = true;
    Read wide = readBytes(writeLwo(object));
    ASSERT_TRUE(narrow.object);
    ASSERT_TRUE(wide.object) << wide.messages;
    EXPECT_EQ(wide.messages, "");
    ASSERT_EQ(wide.object->triangleCount, 2);
    EXPECT_EQ(wide.object->triangles[1].points[2], 3);
    EXPECT_EQ(wide.object->uvCount, 4);
    EXPECT_EQ(findPointUv(wide.object.get(), 3, 0)->v, 1.5f);
    EXPECT_EQ(wide.object->surfaces[0].layers[0].image, &wide.object->clips[0]);
}

TEST(LwoReader, IndicesPastTwoBytesUseTheFourByteForm) {
    std::vector<LwPoint> points(0xFF02, LwPoint{0, 0, 0});
    points[0xFF01] = {0, 0, 5};
    points[1] = {1, 0, 0};
    Read r = readBytes(writeLwo(lwTriangles(points, {0, 1, 0xFF01}, "S")));
    ASSERT_TRUE(r.object) << r.messages;
    ASSERT_EQ(r.object->triangleCount, 1);
    EXPECT_EQ(r.object->triangles[0].points[2], 0xFF01);
    EXPECT_EQ(r.object->points[0xFF01].triangleCount, 1);
}

TEST(LwoMalformed, PolygonsThatAreNotTrianglesAreLeftOut) {
    LwObject object;
    object.tags = {"A", "B"};
    LwLayer layer;
    layer.points = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {2, 2, 2}};
    layer.polygons = {{{0, 1, 2, 3}, 0}, {{0, 1}, 0}, {{0, 1, 4}, 1}};
    object.layers.push_back(layer);
    for (const char* name : {"A", "B"}) {
        LwSurface s;
        s.name = name;
        object.surfaces.push_back(s);
    }
    Read r = readBytes(writeLwo(object));
    ASSERT_TRUE(r.object);
    ASSERT_EQ(r.object->triangleCount, 1);
    EXPECT_EQ(r.object->triangles[0].points[2], 4);
    EXPECT_EQ(r.object->triangles[0].surface, 1);  // its tag, found by polygon index
    EXPECT_TRUE(has(r.messages, "Error: Object Demo/x.lwo: 2 polygons are not triangles"))
        << r.messages;
}

TEST(LwoMalformed, IndicesOutOfTheirTables) {
    LwObject object = texturedSquare();
    LwLayer& layer = object.layers[0];
    layer.polygons.push_back({{0, 1, 9}, 0});   // point 9 does not exist
    layer.polygons.push_back({{0, 1, 3}, 7});   // tag 7 does not exist
    layer.polygons.push_back({{1, 2, 3}, -1});  // no tag at all
    layer.vertexMaps[0].entries.push_back({40, {1, 1}});
    LwRawChunk tags{"PTAG", {}};
    lwPutId(tags.body, "SURF");
    lwPutVX(tags.body, 99);
    lwPutU2(tags.body, 0);
    LwTextureLayer missing;
    missing.image = 33u;
    object.surfaces[0].layers.push_back(missing);
    LwTextureLayer noMap;
    noMap.uvMap = "Nowhere";
    object.surfaces[0].layers.push_back(noMap);
    Read r = readBytes(writeLwo(object));
    ASSERT_TRUE(r.object);
    EXPECT_EQ(r.object->triangleCount, 2);
    EXPECT_TRUE(has(r.messages, "1 triangles use points that do not exist")) << r.messages;
    EXPECT_TRUE(has(r.messages, "1 polygons name surface tags that do not exist")) << r.messages;
    EXPECT_TRUE(has(r.messages, "2 triangles have no surface tag")) << r.messages;
    EXPECT_TRUE(has(r.messages, "1 vertex map entries name points that do not exist"));
    EXPECT_TRUE(has(r.messages, "texture layer 2 of the surface \"Skin\" uses an image the file "
                                "does not hold"));
    EXPECT_TRUE(has(r.messages, "uses the UV map \"Nowhere\""));
    ASSERT_EQ(r.object->surfaces[0].layerCount, 2);
    EXPECT_EQ(r.object->surfaces[0].layers[1].uvMap, 0);
    EXPECT_NE(r.object->surfaces[0].layers[1].image, nullptr);

    object.layers[0].extraChunks.push_back(tags);
    Read bad = readBytes(writeLwo(object));
    ASSERT_TRUE(bad.object);
    EXPECT_TRUE(has(bad.messages, "1 surface tags name polygons that do not exist"));
}

TEST(LwoMalformed, TagsWithoutASurfaceDropTheirTriangles) {
    LwObject object = square();
    object.layers[0].polygons[0].tag = lwTag(object, "Ghost");
    Read r = readBytes(writeLwo(object));
    ASSERT_TRUE(r.object);
    ASSERT_EQ(r.object->triangleCount, 1);
    EXPECT_EQ(r.object->triangles[0].points[2], 3);
    EXPECT_TRUE(has(r.messages, "such as \"Ghost\"")) << r.messages;
}

TEST(LwoMalformed, LayersThatCannotBeUsedAreLeftOut) {
    LwObject object = texturedSquare();
    LwTextureLayer procedural;
    procedural.blockType = "PROC";
    object.surfaces[0].layers.insert(object.surfaces[0].layers.begin(), procedural);
    LwTextureLayer imageless;
    imageless.image.reset();
    object.surfaces[0].layers.push_back(imageless);
    LwTextureLayer odd;
    odd.channel = "XXXX";
    object.surfaces[0].layers.push_back(odd);
    LwClip movie;
    movie.index = 9;
    movie.kind = "ANIM";
    object.clips.push_back(movie);
    Read r = readBytes(writeLwo(object));
    ASSERT_TRUE(r.object);
    ASSERT_EQ(r.object->surfaces[0].layerCount, 1);
    EXPECT_EQ(r.object->surfaces[0].layers[0].image, &r.object->clips[0]);
    EXPECT_EQ(r.object->clipCount, 1);
    EXPECT_TRUE(has(r.messages, "texture layer 1 of the surface \"Skin\" is not an image map"));
    EXPECT_TRUE(has(r.messages, "texture layer 3 of the surface \"Skin\" has no image"));
    EXPECT_TRUE(has(r.messages, "texture layer 4 of the surface \"Skin\" has an unknown channel"));
    EXPECT_TRUE(has(r.messages, "image 9 is of kind ANIM")) << r.messages;
}

TEST(LwoMalformed, OnlyTheFirstLayerWithPointsIsRead) {
    LwObject object = square();
    object.layers.insert(object.layers.begin(), LwLayer());  // empty: no points, no polygons
    LwLayer second;
    second.number = 2;
    second.points = {{5, 5, 5}, {6, 5, 5}, {5, 6, 5}};
    second.polygons = {{{0, 1, 2}, 0}};
    LwVertexMap uv;
    uv.name = "Later";
    uv.entries = {{0, {1, 1}}};
    second.vertexMaps.push_back(uv);
    object.layers.push_back(second);
    Read r = readBytes(writeLwo(object));
    ASSERT_TRUE(r.object);
    EXPECT_EQ(r.object->pointCount, 4);
    EXPECT_EQ(r.object->triangleCount, 2);
    EXPECT_EQ(r.object->points[2].position[0], 1.0f);
    EXPECT_EQ(r.object->uvMapCount, 0);
    EXPECT_TRUE(has(r.messages, "it has 2 layers with points; only the first is loaded"))
        << r.messages;
}

TEST(LwoMalformed, MissingChunksRefuseTheFile) {
    // No polygon chunk: a file of TAGS, LAYR, PNTS and BBOX only.
    std::vector<uint8_t> body;
    lwPutId(body, "LWO2");
    lwPutBytes(body, lwChunk("TAGS", {'S', 0}));
    lwPutBytes(body, lwChunk("PNTS", std::vector<uint8_t>(24, 0)));
    Read noPolygons = readBytes(lwChunk("FORM", body));
    EXPECT_FALSE(noPolygons.object);
    EXPECT_TRUE(has(noPolygons.messages, "Object Demo/x.lwo cannot be loaded: it has no polygons"))
        << noPolygons.messages;

    std::vector<uint8_t> onlyTags;
    lwPutId(onlyTags, "LWO2");
    lwPutBytes(onlyTags, lwChunk("TAGS", {'S', 0}));
    Read noPoints = readBytes(lwChunk("FORM", onlyTags));
    EXPECT_FALSE(noPoints.object);
    EXPECT_TRUE(has(noPoints.messages, "it has no points"));

    LwObject untagged = square();
    untagged.tags.clear();
    Read noTags = readBytes(writeLwo(untagged));
    ASSERT_TRUE(noTags.object);
    EXPECT_EQ(noTags.object->triangleCount, 0);
    EXPECT_TRUE(has(noTags.messages, "2 polygons name surface tags that do not exist"));

    std::vector<uint8_t> old = writeLwo(square());
    memcpy(old.data() + 8, "LWOB", 4);
    Read lwob = readBytes(old);
    EXPECT_FALSE(lwob.object);
    EXPECT_TRUE(has(lwob.messages, "it is of type LWOB, not LWO2"));

    Read text = readBytes({'h', 'e', 'l', 'l', 'o'});
    EXPECT_FALSE(text.object);
    EXPECT_TRUE(has(text.messages, "it is not an IFF file"));

    loadTestPackage({{"Demo/other.lwo", "x"}});
    testing::internal::CaptureStderr();
    EXPECT_EQ(readObject("Demo/absent.lwo"), nullptr);
    EXPECT_TRUE(has(testing::internal::GetCapturedStderr(), "Demo/absent.lwo is not in the package"));
}

TEST(LwoMalformed, ChunksRunningPastTheirParent) {
    std::vector<uint8_t> good = writeLwo(texturedSquare());
    // Every truncation is refused, none reads past the end.
    for (size_t size = 0; size < good.size(); size++) {
        std::vector<uint8_t> cut(good.begin(), good.begin() + long(size));
        Read r = readBytes(cut);
        EXPECT_FALSE(r.object) << size;
        EXPECT_TRUE(has(r.messages, "cannot be loaded")) << size << r.messages;
    }
    // The FORM claims the right size but PNTS claims more than the file holds.
    std::vector<uint8_t> bad = good;
    size_t pnts = 12;
    while (memcmp(bad.data() + pnts, "PNTS", 4) != 0) pnts++;
    bad[pnts + 5] = 0x7F;
    Read r = readBytes(bad);
    EXPECT_FALSE(r.object);
    EXPECT_TRUE(has(r.messages, "its PNTS chunk at byte")) << r.messages;
    EXPECT_TRUE(has(r.messages, "runs past the end of the file"));

    // A surface sub-chunk running past its surface.
    LwObject object = square();
    object.surfaces[0].extraSubChunks.push_back({"XTRA", {1, 2}});
    std::vector<uint8_t> surface = writeLwo(object);
    size_t xtra = surface.size() - 8;
    ASSERT_EQ(memcmp(surface.data() + xtra, "XTRA", 4), 0);
    surface[xtra + 5] = 40;
    Read s = readBytes(surface);
    EXPECT_FALSE(s.object);
    EXPECT_TRUE(has(s.messages, "a part of the surface \"Skin\" at byte")) << s.messages;

    // A points chunk that is not a whole number of points.
    std::vector<uint8_t> body;
    lwPutId(body, "LWO2");
    lwPutBytes(body, lwChunk("PNTS", std::vector<uint8_t>(14, 0)));
    Read p = readBytes(lwChunk("FORM", body));
    EXPECT_FALSE(p.object);
    EXPECT_TRUE(has(p.messages, "holds 14 bytes, not a whole number of points"));

    // A string whose NUL never comes.
    std::vector<uint8_t> tags;
    lwPutId(tags, "LWO2");
    lwPutBytes(tags, lwChunk("TAGS", {'a', 'b'}));
    Read t = readBytes(lwChunk("FORM", tags));
    EXPECT_FALSE(t.object);
    EXPECT_TRUE(has(t.messages, "its TAGS chunk at byte 12 is malformed")) << t.messages;
}

TEST(LwoMalformed, DamagedBytesNeverCrash) {
    std::vector<uint8_t> good = writeLwo(texturedSquare());
    uint32_t state = 12345;
    for (int trial = 0; trial < 400; trial++) {
        std::vector<uint8_t> bytes = good;
        for (int hits = 0; hits < 3; hits++) {
            state = state * 1664525u + 1013904223u;
            size_t at = 8 + (state >> 8) % (bytes.size() - 8);
            state = state * 1664525u + 1013904223u;
            bytes[at] = uint8_t(state >> 24);
        }
        Read r = readBytes(bytes);
        if (!r.object) {
            EXPECT_TRUE(has(r.messages, "cannot be loaded")) << trial;
            continue;
        }
        for (int t = 0; t < r.object->triangleCount; t++)
            for (int k = 0; k < 3; k++) {
                EXPECT_LT(r.object->triangles[t].points[k], r.object->pointCount);
                EXPECT_LT(r.object->triangles[t].surface, r.object->surfaceCount);
            }
    }
}

TEST(LwoCapacity, TagsSurfacesClipsAndMaps) {
    LwObject object = square();
    for (int i = 0; i < OBJECT_TAGS + 3; i++) object.tags.push_back("t" + std::to_string(i));
    for (int i = 0; i < OBJECT_SURFACES + 2; i++) {
        LwSurface s;
        s.name = "s" + std::to_string(i);
        object.surfaces.push_back(s);
    }
    for (int i = 0; i < OBJECT_CLIPS + 1; i++) {
        LwClip clip;
        clip.index = uint32_t(i + 1);
        clip.fileName = "c";
        object.clips.push_back(clip);
    }
    for (int i = 0; i < OBJECT_UV_MAPS + 1; i++) {
        LwVertexMap uv;
        uv.name = "uv" + std::to_string(i);
        uv.entries = {{0, {0, 0}}};
        object.layers[0].vertexMaps.push_back(uv);
    }
    for (int i = 0; i < OBJECT_WEIGHT_MAPS + 1; i++) {
        LwVertexMap w;
        w.type = "WGHT";
        w.dimension = 1;
        w.name = "w" + std::to_string(i);
        object.layers[0].vertexMaps.push_back(w);
    }
    Read r = readBytes(writeLwo(object));
    ASSERT_TRUE(r.object);
    EXPECT_EQ(r.object->surfaceCount, OBJECT_SURFACES);
    EXPECT_EQ(r.object->clipCount, OBJECT_CLIPS);
    EXPECT_EQ(r.object->uvMapCount, OBJECT_UV_MAPS);
    EXPECT_EQ(r.object->weightMapCount, OBJECT_WEIGHT_MAPS);
    EXPECT_EQ(r.object->triangleCount, 2);  // "Skin" is the first surface and the first tag
    EXPECT_TRUE(has(r.messages, "more than 1024 tags; 4 are ignored")) << r.messages;
    EXPECT_TRUE(has(r.messages, "more than 128 surfaces; 3 are ignored"));
    EXPECT_TRUE(has(r.messages, "more than 128 images; 1 are ignored"));
    EXPECT_TRUE(has(r.messages, "more than 255 UV maps; 1 are ignored"));
    EXPECT_TRUE(has(r.messages, "more than 50 weight maps; 1 are ignored"));
}

TEST(LwoCapacity, TrianglesPerPointAndLongNames) {
    // A fan of 70 triangles around point 0.
    std::vector<LwPoint> points = {{0, 0, 0}};
    std::vector<uint32_t> corners;
    for (int i = 0; i <= 70; i++)
        points.push_back({std::cos(i * 0.05f), std::sin(i * 0.05f), 0});
    for (uint32_t i = 1; i <= 70; i++) corners.insert(corners.end(), {0, i, i + 1});
    std::string longName(200, 'n');
    LwObject object = lwTriangles(points, corners, longName);
    Read r = readBytes(writeLwo(object));
    ASSERT_TRUE(r.object);
    EXPECT_EQ(r.object->triangleCount, 70);
    EXPECT_EQ(r.object->points[0].triangleCount, OBJECT_TRIANGLES_PER_POINT);
    EXPECT_EQ(r.object->points[0].triangles[63], 63);
    EXPECT_EQ(strlen(r.object->surfaces[0].name), size_t(OBJECT_NAME_LENGTH - 1));
    EXPECT_TRUE(has(r.messages, "shared by more than 64 triangles")) << r.messages;
    EXPECT_TRUE(has(r.messages, "is longer than 127 characters"));
}

// The sample objects of the validation set: each is read or refused with a message.
TEST(LwoSamples, ValidationObjects) {
    std::string folder = VELMORA_SOURCE_DIR "/../shared/validation/lightwave";
    DIR* dir = opendir(folder.c_str());
    if (!dir) {
        SKIP_OUTSIDE_CI("no validation objects at " + folder);
    }
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        bool object = name.size() > 4 && name.compare(name.size() - 4, 4, ".lwo") == 0;
        if (object || name == "models_LWO_LWO2_formatDetection") names.push_back(name);
    }
    closedir(dir);
    ASSERT_FALSE(names.empty());
    for (const std::string& name : names) {
        std::ifstream in(folder + "/" + name, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        std::string text = bytes.str();
        std::string path = "Objects/" + name;
        Read r = readBytes(std::vector<uint8_t>(text.begin(), text.end()), path.c_str());
        if (!r.object) {
            EXPECT_TRUE(has(r.messages, ("Object " + path + " cannot be loaded: ").c_str()))
                << name << ": " << r.messages;
            continue;
        }
        for (int t = 0; t < r.object->triangleCount; t++)
            EXPECT_LT(r.object->triangles[t].surface, r.object->surfaceCount) << name;
        if (name != "models-nonbsd_LWO_LWO2_rifle.lwo") continue;
        EXPECT_EQ(r.messages, "");
        EXPECT_EQ(r.object->pointCount, 337);
        EXPECT_EQ(r.object->triangleCount, 572);
        EXPECT_EQ(r.object->uvMapCount, 1);
        EXPECT_EQ(r.object->surfaceCount, 1);
        ASSERT_EQ(r.object->clipCount, 1);
        EXPECT_STREQ(r.object->clips[0].fileName, "../../3DS/m_rifl.bmp");
        ASSERT_EQ(r.object->surfaces[0].layerCount, 1);
        EXPECT_EQ(r.object->surfaces[0].layers[0].image, &r.object->clips[0]);
        EXPECT_EQ(r.object->surfaces[0].layers[0].uvMap, 0);
        int withUv = 0;
        for (int p = 0; p < r.object->pointCount; p++) withUv += findPointUv(r.object.get(), p, 0) != nullptr;
        EXPECT_EQ(withUv, 337);
    }
}
