// Mesa compiles the material programs and those of the deformed objects (fish, swimmers, soft
// bodies): a table of feature and layer combinations (with the ones that once could not compile),
// and every surface of every scene of the sample production.
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/device_setup.h"
#include "effects/body_programs.h"
#include "effects/boids/boids_draw.h"
#include "render/device_entry_points.h"
#include "render/device_state.h"
#include "render/light_slots.h"
#include "render/material_inputs.h"
#include "render/material_programs.h"
#include "render/program_builder.h"
#include "scene/layer_flags.h"
#include "tests/gl/device_fixture.h"
#include "tests/support/ci.h"
#include "tests/support/process.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/test_package.h"
#include "tools/lightwave/lw_writer.h"

namespace {

class MaterialPrograms : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        if (IsSkipped()) return;
        probe();
    }
    // The driver's complaint, empty when it takes the text.
    static std::string compile(GLenum target, const char* text) {
        const GlEntryPoints* gl = glEntryPoints();
        GLuint id = 0;
        gl->glGenProgramsARB(1, &id);
        gl->glBindProgramARB(target, id);
        clearGlErrors();
        gl->glProgramStringARB(target, GL_PROGRAM_FORMAT_ASCII_ARB, GLsizei(std::strlen(text)), text);
        std::string complaint;
        if (glGetError() != GL_NO_ERROR) {
            const char* error = reinterpret_cast<const char*>(glGetString(GL_PROGRAM_ERROR_STRING_ARB));
            complaint = error && *error ? error : "refused";
        }
        gl->glDeleteProgramsARB(1, &id);
        return complaint;
    }
};

struct Combination {
    const char* name;
    bool skinned, fog, shadows, soft, bump, specular, glow;
    std::vector<int> lights;
    std::vector<uint32_t> layers;
};

const uint32_t UV = LAYER_UV | LAYER_MULTIPLY;

TEST_F(MaterialPrograms, MesaCompilesEveryCombination) {
    const Combination table[] = {
        {"bare point light", false, false, false, false, false, false, false, {1}, {}},
        {"colour, distant and point, fog", false, true, false, false, false, false, false, {0, 1}, {UV}},
        {"skinned, specular, fog", true, true, false, false, false, true, true, {1, 0}, {UV, LAYER_UV | LAYER_ADD}},
        {"normal, gloss, specular maps, caustics with shadows", false, false, true, false, true, true, false, {0, 1},
         {UV, LAYER_UV | LAYER_NORMAL_MAP, LAYER_UV | LAYER_GLOSS_MAP, LAYER_UV | LAYER_SPECULAR_MAP, LAYER_CAUSTICS}},
        {"environment, alpha, transparent, additive, glow", false, true, true, true, false, true, true, {1},
         {UV, LAYER_ENVIRONMENT | LAYER_ADD, LAYER_UV | LAYER_ALPHA, LAYER_UV | LAYER_TRANSPARENT | LAYER_MULTIPLY,
          LAYER_UV | LAYER_ADDITIVE}},
        {"skinned normal map, height, soft shadows", true, true, true, true, true, true, true, {0},
         {LAYER_HEIGHT_MAP, LAYER_UV | LAYER_NORMAL_MAP, UV, LAYER_CAUSTICS}},
        {"a layer before any combine choice", false, false, false, false, false, false, false, {1}, {LAYER_UV, UV}},
        {"no lights, shadows from an unwritten slot", false, true, true, false, false, false, false, {}, {UV}},
        // Texts that once could not compile.
        {"two caustics layers with shadows", false, false, true, false, false, false, false, {1},
         {LAYER_CAUSTICS, LAYER_CAUSTICS | LAYER_ADD}},
        {"two caustics layers without shadows", false, false, false, false, false, true, false, {1},
         {LAYER_CAUSTICS, LAYER_CAUSTICS}},
        {"two height layers", false, false, false, false, true, true, false, {1},
         {LAYER_HEIGHT_MAP, LAYER_HEIGHT_MAP, LAYER_UV | LAYER_NORMAL_MAP, UV}},
        {"height without specularity", false, true, false, false, true, false, false, {1},
         {LAYER_HEIGHT_MAP, LAYER_UV | LAYER_NORMAL_MAP, UV}},
        {"height without a normal map", false, false, false, false, false, false, true, {1}, {LAYER_HEIGHT_MAP, UV}},
        {"spot lights among the others", false, false, true, false, true, true, false, {2, 0, 2, 1}, {UV, LAYER_UV | LAYER_NORMAL_MAP}},
        {"only a spot light", false, false, false, false, false, true, false, {2}, {UV}},
        // Refused at load: tangents on attributes 14 and 15 alias coordinate sets 6 and 7.
        {"normal map with a UV layer at index 6", false, false, false, false, true, false, false, {1},
         {LAYER_UV | LAYER_NORMAL_MAP, UV, UV, UV, UV, UV, UV}},
    };
    for (const Combination& c : table) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<Scene> scene(new Scene());
        SceneItem item = {};
        Surface surface = {};
        item.boneCount = c.skinned ? 2 : 0;
        scene->setup.fogType = c.fog ? 1 : 0;
        scene->setup.shadowsOn = c.shadows;
        scene->setup.shadowMode = c.soft ? 2 : 1;
        for (int type : c.lights) scene->lights[scene->lightCount++].type = type;
        for (uint32_t flags : c.layers) {
            if (flags & LAYER_NORMAL_MAP) surface.bumpLayer = uint8_t(surface.layerCount + 1);
            surface.layerFlags[surface.layerCount++] = flags;
        }
        ASSERT_EQ(surface.bumpLayer != 0, c.bump);
        surface.specular = c.specular ? 0.5f : 0.0f;
        surface.glow = c.glow ? 0.3f : 0.0f;
        ProgramBuilder builder = {};
        const std::string vertex = materialVertexProgramText(&builder, scene.get(), &item, &surface);
        if (aliasedUvLayer(&surface) >= 0) {
            // The check that refuses it is right to: the driver would end the run.
            EXPECT_NE(compile(GL_VERTEX_PROGRAM_ARB, vertex.c_str()), "") << vertex;
            releaseProgramBuilder(&builder);
            continue;
        }
        EXPECT_EQ(compile(GL_VERTEX_PROGRAM_ARB, vertex.c_str()), "") << vertex;
        const std::string fragment = materialFragmentProgramText(&builder, scene.get(), &item, &surface);
        EXPECT_EQ(compile(GL_FRAGMENT_PROGRAM_ARB, fragment.c_str()), "") << fragment;
        releaseProgramBuilder(&builder);
    }
}

// The texture coordinate sets a text names after prefix ("result.texcoord[" or "fragment.texcoord[").
std::set<int> coordinateSets(const std::string& text, const std::string& prefix) {
    std::set<int> sets;
    for (size_t at = text.find(prefix); at != std::string::npos; at = text.find(prefix, at + 1))
        sets.insert(std::atoi(text.c_str() + at + prefix.size()));
    return sets;
}

std::string effectText(ProgramBuilder* builder, GLenum target, const Scene* scene, const Surface* surface,
                       int family) {
    beginProgramText(builder, target);
    const bool vertex = target == GL_VERTEX_PROGRAM_ARB;
    if (family == 0 && vertex) writeFishVertexProgram(builder, scene, surface);
    else if (family == 0) writeFishFragmentProgram(builder, scene, surface);
    else if (vertex) writeBodyVertexProgram(builder, scene, surface, family == 1 ? BODY_RIGID : family == 2 ? 0 : 4);
    else writeBodyFragmentProgram(builder, scene, surface, family == 1 ? BODY_RIGID : family == 2 ? 0 : 4);
    return endProgramText(builder);
}

// The fish, the soft body and the swimmers' two waves, over the rows that once ended the player.
TEST_F(MaterialPrograms, MesaCompilesEveryEffectCombination) {
    const Combination table[] = {
        {"bare point light", false, false, false, false, false, false, false, {1}, {UV}},
        {"fog, specular, glow, alpha layers", false, true, false, false, false, true, true, {0, 1},
         {UV, LAYER_ENVIRONMENT | LAYER_ADD, LAYER_UV | LAYER_ALPHA, LAYER_UV | LAYER_TRANSPARENT}},
        {"normal, gloss and specular maps", false, false, false, false, true, true, false, {1, 0},
         {UV, LAYER_UV | LAYER_NORMAL_MAP, LAYER_UV | LAYER_GLOSS_MAP, LAYER_UV | LAYER_SPECULAR_MAP}},
        {"two caustics layers", false, true, false, false, false, true, false, {1},
         {UV, LAYER_CAUSTICS, LAYER_CAUSTICS | LAYER_ADD}},
        {"two height layers", false, false, false, false, true, true, false, {1},
         {UV, LAYER_HEIGHT_MAP, LAYER_HEIGHT_MAP, LAYER_UV | LAYER_NORMAL_MAP}},
        {"height without specularity", false, true, false, false, false, false, true, {0},
         {UV, LAYER_HEIGHT_MAP}},
        {"a spot light before a point and a distant light", false, false, false, false, false, true, false, {2, 1, 0},
         {UV}},
        {"normal map with a UV layer at index 6", false, false, false, false, true, false, false, {1},
         {UV, LAYER_UV | LAYER_NORMAL_MAP, UV, UV, UV, UV, UV}},
    };
    const char* families[] = {"fish", "soft body", "swimmer, wave 0", "swimmer, wave 4"};
    for (const Combination& c : table) {
        std::unique_ptr<Scene> scene(new Scene());
        Surface surface = {};
        scene->setup.fogType = c.fog ? 1 : 0;
        scene->setup.causticsScale = 0.25f;
        for (int type : c.lights) scene->lights[scene->lightCount++].type = type;
        for (uint32_t flags : c.layers) {
            if (flags & LAYER_NORMAL_MAP) surface.bumpLayer = uint8_t(surface.layerCount + 1);
            surface.layerFlags[surface.layerCount++] = flags;
        }
        ASSERT_EQ(surface.bumpLayer != 0, c.bump) << c.name;
        surface.specular = c.specular ? 0.5f : 0.0f;
        surface.glow = c.glow ? 0.3f : 0.0f;
        const bool refused = aliasedUvLayer(&surface) >= 0;
        for (int family = 0; family < 4; ++family) {
            SCOPED_TRACE(std::string(c.name) + ", " + families[family]);
            ProgramBuilder builder = {};
            const std::string vertex = effectText(&builder, GL_VERTEX_PROGRAM_ARB, scene.get(), &surface, family);
            EXPECT_EQ(compile(GL_VERTEX_PROGRAM_ARB, vertex.c_str()) == "", !refused) << vertex;
            const std::string fragment = effectText(&builder, GL_FRAGMENT_PROGRAM_ARB, scene.get(), &surface, family);
            EXPECT_EQ(compile(GL_FRAGMENT_PROGRAM_ARB, fragment.c_str()), "") << fragment;
            // Every light vector the fragment program reads (the sets after the layers') is one the
            // vertex program wrote.
            const std::set<int> written = coordinateSets(vertex, "result.texcoord[");
            for (int set : coordinateSets(fragment, "fragment.texcoord[")) {
                if (set < surface.layerCount) continue;
                EXPECT_EQ(written.count(set), 1u) << "set " << set << " is read, never written\n" << vertex << fragment;
            }
            releaseProgramBuilder(&builder);
        }
    }
}

// A scene with such a surface is refused at load, naming the surface and its object.
TEST(AliasedUvLayers, TheFirstOfTheSceneIsFound) {
    Surface flat = {}, mapped = {};
    flat.layerCount = mapped.layerCount = 8;
    for (int k = 0; k < 8; ++k) flat.layerFlags[k] = mapped.layerFlags[k] = LAYER_UV;
    mapped.bumpLayer = 1;
    mapped.layerFlags[6] = LAYER_ENVIRONMENT;  // no UV set read at 6: the first clash is at 7
    SurfaceInstance instances[2] = {{&flat, 0, 0, {0, 0}}, {&mapped, 0, 0, {0, 0}}};
    SceneItem items[3] = {};
    items[0].isNull = 1;
    items[1].surfaces = instances;
    items[1].surfaceCount = 1;
    items[2].surfaces = instances;
    items[2].surfaceCount = 2;
    std::unique_ptr<Scene> scene(new Scene());
    scene->items = items;
    scene->itemCount = 2;
    EXPECT_EQ(findAliasedUvLayer(scene.get()).item, -1);  // eight UV sets without a normal map are fine
    scene->itemCount = 3;
    const AliasedUvLayer found = findAliasedUvLayer(scene.get());
    EXPECT_EQ(found.item, 2);
    EXPECT_EQ(found.surface, 1);
    EXPECT_EQ(found.layer, 7);
}

ProcessResult programs(const std::string& package, const std::string& scene, const std::string& work) {
    return runProcess({DEMOTOOL_BINARY, "programs", package, scene}, {"DISPLAY=" + sharedXvfb()->display}, 120000,
                      work);
}

TEST(DemotoolPrograms, CountsObjectItemsOnlyAndRefusesWhatIsMissing) {
    if (sharedXvfb()->display.empty()) SKIP_OUTSIDE_CI("Xvfb cannot be started");
    ScratchDir work("programs");
    LwItem object;
    object.name = "Demo/tri.lwo";
    LwItem null;
    null.isNull = true;
    null.name = "Marker";
    LwScene scene;
    scene.items = {object, null, object};
    scene.lights = {LwLight()};
    scene.cameras = {LwCamera()};
    const std::vector<uint8_t> lwo = writeLwo(lwTriangles({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2}, "Plain"));
    const std::vector<unsigned char> bytes =
        buildTestPackage({{"Demo/tri.lwo", std::string(lwo.begin(), lwo.end())}, {"Demo/a.lws", writeLws(scene)}});
    const std::string package = work.path + "/demo.dat";
    writeFile(package, std::string(bytes.begin(), bytes.end()));

    ProcessResult r = programs(package, "Demo/a.lws", work.path);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::regex surface("item ([0-9]+) surface 0 vertex [0-9a-f]{8} fragment [0-9a-f]{8}\n!!ARBvp1.0\n");
    std::vector<std::string> items;
    for (std::sregex_iterator m(r.out.begin(), r.out.end(), surface), end; m != end; ++m) items.push_back((*m)[1]);
    EXPECT_EQ(items, (std::vector<std::string>{"0", "1"})) << r.out;

    EXPECT_EQ(programs(package, "Demo/none.lws", work.path).exitCode, 1);
    EXPECT_EQ(runProcess({DEMOTOOL_BINARY, "programs", package}).exitCode, 2);
}

// Loading a scene compiles every program it needs, as the player does; a refused text ends the tool
// with the driver's complaint on standard error.
TEST(ProductionPrograms, EveryScenesProgramsCompileAndAreListed) {
    if (sharedXvfb()->display.empty()) SKIP_OUTSIDE_CI("Xvfb cannot be started");
    const std::string package = std::string(VELMORA_PRODUCTION_DIR) + "/demo.dat";
    ProcessResult list = runProcess({DEMOTOOL_BINARY, "list", package});
    ASSERT_EQ(list.exitCode, 0) << list.err;
    ScratchDir work("programs");

    const std::regex header("item [0-9]+ surface [0-9]+ vertex [0-9a-f]{8} fragment [0-9a-f]{8}");
    std::istringstream entries(list.out);
    int scenes = 0, surfaces = 0;
    for (std::string line; std::getline(entries, line);) {
        const std::string path = line.substr(line.find(' ') + 1);
        if (path.size() < 4 || path.compare(path.size() - 4, 4, ".lws") != 0) continue;
        ++scenes;
        ProcessResult r = programs(package, path, work.path);
        EXPECT_EQ(r.exitCode, 0) << path;
        EXPECT_EQ(r.err, "") << path;
        // Each surface: its line, the vertex text, "----", the fragment text, "----".
        std::istringstream out(r.out);
        std::string text;
        for (std::string l; std::getline(out, l);) {
            if (text.empty()) {
                ASSERT_TRUE(std::regex_match(l, header)) << path << ": " << l;
                ++surfaces;
            }
            text += l + "\n";
            if (l == "----" && text.find("!!ARBfp1.0") != std::string::npos) {
                EXPECT_EQ(text.find("!!ARBvp1.0\n"), text.find('\n') + 1) << text;
                EXPECT_NE(text.find("END\n----\n!!ARBfp1.0\nOPTION"), std::string::npos) << text;
                text.clear();
            }
        }
        EXPECT_EQ(text, "") << path;
    }
    EXPECT_GT(scenes, 5);
    EXPECT_GT(surfaces, 10);
}

}  // namespace
