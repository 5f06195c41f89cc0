// Effects on the device: every program they generate compiles, the fish and swimmer deformations
// land where their curves put them (read back through feedback), and bound slots draw.
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/device_setup.h"
#include "data/package.h"
#include "effects/body_programs.h"
#include "effects/boids/boids_draw.h"
#include "effects/boids/boids_flock.h"
#include "effects/effect_binding.h"
#include "effects/effect_families.h"
#include "render/device_entry_points.h"
#include "scene/layer_flags.h"
#include "tests/gl/device_fixture.h"

namespace {

class EffectsDevice : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        if (IsSkipped()) return;
        context = demoContext();
        resetSettings(&context->render.settings);
        resetTimeline(&context->timeline);
        context->render.settings.textureMode = 0;
        context->timeline.startClock = -1;
        probeDeviceCaps(deviceCaps(), &context->render.settings);
        context->render.caps = deviceCaps();
        setupDevice(context, window);
        scene = static_cast<Scene*>(std::calloc(1, sizeof(Scene)));
        scene->settings = &context->render.settings;
        std::strcpy(scene->name, "Test");
        gl = glEntryPoints();
    }
    void TearDown() override {
        std::free(scene);
        packageRelease();
        DeviceTest::TearDown();
    }
    void addLight(int32_t type) { scene->lights[scene->lightCount++].type = type; }

    // Window coordinates of the points drawn, through an orthographic view of +-4 on an 8x8 viewport:
    // window (x, y, z) = (X + 4, Y + 4, (1 - Z / 4) / 2).
    std::vector<float> feedback(void (*draw)()) {
        glViewport(0, 0, 8, 8);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-4, 4, -4, 4, -4, 4);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        GLfloat buffer[64];
        glFeedbackBuffer(64, GL_3D, buffer);
        glRenderMode(GL_FEEDBACK);
        draw();
        GLint n = glRenderMode(GL_RENDER);
        std::vector<float> points;
        for (GLint i = 0; i + 3 < n; i += 4) {
            EXPECT_EQ(buffer[i], GLfloat(GL_POINT_TOKEN));
            points.insert(points.end(), {buffer[i + 1] - 4, buffer[i + 2] - 4, (1 - 2 * buffer[i + 3]) * 4});
        }
        return points;
    }

    DemoContext* context = nullptr;
    Scene* scene = nullptr;
    const GlEntryPoints* gl = nullptr;
};

void fishPoint() {
    glBegin(GL_POINTS);
    glTexCoord2f(0.5f, 0.0f);
    glNormal3f(1, 0, 0);
    glVertex3f(7.0f, 0.2f, 0.1f);  // x is ignored: u places the vertex along the body
    glEnd();
}

void swimPoints() {
    glBegin(GL_POINTS);
    for (float u : {0.0f, 0.5f, 1.0f}) {
        glTexCoord2f(u, 0.0f);
        glNormal3f(0, 1, 0);
        glVertex3f(0.0f, 0.0f, 0.0f);
    }
    glEnd();
}

}  // namespace

TEST_F(EffectsDevice, EveryGeneratedProgramCompiles) {
    // Surfaces with and without normal map, specular, glow, height, gloss and specular maps, over
    // scenes with fog and each kind of light. A rejected program ends the process: a failure here.
    Surface surfaces[3] = {};
    surfaces[1].layerCount = 3;
    surfaces[1].layerFlags[0] = LAYER_UV | LAYER_MULTIPLY;
    surfaces[1].layerFlags[1] = LAYER_ENVIRONMENT | LAYER_ADD;
    surfaces[1].layerFlags[2] = LAYER_CAUSTICS | LAYER_ALPHA;
    surfaces[1].specular = 0.5f;
    surfaces[1].glow = 0.3f;
    surfaces[2].layerCount = 4;
    surfaces[2].layerFlags[0] = LAYER_UV;
    surfaces[2].layerFlags[1] = LAYER_UV | LAYER_NORMAL_MAP;
    surfaces[2].layerFlags[2] = LAYER_UV | LAYER_GLOSS_MAP;
    surfaces[2].layerFlags[3] = LAYER_UV | LAYER_SPECULAR_MAP | LAYER_ADD;
    surfaces[2].bumpLayer = 2;
    surfaces[2].specular = 0.2f;
    EffectSlot metaballs = {};
    metaballs.family = FAMILY_METABALLS;
    metaballs.count = 3;
    for (int round = 0; round < 2; ++round) {
        if (round == 1) {
            scene->setup.fogType = 1;
            addLight(0);
            addLight(2);
            addLight(1);
        }
        for (Surface& surface : surfaces) {
            SurfaceInstance instance = {&surface, 0, 0, {0, 0}};
            ASSERT_TRUE(bodyProgramsFit(scene, &instance, "test"));
            buildFishPrograms(&context->render.programText, scene, &instance);
            buildSoftBodyPrograms(&context->render.programText, scene, &instance);
            for (int variant : {0, 4}) buildSwimPrograms(&context->render.programText, scene, &instance, variant);
            EXPECT_NE(instance.vertexProgram, 0u);
        }
        initMetaballs(&demoContext()->render, scene, &metaballs);
        std::free(metaballs.state);
    }
    surfaces[0].layerCount = 8;
    scene->lightCount = 8;
    SurfaceInstance crowded = {&surfaces[0], 0, 0, {0, 0}};
    EXPECT_FALSE(bodyProgramsFit(scene, &crowded, "crowded"));  // refused with a message, not compiled
    // Metaballs lit by eight lights: sets 2 to 7 of the device's eight carry six of them (a program
    // reading more would be refused and end the run).
    for (int k = 0; k < 8; ++k) scene->lights[k].type = k % 2;
    testing::internal::CaptureStderr();
    initMetaballs(&demoContext()->render, scene, &metaballs);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("are lit by 6 of its 8 lights"), std::string::npos);
    std::free(metaballs.state);
}

TEST_F(EffectsDevice, FishAndSwimmersBendOnTheDevice) {
    Surface plain = {};
    SurfaceInstance fish = {&plain, 0, 0, {0, 0}};
    buildFishPrograms(&context->render.programText, scene, &fish);
    Boid boid = {};
    for (int i = 0; i < 4; ++i) boid.spine[i][0] = float(i);  // straight along +x: unbent, upright
    float p[4][4], q[4][4];
    fishControlPoints(&boid, p, q);
    EXPECT_EQ(q[2][2], 1.0f);
    glEnable(GL_VERTEX_PROGRAM_ARB);
    gl->glBindProgramARB(GL_VERTEX_PROGRAM_ARB, fish.vertexProgram);
    for (int i = 0; i < 4; ++i) {
        gl->glProgramLocalParameter4fvARB(GL_VERTEX_PROGRAM_ARB, GLuint(4 + i), p[i]);
        gl->glProgramLocalParameter4fvARB(GL_VERTEX_PROGRAM_ARB, GLuint(8 + i), q[i]);
    }
    std::vector<float> bent = feedback(fishPoint);
    ASSERT_EQ(bent.size(), 3u);
    EXPECT_NEAR(bent[0], 1.5f, 1e-3f);
    EXPECT_NEAR(bent[1], 0.2f, 1e-3f);
    EXPECT_NEAR(bent[2], 0.1f, 1e-3f);

    Surface swimmer = {};
    swimmer.layerCount = 1;
    swimmer.layerFlags[0] = LAYER_UV;
    SurfaceInstance swim = {&swimmer, 0, 0, {0, 0}};
    buildSwimPrograms(&context->render.programText, scene, &swim, 0);
    gl->glBindProgramARB(GL_VERTEX_PROGRAM_ARB, swim.vertexProgram);
    const float sine[4] = {-0.16666667f, 0.0083333338f, -0.0001984127f, 0.0000027557319f};
    const float phase[4] = {-1.4f, -1.4f, -1.4f, -1.4f};  // 1 s at speed 1.4
    gl->glProgramLocalParameter4fvARB(GL_VERTEX_PROGRAM_ARB, 4, sine);
    gl->glProgramLocalParameter4fvARB(GL_VERTEX_PROGRAM_ARB, 6, phase);
    std::vector<float> waved = feedback(swimPoints);
    ASSERT_EQ(waved.size(), 9u);
    const float dy[3] = {0.0f, -0.03648413f, -0.1369146f};
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(waved[3 * i + 1], dy[i], 2e-4f) << i;

    Surface unmapped = {};  // no UVs to run the wave along: drawn rigid
    SurfaceInstance rigid = {&unmapped, 0, 0, {0, 0}};
    buildSwimPrograms(&context->render.programText, scene, &rigid, 0);
    gl->glBindProgramARB(GL_VERTEX_PROGRAM_ARB, rigid.vertexProgram);
    std::vector<float> still = feedback(swimPoints);
    ASSERT_EQ(still.size(), 9u);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(still[3 * i + 1], 0.0f, 1e-4f) << i;
    glDisable(GL_VERTEX_PROGRAM_ARB);
}

TEST_F(EffectsDevice, BoundSlotsLoadAndDraw) {
    ASSERT_TRUE(packageLoad((std::string(VELMORA_PRODUCTION_DIR) + "/demo.dat").c_str()));
    addLight(1);
    scene->lights[0].position[1] = 10.0f;
    // Nulls at the origin, unscaled.
    EnvelopeKey one = {};
    one.value = 1.0f;
    std::vector<SceneItem> items(4);
    const char* names[] = {"Herring_Boids", "SoftBody", "Whale", "MetaBalls"};
    for (size_t i = 0; i < items.size(); ++i) {
        items[i].isNull = 1;
        std::strcpy(items[i].name, names[i]);
        for (int c = 6; c < 9; ++c) items[i].motion[c] = {&one, 1, 0, 0};
    }
    scene->items = items.data();
    scene->itemCount = int32_t(items.size());
    bindSceneEffects(scene);
    initSceneEffects(&demoContext()->render, scene);
    context->render.currentScene = scene;
    glViewport(0, 0, 64, 64);
    for (int32_t k = 0; k < scene->effectSlotCount; ++k) {
        EffectSlot* slot = &scene->effectSlots[k];
        ASSERT_NE(slot->state, nullptr) << names[k];
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glFrustum(0.1, -0.1, -0.1, 0.1, 0.1, 1000);  // mirrored, as the scene pass sets it
        glTranslatef(0, -1, -25);
        glEnable(GL_DEPTH_TEST);
        slot->render(&context->render, slot, 1500);
        EXPECT_EQ(slot->reset, 0) << names[k];
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << names[k];
        std::vector<uint8_t> pixels(64 * 64 * 4);
        glReadPixels(0, 0, 64, 64, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        int lit = 0;
        for (size_t i = 0; i < pixels.size(); i += 4) lit += pixels[i] + pixels[i + 1] + pixels[i + 2] > 0;
        EXPECT_GT(lit, 10) << names[k];
    }
}
