// The per-scene setup table: rows looked up by exact scene path and applied in their fixed order.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "data/package.h"
#include "scene/scene.h"
#include "scene/setup_table.h"
#include "tests/support/process.h"
#include "tests/support/test_package.h"
#include "tools/lightwave/lw_writer.h"

namespace {

struct Colour3 {
    uint8_t kind;
    float a, b, c;
};

class SceneSetupTest : public ::testing::Test {
protected:
    std::unique_ptr<SceneSetup> setup{new SceneSetup()};
    std::string messages;

    void TearDown() override {
        releaseSceneSetup(setup.get());
        packageRelease();
    }

    // The shipped rows with every envelope file they name; shadow envelopes hold their axis' number.
    static TestFiles shippedTable() {
        TestFiles files = {{SCENE_SETUP_FILE, readFile(VELMORA_SOURCE_DIR "/tests/data/SceneSetup.txt")}};
        for (const std::string word : {"scena_fraktalem", "scena_skarpa", "scena_skacze"}) {
            const char* axes = "XYZW";
            for (int k = 0; k < 4; ++k)
                files.push_back({"Demo/Shadow_" + word + axes[k] + ".env", writeEnvelope(lwConstant(float(k + 1)))});
        }
        LwEnvelope fade{{LwKey{1, 0, 3, {}}, LwKey{0, 2, 3, {}}}, 1, 1};
        files.push_back({"Demo/Obwiednia_Contrast_to_Zero_Skarpa.env", writeEnvelope(fade)});
        files.push_back({"Demo/Obwiednia_Fade_to_Black_Skarpa.env", writeEnvelope(lwConstant(-0.5f))});
        return files;
    }

    void apply(const char* path) {
        testing::internal::CaptureStderr();
        applySceneSetup(setup.get(), path);
        messages = testing::internal::GetCapturedStderr();
    }

    void expectShadowEnvelopes() {
        for (int k = 0; k < 4; ++k) {
            ASSERT_EQ(setup->shadowEnvelopes[k].keyCount, 1) << k;
            EXPECT_EQ(evalEnvelope(&setup->shadowEnvelopes[k], 3), float(k + 1));
        }
    }

    void expectConstants(std::initializer_list<Colour3> expected) {
        const ColourOperation* op = setup->colourOperations;
        for (const Colour3& e : expected) {
            ASSERT_NE(op, nullptr);
            EXPECT_EQ(op->kind, e.kind);
            EXPECT_EQ(op->animated, 0);
            EXPECT_EQ(op->constants[0], e.a);
            EXPECT_EQ(op->constants[1], e.b);
            EXPECT_EQ(op->constants[2], e.c);
            op = op->next;
        }
        EXPECT_EQ(op, nullptr);
    }

    void expectGlow(uint8_t on, uint8_t divisor, float r, float g, float b, float a) {
        EXPECT_EQ(setup->glowOn, on);
        EXPECT_EQ(setup->glowDivisor, divisor);
        EXPECT_EQ(setup->glowColour[0], r);
        EXPECT_EQ(setup->glowColour[1], g);
        EXPECT_EQ(setup->glowColour[2], b);
        EXPECT_EQ(setup->glowColour[3], a);
    }
};

}  // namespace

TEST_F(SceneSetupTest, FractalRow) {
    loadTestPackage(shippedTable());
    apply("Demo/Scena_z_fraktalem.lws");
    EXPECT_EQ(messages, "");
    EXPECT_EQ(setup->shadowsOn, 1);
    EXPECT_EQ(setup->shadowMode, 1);
    EXPECT_EQ(setup->shadowAmbient, 0.2f);
    EXPECT_EQ(setup->shadowSoftness, 0.0f);
    expectShadowEnvelopes();
    EXPECT_EQ(setup->shadowDepthScale, 0.02f);
    EXPECT_EQ(setup->causticsScale, 0.2f);
    EXPECT_EQ(setup->texturePeriod, 775);
    EXPECT_EQ(setup->fogB, 0.0f);
    EXPECT_EQ(setup->fogC, -1.66f);
    EXPECT_EQ(setup->fogA, -0.25f);
    expectConstants({{1, 0.02f, 0.07f, 0.07f}, {3, 1.2f, 1.2f, 0}});
    expectGlow(1, 4, 1, 1, 1, 1);
}

TEST_F(SceneSetupTest, SlopeRowWithAnimatedOperations) {
    loadTestPackage(shippedTable());
    apply("Demo/Scena_z_skarpa_babelki.lws");
    EXPECT_EQ(messages, "");
    EXPECT_EQ(setup->shadowsOn, 1);
    EXPECT_EQ(setup->shadowMode, 1);
    EXPECT_EQ(setup->shadowAmbient, 0.2f);
    expectShadowEnvelopes();
    EXPECT_EQ(setup->shadowDepthScale, 0.1f);
    EXPECT_EQ(setup->causticsScale, 0.25f);
    EXPECT_EQ(setup->texturePeriod, 775);
    EXPECT_EQ(setup->fogC, -3.26f);
    EXPECT_EQ(setup->fogA, -0.28f);
    const ColourOperation* op = setup->colourOperations;
    const Colour3 constants[] = {{0, 1.1f, 1.1f, 1.1f}, {1, 0.02f, 0.05f, 0.05f}, {3, 1.1f, 1.1f, 0}};
    for (const Colour3& e : constants) {
        ASSERT_NE(op, nullptr);
        EXPECT_EQ(op->kind, e.kind);
        EXPECT_EQ(op->animated, 0);
        EXPECT_EQ(op->constants[0], e.a);
        EXPECT_EQ(op->constants[1], e.b);
        EXPECT_EQ(op->constants[2], e.c);
        op = op->next;
    }
    ASSERT_NE(op, nullptr);
    EXPECT_EQ(op->kind, 3);
    EXPECT_EQ(op->animated, 1);
    for (const Envelope& e : op->envelopes) {
        ASSERT_EQ(e.keyCount, 2);
        EXPECT_FLOAT_EQ(evalEnvelope(&e, 1), 0.5f);
    }
    EXPECT_NE(op->envelopes[0].keys, op->envelopes[1].keys);  // each owns its keys
    op = op->next;
    ASSERT_NE(op, nullptr);
    EXPECT_EQ(op->kind, 1);
    EXPECT_EQ(op->animated, 1);
    EXPECT_EQ(evalEnvelope(&op->envelopes[2], 5), -0.5f);
    EXPECT_EQ(op->next, nullptr);
    expectGlow(1, 4, 1, 0.8f, 0.7f, 1);
}

TEST_F(SceneSetupTest, ShoalRowWithoutShadows) {
    loadTestPackage(shippedTable());
    apply("Demo/Scena_z_lawica.lws");
    EXPECT_EQ(messages, "");
    EXPECT_EQ(setup->shadowsOn, 0);
    EXPECT_EQ(setup->shadowMode, 0);
    EXPECT_EQ(setup->shadowEnvelopes[0].keys, nullptr);
    EXPECT_EQ(setup->shadowDepthScale, 0.0f);
    EXPECT_EQ(setup->causticsScale, 0.15f);
    EXPECT_EQ(setup->texturePeriod, 775);
    EXPECT_EQ(setup->fogC, -4.18f);
    EXPECT_EQ(setup->fogA, -0.98f);
    expectConstants({{0, 1.2f, 1.2f, 1.2f}, {1, 0.03f, 0.03f, 0.01f}, {3, 1.4f, 1.4f, 0}});
    expectGlow(1, 2, 1, 0.9f, 0.65f, 1);
}

TEST_F(SceneSetupTest, JumpingWhaleRowWithSoftShadows) {
    loadTestPackage(shippedTable());
    apply("Demo/Scena_z_wielorybem_skacze.lws");
    EXPECT_EQ(messages, "");
    EXPECT_EQ(setup->shadowsOn, 1);
    EXPECT_EQ(setup->shadowMode, 2);
    EXPECT_EQ(setup->shadowAmbient, 0.4f);
    EXPECT_EQ(setup->shadowSoftness, 20.0f);
    expectShadowEnvelopes();
    EXPECT_EQ(setup->shadowDepthScale, 0.1f);
    EXPECT_EQ(setup->causticsScale, 0.18f);
    EXPECT_EQ(setup->fogC, -0.13f);
    EXPECT_EQ(setup->fogA, -0.17f);
    expectConstants({{0, 1.1f, 1.1f, 1.1f}, {1, 0, 0.01f, 0.01f}});
    expectGlow(1, 4, 0.8f, 0.9f, 0.6f, 1);
}

TEST_F(SceneSetupTest, OtherPathsGetOnlyTheDefaults) {
    loadTestPackage(shippedTable());
    for (const char* path : {"Demo/scena_z_lawica.lws", "Demo/Unknown.lws", "Scena_z_lawica.lws"}) {
        *setup = SceneSetup();
        setup->shadowsOn = 1;
        setup->shadowMode = 2;
        apply(path);
        EXPECT_EQ(messages, "") << path;
        EXPECT_EQ(setup->shadowsOn, 0) << path;
        EXPECT_EQ(setup->shadowMode, 0) << path;
        EXPECT_EQ(setup->fogC, 0.0f) << path;
        EXPECT_EQ(setup->texturePeriod, 0) << path;
        EXPECT_EQ(setup->colourOperations, nullptr) << path;
        expectGlow(0, 0, 1, 1, 1, 1);
    }
    loadTestPackage({{"Demo/Other.txt", "x"}});  // a production without a table
    apply("Demo/Scena_z_lawica.lws");
    EXPECT_EQ(messages, "");
    expectGlow(0, 0, 1, 1, 1, 1);
}

TEST_F(SceneSetupTest, FieldsApplyInTheirFixedOrderWhateverTheirWrittenOrder) {
    loadTestPackage({{SCENE_SETUP_FILE,
                      "scene Demo/a.lws  # comment end scene\n"
                      "  contrast 2 2 2 glowColour 0.5 0.5 0.5 1 glow 2 2\n"
                      "  fog 1 2 texturePeriod 500 shadows 1 1\n"
                      "end\n"
                      "scene Demo/a.lws shadows 0 0 end\n"}});
    apply("Demo/a.lws");
    EXPECT_EQ(messages, "");
    EXPECT_EQ(setup->shadowsOn, 1);
    EXPECT_EQ(setup->texturePeriod, 500);
    EXPECT_EQ(setup->fogC, 1.0f);
    // The fog step empties the list before the row's operations are added, wherever fog was written.
    expectConstants({{0, 2, 2, 2}});
    expectGlow(2, 2, 0.5f, 0.5f, 0.5f, 1);
}

TEST_F(SceneSetupTest, BadRowsAreReportedAndLeftOut) {
    const char* rows[] = {
        "scene Demo/a.lws shadows 1 3 end",
        "scene Demo/a.lws glow 1 0 end",
        "scene Demo/a.lws fog -1 end",
        "scene Demo/a.lws fog -1 x end",
        "scene Demo/a.lws sparkle 1 end",
        "scene Demo/a.lws contrast 1 1",
        "scene Demo/a.lws brightness nan 1 1 end",
        "scene Demo/a.lws shadows 1 1 causticsScale 0.5",
    };
    for (const char* row : rows) {
        releaseSceneSetup(setup.get());
        *setup = SceneSetup();
        loadTestPackage({{SCENE_SETUP_FILE, row}});
        apply("Demo/a.lws");
        EXPECT_NE(messages.find(SCENE_SETUP_FILE), std::string::npos) << row << ": " << messages;
        EXPECT_NE(messages.find("Demo/a.lws"), std::string::npos) << row << ": " << messages;
        EXPECT_EQ(setup->shadowsOn, 0) << row;
        EXPECT_EQ(setup->causticsScale, 0.0f) << row;
        EXPECT_EQ(setup->colourOperations, nullptr) << row;
        expectGlow(0, 0, 1, 1, 1, 1);
    }
}

// A row without "end" stops at the next "scene": the next row still applies, and whichever scene is
// loaded, the broken row is reported naming the file and its scene.
TEST_F(SceneSetupTest, ARowWithoutEndDoesNotSwallowTheNextRow) {
    loadTestPackage({{SCENE_SETUP_FILE,
                      "scene Demo/A.lws glow 1 2\n"
                      "scene Demo/B.lws causticsScale 0.25 glow 1 4 end\n"}});
    const struct {
        const char* path;
        float caustics;
        uint8_t glow, divisor;
    } cases[] = {{"Demo/A.lws", 0, 0, 0}, {"Demo/B.lws", 0.25f, 1, 4}, {"Demo/C.lws", 0, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        *setup = SceneSetup();
        apply(c.path);
        EXPECT_NE(messages.find(SCENE_SETUP_FILE), std::string::npos) << messages;
        EXPECT_NE(messages.find("Demo/A.lws"), std::string::npos) << messages;
        EXPECT_EQ(setup->causticsScale, c.caustics);
        expectGlow(c.glow, c.divisor, 1, 1, 1, 1);
    }
}

TEST_F(SceneSetupTest, MissingEnvelopeFilesAreReported) {
    loadTestPackage({{SCENE_SETUP_FILE,
                      "scene Demo/a.lws shadows 1 1 shadowEnvelopes X.env Y.env Z.env W.env\n"
                      "  saturation animated Gone.env contrast 1 1 1 end"}});
    apply("Demo/a.lws");
    EXPECT_NE(messages.find("X.env"), std::string::npos) << messages;
    EXPECT_NE(messages.find("Gone.env"), std::string::npos) << messages;
    EXPECT_EQ(setup->shadowsOn, 0);  // no shadow volume without its envelopes
    expectConstants({{0, 1, 1, 1}});  // the operation without its curve is left out
}
