// demotool check on small productions: every missing file named with who needs it, and warnings
// where a file breaks what the player or an effect expects.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/support/process.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/test_package.h"
#include "tools/content/scenes/production.h"

namespace {

std::string bytesOf(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

const char* kMaterials =
    "material plain\n colour 1 1 1\n layer COLR Demo/t.jpg\n"
    "material water\n specular 0.5\n layer COLR Demo/t.jpg\n layer SPEC sequence Demo/c 2 .jpg 0 4 blend=additive\n"
    "material crowded\n specular 0.5\n layer COLR Demo/t.jpg\n layer COLR Demo/t.jpg\n layer COLR Demo/t.jpg\n"
    " layer COLR Demo/t.jpg\n layer COLR Demo/t.jpg\n layer BUMP Demo/t.jpg\n layer SPEC Demo/t.jpg\n"
    "material doubled\n layer COLR Demo/t.jpg\n layer SPEC Demo/t.jpg\n layer SPEC Demo/t.jpg\n layer DIFF Demo/t.jpg\n"
    "material skin\n specular 0.5\n smoothing 89\n layer COLR Demo/t.jpg\n"
    "material flat\n smoothing 0\n layer COLR Demo/t.jpg\n"
    "material shaft\n layer TRNL Demo/t.jpg\n";

class Check : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(readMaterials(parseDescription(kMaterials, "materials"), &materials, &error)) << error;
        put("Demo/VarizIvora.jpg", "jpeg");
        put("Demo/Fonts.JPG", "jpeg");
        put("Demo/t.jpg", "jpeg");
        put("Demo/Skrypt.txt",
            "init end_init begin load scene Main Demo/m.lws "
            "play scene Main Cam from 0:0:0 start 0:0:0 end 0:5:0 end");
        put("Demo/ClipScript.txt",
            "begin load texture Demo/t.jpg T\n"
            "play clip T null from 0:1:0 to 0:2:0 0 0 1 1 0 0 1 1 null null null null null end");
        object("Demo/o.lwo", "sphere subdivisions=1 material=plain uv=xy");
        scene("object Demo/o.lwo\n");
    }
    void put(const std::string& path, const std::string& bytes) {
        for (auto& file : files)
            if (file.first == path) {
                file.second = bytes;
                return;
            }
        files.push_back({path, bytes});
    }
    void drop(const std::string& path) {
        files.erase(std::remove_if(files.begin(), files.end(), [&](const auto& f) { return f.first == path; }),
                    files.end());
    }
    void object(const std::string& path, const std::string& shape) {
        ObjectRecipe recipe;
        std::string error;
        ASSERT_TRUE(buildObjectRecipe(parseDescription("object " + path + " " + shape, "objects")[0], materials,
                                      &recipe, &error))
            << error;
        put(path, bytesOf(writeObjectRecipe(recipe)));
    }
    // Demo/m.lws with these items, then the lights (default: one point light) and the camera Cam.
    void scene(const std::string& items, const std::string& lights = "light L point\n") {
        ProductionFiles out;
        std::string error;
        ASSERT_TRUE(
            buildScene(parseDescription("scene Demo/m.lws\n" + items + lights + "camera Cam\n", "scene"), &out, &error))
            << error;
        put("Demo/m.lws", bytesOf(out.at("Demo/m.lws")));
    }
    ProcessResult check(bool references = false) {
        ScratchDir scratch("check");
        std::string path = scratch.path + "/demo.dat";
        std::vector<unsigned char> bytes = buildTestPackage(files, true);
        writeFile(path, std::string(bytes.begin(), bytes.end()));
        std::vector<std::string> argv = {DEMOTOOL_BINARY, "check", path};
        if (references) argv.push_back("--references");
        return runProcess(argv);
    }
    static bool has(const ProcessResult& r, const std::string& text) { return r.out.find(text) != std::string::npos; }

    MaterialTable materials;
    TestFiles files;
};

TEST_F(Check, ACompleteProductionPasses) {
    ProcessResult r = check(true);
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_TRUE(has(r, "0 missing, 0 warnings")) << r.out;
    for (const char* used : {"uses Demo/Skrypt.txt", "uses Demo/m.lws", "uses Demo/o.lwo", "uses Demo/t.jpg",
                             "uses Demo/ClipScript.txt", "uses Demo/VarizIvora.jpg", "uses Demo/Fonts.JPG"})
        EXPECT_TRUE(has(r, used)) << used << "\n" << r.out;
}

TEST_F(Check, EveryMissingFileIsNamedWithWhoUsesIt) {
    drop("Demo/t.jpg");
    object("Demo/w.lwo", "sphere subdivisions=1 material=water uv=xy");
    for (const char* frame : {"Demo/c00.jpg", "Demo/c01.jpg", "Demo/c03.jpg"}) put(frame, "jpeg");
    scene("object Demo/o.lwo\nobject Demo/w.lwo\nnull Herring_Boids\nnull Bubbles_Usta\nnull Typing_Scroll\n");
    put("Demo/SceneSetup.txt",
        "scene Demo/m.lws\n texturePeriod 775\n brightness animated Demo/fade.env\nend\n"
        "scene Demo/other.lws\n brightness animated Demo/unused.env\nend\n");
    put("Demo/ClipScript.txt", "begin load texture Demo/title.jpg T load envelope Demo/clip.env E end");
    ProcessResult r = check();
    EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
    for (const char* line :
         {"missing Demo/t.jpg (used by Demo/o.lwo)", "missing Demo/c02.jpg (used by Demo/w.lwo)",
          "missing Demo/fade.env (used by Demo/SceneSetup.txt)",
          "missing Demo/slec.lwo (used by Demo/m.lws (Herring_Boids))", "missing Demo/SwiatlaPrzezroczyste8.lwo",
          "missing Demo/lights.vsh", "missing Demo/lights.psh", "missing Demo/bable_z_ust_X.env",
          "missing Demo/bable_z_ust_Z.env", "missing Demo/Scroll.txt",
          "missing Demo/title.jpg (used by Demo/ClipScript.txt)", "missing Demo/clip.env"})
        EXPECT_TRUE(has(r, line)) << line << "\n" << r.out;
    EXPECT_FALSE(has(r, "Demo/unused.env")) << "rows of scenes the timeline does not load are not walked";
    EXPECT_FALSE(has(r, "Demo/c00.jpg"));
    EXPECT_TRUE(has(r, "13 missing")) << r.out;

    drop("Demo/Skrypt.txt");
    r = check();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(has(r, "missing Demo/Skrypt.txt (used by the player)")) << r.out;
}

TEST_F(Check, SurfacesBeyondTheDeviceAreWarnedPerScene) {
    object("Demo/crowded.lwo", "sphere subdivisions=1 material=crowded uv=xy");
    object("Demo/doubled.lwo", "sphere subdivisions=1 material=doubled uv=xy");
    object("Demo/w.lwo", "sphere subdivisions=1 material=water uv=xy");
    for (const char* frame : {"Demo/c00.jpg", "Demo/c01.jpg", "Demo/c02.jpg", "Demo/c03.jpg"}) put(frame, "jpeg");
    scene("object Demo/o.lwo\nobject Demo/crowded.lwo\nobject Demo/doubled.lwo\nobject Demo/w.lwo\n",
          "light S spot\nlight P point\n");
    put("Demo/SceneSetup.txt", "scene Demo/m.lws\n shadows 1 1\nend\n");
    ProcessResult r = check();
    EXPECT_EQ(r.exitCode, 0) << r.out;
    for (const char* warning :
         {"Demo/crowded.lwo: the surface \"crowded\" has 7 texture layers and Demo/m.lws 2 lights",
          "Demo/crowded.lwo: the surface \"crowded\" has a normal map and 7 texture layers",
          "Demo/doubled.lwo: the surface \"doubled\" has more than one caustics (SPEC) layer",
          "Demo/doubled.lwo: the surface \"doubled\" has a height (DIFF) layer but is not specular",
          "Demo/o.lwo: the surface \"plain\" receives the shadows of Demo/m.lws but has no caustics",
          "Demo/m.lws: it shows the image sequence of Demo/w.lwo but its setup row sets no texture period",
          "Demo/m.lws: a spot light comes before a distant or point light"})
        EXPECT_TRUE(has(r, warning)) << warning << "\n" << r.out;
    EXPECT_FALSE(has(r, "Demo/w.lwo: the surface \"water\" receives")) << r.out;

    // The same objects in a scene with one distant light, no shadows and a texture period: clean.
    scene("object Demo/w.lwo\n", "light D distant\n");
    put("Demo/SceneSetup.txt", "scene Demo/m.lws\n shadows 1 2\n fog -1 -1\nend\n");
    r = check();
    EXPECT_TRUE(has(r, "0 warnings")) << r.out;
}

TEST_F(Check, TheTimelineAndClipScriptNamesMustExist) {
    // A statement naming no camera leaves its words to be read as statements: the last one here
    // uses "until" where the others say "end", which would end the section.
    put("Demo/Skrypt.txt",
        "begin load scene Main Demo/m.lws play scene Main Cam from 0:0:0 start 0:0:0 end 0:1:0 "
        "play scene Ghost Cam from 0:0:0 start 0:0:0 until 0:1:0 "
        "play scene Main Nobody from 0:0:0 start 0:0:0 until 0:1:0 end");
    put("Demo/ClipScript.txt",
        "begin load texture Demo/t.jpg T\n"
        "play clip T Mask from 0:1:0 to 0:2:0 0 0 1 1 0 0 1 1 null Drift null null null\n"
        "play clip T null from 0:1:0 to 0:2:0 0 0 1 1 0 0 1 1 null null null null electro end");
    ProcessResult r = check();
    for (const char* warning :
         {"Demo/m.lws has no camera Nobody", "\"play scene Ghost\" names a scene no earlier", "masked by \"Mask\"",
          "the envelope \"Drift\"", "electric overlay of \"T\" has no mask"})
        EXPECT_TRUE(has(r, warning)) << warning << "\n" << r.out;
}

// The files of the boids, swimming, soft-body, light-blob and typing effects, as they should be.
class CheckEffects : public Check {
protected:
    void SetUp() override {
        Check::SetUp();
        object("Demo/slec.lwo", "fish length=1.8 material=skin");
        object("Demo/wielo.lwo", "fish length=8 flukes=1 material=skin");
        object("Demo/SoftBody.lwo", "sphere radius=1 subdivisions=2 material=skin uv=xy");
        object("Demo/SwiatlaPrzezroczyste8.lwo", "shaft material=shaft uv=shape");
        std::string padded, error;
        ASSERT_TRUE(padProgram("!!ARBvp1.0\nMOV result.position, vertex.position;\nEND\n", 1146, &padded, &error));
        put("Demo/lights.vsh", padded);
        ASSERT_TRUE(padProgram("!!ARBfp1.0\nMOV result.color, fragment.color;\nEND\n", 1496, &padded, &error));
        put("Demo/lights.psh", padded);
        put("Demo/Kula_swiatla_powierzchnia.lws", makeBlobControlScene(1, 1, 0.1f, 4, 0.1f));
        put("Demo/Env1.JPG", "jpeg");
        std::string text;
        for (int k = 0; k < 527; ++k)
            text += "0:" + std::to_string(k / 100) + ":" + std::to_string(k % 100) + "\t\t'a'\n";
        put("Demo/Login.txt", text);
        scene("null Herring_Boids\nnull Whale\nnull SoftBody\nnull LightBlob\nnull Typing_Login\n");
    }
};

TEST_F(CheckEffects, FilesMadeAsTheEffectsExpectPass) {
    ProcessResult r = check(true);
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_TRUE(has(r, "0 missing, 0 warnings")) << r.out;
    for (const char* line : {"effect boids Herring_Boids Demo/m.lws", "effect swimming Whale Demo/m.lws",
                             "effect soft-body SoftBody Demo/m.lws", "effect light-blob LightBlob Demo/m.lws",
                             "effect typing Typing_Login Demo/m.lws", "uses Demo/Env1.JPG", "uses Demo/lights.psh"})
        EXPECT_TRUE(has(r, line)) << line << "\n" << r.out;
}

TEST_F(CheckEffects, FilesBreakingTheEffectsExpectationsAreWarned) {
    object("Demo/slec.lwo", "fish length=30 material=skin");                    // sized for a whale, not a herring
    object("Demo/wielo.lwo", "box hx=0.5 hy=3 hz=0.5 material=skin uv=yx");     // standing, u along y
    object("Demo/SoftBody.lwo", "terrain size=2 cells=4 material=skin uv=xz");  // open
    put("Demo/lights.vsh", "!!ARBvp1.0\nMOV result.position, vertex.position;\nEND\n");
    put("Demo/lights.psh", std::string(1496, '#'));
    put("Demo/Kula_swiatla_powierzchnia.lws",
        "AddNullObject A ObjectMotion { Envelope 1 Key 1 0 0 0 0 0 0 0 0 Behaviors 1 1 }");
    put("Demo/Login.txt", "0:0:100\t\t'a'\n0:0:200\t\t'b'\n");
    ProcessResult r = check();
    EXPECT_EQ(r.exitCode, 0) << r.out;
    for (const char* warning : {"Demo/slec.lwo: it reaches", "not sized for a body length of 1.9",
                                "Demo/wielo.lwo: its u runs along neither x nor z",
                                "Demo/SoftBody.lwo: 16 edges are not shared by exactly two triangles",
                                "Demo/lights.vsh: it is 53 bytes; the boids read exactly 1146",
                                "Demo/lights.psh: its first 1496 bytes are not a complete program",
                                "Demo/Kula_swiatla_powierzchnia.lws: it holds 0 nine-channel motions",
                                "Demo/Login.txt: it holds 2 entries; the typing effect reads 527"})
        EXPECT_TRUE(has(r, warning)) << warning << "\n" << r.out;
}

TEST_F(CheckEffects, SoftBodiesMustBeSmoothOutwardAndInsideTheirBox) {
    object("Demo/SoftBody.lwo", "sphere radius=1 subdivisions=1 material=flat uv=xy");
    EXPECT_TRUE(has(check(), "Demo/SoftBody.lwo: 42 points become several vertices")) << check().out;

    object("Demo/SoftBody.lwo", "sphere radius=3 subdivisions=1 material=skin uv=xy");
    ProcessResult r = check();
    EXPECT_TRUE(has(r, "points start outside the collision box of \"SoftBody\"")) << r.out;

    // Wound inwards: every triangle turned over.
    ObjectRecipe recipe;
    std::string error;
    ASSERT_TRUE(buildObjectRecipe(parseDescription("object Demo/SoftBody.lwo sphere material=skin uv=xy", "o")[0],
                                  materials, &recipe, &error));
    for (size_t c = 0; c + 2 < recipe.mesh.corners.size(); c += 3)
        std::swap(recipe.mesh.corners[c + 1], recipe.mesh.corners[c + 2]);
    put("Demo/SoftBody.lwo", bytesOf(writeObjectRecipe(recipe)));
    r = check();
    EXPECT_TRUE(has(r, "Demo/SoftBody.lwo: its triangles are wound inwards")) << r.out;
}

}  // namespace
