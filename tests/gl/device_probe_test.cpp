// The extension probe against Mesa's software rasteriser, and against other drivers faked through
// the platform layer's injected strings and hidden entry points.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "render/device_entry_points.h"
#include "tests/gl/device_fixture.h"
#include "tests/support/ci.h"
#include "tests/support/process.h"
#include "tests/support/scratch_dir.h"

namespace {

const char* gHidden = "";
bool hideOne(const char* name) { return std::strcmp(name, gHidden) == 0; }

// What the requirement needs from the GL string, the window-system string and framebuffer objects.
const char* kAllGl =
    "GL_ARB_multitexture GL_ARB_multisample GL_ARB_texture_border_clamp GL_ARB_transpose_matrix "
    "GL_ARB_texture_compression GL_ARB_vertex_program GL_ARB_vertex_buffer_object GL_ARB_texture_cube_map "
    "GL_ARB_fragment_program GL_EXT_bgra GL_EXT_blend_func_separate GL_EXT_texture_filter_anisotropic "
    "GL_EXT_texture3D GL_EXT_texture_edge_clamp GL_SGIS_generate_mipmap GL_ARB_framebuffer_object";

class Probe : public DeviceTest {};

TEST_F(Probe, ThisMachineMeetsTheRequirementWithoutTheNvPath) {
    settings.textureMode = 2;
    probe();
    const DeviceCaps* caps = deviceCaps();
    for (int i = 0; i < REQUIRED_EXTENSION_COUNT; ++i)
        EXPECT_NE(caps->states[i], EXTENSION_MISSING) << extensionLabel(i);
    EXPECT_EQ(caps->states[EXT_NV_FRAGMENT_PROGRAM], EXTENSION_MISSING);
    EXPECT_TRUE(meetsStartRequirement(caps));

    EXPECT_STREQ(caps->renderer, reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    ASSERT_NE(caps->glExtensions, nullptr);
    EXPECT_STREQ(caps->glExtensions, reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)));
    ASSERT_NE(caps->windowSystemExtensions, nullptr);
    EXPECT_NE(std::strstr(caps->windowSystemExtensions, "GLX_ARB_multisample"), nullptr);

    const GlEntryPoints* gl = glEntryPoints();
    EXPECT_NE(gl->glClientActiveTextureARB, nullptr);
    EXPECT_NE(gl->glGetProgramEnvParameterfvARB, nullptr);
    EXPECT_NE(gl->glGetBufferPointervARB, nullptr);
    EXPECT_NE(gl->glTexSubImage3DEXT, nullptr);
    EXPECT_NE(gl->glFramebufferTexture2D, nullptr);
    EXPECT_EQ(gl->glBindProgramNV, nullptr);
    EXPECT_GE(settings.maxTextureUnits, 4);
    EXPECT_GE(settings.maxAnisotropy, 2);
    // llvmpipe: plain textures rather than compressing them on the CPU.
    EXPECT_TRUE(softwareRenderer(caps));
    EXPECT_EQ(settings.textureMode, 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(Probe, WithoutTheExtensionStringNoOtherWindowSystemExtensionIsFound) {
    gHidden = "glXQueryExtensionsString";
    platformSetEntryPointFilter(hideOne);
    probe();
    const DeviceCaps* caps = deviceCaps();
    EXPECT_EQ(caps->states[EXT_WGL_ARB_EXTENSIONS_STRING], EXTENSION_MISSING);
    EXPECT_EQ(caps->states[EXT_WGL_ARB_PIXEL_FORMAT], EXTENSION_MISSING);
    EXPECT_EQ(caps->states[EXT_WGL_ARB_MULTISAMPLE], EXTENSION_MISSING);
    EXPECT_EQ(caps->states[EXT_WGL_ARB_RENDER_TEXTURE], EXTENSION_NOT_REQUIRED);
    EXPECT_EQ(caps->states[EXT_WGL_ARB_PBUFFER], EXTENSION_NOT_REQUIRED);
    EXPECT_EQ(caps->windowSystemExtensions, nullptr);
    EXPECT_EQ(glEntryPoints()->glGenFramebuffers, nullptr);
    EXPECT_EQ(caps->states[EXT_ARB_MULTITEXTURE], EXTENSION_FOUND);
    EXPECT_FALSE(meetsStartRequirement(caps));
}

TEST_F(Probe, StatesSetBeforeFetchingSurviveAMissingEntryPoint) {
    platformSetEntryPointFilter(hideOne);
    struct Case {
        const char* hidden;
        int index;
        uint8_t state;
    };
    const Case cases[] = {
        {"glClientActiveTextureARB", EXT_ARB_MULTITEXTURE, EXTENSION_FOUND},
        {"glSampleCoverageARB", EXT_ARB_MULTISAMPLE, EXTENSION_FOUND},
        {"glBlendFuncSeparateEXT", EXT_EXT_BLEND_FUNC_SEPARATE, EXTENSION_FOUND},
        {"glGetBufferPointervARB", EXT_ARB_VERTEX_BUFFER_OBJECT, EXTENSION_MISSING},
        {"glGetCompressedTexImageARB", EXT_ARB_TEXTURE_COMPRESSION, EXTENSION_MISSING},
        {"glProgramStringARB", EXT_ARB_VERTEX_PROGRAM, EXTENSION_MISSING},
        {"glTexImage3DEXT", EXT_EXT_TEXTURE3D, EXTENSION_MISSING},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hidden);
        gHidden = c.hidden;
        probe();
        EXPECT_EQ(deviceCaps()->states[c.index], c.state);
        // Every other extension is unaffected.
        for (int i = 0; i < REQUIRED_EXTENSION_COUNT; ++i) {
            if (i == c.index) continue;
            EXPECT_NE(deviceCaps()->states[i], EXTENSION_MISSING) << extensionLabel(i);
        }
    }
    gHidden = "glClientActiveTextureARB";
    probe();
    EXPECT_EQ(probeGlExtension("GL_ARB_multitexture", deviceCaps()), 0);
    EXPECT_NE(glEntryPoints()->glActiveTextureARB, nullptr);  // fetched before the missing one
    EXPECT_EQ(glEntryPoints()->glClientActiveTextureARB, nullptr);
}

TEST_F(Probe, FakeStringsShowTheRules) {
    DeviceCaps* caps = deviceCaps();
    // Names match whole: a longer name that begins with a probed one does not count.
    platformInjectExtensions("GL_ARB_multitexture GL_EXT_bgra_extra GL_NV_fragment_program2 GL_NV_occlusion_query",
                             "GLX_ARB_multisample_plus GLX_SGIX_pbuffer");
    probe();
    EXPECT_EQ(caps->states[EXT_ARB_MULTITEXTURE], EXTENSION_FOUND);
    EXPECT_EQ(caps->states[EXT_EXT_BGRA], EXTENSION_MISSING);
    EXPECT_EQ(caps->states[EXT_NV_FRAGMENT_PROGRAM], EXTENSION_MISSING);
    EXPECT_EQ(caps->states[EXT_WGL_ARB_EXTENSIONS_STRING], EXTENSION_FOUND);
    EXPECT_EQ(caps->states[EXT_WGL_ARB_PIXEL_FORMAT], EXTENSION_FOUND);
    EXPECT_EQ(caps->states[EXT_WGL_ARB_MULTISAMPLE], EXTENSION_MISSING);
    // No framebuffer objects: the pbuffer and render-texture stand-ins stay "not required".
    EXPECT_EQ(caps->states[EXT_WGL_ARB_PBUFFER], EXTENSION_NOT_REQUIRED);
    EXPECT_EQ(caps->states[EXT_WGL_ARB_RENDER_TEXTURE], EXTENSION_NOT_REQUIRED);
    EXPECT_STREQ(caps->windowSystemExtensions, "GLX_ARB_multisample_plus GLX_SGIX_pbuffer");
    // Recognised, no state of its own.
    uint8_t before[EXTENSION_COUNT];
    std::memcpy(before, caps->states, sizeof before);
    EXPECT_EQ(probeGlExtension("GL_NV_occlusion_query", caps), 1);
    EXPECT_EQ(std::memcmp(before, caps->states, sizeof before), 0);

    // The older framebuffer extension serves through its EXT entry points.
    std::string all = std::string(kAllGl);
    all.replace(all.find("GL_ARB_framebuffer_object"), std::strlen("GL_ARB_framebuffer_object"),
                "GL_EXT_framebuffer_object");
    platformInjectExtensions(all.c_str(), "GLX_ARB_multisample");
    probe();
    EXPECT_TRUE(meetsStartRequirement(caps));
    EXPECT_EQ(caps->states[EXT_WGL_ARB_PBUFFER], EXTENSION_FOUND);
    EXPECT_EQ(caps->states[EXT_WGL_ARB_RENDER_TEXTURE], EXTENSION_FOUND);
    EXPECT_EQ(glEntryPoints()->glGenFramebuffers, platformGetProcAddress("glGenFramebuffersEXT"));

    // A driver without the NV path still meets the requirement; one with it gets its entry points.
    platformInjectExtensions((std::string(kAllGl) + " GL_NV_fragment_program").c_str(), "GLX_ARB_multisample");
    gHidden = "glProgramNamedParameter4fvNV";
    platformSetEntryPointFilter(hideOne);
    probe();
    EXPECT_EQ(caps->states[EXT_NV_FRAGMENT_PROGRAM], EXTENSION_MISSING);
    EXPECT_TRUE(meetsStartRequirement(caps));
    platformSetEntryPointFilter(nullptr);
    probe();
    EXPECT_EQ(caps->states[EXT_NV_FRAGMENT_PROGRAM], EXTENSION_FOUND);
}

// What a person runs first when the demo does not start: no package, no music, the rows and the
// verdict on standard output.
TEST(ProbeRun, DiagnosticsNeedNoPackageAndReportThisMachine) {
    if (sharedXvfb()->display.empty()) SKIP_OUTSIDE_CI("Xvfb cannot be started");
    ScratchDir scratch("diagnostics");
    const std::string& dir = scratch.path;
    ProcessResult r = runProcess({VELMORA_BINARY, "--diagnostics", "--data", dir},
                                 {"DISPLAY=" + sharedXvfb()->display, "SDL_AUDIODRIVER=dummy"}, 30000, dir);
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("Renderer: ", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("\nVendor: "), std::string::npos);
    EXPECT_NE(r.out.find("\nGL Version: "), std::string::npos);
    for (int i = 0; i < REQUIRED_EXTENSION_COUNT; ++i) {
        std::string label = std::string("\n") + extensionLabel(i) + " ";
        size_t at = r.out.find(label);
        ASSERT_NE(at, std::string::npos) << label;
        size_t end = r.out.find('\n', at + 1);
        std::string row = r.out.substr(at + 1, end - at - 1);
        EXPECT_TRUE(row.size() > 6 && row.compare(row.size() - 6, 6, " FOUND") == 0) << row;
    }
    EXPECT_EQ(r.out.find("NOT_FOUND"), std::string::npos);

    ProcessResult noDisplay = runProcess({VELMORA_BINARY, "--diagnostics", "--data", dir},
                                         {"DISPLAY=:9999", "SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=dummy"}, 30000, dir);
    EXPECT_EQ(noDisplay.exitCode, 5);
    EXPECT_NE(noDisplay.err.find("Error: "), std::string::npos) << noDisplay.err;
}

}  // namespace
