// Material program texts for the cases whose every byte is pinned, and the features that move light
// slots, shadow sources, glow and fog; the NV text by giving the device GL_NV_fragment_program.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "render/device_caps.h"
#include "render/material_keys.h"
#include "render/material_programs.h"
#include "render/program_builder.h"
#include "scene/layer_flags.h"
#include "scene/scene.h"

namespace {

struct Material : ::testing::Test {
    std::unique_ptr<Scene> scene{new Scene()};
    SceneItem item = {};
    Surface surface = {};
    ProgramBuilder builder = {};

    void TearDown() override {
        deviceCaps()->states[EXT_NV_FRAGMENT_PROGRAM] = EXTENSION_MISSING;
        releaseProgramBuilder(&builder);
    }
    void lights(std::initializer_list<int> types) {
        scene->lightCount = 0;
        for (int type : types) scene->lights[scene->lightCount++].type = type;
    }
    void layers(std::initializer_list<uint32_t> flags) {
        surface.layerCount = 0;
        for (uint32_t f : flags) surface.layerFlags[surface.layerCount++] = f;
    }
    std::string vertex() { return materialVertexProgramText(&builder, scene.get(), &item, &surface); }
    std::string fragment() { return materialFragmentProgramText(&builder, scene.get(), &item, &surface); }
    std::string nvFragment() {
        deviceCaps()->states[EXT_NV_FRAGMENT_PROGRAM] = EXTENSION_FOUND;
        std::string text = fragment();
        deviceCaps()->states[EXT_NV_FRAGMENT_PROGRAM] = EXTENSION_MISSING;
        return text;
    }
};

size_t count(const std::string& text, const std::string& piece) {
    size_t n = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
    return n;
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

TEST_F(Material, SinglePointLightTexts) {
    lights({1});
    EXPECT_EQ(vertex(),
              "!!ARBvp1.0\nOPTION ARB_position_invariant;\n"
              "PARAM projection[4] = {state.matrix.projection};\nPARAM model[4] = {state.matrix.modelview};\n"
              "TEMP eyeNormal,eyeVertex,lightVector,viewVector;\nPARAM half = {0.5,0.5,0.5,0.5};\n"
              "DP3 eyeNormal.x, model[0], vertex.normal;\nDP3 eyeNormal.y, model[1], vertex.normal;\n"
              "DP3 eyeNormal.z, model[2], vertex.normal;\n"
              "DP3 eyeNormal.w, eyeNormal, eyeNormal;\nRSQ eyeNormal.w, eyeNormal.w;\n"
              "MUL eyeNormal.xyz, eyeNormal.w, eyeNormal;\n"
              "DP4 eyeVertex.x, model[0], vertex.position;\nDP4 eyeVertex.y, model[1], vertex.position;\n"
              "DP4 eyeVertex.z, model[2], vertex.position;\nDP4 eyeVertex.w, model[3], vertex.position;\n"
              "MAD result.color.primary,eyeNormal,half,half;\n"
              "SUB result.texcoord[0],state.light[0].position, eyeVertex;\nEND\n");

    layers({LAYER_UV | LAYER_MULTIPLY});
    const std::string litNormalAndLight =
        "TEMP normal;\nMAD normal,fragment.color.primary,two,m_one;\n"
        "DP3 normal.a, normal, normal;\nRSQ normal.a, normal.a;\nMUL normal.rgb, normal, normal.a;\n"
        "MOV light_vector,fragment.texcoord[1];\n"
        "DP3 light.a, light_vector,light_vector;\nRSQ light.a, light.a;\nMUL light.rgb, light_vector, light.a;\n"
        "DP3 texel, normal, light;\nMUL color, texel,state.lightprod[0].diffuse;\n";
    EXPECT_EQ(fragment(),
              "!!ARBfp1.0\nOPTION ARB_precision_hint_fastest;TEMP color,glos,secondary_color,texel,light,light_vector;\n"
              "PARAM two=2;\nPARAM m_one=-1;\n" +
                  litNormalAndLight +
                  "SUB secondary_color.a,secondary_color.a,secondary_color.a;\nSUB color.a,color.a,color.a;\n"
                  "TEMP texel0;\nTEX texel0, fragment.texcoord[0],texture[0],2D;\nMUL color.rgb,color,texel0;\n"
                  "MOV result.color,color;\nEND\n");
    EXPECT_EQ(nvFragment(),
              "!!FP1.0\nDEFINE two=2;\nDEFINE m_one=-1;\nDECLARE shininess;\n"
              "MADH H2,f[COL0],two,m_one;\nDP3H H2.w, H2, H2;\nRSQH H2.w, H2.w;\nMULH H2, H2, H2.w;\n"
              "MOVH H5,f[TEX1];\nDECLARE a;DP3H H5.w,H5,H5;\nRSQH H5.w, H5.w;\nMULH H5.xyz, H5, H5.w;\n"
              "DP3H H3, H2, H5;\nMULH H6,H3,a;\nMOVH H8.w,shininess.y;\nMOVH H6.w,shininess.y;\n"
              "MOVH H3,f[TEX0];\nTEX H3, H3,TEX0,2D;\nMULH H6.xyz,H6,H3;\nMOV o[COLH],H6;\nEND\n");
}

TEST_F(Material, LightSlotsFollowTheLayersAndSkipLightsWithoutVectors) {
    struct Case {
        std::initializer_list<int> types;
        const char* vertexPieces[2];
        const char* fragmentPieces[2];
        const char* absent[2];  // from the vertex text, from the fragment text
    };
    const Case cases[] = {
        {{1, 0},
         {"SUB result.texcoord[3],state.light[0].position, eyeVertex;\n", "MOV result.texcoord[4],state.light[1].position;\n"},
         {"fragment.texcoord[3];\nDP3 light.a", "fragment.texcoord[4];\nDP3 light.a"},
         {"texcoord[5]", "texcoord[5]"}},
        // Distant, spot, point: the spot light has no vector, the point light's is in the next slot.
        {{0, 2, 1},
         {"MOV result.texcoord[3],state.light[0].position;\n", "SUB result.texcoord[4],state.light[2].position, eyeVertex;\n"},
         {"MUL color, texel,state.lightprod[0].diffuse;\n", "MOV light_vector,fragment.texcoord[4];\n"
                                                           "DP3 light.a, light_vector,light_vector;\nRSQ light.a, light.a;\n"
                                                           "MUL light.rgb, light_vector, light.a;\nDP3 texel, normal, light;\n"
                                                           "MAD_SAT color, texel,state.lightprod[2].diffuse, color;\n"},
         {"light[1]", "lightprod[1]"}},
    };
    scene->setup.shadowsOn = 1;
    scene->setup.shadowMode = 1;
    layers({LAYER_UV | LAYER_MULTIPLY, LAYER_UV, LAYER_ENVIRONMENT | LAYER_ADD});
    for (const Case& c : cases) {
        lights(c.types);
        const std::string v = vertex(), f = fragment();
        for (const char* piece : c.vertexPieces) EXPECT_NE(v.find(piece), std::string::npos) << piece;
        for (const char* piece : c.fragmentPieces) EXPECT_NE(f.find(piece), std::string::npos) << piece;
        EXPECT_EQ(v.find(c.absent[0]), std::string::npos);
        EXPECT_EQ(f.find(c.absent[1]), std::string::npos);
        // No caustics layer: the shadow position is the first light vector; the map is on unit 3.
        EXPECT_NE(f.find("MOV light,fragment.texcoord[3];MAD temp_shadow"), std::string::npos);
        EXPECT_NE(f.find("TEX shadow,temp_shadow,texture[3],2D;\n"), std::string::npos);
    }
    // The keys tell the two orders of a spot and a point light apart.
    lights({0, 2, 1});
    const uint32_t spotFirst = vertexMaterialKey(scene.get(), &item, &surface);
    const uint32_t spotFragment = fragmentMaterialKey(scene.get(), &surface);
    lights({0, 1, 2});
    EXPECT_NE(vertexMaterialKey(scene.get(), &item, &surface), spotFirst);
    EXPECT_NE(fragmentMaterialKey(scene.get(), &surface), spotFragment);
}

TEST_F(Material, LayerCoordinatesAndTheShadowSource) {
    lights({1});
    scene->setup.shadowsOn = 1;
    scene->setup.shadowMode = 1;
    // The UV test comes before caustics; the first caustics layer carries the shadow position.
    layers({LAYER_UV | LAYER_CAUSTICS | LAYER_MULTIPLY, LAYER_CAUSTICS, LAYER_CAUSTICS});
    const std::string v = vertex(), f = fragment();
    EXPECT_NE(v.find("MOV result.texcoord[0],vertex.texcoord[0];\n"), std::string::npos);
    EXPECT_NE(v.find("PARAM Caustics=program.env[3];\nSWZ lightVector,eyeVertex,x,z,0,1;\n"
                     "MUL lightVector,lightVector,Caustics;\nTEMP distVector;SUB distVector.w,program.env[5].y,eyeVertex.y;\n"
                     "MUL lightVector.z,distVector.w,program.env[4];\nMOV result.texcoord[1],lightVector;\n"),
              std::string::npos);
    // Declared once, used by both caustics layers.
    EXPECT_EQ(count(v, "PARAM Caustics"), 1u);
    EXPECT_EQ(count(v, "TEMP distVector"), 1u);
    EXPECT_NE(v.find("MOV result.texcoord[2],lightVector;\n"), std::string::npos);
    EXPECT_NE(f.find("SWZ texel1,fragment.texcoord[1],x,y,0,1;\nTEX texel1, texel1,texture[1],2D;\n"), std::string::npos);
    EXPECT_NE(f.find("MOV light,fragment.texcoord[0];"), std::string::npos);
}

TEST_F(Material, GlowAlphaAndFog) {
    struct Case {
        uint32_t secondLayer;
        uint8_t shadowMode;
        const char* arbTail;
        const char* nvTail;
    };
    const Case cases[] = {
        {LAYER_ALPHA | LAYER_UV, 1, "ADD color.a,color.a,texel.b;\n", "ADDH H6.w,H6.w,H3.z;\n"},
        {LAYER_TRANSPARENT | LAYER_UV, 1, "MOV color.a,texel.b;\n", "MOV H6.w,H3.z;\n"},
        {LAYER_UV, 2, "MOV color.a,texel.b;\n", "MOV H6.w,H3.z;\n"},
    };
    lights({0});
    surface.glow = 0.5f;
    scene->setup.fogType = 1;
    scene->setup.shadowsOn = 1;
    std::vector<uint32_t> keys;
    for (const Case& c : cases) {
        scene->setup.shadowMode = c.shadowMode;
        layers({LAYER_UV | LAYER_MULTIPLY, c.secondLayer});
        keys.push_back(fragmentMaterialKey(scene.get(), &surface));
        const bool fog = c.shadowMode != 2;  // soft shadows draw without fog
        const std::string arbFog = "EX2 factor,fragment.fogcoord.x;\n";
        const std::string f = fragment(), nv = nvFragment();
        // Glow is written after the shadow test and before fog.
        EXPECT_NE(f.find(std::string(c.arbTail) + (fog ? "TEMP factor;" : "MOV result.color,color;")), std::string::npos) << f;
        EXPECT_NE(nv.find(c.nvTail), std::string::npos) << nv;
        EXPECT_EQ(f.find(arbFog) != std::string::npos, fog);
        EXPECT_EQ(nv.find("f[FOGC]") != std::string::npos, fog);
        EXPECT_EQ(f.find("MUL_SAT shadow.x,shadow.x,program.env[6].x;\n") != std::string::npos, !fog);
        EXPECT_NE(vertex().find("MUL result.fogcoord.x"), std::string::npos);
    }
    // The LUMI and the TRAN surface differ in their texts, so they must not share a cached program.
    EXPECT_NE(keys[0], keys[1]);
}

TEST_F(Material, HeightMapsAreDeclaredOnceAndBringTheViewVector) {
    lights({1});
    layers({LAYER_HEIGHT_MAP | LAYER_MULTIPLY, LAYER_HEIGHT_MAP, LAYER_UV | LAYER_NORMAL_MAP, LAYER_UV});
    surface.bumpLayer = 3;
    const uint32_t flatKey = vertexMaterialKey(scene.get(), &item, &surface);
    const std::string v = vertex(), f = fragment();
    EXPECT_EQ(count(f, "TEMP height;"), 1u);
    EXPECT_NE(f.find("TEX height, fragment.texcoord[1],texture[1],2D;\n"), std::string::npos);
    EXPECT_NE(f.find("TEMP viewVector,halfWay;\nMAD viewVector,fragment.color.secondary,two,m_one;\n"), std::string::npos);
    EXPECT_NE(f.find("MAD normal,height,viewVector,fragment.texcoord[2];\n"), std::string::npos);
    EXPECT_NE(f.find("TEX texel3, tex_coord3,texture[3],2D;\n"), std::string::npos);
    EXPECT_EQ(f.find("halfWay,viewVector,light"), std::string::npos);  // still no specular term
    EXPECT_NE(v.find("MAD result.color.secondary,lightVector,half,half;\n"), std::string::npos);
    // The NV text unpacks the view vector the parallax reads, as the ARB text does.
    const std::string nv = nvFragment();
    EXPECT_LT(nv.find("MADH H1,f[COL1],two,m_one;\n"), nv.find("MADH H2,H0,H1,f[TEX2];\n")) << nv;
    // The vertex program is the specular surface's, and shares its key.
    surface.specular = 1.0f;
    EXPECT_EQ(vertex(), v);
    EXPECT_EQ(vertexMaterialKey(scene.get(), &item, &surface), flatKey);
}

TEST_F(Material, SkinnedItemsBlendTwoBonesAndProject) {
    lights({0});
    item.boneCount = 2;
    const std::string v = vertex();
    EXPECT_EQ(v.find("OPTION ARB_position_invariant"), std::string::npos);
    EXPECT_EQ(count(v, "DP4 eyeVertex.w,vertex.position,matrices[a0.x+3];\n"), 2u);
    EXPECT_TRUE(endsWith(v, "DP4 result.position.w, projection[3], eyeVertex;\nEND\n"));
}
