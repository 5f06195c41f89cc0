// Program texts as the driver receives them, the error path, and the depth programs compiled and run
// by Mesa.
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <unistd.h>

#include "app/device_setup.h"
#include "data/package.h"
#include "render/depth_programs.h"
#include "render/device_entry_points.h"
#include "render/device_state.h"
#include "render/program_builder.h"
#include "tests/gl/device_fixture.h"
#include "tests/support/process.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/test_package.h"

namespace {

class Programs : public DeviceTest {
protected:
    void SetUp() override {
        // A forked child would share the parent's display connection and stop its X server at exit.
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        DeviceTest::SetUp();
        if (IsSkipped()) return;
        probe();
    }
    void TearDown() override {
        releaseProgramBuilder(&builder);
        DeviceTest::TearDown();
    }
    ProgramBuilder builder = {};
    // The text the driver holds for the program bound to the target.
    static std::string driverText(GLenum target) {
        auto getProgramiv = reinterpret_cast<PFNGLGETPROGRAMIVARBPROC>(platformGetProcAddress("glGetProgramivARB"));
        auto getProgramString =
            reinterpret_cast<PFNGLGETPROGRAMSTRINGARBPROC>(platformGetProcAddress("glGetProgramStringARB"));
        GLint length = 0;
        getProgramiv(target, GL_PROGRAM_LENGTH_ARB, &length);
        std::string text(static_cast<size_t>(length), '\0');
        getProgramString(target, GL_PROGRAM_STRING_ARB, &text[0]);
        return text;
    }
    bool zeroFrom(size_t from, size_t count) const {
        const char* text = builder.text;
        for (size_t i = from; i < from + count; ++i)
            if (text[i] != 0) return false;
        return true;
    }
};

TEST_F(Programs, HeadersEndAndZeroing) {
    uint32_t id = 0;
    beginProgram(&builder, &id, GL_FRAGMENT_PROGRAM_ARB);
    EXPECT_NE(id, 0u);
    EXPECT_STREQ(builder.text, "!!ARBfp1.0\nOPTION ARB_precision_hint_fastest;");
    appendProgramText(&builder, "TEMP c;MOV c,fragment.color;");
    appendProgramFormat(&builder, "MUL result.color,c,%.2f;\n", 0.5);
    uint32_t used = builder.length;
    endProgram(&builder, id, GL_FRAGMENT_PROGRAM_ARB);
    EXPECT_EQ(driverText(GL_FRAGMENT_PROGRAM_ARB),
              "!!ARBfp1.0\nOPTION ARB_precision_hint_fastest;TEMP c;MOV c,fragment.color;"
              "MUL result.color,c,0.50;\nEND\n");
    EXPECT_EQ(builder.length, 0u);
    EXPECT_TRUE(zeroFrom(0, used + 8));

    // A shorter program after a longer one carries nothing of it.
    uint32_t vertex = 0;
    beginProgram(&builder, &vertex, GL_VERTEX_PROGRAM_ARB);
    EXPECT_STREQ(builder.text, "!!ARBvp1.0\n");
    appendProgramText(&builder, "MOV result.position,vertex.position;\n");
    endProgram(&builder, vertex, GL_VERTEX_PROGRAM_ARB);
    EXPECT_EQ(driverText(GL_VERTEX_PROGRAM_ARB), "!!ARBvp1.0\nMOV result.position,vertex.position;\nEND\n");
    EXPECT_NE(id, vertex);
}

TEST_F(Programs, AStaleErrorIsNotTakenForARejectedProgram) {
    glEnable(0x1234);  // leaves GL_INVALID_ENUM pending, as a careless draw would
    uint32_t id = 0;
    beginProgram(&builder, &id, GL_VERTEX_PROGRAM_ARB);
    appendProgramText(&builder, "MOV result.position,vertex.position;\n");
    endProgram(&builder, id, GL_VERTEX_PROGRAM_ARB);  // would end the test process if the stale error counted
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(Programs, TextsLongerThanTheBufferAreKeptWhole) {
    uint32_t id = 0;
    beginProgram(&builder, &id, GL_VERTEX_PROGRAM_ARB);
    std::string expected = "!!ARBvp1.0\n";
    std::string comment = "# " + std::string(60, 'x') + "\n";
    while (expected.size() < 3 * PROGRAM_BUFFER_SIZE) {
        appendProgramText(&builder, comment.c_str());
        expected += comment;
    }
    appendProgramText(&builder, "MOV result.position,vertex.position;\n");
    expected += "MOV result.position,vertex.position;\nEND\n";
    EXPECT_GE(builder.capacity, uint32_t(3 * PROGRAM_BUFFER_SIZE));
    endProgram(&builder, id, GL_VERTEX_PROGRAM_ARB);
    EXPECT_EQ(driverText(GL_VERTEX_PROGRAM_ARB), expected);
    EXPECT_TRUE(zeroFrom(0, expected.size() + 1));
}

TEST_F(Programs, ProgramFilesArePassedOnUnchanged) {
    const std::string text = "!!ARBfp1.0\nMOV result.color,fragment.color;\nEND\n";
    loadTestPackage({{"Demo/glow_h.fp", text}});
    uint32_t id = 0;
    loadProgramFile(&builder, &id, GL_FRAGMENT_PROGRAM_ARB, "Demo/glow_h.fp");
    EXPECT_NE(id, 0u);
    EXPECT_EQ(driverText(GL_FRAGMENT_PROGRAM_ARB), text);
    EXPECT_TRUE(zeroFrom(0, text.size() + 1));
    EXPECT_EXIT(
        {
            exitExpected() = true;
            loadProgramFile(&builder, &id, GL_FRAGMENT_PROGRAM_ARB, "Demo/glow_v.fp");
        },
        ::testing::ExitedWithCode(4), "Demo/glow_v.fp");
    packageRelease();
}

// The log sits in the working directory; the death test's child finds the same one through the
// environment.
std::string logDirectory() {
    const char* dir = std::getenv("VELMORA_TEST_SHADER_DIR");
    if (dir) return dir;
    static ScratchDir made("shaderlog");
    setenv("VELMORA_TEST_SHADER_DIR", made.path.c_str(), 1);
    return made.path;
}

TEST_F(Programs, ARejectedProgramEndsTheRunWithItsTextInTheLog) {
    std::string dir = logDirectory();
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(dir.c_str()), 0);
    EXPECT_EXIT(
        {
            exitExpected() = true;
            uint32_t id = 0;
            beginProgram(&builder, &id, GL_FRAGMENT_PROGRAM_ARB);
            appendProgramText(&builder, "MOV result.color,nonsense;\n");
            endProgram(&builder, id, GL_FRAGMENT_PROGRAM_ARB);
        },
        ::testing::ExitedWithCode(0), "error: 502: ");
    EXPECT_EQ(readFile(dir + "/log/shader.log"),
              "!!ARBfp1.0\nOPTION ARB_precision_hint_fastest;MOV result.color,nonsense;\nEND\n");
    unsetenv("VELMORA_TEST_SHADER_DIR");
    ASSERT_EQ(chdir(previous), 0);
}

// The depth programs compiled at set-up, then run: a quad drawn from y = -1 to 1 stores the packed
// height difference (Y - y) s row by row.
class DepthPrograms : public Programs {
protected:
    void SetUp() override {
        Programs::SetUp();
        if (IsSkipped()) return;
        context.reset(new DemoContext());
        context->render.caps = deviceCaps();
        context->render.settings.shadowMapSize = kSize;
        compileDepthPrograms(&context.get()->render);
        createShadowBuffer(&context.get()->render);
    }
    // Draws the quad into the shadow buffer and returns its pixels, bottom row first.
    std::unique_ptr<uint8_t[]> drawQuad(uint32_t vertexProgram, float boneLift) {
        const GlEntryPoints* gl = glEntryPoints();
        auto vertexAttrib4f =
            reinterpret_cast<PFNGLVERTEXATTRIB4FARBPROC>(platformGetProcAddress("glVertexAttrib4fARB"));
        bindShadowBuffer(&context.get()->render);
        glViewport(0, 0, kSize, kSize);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glTranslatef(0, -boneLift, 0);  // the skinned program projects the lifted vertex back in place
        gl->glProgramEnvParameter4fARB(GL_VERTEX_PROGRAM_ARB, 4, kScale, kScale, kScale, kScale);
        gl->glProgramEnvParameter4fARB(GL_VERTEX_PROGRAM_ARB, 5, 0, kLightY, 0, 1);
        glEnable(GL_VERTEX_PROGRAM_ARB);
        gl->glBindProgramARB(GL_VERTEX_PROGRAM_ARB, vertexProgram);
        // Bone 0 lifts by boneLift, bone 1 is far off but weighs nothing.
        const float rows[8][4] = {{1, 0, 0, 0}, {0, 1, 0, boneLift}, {0, 0, 1, 0}, {0, 0, 0, 1},
                                  {1, 0, 0, 9}, {0, 1, 0, 9},        {0, 0, 1, 9}, {0, 0, 0, 1}};
        for (int r = 0; r < 8; ++r) gl->glProgramLocalParameter4fvARB(GL_VERTEX_PROGRAM_ARB, r, rows[r]);
        glEnable(GL_FRAGMENT_PROGRAM_ARB);
        gl->glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, context->render.depthFragmentProgram);
        glBegin(GL_QUADS);
        const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        for (const auto& c : corners) {
            vertexAttrib4f(1, 1.0f, 0.0f, 0.0f, 4.0f);
            glVertex3f(c[0], c[1], 0);
        }
        glEnd();
        glDisable(GL_VERTEX_PROGRAM_ARB);
        glDisable(GL_FRAGMENT_PROGRAM_ARB);
        std::unique_ptr<uint8_t[]> pixels(new uint8_t[kSize * kSize * 4]);
        glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_UNSIGNED_BYTE, pixels.get());
        unbindShadowBuffer();
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        return pixels;
    }
    void expectPacked(const uint8_t* pixels, float boneLift) {
        std::set<int> alphas;
        for (int row = 0; row < kSize; ++row) {
            SCOPED_TRACE(row);
            double y = -1.0 + (2.0 * row + 1.0) / kSize + boneLift;
            double d = (kLightY - y) * kScale;
            double r = std::floor(255.0 * d);
            double g = std::floor(255.0 * (255.0 * d - r));
            const uint8_t* p = pixels + (row * kSize + kSize / 2) * 4;
            EXPECT_NEAR(p[0], std::lround(r / 256.0 * 255.0), 1);
            EXPECT_NEAR(p[1], std::lround(g / 256.0 * 255.0), 1);
            EXPECT_LT(p[3], 255);  // not the clear colour
            alphas.insert(p[3]);
        }
        // The fourth digit varies with the height like the others.
        EXPECT_GT(alphas.size(), 16u);
    }
    static constexpr int kSize = 64;
    static constexpr float kScale = 0.3f;
    static constexpr float kLightY = 1.5f;
    std::unique_ptr<DemoContext> context;
};

TEST_F(DepthPrograms, TheTextsAreComplete) {
    glEntryPoints()->glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, context->render.depthFragmentProgram);
    std::string packing = driverText(GL_FRAGMENT_PROGRAM_ARB);
    EXPECT_EQ(packing.rfind("!!ARBfp1.0\nOPTION ARB_precision_hint_fastest;PARAM divider=0.00390625;", 0), 0u);
    EXPECT_NE(packing.find("MUL temp_color.b,temp_color.b,multiplier;FRC temp_color.a,temp_color.b;"
                           "MUL temp_color.a,temp_color.a,multiplier;FLR temp_color,temp_color;"),
              std::string::npos);
    glEntryPoints()->glBindProgramARB(GL_VERTEX_PROGRAM_ARB, context->render.depthVertexProgram);
    EXPECT_EQ(driverText(GL_VERTEX_PROGRAM_ARB).rfind("!!ARBvp1.0\nOPTION ARB_position_invariant;\n", 0), 0u);
    glEntryPoints()->glBindProgramARB(GL_VERTEX_PROGRAM_ARB, context->render.depthSkinnedVertexProgram);
    std::string skinned = driverText(GL_VERTEX_PROGRAM_ARB);
    EXPECT_EQ(skinned.find("position_invariant"), std::string::npos);
    const std::string end = "DP4 result.position.w, projection[3], eyeVertex;\nEND\n";
    EXPECT_EQ(skinned.substr(skinned.size() - end.size()), end);
}

TEST_F(DepthPrograms, RigidMeshesStoreTheirHeightBelowTheLight) {
    std::unique_ptr<uint8_t[]> pixels = drawQuad(context->render.depthVertexProgram, 0.0f);
    expectPacked(pixels.get(), 0.0f);
}

TEST_F(DepthPrograms, SkinnedMeshesStoreTheHeightOfTheBlendedVertex) {
    std::unique_ptr<uint8_t[]> pixels = drawQuad(context->render.depthSkinnedVertexProgram, 0.25f);
    expectPacked(pixels.get(), 0.25f);
}

TEST_F(DepthPrograms, SurfacesTakeTheProgramsOfTheirMesh) {
    Surface surface = {};
    setShadowPrograms(&context->render, &surface, true);
    EXPECT_EQ(surface.shadowPrograms[0], context->render.depthSkinnedVertexProgram);
    EXPECT_EQ(surface.shadowPrograms[1], context->render.depthFragmentProgram);
    setShadowPrograms(&context->render, &surface, false);
    EXPECT_EQ(surface.shadowPrograms[0], context->render.depthVertexProgram);
}

}  // namespace
