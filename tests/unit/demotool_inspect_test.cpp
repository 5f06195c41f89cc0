// demotool env, object and scene on a package made from writer fixtures.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/process.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/test_package.h"
#include "tools/lightwave/lw_writer.h"

namespace {

// Writes the package as dir/name; returns its path.
std::string packageFile(const ScratchDir& dir, const std::string& name, const TestFiles& files) {
    std::string path = dir.path + "/" + name;
    std::vector<unsigned char> bytes = buildTestPackage(files);
    writeFile(path, std::string(bytes.begin(), bytes.end()));
    return path;
}

ProcessResult demotool(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {DEMOTOOL_BINARY};
    argv.insert(argv.end(), args.begin(), args.end());
    return runProcess(argv);
}

LwObject texturedObject() {
    LwObject object = lwTriangles({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2}, "Skin");
    LwVertexMap uv;
    uv.name = "UVMap";
    uv.entries = {{0, {0, 0}}};
    object.layers[0].vertexMaps.push_back(uv);
    LwVertexMap weight;
    weight.type = "WGHT";
    weight.name = "Arm";
    weight.dimension = 1;
    weight.entries = {{0, {1, 0}}};
    object.layers[0].vertexMaps.push_back(weight);
    LwClip still;
    still.fileName = "Demo/skin.jpg";
    object.clips = {still, lwSequenceClip(2, "Demo/water", 2, ".jpg", 10, 20)};
    LwSurface& skin = object.surfaces[0];
    skin.color[0] = 0.5f;
    skin.specular = 0.25f;
    skin.glossiness = 0.4f;
    skin.glow = 0.125f;
    skin.smoothingAngle = 1.5707964f;
    LwTextureLayer colour;
    colour.uvMap = "UVMap";
    LwTextureLayer bump;
    bump.channel = "BUMP";
    bump.opacityType = 7;
    bump.opacity = 0.5f;
    bump.image = 2u;
    bump.widthWrap = 3;
    bump.heightWrap = 2;
    bump.uvMap = "UVMap";
    skin.layers = {colour, bump};
    return object;
}

}  // namespace

TEST(DemotoolInspect, EnvPrintsOneValuePerTime) {
    ScratchDir scratch("inspect");
    LwEnvelope ramp{{LwKey{0, 0, 3, {}}, LwKey{2, 1, 3, {}}}, 1, 1};
    std::string pkg = packageFile(scratch, "ramp.dat", {{"Demo/ramp.env", writeEnvelope(ramp)}});
    ProcessResult r = demotool({"env", pkg, "Demo/ramp.env", "0", "0.25", "1.5", "-1"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "0.000000\n0.500000\n2.000000\n0.000000\n");
    EXPECT_EQ(demotool({"env", pkg, "Demo/ramp.env", "soon"}).exitCode, 2);
    EXPECT_EQ(demotool({"env", pkg, "Demo/ramp.env"}).exitCode, 2);
    ProcessResult missing = demotool({"env", pkg, "Demo/none.env", "0"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("Demo/none.env"), std::string::npos) << missing.err;
}

TEST(DemotoolInspect, ObjectSummarisesCountsSurfacesAndLayers) {
    ScratchDir scratch("inspect");
    std::vector<uint8_t> bytes = writeLwo(texturedObject());
    std::string pkg =
        packageFile(scratch, "object.dat", {{"Demo/skin.lwo", std::string(bytes.begin(), bytes.end())}});
    ProcessResult r = demotool({"object", pkg, "Demo/skin.lwo"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "object Demo/skin.lwo\n"
              "points 3\ntriangles 1\nsurfaces 1\nclips 2\nuv maps 1\nweight maps 1\n"
              "clip 0 still Demo/skin.jpg\n"
              "clip 1 sequence Demo/water .jpg frames 10-20 digits 2\n"
              "uv map 0 UVMap\n"
              "weight map 0 Arm\n"
              "surface 0 Skin\n"
              "  colour 0.500000 0.784000 0.784000 1.000000\n"
              "  diffuse 1.000000\n  specular 0.250000\n  glow 0.125000\n  shininess 64\n"
              "  smoothing 90.000003 degrees\n"
              "  layer 0 channel COLR opacity normal 1.000000 wrap repeat repeat uv UVMap image clip 0 Demo/skin.jpg\n"
              "  layer 1 channel BUMP opacity additive 0.500000 wrap edge mirror uv UVMap image clip 1 Demo/water\n");
    ProcessResult missing = demotool({"object", pkg, "Demo/none.lwo"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("Demo/none.lwo"), std::string::npos) << missing.err;
}

TEST(DemotoolInspect, SceneListsItemsLightsCamerasBackdropAndFog) {
    ScratchDir scratch("inspect");
    LwScene scene;
    LwItem body;
    body.name = "Demo/skin.lwo";
    body.bones = {LwBone(), LwBone()};
    LwItem fish;
    fish.isNull = true;
    fish.name = "BoidsSmall";
    fish.parent = lwObjectRef(0);
    LwItem lost;
    lost.name = "Demo/lost.lwo";
    lost.parent = lwBoneRef(0, 1);
    scene.items = {body, fish, lost};
    LwLight sun;
    sun.color[1] = 0.5f;
    LwLight spot;
    spot.type = 2;
    spot.falloffType = 1;
    spot.range = 4;
    spot.intensityEnvelope = LwEnvelope{{LwKey{}, LwKey{1, 1, 0, {}}}, 1, 1};
    scene.lights = {sun, spot};
    LwCamera camera;
    camera.name = "Main";
    LwCamera zoom;
    zoom.name = "Zoom";
    zoom.zoomEnvelope = lwConstant(2);
    scene.cameras = {camera, zoom};
    scene.backdropColor[2] = 0.25f;
    scene.fogType = 1;
    std::vector<uint8_t> bytes = writeLwo(texturedObject());
    std::string pkg = packageFile(scratch, "scene.dat",
                                  {{"Demo/skin.lwo", std::string(bytes.begin(), bytes.end())},
                                   {"Demo/a.lws", writeLws(scene)}});
    ProcessResult r = demotool({"scene", pkg, "Demo/a.lws"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "scene Demo/a.lws\n"
              "items 3\n"
              "item 0 object Demo/skin.lwo parent - bones 2\n"
              "item 1 null BoidsSmall parent item 0 bones 0\n"
              "item 2 object Demo/lost.lwo (not loaded) parent bone 0.1 bones 0\n"
              "lights 2\n"
              "light 0 distant colour 1.000000 0.500000 1.000000 intensity 1.000000\n"
              "light 1 spot colour 1.000000 1.000000 1.000000 intensity envelope 2 keys falloff 1 range 4.000000"
              " cone 30.000000 edge 5.000000\n"
              "cameras 2\n"
              "camera 0 Main zoom 3.200000\n"
              "camera 1 Zoom zoom envelope 1 keys\n"
              "backdrop 0.000000 0.000000 0.250000\n"
              "fog 1 colour 0.500000 0.500000 0.500000\n");
    EXPECT_NE(r.err.find("Demo/lost.lwo"), std::string::npos) << r.err;

    ProcessResult missing = demotool({"scene", pkg, "Demo/none.lws"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("Demo/none.lws"), std::string::npos);
    std::string bad = packageFile(scratch, "bad.dat", {{"Demo/bad.lws", "LoadObjectLayer 1"}});
    ProcessResult refused = demotool({"scene", bad, "Demo/bad.lws"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("Demo/bad.lws"), std::string::npos) << refused.err;
}

// The setup the player applies, from the sample production's rows and from a row missing its "end".
TEST(DemotoolInspect, SetupPrintsTheAppliedFieldsInOrder) {
    ScratchDir scratch("inspect");
    TestFiles files = {{"Demo/SceneSetup.txt", readFile(VELMORA_SOURCE_DIR "/content/SceneSetup.txt")},
                       {"Demo/Fade_In.env", writeEnvelope(lwConstant(1))}};
    for (const char* axis : {"X", "Y", "Z", "W"})
        files.push_back({std::string("Demo/Shadow_Rafa") + axis + ".env", writeEnvelope(lwConstant(1))});
    const std::string sample = packageFile(scratch, "sample.dat", files);
    const std::string broken = packageFile(scratch, "broken.dat", 
        {{"Demo/SceneSetup.txt", "scene Demo/A.lws glow 1 2\nscene Demo/B.lws causticsScale 0.25 glow 1 4 end\n"}});
    const std::string defaults =
        "shadowDepthScale 0\ncausticsScale 0\nfog 0 0\ntexturePeriod 0\nglow 0 0\nglowColour 1 1 1 1\n";
    const struct {
        std::string package, scene, out;
        bool message;
    } cases[] = {
        {sample, "Demo/Rafa.lws",
         "scene Demo/Rafa.lws\nrow yes\nshadows 1 1\nshadowAmbient 0.25\nshadowSoftness 0\n"
         "shadowEnvelopes Demo/Shadow_RafaX.env Demo/Shadow_RafaY.env Demo/Shadow_RafaZ.env Demo/Shadow_RafaW.env\n"
         "shadowDepthScale 0.05\ncausticsScale 0.2\nfog -2.4 -0.3\ntexturePeriod 775\n"
         "colour brightness 0.02 0.05 0.06\ncolour saturation 1.15 1.15 0\nglow 1 4\nglowColour 0.8 0.95 1 1\n",
         false},
        {sample, "Demo/Login.lws",
         "scene Demo/Login.lws\nrow yes\nshadows 0 0\nshadowAmbient 0\nshadowSoftness 0\nshadowEnvelopes -\n"
         "shadowDepthScale 0\ncausticsScale 0\nfog 0 0\ntexturePeriod 775\ncolour contrast 1.15 1.15 1.15\n"
         "colour brightness animated Demo/Fade_In.env\nglow 1 4\nglowColour 0.6 1 0.75 1\n",
         false},
        {broken, "Demo/B.lws",
         "scene Demo/B.lws\nrow yes\nshadows 0 0\nshadowAmbient 0\nshadowSoftness 0\nshadowEnvelopes -\n"
         "shadowDepthScale 0\ncausticsScale 0.25\nfog 0 0\ntexturePeriod 0\nglow 1 4\nglowColour 1 1 1 1\n",
         true},
        {broken, "Demo/A.lws",
         "scene Demo/A.lws\nrow no\nshadows 0 0\nshadowAmbient 0\nshadowSoftness 0\nshadowEnvelopes -\n" + defaults,
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scene);
        ProcessResult r = demotool({"setup", c.package, c.scene});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err.find("Demo/A.lws") != std::string::npos, c.message) << r.err;
    }
    EXPECT_EQ(demotool({"setup", sample}).exitCode, 2);
    EXPECT_EQ(demotool({"setup", sample + ".gone", "Demo/Rafa.lws"}).exitCode, 1);
}
