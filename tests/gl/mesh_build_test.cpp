// Meshes on a real device: buffers read back, state lists called and inspected, textures shared,
// and a timeline of several scenes loaded and collected.
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "app/device_setup.h"
#include "data/image.h"
#include "data/package.h"
#include "render/device_entry_points.h"
#include "render/mesh_build.h"
#include "render/scene_load.h"
#include "render/texture_units.h"
#include "render/texture_upload.h"
#include "scene/layer_flags.h"
#include "scene/lws_reader.h"
#include "scene/setup_table.h"
#include "tests/gl/device_fixture.h"
#include "tests/support/test_images.h"
#include "tests/support/test_package.h"
#include "timeline/clip_list.h"
#include "timeline/scheduler.h"
#include "timeline/timeline_script.h"
#include "tools/lightwave/lw_writer.h"

namespace {

int gOpens = 0;
void countOpen() { ++gOpens; }

class MeshDevice : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        if (IsSkipped()) return;
        ctx.reset(new DemoContext());
        resetSettings(&ctx->render.settings);
        resetTimeline(&ctx->timeline);
        ctx->render.settings.textureMode = 0;
        ctx->timeline.startClock = -1;
        probeDeviceCaps(deviceCaps(), &ctx->render.settings);
        ctx->render.caps = deviceCaps();
        setupDevice(ctx.get(), window);
        scene = static_cast<Scene*>(std::calloc(1, sizeof(Scene)));
        scene->settings = &ctx->render.settings;
        gl = glEntryPoints();
        ASSERT_NE(gl->glGetBufferSubDataARB, nullptr);
    }
    void TearDown() override {
        packageSetOpenHook(nullptr);
        if (ctx) {
            for (SceneItem& item : items) std::free(item.surfaces);
            for (int32_t k = 0; ctx->timeline.scenes && k < ctx->timeline.sceneCount; ++k) {
                releaseSceneContents(&ctx->timeline.scenes[k]);
                releaseSceneSetup(&ctx->timeline.scenes[k].setup);
            }
            std::free(ctx->timeline.scenes);
            freeTimelineLists(&ctx.get()->timeline);
            ctx->timeline.lastScene = nullptr;
            for (int32_t m = 0; m < ctx->render.meshes.count; ++m) releaseMesh(&ctx->render.meshes.entries[m]);
            for (int32_t t = 0; t < ctx->render.textures.count; ++t) releaseTextureImage(&ctx->render.textures.entries[t]);
        }
        std::free(scene);
        packageRelease();
        DeviceTest::TearDown();
    }

    void add(const std::string& name, const std::string& bytes) { files.push_back({name, bytes}); }
    void addObject(const std::string& name, const LwObject& object) {
        std::vector<uint8_t> bytes = writeLwo(object);
        add(name, std::string(bytes.begin(), bytes.end()));
    }
    void addPicture(const std::string& name, uint8_t grey) { add(name, makeBmp(flatPicture(4, 4, grey, grey, grey))); }

    // Builds the object at path as the scene loader does for a path not yet in the cache.
    Mesh* build(const char* path) {
        loadTestPackage(files);
        items.emplace_back();
        SceneItem* item = &items.back();
        std::memset(item, 0, sizeof *item);
        std::strcpy(item->name, path);
        testing::internal::CaptureStderr();
        buildMesh(&ctx.get()->render, scene, item);
        messages = testing::internal::GetCapturedStderr();
        return item->mesh;
    }

    template <typename T>
    std::vector<T> readBuffer(GLenum target, GLuint buffer) {
        GLint size = 0;
        gl->glBindBufferARB(target, buffer);
        gl->glGetBufferParameterivARB(target, GL_BUFFER_SIZE_ARB, &size);
        std::vector<T> data(size_t(size) / sizeof(T));
        if (size > 0) gl->glGetBufferSubDataARB(target, 0, size, data.data());
        gl->glBindBufferARB(target, 0);
        return data;
    }
    std::vector<float> vertices(const Surface& s) { return readBuffer<float>(GL_ARRAY_BUFFER_ARB, s.vertexBuffer); }
    std::vector<uint16_t> indices(const Surface& s) {
        return readBuffer<uint16_t>(GL_ELEMENT_ARRAY_BUFFER_ARB, s.indexBuffer);
    }
    GLuint textureOf(const Surface& s, int layer, int frame = 0) {
        return ctx->render.textures.entries[s.layerTexture[layer]].names[frame];
    }

    std::unique_ptr<DemoContext> ctx;
    Scene* scene = nullptr;
    const GlEntryPoints* gl = nullptr;
    TestFiles files;
    std::deque<SceneItem> items;
    std::string messages;
};

GLint integer(GLenum what) {
    GLint value = 0;
    glGetIntegerv(what, &value);
    return value;
}

GLint textureParameter(GLuint texture, GLenum what) {
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexParameteriv(GL_TEXTURE_2D, what, &value);
    return value;
}

void expectFloats(const std::vector<float>& data, size_t at, std::vector<float> expected, const char* what) {
    ASSERT_LE(at + expected.size(), data.size()) << what;
    for (size_t k = 0; k < expected.size(); ++k) EXPECT_NEAR(data[at + k], expected[k], 1e-5f) << what << " " << k;
}

// Two triangles folded 90 degrees along the x axis (normals +z and +y).
LwObject hinge(bool smooth) {
    LwObject lw = lwTriangles({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {0, 1, 2, 1, 0, 3}, "Skin");
    if (smooth) lw.surfaces[0].smoothingAngle = 1.745f;  // 100 degrees
    return lw;
}

// A unit square with the UV map "UV" (u = x, v = y) and a still image per name given.
LwObject uvSquare(std::vector<std::string> pictures) {
    LwObject lw = lwTriangles({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {0, 1, 2, 0, 2, 3}, "Skin");
    LwVertexMap uv;
    uv.name = "UV";
    const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (uint32_t p = 0; p < 4; ++p) uv.entries.push_back({p, {corners[p][0], corners[p][1]}});
    lw.layers[0].vertexMaps.push_back(uv);
    for (size_t k = 0; k < pictures.size(); ++k) {
        LwClip clip;
        clip.index = uint32_t(k + 1);
        clip.fileName = pictures[k];
        lw.clips.push_back(clip);
    }
    return lw;
}

LwTextureLayer layerOn(const char* channel, uint32_t image = 1) {
    LwTextureLayer layer;
    layer.channel = channel;
    layer.uvMap = "UV";
    layer.image = image;
    return layer;
}

TEST_F(MeshDevice, BuffersHoldFlatAndSmoothedVertices) {
    addObject("Demo/flat.lwo", hinge(false));
    addObject("Demo/smooth.lwo", hinge(true));
    Mesh* flat = build("Demo/flat.lwo");
    ASSERT_NE(flat, nullptr) << messages;
    const Surface& f = flat->surfaces[0];
    EXPECT_EQ(f.vertexStride, 24);
    EXPECT_EQ(f.triangleCount, 2);
    EXPECT_EQ(f.shadowPrograms[0], ctx->render.depthVertexProgram);
    EXPECT_EQ(f.shadowPrograms[1], ctx->render.depthFragmentProgram);
    std::vector<float> v = vertices(f);
    ASSERT_EQ(v.size(), 6u * 6u);
    expectFloats(v, 0, {0, 0, 0, 0, 0, 1}, "point 0 on the first face");
    expectFloats(v, 18, {1, 0, 0, 0, 1, 0}, "point 1 on the second face");
    EXPECT_EQ(indices(f), (std::vector<uint16_t>{0, 1, 2, 3, 4, 5}));

    Mesh* smooth = build("Demo/smooth.lwo");
    ASSERT_NE(smooth, nullptr) << messages;
    const Surface& s = smooth->surfaces[0];
    v = vertices(s);
    ASSERT_EQ(v.size(), 4u * 6u);
    const float h = std::sqrt(0.5f);
    expectFloats(v, 0, {0, 0, 0, 0, h, h}, "shared point 0");
    expectFloats(v, 6, {1, 0, 0, 0, h, h}, "shared point 1");
    expectFloats(v, 12, {0, 1, 0, 0, 0, 1}, "point 2");
    expectFloats(v, 18, {0, 0, 1, 0, 1, 0}, "point 3");
    EXPECT_EQ(indices(s), (std::vector<uint16_t>{0, 1, 2, 1, 0, 3}));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(MeshDevice, StridesFollowWeightsAndBumpAndDiffuseUvsStayUnwritten) {
    addPicture("Demo/t.bmp", 200);
    LwObject skinned = uvSquare({"Demo/t.bmp"});
    LwVertexMap weights;
    weights.type = "WGHT";
    weights.dimension = 1;
    weights.name = "Arm";
    weights.entries.push_back({1, {0.5f, 0}});
    skinned.layers[0].vertexMaps.push_back(weights);
    skinned.surfaces[0].layers = {layerOn("BUMP"), layerOn("COLR")};
    addObject("Demo/skinned.lwo", skinned);
    LwObject plain = uvSquare({"Demo/t.bmp"});
    plain.surfaces[0].layers = {layerOn("DIFF"), layerOn("COLR")};
    addObject("Demo/plain.lwo", plain);

    Mesh* mesh = build("Demo/skinned.lwo");
    ASSERT_NE(mesh, nullptr) << messages;
    const Surface& s = mesh->surfaces[0];
    EXPECT_EQ(s.vertexStride, 4 * (6 + 4 + 6 + 2 * 2));
    EXPECT_EQ(s.bumpLayer, 1);
    EXPECT_EQ(s.shadowPrograms[0], ctx->render.depthSkinnedVertexProgram);
    std::vector<float> v = vertices(s);
    ASSERT_EQ(v.size(), 4u * 20u);
    // Point 1: weight 0.5 in map 0 (index times 4), tangent +x, binormal -y, UV (1, 0) twice.
    expectFloats(v, 20, {1, 0, 0, 0, 0, 1, 0.5f, 0, 0, 0, 1, 0, 0, 0, -1, 0, 1, 0, 1, 0}, "point 1");

    mesh = build("Demo/plain.lwo");
    ASSERT_NE(mesh, nullptr) << messages;
    const Surface& p = mesh->surfaces[0];
    EXPECT_EQ(p.vertexStride, 4 * (6 + 2 * 2));
    EXPECT_EQ(p.layerFlags[0] & LAYER_UV, 0u);
    v = vertices(p);
    ASSERT_EQ(v.size(), 4u * 10u);
    expectFloats(v, 20, {1, 1, 0, 0, 0, 1, 0, 0, 1, 1}, "point 2: the DIFF pair is reserved and zero");
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(MeshDevice, StateListsSetMaterialTexturesWrapsFiltersAndBlending) {
    addPicture("Demo/t.bmp", 100);
    addPicture("Demo/u.bmp", 150);
    LwObject lw = uvSquare({"Demo/t.bmp", "Demo/u.bmp"});
    lw.layers[0].polygons[1].tag = lwTag(lw, "Glow");
    LwSurface& skin = lw.surfaces[0];
    skin.color[0] = 0.5f;
    skin.color[1] = 0.25f;
    skin.color[2] = 1.0f;
    skin.diffuse = 0.8f;
    skin.specular = 0.5f;
    skin.glossiness = 0.9f;  // 2048: beyond what the fixed-function material takes
    LwTextureLayer colour = layerOn("COLR");
    colour.widthWrap = 0;
    colour.heightWrap = 3;
    colour.pixelBlending = 1;
    LwTextureLayer transparency = layerOn("TRAN", 2);
    skin.layers = {colour, transparency};
    LwSurface glow;
    glow.name = "Glow";
    glow.layers = {layerOn("TRNL", 2)};
    lw.surfaces.push_back(glow);
    addObject("Demo/lists.lwo", lw);
    ctx->render.settings.anisotropy = 4;

    Mesh* mesh = build("Demo/lists.lwo");
    ASSERT_NE(mesh, nullptr) << messages;
    EXPECT_EQ(messages, "");
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(mesh->hasBlending, 1);
    const Surface& s = mesh->surfaces[0];
    ASSERT_EQ(s.displayListCount, 1);
    ASSERT_NE(s.displayLists, nullptr);
    EXPECT_TRUE(glIsList(s.displayLists[0]));
    EXPECT_EQ(s.layerFlags[1] & LAYER_TRANSPARENT, uint32_t(LAYER_TRANSPARENT));

    // Building restored the state the lists changed while they were compiled.
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(integer(GL_DEPTH_WRITEMASK), GL_TRUE);
    EXPECT_EQ(integer(GL_ACTIVE_TEXTURE_ARB), GL_TEXTURE0_ARB);
    for (int unit = 0; unit < ctx->render.settings.maxTextureUnits; ++unit) {
        gl->glActiveTextureARB(GLenum(GL_TEXTURE0_ARB + unit));
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << unit;
    }
    gl->glActiveTextureARB(GL_TEXTURE0_ARB);

    glCallList(s.displayLists[0]);
    GLfloat diffuse[4], specular[4], shininess = 0;
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    glGetMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
    EXPECT_EQ(std::vector<float>(diffuse, diffuse + 4), (std::vector<float>{0.4f, 0.2f, 0.8f, 1.0f}));
    EXPECT_EQ(std::vector<float>(specular, specular + 4), (std::vector<float>{0.25f, 0.125f, 0.5f, 1.0f}));
    EXPECT_EQ(shininess, 128.0f);
    EXPECT_EQ(s.shininess, 2048);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(integer(GL_DEPTH_WRITEMASK), GL_FALSE);
    EXPECT_EQ(integer(GL_BLEND_SRC_RGB_EXT), GL_SRC_ALPHA);
    EXPECT_EQ(integer(GL_BLEND_DST_RGB_EXT), GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(integer(GL_BLEND_SRC_ALPHA_EXT), GL_ZERO);
    EXPECT_EQ(integer(GL_BLEND_DST_ALPHA_EXT), GL_ONE);
    EXPECT_EQ(integer(GL_ACTIVE_TEXTURE_ARB), GL_TEXTURE1_ARB);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(GLuint(integer(GL_TEXTURE_BINDING_2D)), textureOf(s, 1));
    gl->glActiveTextureARB(GL_TEXTURE0_ARB);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLuint t = textureOf(s, 0);
    ASSERT_NE(t, 0u);
    EXPECT_EQ(GLuint(integer(GL_TEXTURE_BINDING_2D)), t);
    EXPECT_EQ(textureParameter(t, GL_TEXTURE_WRAP_S), GL_CLAMP_TO_BORDER_ARB);
    EXPECT_EQ(textureParameter(t, GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(textureParameter(t, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(textureParameter(t, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    if (ctx->render.settings.maxAnisotropy >= 4) {
        GLfloat anisotropy = 0;
        glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &anisotropy);
        EXPECT_EQ(anisotropy, 4.0f);
    }
    GLuint u = textureOf(s, 1);
    EXPECT_EQ(textureParameter(u, GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(textureParameter(u, GL_TEXTURE_MIN_FILTER), GL_NEAREST_MIPMAP_NEAREST);
    EXPECT_EQ(textureParameter(u, GL_TEXTURE_MAG_FILTER), GL_NEAREST);

    glCallList(mesh->surfaces[1].displayLists[0]);
    EXPECT_EQ(integer(GL_BLEND_SRC_RGB_EXT), GL_SRC_ALPHA);
    EXPECT_EQ(integer(GL_BLEND_DST_RGB_EXT), GL_ONE);
    EXPECT_EQ(integer(GL_BLEND_DST_ALPHA_EXT), GL_ONE);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    resetTextureUnits(&ctx.get()->render);
}

TEST_F(MeshDevice, ATenFrameSequenceGivesTenListsEachBindingItsFrame) {
    for (int k = 0; k < 10; ++k) addPicture("Demo/seq" + std::to_string(k) + ".bmp", uint8_t(20 * k));
    addPicture("Demo/still.bmp", 255);
    LwObject lw = uvSquare({"Demo/still.bmp"});
    lw.clips.push_back(lwSequenceClip(2, "Demo/seq", 1, ".bmp", 0, 10));
    lw.surfaces[0].layers = {layerOn("COLR", 2), layerOn("LUMI", 1)};
    addObject("Demo/anim.lwo", lw);

    Mesh* mesh = build("Demo/anim.lwo");
    ASSERT_NE(mesh, nullptr) << messages;
    EXPECT_EQ(messages, "");
    const Surface& s = mesh->surfaces[0];
    ASSERT_EQ(s.displayListCount, 10);
    for (int f = 0; f < 10; ++f) {
        glCallList(s.displayLists[f]);
        gl->glActiveTextureARB(GL_TEXTURE0_ARB);
        GLuint frame = textureOf(s, 0, f);
        EXPECT_NE(frame, 0u);
        EXPECT_EQ(GLuint(integer(GL_TEXTURE_BINDING_2D)), frame) << f;
        gl->glActiveTextureARB(GL_TEXTURE1_ARB);
        EXPECT_EQ(GLuint(integer(GL_TEXTURE_BINDING_2D)), textureOf(s, 1)) << f;
        for (int g = 0; g < f; ++g) EXPECT_NE(s.displayLists[g], s.displayLists[f]);
    }
    resetTextureUnits(&ctx.get()->render);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(MeshDevice, AClipSharedByTwoObjectsIsLoadedOnce) {
    addPicture("Demo/shared.bmp", 90);
    LwObject first = uvSquare({"Demo/shared.bmp"});
    first.surfaces[0].layers = {layerOn("COLR")};
    addObject("Demo/first.lwo", first);
    LwObject second = hinge(false);
    LwClip clip;
    clip.index = 7;
    clip.fileName = "Demo/shared.bmp";
    second.clips.push_back(clip);
    second.surfaces[0].layers = {layerOn("SPEC", 7)};
    addObject("Demo/second.lwo", second);

    Mesh* a = build("Demo/first.lwo");
    ASSERT_NE(a, nullptr) << messages;
    gOpens = 0;
    packageSetOpenHook(countOpen);
    Mesh* b = build("Demo/second.lwo");
    ASSERT_NE(b, nullptr) << messages;
    EXPECT_EQ(gOpens, 1);  // the object file alone
    EXPECT_EQ(ctx->render.textures.count, 1);
    EXPECT_EQ(a->surfaces[0].layerTexture[0], 0);
    EXPECT_EQ(b->surfaces[0].layerTexture[0], 0);

    // A clip no layer uses is loaded all the same, and its file counts on the loading bar.
    addPicture("Demo/spare.bmp", 30);
    LwObject third = hinge(false);
    LwClip spare;
    spare.index = 3;
    spare.fileName = "Demo/spare.bmp";
    third.clips.push_back(spare);
    addObject("Demo/third.lwo", third);
    gOpens = 0;
    ASSERT_NE(build("Demo/third.lwo"), nullptr) << messages;
    EXPECT_EQ(gOpens, 2);
    EXPECT_EQ(ctx->render.textures.count, 2);
}

// ---- a timeline of several scenes ----

LwScene oneCameraScene(const std::vector<std::string>& objects) {
    LwScene scene;
    for (const std::string& path : objects) {
        LwItem item;
        item.name = path;
        scene.items.push_back(item);
    }
    scene.lights.push_back(LwLight());
    scene.cameras.push_back(LwCamera());
    return scene;
}

class TimelineOnDevice : public MeshDevice {
protected:
    void addTexturedObject(const std::string& name, const std::string& picture, uint8_t grey) {
        addPicture(picture, grey);
        LwObject lw = uvSquare({picture});
        lw.surfaces[0].layers = {layerOn("COLR")};
        addObject(name, lw);
    }
    void loadTimeline() {
        addTexturedObject("Demo/a.lwo", "Demo/a.bmp", 10);
        addTexturedObject("Demo/b.lwo", "Demo/b.bmp", 20);
        addTexturedObject("Demo/common.lwo", "Demo/common.bmp", 30);
        // The third scene: a skinned, bump-mapped object with an animated texture.
        LwObject c = uvSquare({"Demo/n.bmp"});
        addPicture("Demo/n.bmp", 40);
        LwVertexMap weights;
        weights.type = "WGHT";
        weights.dimension = 1;
        weights.name = "Weight";
        weights.entries.push_back({0, {1.0f, 0}});
        c.layers[0].vertexMaps.push_back(weights);
        c.clips.push_back(lwSequenceClip(2, "Demo/w", 2, ".bmp", 0, 3));
        for (int k = 0; k < 3; ++k) addPicture("Demo/w0" + std::to_string(k) + ".bmp", uint8_t(50 + k));
        c.surfaces[0].layers = {layerOn("COLR", 2), layerOn("BUMP", 1), layerOn("TRNL", 2)};
        c.surfaces[0].smoothingAngle = 1.0f;
        addObject("Demo/c.lwo", c);
        add("Demo/a.lws", writeLws(oneCameraScene({"Demo/a.lwo", "Demo/common.lwo"})));
        add("Demo/b.lws", writeLws(oneCameraScene({"Demo/b.lwo", "Demo/common.lwo"})));
        add("Demo/c.lws", writeLws(oneCameraScene({"Demo/c.lwo"})));
        add("Demo/Skrypt.txt",
            "init set maxscenes 3 set global duration 1:0:0 set global end 1:0:0 end_init\n"
            "begin\n"
            "load scene a Demo/a.lws\nload scene b Demo/b.lws\nload scene c Demo/c.lws\n"
            "play scene a Camera from 0:0:0 start 0:0:0 end 0:10:0\n"
            "play scene b Camera from 0:10:0 start 0:0:0 end 0:10:0\n"
            "play scene c Camera from 0:20:0 start 0:0:0 end 0:10:0\n"
            "garbage_collection at 0:15:0\n"
            "end\n");
        loadTestPackage(files);
        testing::internal::CaptureStderr();
        readTimelineHeader("Demo/Skrypt.txt", &ctx.get()->timeline);
        readTimelineMain("Demo/Skrypt.txt", &ctx.get()->timeline, &ctx.get()->render);
        messages = testing::internal::GetCapturedStderr();
    }
    const Mesh* meshAt(const char* path) {
        int m = findMesh(&ctx->render.meshes, path);
        return m < 0 ? nullptr : &ctx->render.meshes.entries[m];
    }
    GLuint textureAt(const char* path) {
        int t = textureCacheFind(&ctx->render.textures, path);
        return t < 0 || !ctx->render.textures.entries[t].names ? 0 : ctx->render.textures.entries[t].names[0];
    }
};

TEST_F(TimelineOnDevice, SeveralScenesLoadOntoTheDeviceWithoutAGlError) {
    loadTimeline();
    EXPECT_EQ(messages, "");
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    ASSERT_EQ(ctx->timeline.sceneCount, 3);
    EXPECT_EQ(ctx->render.meshes.count, 4);
    EXPECT_EQ(ctx->render.textures.count, 5);
    for (int32_t k = 0; k < ctx->timeline.sceneCount; ++k) {
        const Scene& s = ctx->timeline.scenes[k];
        ASSERT_GT(s.itemCount, 0) << s.name;
        for (int32_t i = 0; i < s.itemCount; ++i) {
            const Mesh* mesh = s.items[i].mesh;
            ASSERT_NE(mesh, nullptr) << s.items[i].name;
            for (int32_t n = 0; n < mesh->surfaceCount; ++n) {
                const Surface& surface = mesh->surfaces[n];
                EXPECT_TRUE(gl->glIsBufferARB(surface.vertexBuffer)) << s.items[i].name;
                EXPECT_TRUE(gl->glIsBufferARB(surface.indexBuffer)) << s.items[i].name;
                EXPECT_TRUE(glIsList(surface.displayLists[0])) << s.items[i].name;
                for (int32_t l = 0; l < surface.layerCount; ++l)
                    EXPECT_TRUE(glIsTexture(textureOf(surface, l))) << s.items[i].name << " layer " << l;
            }
        }
    }
    const Mesh* c = meshAt("Demo/c.lwo");
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->surfaces[0].displayListCount, 3);
    EXPECT_EQ(c->surfaces[0].vertexStride, 4 * (6 + 4 + 6 + 3 * 2));
    EXPECT_EQ(c->hasBlending, 1);
}

TEST_F(TimelineOnDevice, ACollectionPointFreesExactlyWhatNoLaterClipUses) {
    loadTimeline();
    ASSERT_EQ(messages, "");
    const char* objects[] = {"Demo/a.lwo", "Demo/b.lwo", "Demo/common.lwo", "Demo/c.lwo"};
    const char* pictures[] = {"Demo/a.bmp", "Demo/b.bmp", "Demo/common.bmp", "Demo/n.bmp", "Demo/w"};
    GLuint buffers[4][2], textures[5];
    for (int k = 0; k < 4; ++k) {
        ASSERT_NE(meshAt(objects[k]), nullptr) << objects[k];
        buffers[k][0] = meshAt(objects[k])->surfaces[0].vertexBuffer;
        buffers[k][1] = meshAt(objects[k])->surfaces[0].indexBuffer;
    }
    for (int k = 0; k < 5; ++k) textures[k] = textureAt(pictures[k]);

    // A looping demo passes the point without freeing anything: its start would draw what went.
    int32_t sceneTime = 0;
    ctx->timeline.loop = 1;
    ASSERT_TRUE(advanceTimeline(&ctx.get()->timeline, &ctx.get()->render, 16000, &sceneTime));
    for (int k = 0; k < 5; ++k) EXPECT_TRUE(glIsTexture(textures[k])) << pictures[k];
    for (int k = 0; k < 4; ++k) EXPECT_TRUE(gl->glIsBufferARB(buffers[k][0])) << objects[k];

    ctx->timeline.loop = 0;
    ASSERT_TRUE(advanceTimeline(&ctx.get()->timeline, &ctx.get()->render, 16000, &sceneTime));
    // Scene a ended before the point; b is on and c comes later. common is b's too.
    EXPECT_FALSE(glIsTexture(textures[0]));
    EXPECT_FALSE(gl->glIsBufferARB(buffers[0][0]));
    EXPECT_FALSE(gl->glIsBufferARB(buffers[0][1]));
    EXPECT_EQ(meshAt("Demo/a.lwo")->surfaces[0].vertexBuffer, 0u);
    for (int k = 1; k < 5; ++k) EXPECT_TRUE(glIsTexture(textures[k])) << pictures[k];
    for (int k = 1; k < 4; ++k) {
        EXPECT_TRUE(gl->glIsBufferARB(buffers[k][0])) << objects[k];
        EXPECT_TRUE(gl->glIsBufferARB(buffers[k][1])) << objects[k];
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

}  // namespace
