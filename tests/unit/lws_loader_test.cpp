// Scene files read into scene slots: items, meshes, bones, lights, cameras, backdrop and fog.
#include <cstring>

#include "scene/layer_flags.h"
#include "tests/unit/scene_load_fixture.h"
#include "timeline/clip_list.h"
#include "timeline/timeline_script.h"

namespace {

float at(const Envelope& envelope, float seconds = 0) { return evalEnvelope(&envelope, seconds); }

LwObject skinnedObject() {
    LwObject object = triangleObject();
    for (const char* name : {"Arm", "Leg"}) {
        LwVertexMap map;
        map.type = "WGHT";
        map.name = name;
        map.dimension = 1;
        map.entries = {{0, {1, 0}}, {1, {0.5f, 0}}};
        object.layers[0].vertexMaps.push_back(map);
    }
    return object;
}

}  // namespace

TEST_F(SceneLoadTest, ObjectsAndNullsWithMotionsPivotsAndParents) {
    addObject("Demo/tri.lwo", triangleObject());
    LwScene lws = basicScene();
    lws.items[0].motion = lwStill(1, 2, 3, 0.5f);
    lws.items[0].pivot = LwPoint{0, 4, 0};
    LwItem fish = nullItem("BoidsSmall");
    fish.parent = lwObjectRef(0);
    LwItem child = objectItem("Demo/tri.lwo");
    child.parent = lwObjectRef(1);
    lws.items.push_back(fish);
    lws.items.push_back(child);
    addScene("Demo/a.lws", lws);
    bool ok = false;
    Scene* scene = load("Demo/a.lws", &ok);
    ASSERT_TRUE(ok) << messages;
    EXPECT_EQ(messages, "");
    ASSERT_EQ(scene->itemCount, 3);
    EXPECT_EQ(scene->settings, &ctx->render.settings);

    const SceneItem& object = scene->items[0];
    EXPECT_STREQ(object.name, "Demo/tri.lwo");
    EXPECT_EQ(object.isNull, 0);
    EXPECT_EQ(object.meshIndex, 0);
    ASSERT_EQ(object.mesh, &ctx->render.meshes.entries[0]);
    EXPECT_STREQ(object.mesh->path, "Demo/tri.lwo");
    ASSERT_EQ(object.surfaceCount, 1);
    EXPECT_EQ(object.surfaces[0].surface, &object.mesh->surfaces[0]);
    EXPECT_STREQ(object.surfaces[0].surface->name, "Skin");
    EXPECT_EQ(at(object.motion[0]), 1.0f);
    EXPECT_EQ(at(object.motion[2]), 3.0f);
    EXPECT_EQ(at(object.motion[3]), 0.5f);
    EXPECT_EQ(at(object.motion[8]), 1.0f);
    EXPECT_EQ(object.pivot[1], 4.0f);
    EXPECT_EQ(object.parent, nullptr);
    EXPECT_EQ(object.parentKind, ITEM_NONE);

    const SceneItem& null = scene->items[1];
    EXPECT_STREQ(null.name, "BoidsSmall");
    EXPECT_EQ(null.isNull, 1);
    EXPECT_EQ(null.mesh, nullptr);
    EXPECT_EQ(null.surfaces, nullptr);
    EXPECT_EQ(null.surfaceCount, 0);
    EXPECT_EQ(null.bones, nullptr);
    EXPECT_EQ(null.parent, &scene->items[0]);
    EXPECT_EQ(null.parentKind, ITEM_OBJECT);

    // The same path again: the same mesh, the item's own surface instances.
    const SceneItem& second = scene->items[2];
    EXPECT_EQ(second.mesh, object.mesh);
    EXPECT_EQ(second.meshIndex, 0);
    EXPECT_NE(second.surfaces, object.surfaces);
    EXPECT_EQ(second.surfaces[0].surface, object.surfaces[0].surface);
    EXPECT_EQ(second.parent, &scene->items[1]);
    EXPECT_EQ(ctx->render.meshes.count, 1);
}

TEST_F(SceneLoadTest, BonesReadRestValuesMotionsParentsAndWeightMaps) {
    addObject("Demo/body.lwo", skinnedObject());
    LwScene lws = basicScene("Demo/body.lwo");
    LwBone upper;
    upper.weightMap = "Leg";
    upper.restPosition[1] = 2;
    upper.restDirection[0] = 90;
    upper.restLength = 1.5f;
    upper.motion = lwStill(0, 7);
    LwBone lower;
    lower.weightMap = "Tail";  // not among the mesh's weight maps
    lower.parent = lwBoneRef(0, 0);
    lws.items[0].bones = {upper, lower};
    LwItem arm = objectItem("Demo/body.lwo");
    arm.parent = lwBoneRef(0, 1);
    lws.items.push_back(arm);
    addScene("Demo/a.lws", lws);
    bool ok = false;
    Scene* scene = load("Demo/a.lws", &ok);
    ASSERT_TRUE(ok) << messages;
    EXPECT_EQ(messages, "");

    const SceneItem& body = scene->items[0];
    ASSERT_EQ(body.mesh->weightMapCount, 2);
    EXPECT_STREQ(body.mesh->weightMapNames[0], "Arm");
    EXPECT_STREQ(body.mesh->weightMapNames[1], "Leg");
    ASSERT_EQ(body.boneCount, 2);
    const Bone& b0 = body.bones[0];
    EXPECT_EQ(b0.restPosition[1], 2.0f);
    EXPECT_EQ(b0.restDirection[0], 90.0f);
    EXPECT_EQ(b0.restLength, 1.5f);
    EXPECT_EQ(b0.weightMapIndex, 1);
    EXPECT_EQ(at(b0.motion[1]), 7.0f);
    EXPECT_EQ(b0.parent, &scene->items[0]);
    EXPECT_EQ(b0.parentKind, ITEM_OBJECT);
    const Bone& b1 = body.bones[1];
    EXPECT_EQ(b1.weightMapIndex, 0);
    EXPECT_EQ(b1.parent, &body.bones[0]);
    EXPECT_EQ(b1.parentKind, ITEM_BONE);

    EXPECT_EQ(scene->items[1].boneCount, 0);
    EXPECT_EQ(scene->items[1].bones, nullptr);
    EXPECT_EQ(scene->items[1].parent, &body.bones[1]);
    EXPECT_EQ(scene->items[1].parentKind, ITEM_BONE);
}

TEST_F(SceneLoadTest, EveryLightTypeWithAndWithoutFalloff) {
    addObject("Demo/tri.lwo", triangleObject());
    LwScene lws = basicScene();
    LwLight distant;
    distant.color[0] = 0.5f;
    distant.intensity = 0.75f;
    LwLight point;
    point.type = 1;
    point.falloffType = 2;
    point.range = 5;
    point.intensityEnvelope = LwEnvelope{{LwKey{0, 0, 3, {}}, LwKey{2, 1, 3, {}}}, 1, 1};
    LwLight spot;
    spot.type = 2;
    spot.coneAngle = 40;
    spot.edgeAngle = 8;
    LwLight spotFalloff = spot;
    spotFalloff.falloffType = 1;
    spotFalloff.range = 9;
    lws.lights = {distant, point, spot, spotFalloff};
    addScene("Demo/a.lws", lws);
    bool ok = false;
    Scene* scene = load("Demo/a.lws", &ok);
    ASSERT_TRUE(ok) << messages;
    ASSERT_EQ(scene->lightCount, 4);

    const Light& l0 = scene->lights[0];
    EXPECT_EQ(l0.type, 0);
    EXPECT_EQ(l0.color.r, 0.5f);
    EXPECT_EQ(l0.color.a, 1.0f);
    EXPECT_EQ(l0.intensity, 0.75f);
    EXPECT_EQ(l0.intensityEnvelope.keyCount, 0);
    EXPECT_EQ(l0.falloffType, 0);

    const Light& l1 = scene->lights[1];
    EXPECT_EQ(l1.type, 1);
    EXPECT_EQ(l1.falloffType, 2);
    EXPECT_EQ(l1.range, 5.0f);
    ASSERT_EQ(l1.intensityEnvelope.keyCount, 2);
    EXPECT_FLOAT_EQ(at(l1.intensityEnvelope, 0.5f), 1.0f);

    const Light& l2 = scene->lights[2];
    EXPECT_EQ(l2.type, 2);
    EXPECT_EQ(l2.falloffType, 0);
    EXPECT_EQ(l2.range, 0.0f);
    EXPECT_EQ(l2.coneAngle, 40.0f);
    EXPECT_EQ(l2.edgeAngle, 8.0f);

    const Light& l3 = scene->lights[3];
    EXPECT_EQ(l3.falloffType, 1);
    EXPECT_EQ(l3.range, 9.0f);
    EXPECT_EQ(l3.coneAngle, 40.0f);
    EXPECT_EQ(l3.edgeAngle, 8.0f);
}

TEST_F(SceneLoadTest, CamerasWithConstantAndEnvelopedZoom) {
    addObject("Demo/tri.lwo", triangleObject());
    LwScene lws = basicScene();
    LwCamera wide;
    wide.name = "Wide";
    wide.zoom = 1.25f;
    wide.motion = lwStill(0, 0, -10);
    LwCamera zooming;
    zooming.name = "Zoom";
    zooming.zoomEnvelope = LwEnvelope{{LwKey{1, 0, 3, {}}, LwKey{3, 2, 3, {}}}, 1, 1};
    lws.cameras = {wide, zooming};
    addScene("Demo/a.lws", lws);
    bool ok = false;
    Scene* scene = load("Demo/a.lws", &ok);
    ASSERT_TRUE(ok) << messages;
    ASSERT_EQ(scene->cameraCount, 2);
    EXPECT_STREQ(scene->cameras[0].name, "Wide");
    EXPECT_EQ(scene->cameras[0].zoom, 1.25f);
    EXPECT_EQ(scene->cameras[0].zoomEnvelope.keyCount, 0);
    EXPECT_EQ(at(scene->cameras[0].motion[2]), -10.0f);
    EXPECT_STREQ(scene->cameras[1].name, "Zoom");
    ASSERT_EQ(scene->cameras[1].zoomEnvelope.keyCount, 2);
    EXPECT_FLOAT_EQ(at(scene->cameras[1].zoomEnvelope, 1), 2.0f);
}

TEST_F(SceneLoadTest, BackdropAndFogOnOrOff) {
    addObject("Demo/tri.lwo", triangleObject());
    LwScene lws = basicScene();
    lws.backdropColor[2] = 0.25f;
    lws.fogColor[0] = 0.1f;
    addScene("Demo/nofog.lws", lws);
    lws.fogType = 2;
    addScene("Demo/fog.lws", lws);
    bool ok = false;
    Scene* plain = load("Demo/nofog.lws", &ok);
    ASSERT_TRUE(ok) << messages;
    EXPECT_EQ(plain->backdropColor[2], 0.25f);
    EXPECT_EQ(plain->setup.fogType, 0);
    EXPECT_EQ(plain->setup.fogColour[0], 0.0f);  // untouched
    EXPECT_EQ(plain->setup.fogColour[3], 0.0f);

    Scene* foggy = load("Demo/fog.lws", &ok);
    ASSERT_TRUE(ok) << messages;
    EXPECT_EQ(foggy->setup.fogType, 2);
    EXPECT_EQ(foggy->setup.fogColour[0], 0.1f);
    EXPECT_EQ(foggy->setup.fogColour[1], 0.5f);
    EXPECT_EQ(foggy->setup.fogColour[3], 1.0f);
}

TEST_F(SceneLoadTest, ScenesShareMeshesAndReadNoObjectTwice) {
    addObject("Demo/tri.lwo", triangleObject());
    addScene("Demo/a.lws", basicScene());
    addScene("Demo/b.lws", basicScene());
    Scene* a = load("Demo/a.lws");
    // Without the object file in the package the second scene still gets its mesh.
    files.erase(files.begin());
    bool ok = false;
    Scene* b = load("Demo/b.lws", &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(messages, "");
    EXPECT_EQ(ctx->render.meshes.count, 1);
    EXPECT_EQ(a->items[0].mesh, b->items[0].mesh);
    EXPECT_EQ(b->items[0].meshIndex, 0);
    ASSERT_EQ(b->items[0].surfaceCount, 1);
    EXPECT_NE(a->items[0].surfaces, b->items[0].surfaces);
}

TEST_F(SceneLoadTest, SurfacesCarryMaterialsLayerFlagsAndSequenceFrames) {
    LwObject object = lwTriangles({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}, {0, 1, 2, 1, 3, 2}, "Water");
    object.tags.push_back("Bone");
    object.layers[0].polygons[1].tag = 1;
    LwVertexMap uv;
    uv.name = "UV";
    for (uint32_t p = 0; p < 4; p++) uv.entries.push_back({p, {0, 0}});
    object.layers[0].vertexMaps.push_back(uv);
    object.clips.push_back(lwSequenceClip(1, "Demo/water", 2, ".jpg", 10, 20));
    LwSurface& water = object.surfaces[0];
    water.color[0] = 0.25f;
    water.diffuse = 0.8f;
    water.specular = 0.5f;
    water.glossiness = 0.4f;
    water.glow = 0.3f;
    water.lines = true;
    LwTextureLayer colour;
    colour.uvMap = "UV";
    LwTextureLayer transparency;
    transparency.channel = "TRAN";
    transparency.uvMap = "UV";
    LwTextureLayer bump;
    bump.channel = "BUMP";
    bump.opacityType = 7;
    bump.uvMap = "UV";
    LwTextureLayer reflection;
    reflection.channel = "REFL";
    reflection.opacityType = 2;
    water.layers = {colour, transparency, bump, reflection};
    LwSurface boneSurface;
    boneSurface.name = "Bone";
    LwSurface loose;  // no polygon is tagged with it
    loose.name = "Loose";
    object.surfaces.push_back(boneSurface);
    object.surfaces.push_back(loose);
    addObject("Demo/water.lwo", object);
    addScene("Demo/a.lws", basicScene("Demo/water.lwo"));
    bool ok = false;
    Scene* scene = load("Demo/a.lws", &ok);
    ASSERT_TRUE(ok) << messages;

    const Mesh* mesh = scene->items[0].mesh;
    ASSERT_NE(mesh, nullptr);
    ASSERT_EQ(mesh->surfaceCount, 2);  // no "Bone" surface
    EXPECT_STREQ(mesh->surfaces[1].name, "Loose");
    EXPECT_EQ(scene->items[0].surfaceCount, 2);
    EXPECT_EQ(mesh->weightMapCount, 0);
    EXPECT_EQ(mesh->hasBlending, 1);

    const Surface& s = mesh->surfaces[0];
    EXPECT_STREQ(s.name, "Water");
    EXPECT_EQ(s.color.r, 0.25f);
    EXPECT_EQ(s.color.a, 1.0f);
    EXPECT_EQ(s.diffuse, 0.8f);
    EXPECT_EQ(s.specular, 0.5f);
    EXPECT_EQ(s.glow, 0.3f);
    EXPECT_EQ(s.shininess, 64);
    EXPECT_EQ(s.lines, 1);
    ASSERT_EQ(s.layerCount, 4);
    EXPECT_EQ(s.layerFlags[0], uint32_t(LAYER_UV | LAYER_MULTIPLY));
    EXPECT_EQ(s.layerFlags[1], uint32_t(LAYER_TRANSPARENT | LAYER_UV | LAYER_MULTIPLY));
    EXPECT_EQ(s.layerFlags[2], uint32_t(LAYER_NORMAL_MAP | LAYER_UV | LAYER_ADD));
    EXPECT_EQ(s.layerFlags[3], uint32_t(LAYER_ENVIRONMENT | LAYER_DIFFERENCE));
    EXPECT_EQ(s.bumpLayer, 3);
    EXPECT_EQ(s.displayListCount, 10);
    EXPECT_EQ(s.frame, 0);
    EXPECT_EQ(mesh->surfaces[1].displayListCount, 1);
    EXPECT_EQ(mesh->surfaces[1].layerCount, 0);
}

TEST_F(SceneLoadTest, ATimelineLoadStatementLoadsTheSceneWithItsSetup) {
    addObject("Demo/tri.lwo", triangleObject());
    addScene("Demo/a.lws", basicScene());
    add(SCENE_SETUP_FILE, "scene Demo/a.lws shadows 1 2 causticsScale 0.5 end");
    add("Demo/Skrypt.txt", "init set maxscenes 2 end_init begin load scene first Demo/a.lws end");
    loadTestPackage(files);
    readTimelineHeader("Demo/Skrypt.txt", &ctx->timeline);
    ASSERT_EQ(ctx->timeline.sceneCount, 2);
    readTimelineMain("Demo/Skrypt.txt", &ctx->timeline, &ctx->render);
    Scene* scene = &ctx->timeline.scenes[0];
    EXPECT_STREQ(scene->name, "first");
    EXPECT_EQ(ctx->render.currentScene, scene);
    EXPECT_EQ(scene->itemCount, 1);
    EXPECT_EQ(scene->cameraCount, 1);
    EXPECT_EQ(scene->setup.shadowsOn, 1);
    EXPECT_EQ(scene->setup.shadowMode, 2);
    EXPECT_EQ(scene->setup.causticsScale, 0.5f);
    EXPECT_EQ(scene->setup.glowColour[0], 1.0f);
    for (int32_t k = 0; k < ctx->timeline.sceneCount; ++k) {
        releaseSceneContents(&ctx->timeline.scenes[k]);
        releaseSceneSetup(&ctx->timeline.scenes[k].setup);
    }
    std::free(ctx->timeline.scenes);
    ctx->timeline.scenes = nullptr;
    freeTimelineLists(&ctx->timeline);
}
