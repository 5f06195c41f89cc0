// Scene files that break the expected layout: each is reported naming the file, then read without
// what cannot be used or refused, never read or written out of bounds.
#include <string>

#include "tests/unit/scene_load_fixture.h"

namespace {

std::string replaceFirst(std::string text, const std::string& from, const std::string& to) {
    size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

std::string cutAfter(const std::string& text, const std::string& marker) {
    size_t at = text.find(marker);
    EXPECT_NE(at, std::string::npos) << marker;
    return text.substr(0, at + marker.size());
}

}  // namespace

TEST_F(SceneLoadTest, AMissingSceneFileLeavesTheSlotEmpty) {
    bool ok = false;
    Scene* scene = load("Demo/missing.lws", &ok);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(said("Demo/missing.lws")) << messages;
    EXPECT_EQ(scene->itemCount, 0);
    EXPECT_EQ(scene->items, nullptr);
    EXPECT_EQ(scene->cameraCount, 0);
}

TEST_F(SceneLoadTest, FilesWithoutAnySceneBlockAreRefused) {
    add("Demo/empty.lws", "");
    add("Demo/text.lws", "LWSC 3 FirstFrame 1 LastFrame 60 nothing else here");
    for (const char* path : {"Demo/empty.lws", "Demo/text.lws"}) {
        bool ok = true;
        Scene* scene = load(path, &ok);
        EXPECT_FALSE(ok) << path;
        EXPECT_TRUE(said(path)) << messages;
        EXPECT_TRUE(said("not a LightWave scene")) << messages;
        EXPECT_EQ(scene->items, nullptr);
    }
}

TEST_F(SceneLoadTest, FilesCutShortInsideABlockAreRefusedAndReleased) {
    addObject("Demo/tri.lwo", triangleObject());
    LwScene lws = basicScene();
    lws.items[0].bones.push_back(LwBone());
    lws.lights[0].type = 2;
    const std::string text = writeLws(lws);
    add("Demo/item.lws", cutAfter(text, "ObjectMotion\nNumChannels 9\nChannel 0\n{ Envelope\n  1\n  Key 0"));
    add("Demo/bone.lws", cutAfter(text, "BoneRestDirection 0"));
    add("Demo/boneMotion.lws", cutAfter(text, "BoneWeightMapName Weight\n"));
    add("Demo/light.lws", cutAfter(text, "LightColor 1 1"));
    add("Demo/spot.lws", cutAfter(text, "LightType 2\n"));
    add("Demo/camera.lws", cutAfter(text, "CameraName Camera\n"));
    add("Demo/zoom.lws", cutAfter(text, "ZoomFactor"));
    add("Demo/fog.lws", replaceFirst(cutAfter(text, "FogType 0\n"), "FogType 0", "FogType 1"));
    for (const char* path : {"Demo/item.lws", "Demo/bone.lws", "Demo/boneMotion.lws", "Demo/light.lws",
                             "Demo/spot.lws", "Demo/camera.lws", "Demo/zoom.lws", "Demo/fog.lws"}) {
        bool ok = true;
        Scene* scene = load(path, &ok);
        EXPECT_FALSE(ok) << path;
        EXPECT_TRUE(said(path)) << path << ": " << messages;
        EXPECT_EQ(scene->items, nullptr) << path;
        EXPECT_EQ(scene->itemCount, 0);
        EXPECT_EQ(scene->lightCount, 0);
        EXPECT_EQ(scene->cameraCount, 0);
    }
}

TEST_F(SceneLoadTest, KeywordsThatNeverComeStopAtTheNextBlock) {
    addObject("Demo/tri.lwo", triangleObject());
    const std::string text = writeLws(basicScene());
    add("Demo/noType.lws", replaceFirst(text, "LightType", "LightKind"));
    add("Demo/noZoom.lws", replaceFirst(text, "ZoomFactor", "Zoom"));
    add("Demo/noColor.lws", replaceFirst(text, "LightColor", "LightColour"));
    const std::pair<const char*, const char*> cases[] = {{"Demo/noType.lws", "a light has no LightType"},
                                                         {"Demo/noZoom.lws", "a camera has no ZoomFactor"},
                                                         {"Demo/noColor.lws", "a light has no LightColor"}};
    for (const auto& c : cases) {
        bool ok = true;
        load(c.first, &ok);
        EXPECT_FALSE(ok) << c.first;
        EXPECT_TRUE(said(std::string("Scene ") + c.first + " cannot be loaded: " + c.second)) << messages;
    }
}

TEST_F(SceneLoadTest, WordsWhereNumbersBelongAreRefused) {
    addObject("Demo/tri.lwo", triangleObject());
    LwScene lws = basicScene();
    lws.items[0].parent = lwObjectRef(0);
    const std::string text = writeLws(lws);
    add("Demo/colour.lws", replaceFirst(text, "LightColor 1 1 1", "LightColor 1 white 1"));
    add("Demo/parent.lws", replaceFirst(text, "ParentItem 10000000", "ParentItem nobody"));
    add("Demo/nan.lws", replaceFirst(text, "BackdropColor 0", "BackdropColor nan"));
    for (const char* path : {"Demo/colour.lws", "Demo/parent.lws", "Demo/nan.lws"}) {
        bool ok = true;
        load(path, &ok);
        EXPECT_FALSE(ok) << path;
        EXPECT_TRUE(said(path)) << messages;
    }
}

// An intensity or zoom word reads as its leading number (0 without one); the scene still loads.
TEST_F(SceneLoadTest, IntensityAndZoomWordsReadAsTheirLeadingNumber) {
    addObject("Demo/tri.lwo", triangleObject());
    const std::string text = writeLws(basicScene());
    const struct {
        const char* path;
        const char* from;
        const char* to;
        float intensity, zoom;
    } cases[] = {
        {"Demo/bright.lws", "LightIntensity 1", "LightIntensity bright", 0.0f, 3.2f},
        {"Demo/half.lws", "LightIntensity 1", "LightIntensity 0.5watt", 0.5f, 3.2f},
        {"Demo/wide.lws", "ZoomFactor 3.2", "ZoomFactor wide", 1.0f, 0.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        add(c.path, replaceFirst(text, c.from, c.to));
        messages.clear();
        bool ok = false;
        Scene* scene = load(c.path, &ok);
        ASSERT_TRUE(ok) << messages;
        EXPECT_EQ(scene->lights[0].intensity, c.intensity);
        EXPECT_EQ(scene->cameras[0].zoom, c.zoom);
        EXPECT_EQ(scene->itemCount, 1);
        EXPECT_TRUE(said(c.path)) << messages;
    }
}

TEST_F(SceneLoadTest, CapacitiesKeepTheFirstRecordsAndSayWhatWasLeftOut) {
    LwObject object = triangleObject();
    addObject("Demo/tri.lwo", object);
    LwScene lws;
    for (int i = 0; i < SCENE_ITEMS + 3; ++i) lws.items.push_back(nullItem("N" + std::to_string(i)));
    lws.items[0] = objectItem("Demo/tri.lwo");
    for (int b = 0; b < ITEM_BONES + 2; ++b) lws.items[0].bones.push_back(LwBone());
    lws.items[SCENE_ITEMS + 2].name = "Last";
    lws.items[1].parent = lwObjectRef(SCENE_ITEMS + 1);  // an item that is left out
    for (int l = 0; l < SCENE_LIGHTS + 2; ++l) {
        LwLight light;
        light.intensity = float(l);
        lws.lights.push_back(light);
    }
    for (int c = 0; c < SCENE_CAMERAS + 2; ++c) {
        LwCamera camera;
        camera.name = "Cam" + std::to_string(c);
        lws.cameras.push_back(camera);
    }
    lws.backdropColor[0] = 0.5f;
    addScene("Demo/big.lws", lws);
    bool ok = false;
    Scene* scene = load("Demo/big.lws", &ok);
    ASSERT_TRUE(ok) << messages;
    EXPECT_EQ(scene->itemCount, SCENE_ITEMS);
    EXPECT_STREQ(scene->items[SCENE_ITEMS - 1].name, "N255");
    EXPECT_EQ(scene->items[0].boneCount, ITEM_BONES);
    EXPECT_EQ(scene->lightCount, SCENE_LIGHTS);
    EXPECT_EQ(scene->lights[SCENE_LIGHTS - 1].intensity, float(SCENE_LIGHTS - 1));
    EXPECT_EQ(scene->cameraCount, SCENE_CAMERAS);
    EXPECT_STREQ(scene->cameras[SCENE_CAMERAS - 1].name, "Cam7");
    EXPECT_EQ(scene->backdropColor[0], 0.5f);  // reading went on past the extra records
    EXPECT_EQ(scene->items[1].parent, nullptr);
    EXPECT_EQ(scene->items[1].parentKind, ITEM_NONE);
    EXPECT_TRUE(said("more than 256 objects and nulls")) << messages;
    EXPECT_TRUE(said("more than 50 bones")) << messages;
    EXPECT_TRUE(said("more than 8 lights")) << messages;
    EXPECT_TRUE(said("more than 8 cameras")) << messages;
    EXPECT_TRUE(said("ParentItem 10000101")) << messages;
}

TEST_F(SceneLoadTest, ReferencesOutsideTheirTablesLeaveItemsUnparented) {
    addObject("Demo/tri.lwo", triangleObject());
    LwScene lws = basicScene();
    const uint32_t refs[] = {lwObjectRef(40), lwLightRef(3), lwCameraRef(1), lwBoneRef(0, 2), lwBoneRef(9, 0),
                             0x70000001u, lwLightRef(0), lwCameraRef(0)};
    for (uint32_t ref : refs) {
        LwItem null = nullItem("N");
        null.parent = ref;
        lws.items.push_back(null);
    }
    LwBone bone;
    bone.parent = lwLightRef(0);  // a light: kept as a kind, not followed
    LwBone strayBone;
    strayBone.parent = lwBoneRef(0, 30);
    lws.items[0].bones = {bone, strayBone};
    addScene("Demo/a.lws", lws);
    bool ok = false;
    Scene* scene = load("Demo/a.lws", &ok);
    ASSERT_TRUE(ok) << messages;
    for (int i = 1; i <= 6; ++i) {
        EXPECT_EQ(scene->items[i].parent, nullptr) << i;
        EXPECT_EQ(scene->items[i].parentKind, ITEM_NONE) << i;
    }
    EXPECT_EQ(scene->items[7].parent, &scene->lights[0]);
    EXPECT_EQ(scene->items[7].parentKind, ITEM_LIGHT);
    EXPECT_EQ(scene->items[8].parent, &scene->cameras[0]);
    EXPECT_EQ(scene->items[8].parentKind, ITEM_CAMERA);
    EXPECT_EQ(scene->items[0].bones[0].parent, nullptr);
    EXPECT_EQ(scene->items[0].bones[0].parentKind, ITEM_LIGHT);
    EXPECT_EQ(scene->items[0].bones[1].parent, nullptr);
    EXPECT_EQ(scene->items[0].bones[1].parentKind, ITEM_NONE);
    EXPECT_TRUE(said("Scene Demo/a.lws: 7 parent references name nothing")) << messages;
}

TEST_F(SceneLoadTest, ObjectsThatCannotBeLoadedLeaveTheirItemsWithoutAMesh) {
    addObject("Demo/tri.lwo", triangleObject());
    add("Demo/junk.lwo", "not an object at all");
    LwScene lws = basicScene();
    lws.items.push_back(objectItem("Demo/gone.lwo"));
    lws.items.push_back(objectItem("Demo/junk.lwo"));
    lws.items.push_back(objectItem("Demo/" + std::string(200, 'x') + ".lwo"));
    LwItem null = nullItem("Fish");
    null.parent = lwObjectRef(1);
    lws.items.push_back(null);
    addScene("Demo/a.lws", lws);
    bool ok = false;
    Scene* scene = load("Demo/a.lws", &ok);
    ASSERT_TRUE(ok) << messages;
    ASSERT_EQ(scene->itemCount, 5);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(scene->items[i].mesh, nullptr) << i;
        EXPECT_EQ(scene->items[i].meshIndex, -1) << i;
        EXPECT_EQ(scene->items[i].surfaceCount, 0) << i;
        EXPECT_EQ(scene->items[i].isNull, 0) << i;
    }
    EXPECT_STREQ(scene->items[1].name, "Demo/gone.lwo");
    EXPECT_EQ(strlen(scene->items[3].name), size_t(ITEM_NAME_LENGTH - 1));
    EXPECT_EQ(scene->items[4].parent, &scene->items[1]);  // indices are kept
    EXPECT_EQ(ctx->render.meshes.count, 1);
    EXPECT_TRUE(said("Demo/gone.lwo")) << messages;
    EXPECT_TRUE(said("Demo/junk.lwo")) << messages;
    EXPECT_TRUE(said("longer than 127 characters")) << messages;
}

TEST_F(SceneLoadTest, AFullMeshCacheIsReportedNotOverrun) {
    addObject("Demo/tri.lwo", triangleObject());
    addScene("Demo/a.lws", basicScene());
    ctx->render.meshes.count = MESH_CACHE_CAPACITY;
    bool ok = false;
    Scene* scene = load("Demo/a.lws", &ok);
    ctx->render.meshes.count = 0;
    ASSERT_TRUE(ok) << messages;
    EXPECT_EQ(scene->items[0].mesh, nullptr);
    EXPECT_TRUE(said("Demo/tri.lwo")) << messages;
    EXPECT_TRUE(said("256")) << messages;
}

TEST_F(SceneLoadTest, ScenesWithoutLightsCamerasOrEffectsSection) {
    addObject("Demo/tri.lwo", triangleObject());
    LwScene dark = basicScene();
    dark.lights.clear();
    addScene("Demo/dark.lws", dark);
    LwScene blind = basicScene();
    blind.cameras.clear();
    addScene("Demo/blind.lws", blind);
    add("Demo/short.lws", cutAfter(writeLws(basicScene()), "FieldRendering 0\n"));
    bool ok = false;
    Scene* scene = load("Demo/dark.lws", &ok);
    ASSERT_TRUE(ok) << messages;
    EXPECT_EQ(scene->lightCount, 0);
    EXPECT_EQ(scene->cameraCount, 1);
    scene = load("Demo/blind.lws", &ok);
    ASSERT_TRUE(ok) << messages;
    EXPECT_EQ(scene->lightCount, 1);
    EXPECT_EQ(scene->cameraCount, 0);
    scene = load("Demo/short.lws", &ok);
    ASSERT_TRUE(ok) << messages;
    EXPECT_EQ(scene->cameraCount, 1);
    EXPECT_TRUE(said("has no BackdropColor")) << messages;
}

TEST_F(SceneLoadTest, ExtraLinesBetweenBlocksAreReadPast) {
    // Later LightWave versions write more lines after ShadowOptions, ShadowType and FieldRendering.
    addObject("Demo/tri.lwo", triangleObject());
    LwScene lws = basicScene();
    lws.items.push_back(nullItem("Second"));
    lws.lights.push_back(LwLight());
    LwCamera other;
    other.name = "Other";
    lws.cameras.push_back(other);
    std::string text = writeLws(lws);
    text = replaceFirst(text, "ShadowOptions 7\n", "ShadowOptions 7\nNodeDisplacementOrder 0\n");
    text = replaceFirst(text, "ShadowType 1\n", "ShadowType 1\nShadowColor 0 0 0\nPlugin x\nEndPlugin\n");
    text = replaceFirst(text, "FieldRendering 0\n", "FieldRendering 0\nApertureHeight 0.015\n");
    text = replaceFirst(text, "AmbientColor", std::string(300, 'w') + " AmbientColor");  // an overlong word
    add("Demo/a.lws", text);
    bool ok = false;
    Scene* scene = load("Demo/a.lws", &ok);
    ASSERT_TRUE(ok) << messages;
    EXPECT_EQ(messages, "");
    EXPECT_EQ(scene->itemCount, 2);
    EXPECT_EQ(scene->lightCount, 2);
    ASSERT_EQ(scene->cameraCount, 2);
    EXPECT_STREQ(scene->cameras[1].name, "Other");
}

TEST_F(SceneLoadTest, NewerFilesNameTheItemNumberBeforeTheObjectPath) {
    addObject("Demo/tri.lwo", triangleObject());
    std::string text = writeLws(basicScene());
    text = replaceFirst(text, "LWSC\n3", "LWSC\n5");
    text = replaceFirst(text, "LoadObjectLayer 1 Demo/tri.lwo", "LoadObjectLayer 1 10000000 Demo/tri.lwo");
    add("Demo/a.lws", text);
    bool ok = false;
    Scene* scene = load("Demo/a.lws", &ok);
    ASSERT_TRUE(ok) << messages;
    EXPECT_EQ(messages, "");
    EXPECT_STREQ(scene->items[0].name, "Demo/tri.lwo");
    EXPECT_NE(scene->items[0].mesh, nullptr);
}
