#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "data/package.h"
#include "scene/envelope.h"
#include "tests/support/test_package.h"
#include "tools/lightwave/lw_writer.h"

namespace {

std::vector<std::string> tokens(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> out;
    std::string word;
    while (in >> word) out.push_back(word);
    return out;
}

// Position of the n-th (0-based) occurrence of word, or -1.
long find(const std::vector<std::string>& t, const std::string& word, int n = 0) {
    for (size_t i = 0; i < t.size(); i++)
        if (t[i] == word && n-- == 0) return long(i);
    return -1;
}

int count(const std::vector<std::string>& t, const std::string& word) {
    int c = 0;
    for (const std::string& s : t) c += s == word;
    return c;
}

LwScene sampleScene() {
    LwScene scene;
    LwItem body;
    body.name = "Objects/body.lwo";
    body.motion = lwStill(1, 2, 3, 0.5f);
    body.pivot = LwPoint{0, 1, 0};
    LwBone upper;
    upper.weightMap = "Upper";
    upper.restPosition[1] = 2;
    upper.restDirection[1] = 90;
    upper.restLength = 1.5f;
    LwBone lower;
    lower.weightMap = "Lower";
    lower.parent = lwBoneRef(0, 0);
    body.bones = {upper, lower};
    LwItem null;
    null.isNull = true;
    null.name = "BoidsSmall";
    null.parent = lwObjectRef(0);
    LwItem arm;
    arm.name = "Objects/arm.lwo";
    arm.parent = lwBoneRef(0, 1);
    scene.items = {body, null, arm};

    LwLight sun;
    LwLight lamp;
    lamp.type = 1;
    lamp.falloffType = 2;
    lamp.range = 12;
    lamp.intensityEnvelope = lwConstant(0.25f);
    lamp.intensityEnvelope->keys.push_back({0.75f, 2.0f, 3, {}});
    LwLight spot;
    spot.type = 2;
    spot.coneAngle = 25;
    spot.edgeAngle = 4;
    LwLight spotFalloff = spot;
    spotFalloff.falloffType = 1;
    spotFalloff.range = 7;
    scene.lights = {sun, lamp, spot, spotFalloff};

    LwCamera fixed;
    fixed.name = "Main";
    fixed.zoom = 2.5f;
    LwCamera zooming;
    zooming.name = "Zoom";
    zooming.zoomEnvelope = lwConstant(1.0f);
    zooming.zoomEnvelope->keys.push_back({4.0f, 1.0f, 0, {}});
    scene.cameras = {fixed, zooming};
    scene.backdropColor[0] = 0.25f;
    scene.fogType = 1;
    scene.fogColor[2] = 0.75f;
    return scene;
}

}  // namespace

TEST(LwsWriter, EnvelopeBlocksReadBack) {
    LwEnvelope envelope;
    envelope.keys.push_back({1.0f, 0.0f, 0, {0.5f, -0.25f, 0.125f, 0, 0, 0}});
    envelope.keys.push_back({2.0f, 0.5f, 3, {}});
    envelope.keys.push_back({-3.0f, 1.25f, 5, {0.1f, 0.2f, 0.3f, 0.4f, 0, 0}});
    envelope.preBehavior = 2;
    envelope.postBehavior = 4;
    loadTestPackage({{"Demo/a.env", writeEnvelope(envelope)}});
    Envelope e;
    ASSERT_TRUE(loadEnvelopeFile(&e, "Demo/a.env"));
    ASSERT_EQ(e.keyCount, 3);
    EXPECT_EQ(e.preBehavior, 2);
    EXPECT_EQ(e.postBehavior, 4);
    EXPECT_EQ(e.keys[0].tension, 0.5f);
    EXPECT_EQ(e.keys[0].continuity, -0.25f);
    EXPECT_EQ(e.keys[0].bias, 0.125f);
    EXPECT_EQ(e.keys[1].shape, 3u);
    EXPECT_EQ(e.keys[1].time, 0.5f);
    EXPECT_EQ(e.keys[2].value, -3.0f);
    EXPECT_EQ(e.keys[2].param[3], 0.4f);
    EXPECT_FLOAT_EQ(evalEnvelope(&e, 0.5f), 2.0f);
    releaseEnvelope(&e);
}

// The scene loader reads keyword by keyword and takes the token after some values as the next
// block's keyword; these are the places where the layout must be exact.
TEST(LwsWriter, BlocksEndWhereTheLoaderLooksForTheNextOne) {
    std::vector<std::string> t = tokens(writeLws(sampleScene()));
    ASSERT_EQ(t[0], "LWSC");
    ASSERT_EQ(t[1], "3");

    long first = find(t, "LoadObjectLayer");
    EXPECT_EQ(t[first + 1], "1");
    EXPECT_EQ(t[first + 2], "Objects/body.lwo");
    long null = find(t, "AddNullObject");
    EXPECT_EQ(t[null + 1], "BoidsSmall");
    ASSERT_EQ(count(t, "ShadowOptions"), 3);
    EXPECT_EQ(t[find(t, "ShadowOptions", 0) + 2], "AddNullObject");
    EXPECT_EQ(t[find(t, "ShadowOptions", 1) + 2], "LoadObjectLayer");
    std::string afterItems = t[find(t, "ShadowOptions", 2) + 2];
    EXPECT_NE(afterItems, "LoadObjectLayer");
    EXPECT_NE(afterItems, "AddCamera");

    // Bones: inside their object before its ShadowOptions, fixed rest sequence, parent after motion.
    long bone = find(t, "AddBone");
    EXPECT_LT(bone, find(t, "ShadowOptions"));
    long rest = find(t, "BoneRestPosition");
    std::vector<std::string> expected = {"BoneRestPosition", "0", "2", "0", "BoneRestDirection", "0",
                                         "90", "0", "BoneRestLength", "1.5", "BoneWeightMapName",
                                         "Upper"};
    EXPECT_EQ(std::vector<std::string>(t.begin() + rest, t.begin() + rest + 12), expected);
    long motion = find(t, "BoneMotion");
    long parent = find(t, "ParentItem");
    EXPECT_GT(parent, motion);
    EXPECT_EQ(t[parent + 1], "10000000");  // the owning item
    EXPECT_EQ(t[find(t, "BoneMotion", 1) + 1], "NumChannels");
    EXPECT_EQ(t[find(t, "ParentItem", 1) + 1], "40000000");  // bone 0 of item 0
    EXPECT_EQ(t[find(t, "ParentItem", 2) + 1], "10000000");  // the null's parent
    EXPECT_EQ(t[find(t, "ParentItem", 3) + 1], "40010000");  // bone 1 of item 0
    EXPECT_EQ(t[find(t, "PivotPosition") + 2], "1");

    // Lights: type, then the optional falloff at once, spot angles; ShadowType closes.
    ASSERT_EQ(count(t, "AddLight"), 4);
    for (int l = 0; l < 4; l++) {
        long type = find(t, "LightType", l);
        bool falloff = l == 1 || l == 3;
        EXPECT_EQ(t[type + 2] == "LightFalloffType", falloff) << l;
        if (falloff) {
            EXPECT_EQ(t[type + 4], "LightRange");
        }
        long shadow = find(t, "ShadowType", l);
        EXPECT_EQ(t[shadow + 2], l < 3 ? "AddLight" : "AddCamera");
    }
    EXPECT_EQ(t[find(t, "LightType", 1) + 5], "12");
    EXPECT_EQ(t[find(t, "LightConeAngle") + 1], "25");
    EXPECT_EQ(t[find(t, "LightEdgeAngle") + 1], "4");
    EXPECT_EQ(t[find(t, "LightIntensity", 1) + 1], "(envelope)");

    // Cameras: FieldRendering closes; the next camera follows at once.
    EXPECT_EQ(t[find(t, "CameraName") + 1], "Main");
    EXPECT_EQ(t[find(t, "ZoomFactor") + 1], "2.5");
    EXPECT_EQ(t[find(t, "ZoomFactor", 1) + 1], "(envelope)");
    EXPECT_EQ(t[find(t, "FieldRendering", 0) + 2], "AddCamera");
    EXPECT_NE(t[find(t, "FieldRendering", 1) + 2], "AddCamera");
    EXPECT_EQ(t[find(t, "CameraMotion") + 1], "NumChannels");
    EXPECT_EQ(t[find(t, "CameraMotion") + 2], "6");

    // Effects: backdrop, then fog type, eight tokens, the colour keyword and three values.
    EXPECT_EQ(t[find(t, "BackdropColor") + 1], "0.25");
    long fog = find(t, "FogType");
    EXPECT_EQ(t[fog + 1], "1");
    EXPECT_EQ(t[fog + 10], "FogColor");
    EXPECT_EQ(t[fog + 13], "0.75");
    EXPECT_GT(fog, find(t, "FieldRendering", 1));
}

TEST(LwsWriter, MotionsReadBackThroughTheEnvelopeReader) {
    LwScene scene = sampleScene();
    loadTestPackage({{"Demo/s.lws", writeLws(scene)}});
    DemoFile file = fileOpen("Demo/s.lws", "r");
    ASSERT_NE(file, nullptr);
    char word[256] = "";
    while (strcmp(word, "LoadObjectLayer") != 0) ASSERT_EQ(fileScan(file, "%255s", word), 1);
    fileScan(file, "%255s", word);
    fileScan(file, "%255s", word);
    Envelope motion[9];
    ASSERT_TRUE(readMotion(motion, 9, file));
    EXPECT_EQ(motion[0].keys[0].value, 1.0f);
    EXPECT_EQ(motion[2].keys[0].value, 3.0f);
    EXPECT_EQ(motion[3].keys[0].value, 0.5f);
    EXPECT_EQ(motion[8].keys[0].value, 1.0f);
    for (Envelope& e : motion) releaseEnvelope(&e);

    while (strcmp(word, "(envelope)") != 0) ASSERT_EQ(fileScan(file, "%255s", word), 1);
    Envelope intensity;
    ASSERT_TRUE(readMotion(&intensity, 1, file));
    ASSERT_EQ(intensity.keyCount, 2);
    EXPECT_EQ(intensity.keys[1].value, 0.75f);
    EXPECT_EQ(intensity.keys[1].shape, 3u);
    releaseEnvelope(&intensity);
    fileScan(file, "%255s", word);
    EXPECT_STREQ(word, "AffectCaustics");
    fileClose(file);
}
