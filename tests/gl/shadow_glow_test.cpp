// The shadow map and the glow on Mesa: what the depth pass stores, what the glow gives a frame.
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/device_setup.h"
#include "render/device_entry_points.h"
#include "render/device_state.h"
#include "render/glow.h"
#include "render/main_pass.h"
#include "render/shadow_parameters.h"
#include "render/shadow_pass.h"
#include "scene/layer_flags.h"
#include "tests/gl/device_fixture.h"
#include "timeline/clip_list.h"

namespace {

// The stored value of a shadow-map texel as the material programs read it back.
float decodeTexel(const uint8_t* texel) {
    const float weights[4] = {1.0f, 0.00392156f, 0.0000153787f, 0.00000006031f};
    float value = 0.00692156f;
    for (int k = 0; k < 4; ++k) value += float(texel[k]) / 255.0f * weights[k];
    return value;
}

// A horizontal square of the given half-size at height y, facing up, centred on (cx, cz).
struct Plate {
    float y, half, cx, cz;
    uint32_t layerFlags;
};

class ShadowGlow : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        if (IsSkipped()) return;
        start();
    }
    void TearDown() override {
        finish();
        DeviceTest::TearDown();
    }
    void start() {
        ctx.reset(new DemoContext());
        resetSettings(&ctx->render.settings);
        resetTimeline(&ctx->timeline);
        probe();
        ctx->render.caps = deviceCaps();
        setupDevice(ctx.get(), window);
        scene = static_cast<Scene*>(std::calloc(1, sizeof(Scene)));
        scene->settings = &ctx->render.settings;
        for (float& c : scene->setup.glowColour) c = 1.0f;
        ctx->render.currentScene = scene;
    }
    void finish() {
        if (!ctx) return;
        deleteBuffers();
        freeTimelineLists(&ctx.get()->timeline);
        std::free(scene);
        scene = nullptr;
        ctx.reset();
    }
    // A new window (and context) with these samples and size, the device set up on it again.
    void reopen(int width, int height, int samples) {
        finish();
        platformDestroyWindow(window);
        WindowRequest request = {"glow", 0, 0, width, height, false, true, 32, 24, 8, samples};
        window = platformCreateWindow(&request);
        ASSERT_NE(window, nullptr);
        start();
    }

    void deleteBuffers() {
        for (Surface& s : surfaces) {
            glEntryPoints()->glDeleteBuffersARB(1, &s.vertexBuffer);
            glEntryPoints()->glDeleteBuffersARB(1, &s.indexBuffer);
        }
        surfaces.clear();
    }
    void setVolume(float x, float y, float z, float w) {
        const float v[4] = {x, y, z, w};
        for (int k = 0; k < 4; ++k) {
            keys[k] = {nullptr, nullptr, v[k], 0.0f, SHAPE_LINEAR, 0, 0, 0, {}};
            scene->setup.shadowEnvelopes[k] = {&keys[k], 1, BEHAVIOR_CONSTANT, BEHAVIOR_CONSTANT};
        }
    }
    // Items of the scene: one per plate, each one surface of two triangles, clockwise seen from above.
    void setPlates(const std::vector<Plate>& plates) {
        const GlEntryPoints* gl = glEntryPoints();
        deleteBuffers();
        surfaces.assign(plates.size(), Surface{});
        instances.assign(plates.size(), SurfaceInstance{});
        items.assign(plates.size(), SceneItem{});
        for (size_t i = 0; i < plates.size(); ++i) {
            const Plate& p = plates[i];
            const float corners[4][2] = {{-1, -1}, {-1, 1}, {1, 1}, {1, -1}};
            float vertices[4][6] = {};
            for (int v = 0; v < 4; ++v) {
                vertices[v][0] = p.cx + corners[v][0] * p.half;
                vertices[v][1] = p.y;
                vertices[v][2] = p.cz + corners[v][1] * p.half;
                vertices[v][4] = 1.0f;
            }
            const uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
            Surface& s = surfaces[i];
            gl->glGenBuffersARB(1, &s.vertexBuffer);
            gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, s.vertexBuffer);
            gl->glBufferDataARB(GL_ARRAY_BUFFER_ARB, sizeof vertices, vertices, GL_STATIC_DRAW_ARB);
            gl->glGenBuffersARB(1, &s.indexBuffer);
            gl->glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, s.indexBuffer);
            gl->glBufferDataARB(GL_ELEMENT_ARRAY_BUFFER_ARB, sizeof indices, indices, GL_STATIC_DRAW_ARB);
            s.triangleCount = 2;
            s.vertexStride = 24;
            s.layerCount = 1;
            s.layerFlags[0] = p.layerFlags;
            s.shadowPrograms[0] = ctx->render.depthVertexProgram;
            s.shadowPrograms[1] = ctx->render.depthFragmentProgram;
            instances[i].surface = &s;
            SceneItem& item = items[i];
            for (int k = 0; k < 16; ++k) item.matrix[k] = k % 5 == 0 ? 1.0f : 0.0f;
            item.mesh = &mesh;
            item.surfaceCount = 1;
            item.surfaces = &instances[i];
        }
        gl->glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
        gl->glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
        scene->items = items.data();
        scene->itemCount = int32_t(items.size());
    }
    std::vector<uint8_t> shadowMap() {
        const int size = ctx->render.settings.shadowMapSize;
        std::vector<uint8_t> texels(size_t(size) * size * 4);
        glBindTexture(GL_TEXTURE_2D, ctx->render.shadowTexture);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        glBindTexture(GL_TEXTURE_2D, 0);
        return texels;
    }
    const uint8_t* texelAt(const std::vector<uint8_t>& map, float u, float v) {
        const int size = ctx->render.settings.shadowMapSize;
        return &map[(size_t(v * size) * size + size_t(u * size)) * 4];
    }

    std::unique_ptr<DemoContext> ctx;
    Scene* scene = nullptr;
    Mesh mesh = {};
    EnvelopeKey keys[4] = {};
    std::vector<Surface> surfaces;
    std::vector<SurfaceInstance> instances;
    std::vector<SceneItem> items;
};

TEST_F(ShadowGlow, DepthPassPacksTheHeightBelowTheLight) {
    scene->setup.shadowsOn = 1;
    scene->setup.shadowDepthScale = 0.5f;
    scene->setup.causticsScale = 1.0f;
    setVolume(0, 2, 0, 4);  // light at height 2 over the square -4 .. 4
    struct Case {
        float height;
        uint8_t texel[4];
    } cases[] = {{2.0f, {0, 0, 0, 0}}, {1.0f, {127, 127, 127, 127}}, {0.0f, {254, 0, 0, 0}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.height);
        setPlates({{c.height, 1.0f, 0, 0, 0}});
        renderShadowMap(&ctx.get()->render, 0);
        std::vector<uint8_t> map = shadowMap();
        const uint8_t* centre = texelAt(map, 0.5f, 0.5f);
        for (int k = 0; k < 4; ++k) EXPECT_EQ(centre[k], c.texel[k]) << k;
        const uint8_t* outside = texelAt(map, 0.9f, 0.9f);
        for (int k = 0; k < 4; ++k) EXPECT_EQ(outside[k], 255) << k;
    }
    setPlates({{2.0f - 0.7331f / 0.5f, 1.0f, 0, 0, 0}});
    renderShadowMap(&ctx.get()->render, 0);
    EXPECT_NEAR(decodeTexel(texelAt(shadowMap(), 0.5f, 0.5f)), 0.736085f, 2e-6f);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// The map keeps the highest opaque surface at its place in the volume; see-through surfaces cast
// nothing, and a volume without area leaves the map as it was.
TEST_F(ShadowGlow, DepthPassKeepsTheHighestOpaqueSurface) {
    scene->setup.shadowsOn = 1;
    scene->setup.shadowDepthScale = 0.25f;
    scene->setup.causticsScale = 1.0f;
    setVolume(1, 4, 0, 4);  // the square x' in -5 .. 3 of the turned frame, i.e. scene x in -3 .. 5
    setPlates({{0.0f, 4.0f, 0, 0, 0},                    // ground, d = 1
               {2.0f, 0.5f, 2, 0, 0},                    // occluder at scene x = 2, d = 0.5
               {3.0f, 0.5f, -2, 0, LAYER_TRANSPARENT}}); // glass at scene x = -2
    renderShadowMap(&ctx.get()->render, 0);
    std::vector<uint8_t> map = shadowMap();
    // Scene x = 2 is x' = -2: u = (x' + X) / 2W + 0.5 = 0.375; scene x = -2 is u = 0.875.
    EXPECT_EQ(texelAt(map, 0.375f, 0.5f)[0], 127);
    EXPECT_EQ(texelAt(map, 0.875f, 0.5f)[0], 254);
    EXPECT_EQ(texelAt(map, 0.625f, 0.5f)[0], 254);

    setVolume(1, 4, 0, 0);
    setPlates({{3.0f, 8.0f, 0, 0, 0}});
    renderShadowMap(&ctx.get()->render, 0);
    EXPECT_EQ(shadowMap(), map);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

struct NamedParameter {
    GLuint program;
    std::string name;
    float values[4];
};
std::vector<NamedParameter> gNamed;
void GLAPIENTRY recordNamed(GLuint program, GLsizei length, const GLubyte* name, const GLfloat* v) {
    gNamed.push_back({program, std::string(reinterpret_cast<const char*>(name), size_t(length)), {v[0], v[1], v[2], v[3]}});
}
void GLAPIENTRY bindNothing(GLenum, GLuint) {}

// The ARB path publishes environment parameters; the NV path names them in every object surface's
// program, nulls passed over, and in the glow composite program.
TEST_F(ShadowGlow, ParametersOnBothPaths) {
    scene->setup.shadowsOn = 1;
    scene->setup.shadowDepthScale = 0.5f;
    scene->setup.causticsScale = 0.25f;
    scene->setup.shadowSoftness = 20;
    scene->setup.shadowAmbient = 0.3f;
    setVolume(2, 7, -4, 10);
    setPlates({{0, 1, 0, 0, 0}, {0, 1, 0, 0, 0}, {0, 1, 0, 0, 0}});
    items[1].isNull = 1;
    for (size_t i = 0; i < instances.size(); ++i) instances[i].fragmentProgram = GLuint(40 + i);

    setShadowParameters(&ctx.get()->render, 0);
    const GlEntryPoints* gl = glEntryPoints();
    const struct {
        GLenum target;
        GLuint slot;
        float values[4];
    } env[] = {{GL_VERTEX_PROGRAM_ARB, 4, {0.5f, 0.5f, 0.5f, 0.5f}}, {GL_VERTEX_PROGRAM_ARB, 5, {2, 7, -4, 10}},
               {GL_FRAGMENT_PROGRAM_ARB, 4, {0.6f, 0.3f, 0, 0}}, {GL_FRAGMENT_PROGRAM_ARB, 5, {0.2f, 0.2f, 0, 1}},
               {GL_FRAGMENT_PROGRAM_ARB, 6, {20, 0.3f, 0, 1}}};
    for (const auto& e : env) {
        float got[4] = {};
        gl->glGetProgramEnvParameterfvARB(e.target, e.slot, got);
        for (int k = 0; k < 4; ++k) EXPECT_NEAR(got[k], e.values[k], 1e-6f) << e.target << " " << e.slot;
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    // A device with the NV path: its calls are stood in for, as Mesa has none.
    GlEntryPoints saved = *glEntryPoints();
    glEntryPoints()->glProgramNamedParameter4fvNV = recordNamed;
    glEntryPoints()->glBindProgramNV = bindNothing;
    deviceCaps()->states[EXT_NV_FRAGMENT_PROGRAM] = EXTENSION_FOUND;
    gNamed.clear();
    setShadowParameters(&ctx.get()->render, 0);
    ctx->render.glowBlurProgram = ctx->render.glowCompositeProgram = 77;
    scene->setup.glowOn = 1;
    scene->setup.glowDivisor = 4;
    ctx->render.settings.width = ctx->render.settings.clientWidth = ctx->render.settings.height = ctx->render.settings.clientHeight = 64;
    setUpGlow(&ctx.get()->render, scene);
    const float glowColour[4] = {0.8f, 0.9f, 0.6f, 1.0f};
    for (int k = 0; k < 4; ++k) scene->setup.glowColour[k] = glowColour[k];
    drawGlow(&ctx.get()->render, scene, 0);
    *glEntryPoints() = saved;
    deviceCaps()->states[EXT_NV_FRAGMENT_PROGRAM] = EXTENSION_MISSING;
    clearGlErrors();  // the NV target itself is unknown here
    ASSERT_EQ(gNamed.size(), 10u);
    const char* const names[3] = {"shadow4", "shadow5", "env6"};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(gNamed[i].program, i < 3 ? 40u : 42u);
        EXPECT_EQ(gNamed[i].name, names[i % 3]);
        EXPECT_EQ(gNamed[i].values[0], (i % 3 == 0 ? 0.6f : i % 3 == 1 ? 0.2f : 20.0f));
    }
    // The glow colour, then the identity grading rows.
    const char* const glowNames[4] = {"glow_color", "t1", "t2", "t3"};
    for (size_t i = 6; i < 10; ++i) {
        EXPECT_EQ(gNamed[i].program, 77u);
        EXPECT_EQ(gNamed[i].name, glowNames[i - 6]);
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(gNamed[i].values[k], i == 6 ? glowColour[k] : k == int(i) - 7 ? 1.0f : 0.0f);
    }
}

// A uniform frame (51, 102, 153) with glow alpha 100, divisor 4, white glow and no grading: the
// glow blurred twice (weights 1.12 each) is 125 and is added to the colour.
TEST_F(ShadowGlow, GlowOfAUniformFrame) {
    struct Case {
        int samples, divisor, height;
        bool lighting;
    } cases[] = {{0, 4, 120, false}, {4, 4, 120, true},
                 {0, 1, 480, false}};  // 480 + the 64-row margin would copy past the texture's edge
    for (const Case& c : cases) {
        SCOPED_TRACE(c.samples * 10 + c.divisor);
        reopen(160, c.height, c.samples);
        Settings& s = ctx->render.settings;
        s.fullscreen = 1;
        s.width = s.clientWidth = 160;
        s.height = s.clientHeight = c.height;
        scene->setup.glowOn = 1;
        scene->setup.glowDivisor = uint8_t(c.divisor);
        setUpGlow(&ctx.get()->render, scene);
        ASSERT_NE(ctx->render.glowTexture, 0u);
        GLint sampleBuffers = 0;
        glGetIntegerv(GL_SAMPLE_BUFFERS_ARB, &sampleBuffers);
        EXPECT_EQ(sampleBuffers, c.samples > 0 ? 1 : 0);
        // Made zero-filled, so that rows no copy reaches read the same in every run.
        std::vector<uint8_t> texels(512 * 512 * 4, 1);
        glBindTexture(GL_TEXTURE_2D, ctx->render.glowTexture);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        EXPECT_EQ(texels, std::vector<uint8_t>(texels.size(), 0));

        glViewport(0, 0, 160, c.height);
        glClearColor(0.2f, 0.4f, 0.6f, 100.0f / 255.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        if (c.lighting) {
            // As a surface's material leaves it: lit, the shrink would take this alpha for the glow.
            const GLfloat halfAlpha[4] = {0.8f, 0.8f, 0.8f, 0.5f};
            glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, halfAlpha);
            glEnable(GL_LIGHTING);
        }
        drawGlow(&ctx.get()->render, scene, 0);
        glDisable(GL_LIGHTING);
        uint8_t pixel[4] = {};
        glReadPixels(80, c.height / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        const int expected[4] = {176, 227, 255, 125};
        for (int k = 0; k < 4; ++k) EXPECT_NEAR(pixel[k], expected[k], 1) << k;
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
}

// With bars round the picture, the shrunk glow's margin (64 texels past a frame halved) reaches past
// the viewport into the bars: no copy may take them, or the texels past the frame would carry the
// bars' pixels into the next scene's blur at its edge.
TEST_F(ShadowGlow, GlowCopiesKeepToTheViewport) {
    reopen(320, 240, 0);
    Settings& s = ctx->render.settings;
    s.fullscreen = 1;
    s.clientWidth = 320;
    s.clientHeight = 240;
    s.width = 160;
    s.height = 120;
    scene->setup.glowOn = 1;
    scene->setup.glowDivisor = 2;
    setUpGlow(&ctx.get()->render, scene);
    glViewport(0, 0, 320, 240);
    glClearColor(1, 1, 1, 1);  // the bars
    glClear(GL_COLOR_BUFFER_BIT);
    glViewport(80, 60, 160, 120);
    glEnable(GL_SCISSOR_TEST);
    glScissor(80, 60, 160, 120);
    glClearColor(0.2f, 0.4f, 0.6f, 0.5f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    drawGlow(&ctx.get()->render, scene, 0);
    const int t = scene->setup.glowTextureWidth;
    std::vector<uint8_t> texels(size_t(t) * size_t(scene->setup.glowTextureHeight) * 4);
    glBindTexture(GL_TEXTURE_2D, ctx->render.glowTexture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    int outside = 0, inside = 0;
    for (int y = 0; y < 130; ++y)
        for (int x = 0; x < 170; ++x) {
            const bool zero = !(texels[(size_t(y) * size_t(t) + size_t(x)) * 4] | texels[(size_t(y) * size_t(t) + size_t(x)) * 4 + 3]);
            if (x >= 160 || y >= 120) outside += !zero;
            else inside += !zero;
        }
    EXPECT_EQ(outside, 0) << "texels past the frame were copied";
    EXPECT_GT(inside, 160 * 120 / 2) << "the frame itself was copied";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

void GLAPIENTRY recordNamedValues(GLuint program, GLsizei length, const GLubyte* name, GLfloat x, GLfloat y, GLfloat z,
                                  GLfloat w) {
    const GLfloat v[4] = {x, y, z, w};
    recordNamed(program, length, name, v);
}

// The main pass names each surface's NV parameters: "glow" (glow, 0, 0, 1), "shininess" (exponent,
// 0, 0, 0), per light k the letter 'a' + k = colour x the light's diffuse product x diffuse and 'A' + k
// the same x specular, component by component, and "fog_color" (fog r, g, b, 1) while fog is on.
TEST_F(ShadowGlow, MainPassNamesTheNvParameters) {
    setPlates({{0, 1, 0, 0, 0}});
    instances[0].fragmentProgram = 40;
    Surface& s = surfaces[0];
    s.color = {0.5f, 0.25f, 1.0f, 1.0f};
    s.diffuse = 0.8f;
    s.specular = 0.5f;
    s.glow = 0.3f;
    s.shininess = 24;
    scene->lightCount = 2;
    scene->lights[0].effectiveColor = {1.0f, 1.0f, 1.0f, 1.0f};
    scene->lights[1].effectiveColor = {0.5f, 1.0f, 0.25f, 1.0f};
    scene->setup.fogType = 1;
    const float fog[3] = {0.1f, 0.2f, 0.3f};
    for (int k = 0; k < 3; ++k) scene->setup.fogColour[k] = fog[k];

    GlEntryPoints saved = *glEntryPoints();
    glEntryPoints()->glProgramNamedParameter4fNV = recordNamedValues;
    glEntryPoints()->glBindProgramNV = bindNothing;
    deviceCaps()->states[EXT_NV_FRAGMENT_PROGRAM] = EXTENSION_FOUND;
    gNamed.clear();
    ctx->render.currentScene = scene;
    drawScene(&ctx.get()->render, 0);
    *glEntryPoints() = saved;
    deviceCaps()->states[EXT_NV_FRAGMENT_PROGRAM] = EXTENSION_MISSING;
    clearGlErrors();  // the NV target itself is unknown here

    const struct {
        const char* name;
        float values[4];
    } expected[] = {
        {"glow", {0.3f, 0, 0, 1}},
        {"shininess", {24, 0, 0, 0}},
        {"a", {0.4f, 0.2f, 0.8f, 0.8f}},
        {"A", {0.25f, 0.125f, 0.5f, 0.5f}},
        {"b", {0.2f, 0.2f, 0.2f, 0.8f}},
        {"B", {0.125f, 0.125f, 0.125f, 0.5f}},
        {"fog_color", {0.1f, 0.2f, 0.3f, 1}},
    };
    ASSERT_EQ(gNamed.size(), sizeof expected / sizeof expected[0]);
    for (size_t i = 0; i < gNamed.size(); ++i) {
        EXPECT_EQ(gNamed[i].program, 40u);
        EXPECT_EQ(gNamed[i].name, expected[i].name);
        for (int k = 0; k < 4; ++k) EXPECT_NEAR(gNamed[i].values[k], expected[i].values[k], 1e-6f) << expected[i].name;
    }
}

// The glow's steps worked through by hand for one glowing D x D block on black: shrunk D times into
// the lower-left corner, blurred along x over the shrunk image in steps of 0.001 of the texture and
// along y over the full image in steps of 0.004, with weights 0.22 and 0.17 .. 0.01 on each side.
// Linear filtering is modelled as the GL defines it; every pass ends in an 8-bit frame buffer.
class GlowModel {
public:
    GlowModel(int width, int height, int texture) : w(width), h(height), t(texture), tex(size_t(t) * t, 0.0f) {}
    float sample(float u, float v) const {  // texel units, clamped to the edge
        const float x = u - 0.5f, y = v - 0.5f;
        const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
        const float fx = x - float(x0), fy = y - float(y0);
        auto at = [&](int i, int j) {
            i = std::min(std::max(i, 0), t - 1);
            j = std::min(std::max(j, 0), t - 1);
            return tex[size_t(j) * t + i];
        };
        return (1 - fx) * (1 - fy) * at(x0, y0) + fx * (1 - fy) * at(x0 + 1, y0) + (1 - fx) * fy * at(x0, y0 + 1) +
               fx * fy * at(x0 + 1, y0 + 1);
    }
    static float quantise(float v) { return std::round(std::min(std::max(v, 0.0f), 1.0f) * 255.0f) / 255.0f; }
    // The frame's glow (alpha) after the post-process, for a block of D x D pixels at (bx, by) x D.
    std::vector<float> run(int divisor, int bx, int by) {
        const int d = divisor;
        std::vector<float> frame(size_t(w) * h, 0.0f);
        for (int j = 0; j < d; ++j)
            for (int i = 0; i < d; ++i) frame[size_t(by * d + j) * w + bx * d + i] = 1.0f;
        copy(frame, w, h);
        // Shrink: the viewport cleared to alpha 0, the frame drawn D times smaller at the corner.
        std::vector<float> shrunk(size_t(w) * h, 0.0f);
        for (int y = 0; y < h / d; ++y)
            for (int x = 0; x < w / d; ++x)
                shrunk[size_t(y) * w + x] = quantise(sample((x + 0.5f) * d, (y + 0.5f) * d));
        copy(shrunk, w / d + 64, h / d + 64);
        const float weights[7] = {0.22f, 0.17f, 0.12f, 0.08f, 0.05f, 0.02f, 0.01f};
        std::vector<float> across(size_t(w) * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const float u = (x + 0.5f) / d, v = (y + 0.5f) / d;
                float sum = weights[0] * sample(u, v);
                for (int k = 1; k <= 6; ++k)
                    sum += weights[k] * (sample(u + 0.001f * k * t, v) + sample(u - 0.001f * k * t, v));
                across[size_t(y) * w + x] = quantise(sum);
            }
        copy(across, w, h);
        std::vector<float> glow(size_t(w) * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                float sum = weights[0] * sample(x + 0.5f, y + 0.5f);
                for (int k = 1; k <= 6; ++k)
                    sum += weights[k] * (sample(x + 0.5f, y + 0.5f + 0.004f * k * t) +
                                         sample(x + 0.5f, y + 0.5f - 0.004f * k * t));
                glow[size_t(y) * w + x] = quantise(sum);
            }
        return glow;
    }

private:
    void copy(const std::vector<float>& from, int width, int height) {
        for (int y = 0; y < std::min(height, h); ++y)
            for (int x = 0; x < std::min(width, w); ++x) tex[size_t(y) * t + x] = from[size_t(y) * w + x];
    }
    int w, h, t;
    std::vector<float> tex;
};

TEST_F(ShadowGlow, GlowOfOneBrightBlock) {
    for (int divisor : {2, 4}) {
        SCOPED_TRACE(divisor);
        reopen(160, 120, 0);
        Settings& s = ctx->render.settings;
        s.fullscreen = 1;
        s.width = s.clientWidth = 160;
        s.height = s.clientHeight = 120;
        scene->setup.glowOn = 1;
        scene->setup.glowDivisor = uint8_t(divisor);
        setUpGlow(&ctx.get()->render, scene);
        ASSERT_EQ(scene->setup.glowTextureWidth, 512);
        glViewport(0, 0, 160, 120);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        const int bx = 80 / divisor, by = 60 / divisor;
        glEnable(GL_SCISSOR_TEST);
        glScissor(bx * divisor, by * divisor, divisor, divisor);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
        drawGlow(&ctx.get()->render, scene, 0);
        std::vector<uint8_t> pixels(160 * 120 * 4);
        glReadPixels(0, 0, 160, 120, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        GlowModel model(160, 120, 512);
        const std::vector<float> glow = model.run(divisor, bx, by);
        // Away from the edges, where only the frame's own texels are read; the white glow colour on
        // black shows the glow in every channel.
        int spread = 0;
        for (int y = 40; y < 90; ++y)
            for (int x = 50; x < 110; ++x) {
                const float expected = 255.0f * glow[size_t(y) * 160 + x];
                spread += expected >= 1.0f;
                const uint8_t* p = &pixels[(size_t(y) * 160 + x) * 4];
                ASSERT_NEAR(p[0], expected, 2.5f) << x << " " << y;
                ASSERT_NEAR(p[3], expected, 2.5f) << x << " " << y;
            }
        EXPECT_GT(spread, 40);  // a blur, not a dot
    }
}

}  // namespace
