// demotool check PKG [--references]: walks every file the production refers to, from the timeline
// down to the frames of image sequences, and reports each missing file and each file that breaks
// what the player or an effect expects of it. Exit 1 when a file is missing.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <sstream>

#include "data/package.h"
#include "effects/effect_check.h"
#include "effects/effect_families.h"
#include "scene/lwo_reader.h"
#include "scene/setup_table.h"
#include "tools/demotool/check.h"
#include "tools/demotool/commands.h"

namespace {

const char* kTimeline = "Demo/Skrypt.txt";
const char* kClipScript = "Demo/ClipScript.txt";

std::vector<std::string> words(const std::string& text, bool comments) {
    std::vector<std::string> out;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (comments) line = line.substr(0, line.find('#'));
        std::istringstream in(line);
        for (std::string w; in >> w;) out.push_back(w);
    }
    return out;
}

struct SceneFile {
    std::string name;  // in the timeline
    std::string path;
    std::vector<std::string> objects, nulls, cameras;
    std::vector<int> lightTypes;
    std::vector<std::pair<std::string, std::string>> boneMaps;  // object, weight map
    bool read = false;
};

struct SetupRow {
    bool shadows = false, texturePeriod = false, glow = false;
    std::vector<std::string> envelopes;
};

// The items, lights and cameras of a scene, by the same keywords the scene loader looks for.
void scanScene(SceneFile* scene) {
    std::string text;
    if (!checkText(scene->path, &text)) return;
    scene->read = true;
    std::vector<std::string> w = words(text, false);
    std::string object;
    for (size_t k = 0; k < w.size(); ++k) {
        const std::string& key = w[k];
        bool more = k + 1 < w.size();
        if (key == "LoadObjectLayer" && k + 2 < w.size()) {
            object = w[k + 2];
            scene->objects.push_back(object);
        } else if (key == "AddNullObject" && more) {
            scene->nulls.push_back(w[k + 1]);
        } else if (key == "BoneWeightMapName" && more) {
            scene->boneMaps.push_back({object, w[k + 1]});
        } else if (key == "LightType" && more) {
            scene->lightTypes.push_back(std::atoi(w[k + 1].c_str()));
        } else if (key == "CameraName" && more) {
            scene->cameras.push_back(w[k + 1]);
        }
    }
}

std::map<std::string, SetupRow> readSetupRows(CheckReport* report) {
    std::map<std::string, SetupRow> rows;
    std::string text;
    if (!checkText(SCENE_SETUP_FILE, &text)) return rows;
    checkUse(report, SCENE_SETUP_FILE, "the player");
    std::vector<std::string> w = words(text, true);
    for (size_t k = 0; k < w.size(); ++k) {
        if (w[k] != "scene" || k + 1 >= w.size()) continue;
        SetupRow& row = rows[w[k + 1]];
        for (k += 2; k < w.size() && w[k] != "end"; ++k) {
            const std::string& key = w[k];
            if (key == "shadows" && k + 1 < w.size()) row.shadows = w[k + 1] != "0";
            if (key == "glow" && k + 1 < w.size()) row.glow = w[k + 1] != "0";
            if (key == "texturePeriod" || key == "fog") row.texturePeriod = true;
            if (key == "shadowEnvelopes")
                for (size_t e = 1; e <= 4 && k + e < w.size(); ++e) row.envelopes.push_back(w[k + e]);
            if (key == "animated" && k + 1 < w.size()) row.envelopes.push_back(w[k + 1]);
        }
    }
    return rows;
}

// The loaded scenes (first "load scene" of each name), read as the player reads the main section:
// a "play" statement whose scene and camera exist takes its six words of times along (so a time's
// connecting word may be "end"); one that names no camera leaves them to be read as statements.
std::vector<SceneFile> readTimeline(CheckReport* report) {
    std::vector<SceneFile> scenes;
    std::string text;
    if (!checkUse(report, kTimeline, "the player") || !checkText(kTimeline, &text)) return scenes;
    std::vector<std::string> w = words(text, false);
    size_t k = 0;
    while (k < w.size() && w[k] != "begin") ++k;
    for (++k; k < w.size() && w[k] != "end"; ++k) {
        if (w[k] == "load" && k + 2 < w.size() && w[k + 1] == "scene") {
            bool known = false;
            for (const SceneFile& s : scenes) known = known || s.name == w[k + 2];
            k += 2;
            if (known || k + 1 >= w.size()) continue;  // the file is met as an ordinary word
            SceneFile scene;
            scene.name = w[k];
            scene.path = w[++k];
            if (checkUse(report, scene.path, kTimeline)) scanScene(&scene);
            scenes.push_back(scene);
        } else if (w[k] == "play" && k + 3 < w.size() && w[k + 1] == "scene") {
            const std::string& name = w[k + 2];
            const std::string& cameraName = w[k + 3];
            const SceneFile* scene = nullptr;
            for (const SceneFile& s : scenes)
                if (s.name == name) scene = &s;
            bool camera = false;
            for (size_t c = 0; scene && c < scene->cameras.size(); ++c)
                camera = camera || scene->cameras[c] == cameraName;
            k += 3;
            if (camera) {
                k += 6;
            } else if (!scene) {
                checkWarn(report, kTimeline,
                          "\"play scene " + name + "\" names a scene no earlier \"load scene\" loads");
            } else if (scene->read) {
                checkWarn(
                    report, kTimeline,
                    "\"play scene " + name + " " + cameraName + "\": " + scene->path + " has no camera " + cameraName);
            }
        } else if (w[k] == "garbage_collection") {
            k += 2;
        }
    }
    return scenes;
}

void readClipScript(CheckReport* report) {
    std::string text;
    if (!checkUse(report, kClipScript, "the player") || !checkText(kClipScript, &text)) return;
    std::vector<std::string> w = words(text, false);
    size_t k = 0;
    while (k < w.size() && w[k] != "begin") ++k;
    std::set<std::string> textures, envelopes;
    for (++k; k < w.size() && w[k] != "end"; ++k) {
        if (w[k] == "load" && k + 3 < w.size() && (w[k + 1] == "texture" || w[k + 1] == "envelope")) {
            checkUse(report, w[k + 2], kClipScript);
            (w[k + 1] == "texture" ? textures : envelopes).insert(w[k + 3]);
            k += 3;
        } else if (w[k] == "play" && k + 20 < w.size() && w[k + 1] == "clip") {
            const std::string& picture = w[k + 2];
            const std::string& mask = w[k + 3];
            if (!textures.count(picture))
                checkWarn(report, kClipScript, "an overlay shows \"" + picture + "\", which no earlier line loads");
            if (mask != "null" && !textures.count(mask))
                checkWarn(report, kClipScript, "an overlay is masked by \"" + mask + "\", which no earlier line loads");
            for (size_t e = 16; e < 20; ++e)
                if (w[k + e] != "null" && !envelopes.count(w[k + e]))
                    checkWarn(report, kClipScript,
                              "an overlay uses the envelope \"" + w[k + e] + "\", which no earlier line loads");
            if (w[k + 20] == "electro" && mask == "null")
                checkWarn(report, kClipScript, "an electric overlay of \"" + picture + "\" has no mask");
            k += 20;
        }
    }
}

// What the families' checks ask of their files, gathered over every scene and checked once per file.
struct EffectUses {
    std::map<std::string, std::vector<float>> fish;  // object -> body lengths
    std::set<std::string> swimmers, blobScenes;
    std::map<std::string, std::vector<const EffectBinding*>> softBodies;  // object -> rows
    std::map<std::string, int> typingTexts;                               // text -> entries read
    std::vector<std::function<void()>> own;  // objects and programs a family draws with on its own
    std::set<std::string> ownSeen;
};

// The record a family's check receives: the calls first, then what they report into.
struct ToolCheck {
    EffectCheck calls;
    CheckReport* report;
    const SurfaceContext* context;
    std::string by;
    EffectUses* uses;
};

ToolCheck* toolOf(EffectCheck* check) { return static_cast<ToolCheck*>(check->tool); }

EffectCheck effectCheckCalls(ToolCheck* tool) {
    EffectCheck calls;
    calls.tool = tool;
    calls.use = [](EffectCheck* c, const char* path) {
        return checkUse(toolOf(c)->report, path, toolOf(c)->by);
    };
    calls.object = [](EffectCheck* c, const char* path) {
        checkObjectUse(toolOf(c)->report, path, toolOf(c)->by, *toolOf(c)->context);
    };
    calls.ownObject = [](EffectCheck* c, const char* path, const char* by, const char* drawnAs) {
        ToolCheck* t = toolOf(c);
        if (!t->uses->ownSeen.insert(path).second) return;
        CheckReport* report = t->report;
        const std::string object = path, user = by;
        const SurfaceContext own{drawnAs, 0, false, true};
        t->uses->own.push_back([=] { checkObjectUse(report, object, user, own); });
    };
    calls.program = [](EffectCheck* c, const char* path, const char* header) {
        ToolCheck* t = toolOf(c);
        if (!t->uses->ownSeen.insert(path).second) return;
        CheckReport* report = t->report;
        const std::string program = path;
        t->uses->own.push_back([=] { checkProgramFile(report, program, header); });
    };
    calls.fish = [](EffectCheck* c, const char* path, float bodyLength) {
        toolOf(c)->uses->fish[path].push_back(bodyLength);
    };
    calls.swimmer = [](EffectCheck* c, const char* path) { toolOf(c)->uses->swimmers.insert(path); };
    calls.softBody = [](EffectCheck* c, const char* path, const EffectBinding* row) {
        toolOf(c)->uses->softBodies[path].push_back(row);
    };
    calls.lightBlobScene = [](EffectCheck* c, const char* path) { toolOf(c)->uses->blobScenes.insert(path); };
    calls.typingText = [](EffectCheck* c, const char* path, int32_t entries) {
        int& wanted = toolOf(c)->uses->typingTexts[path];
        wanted = std::max(wanted, int(entries));
    };
    return calls;
}

void checkEffect(CheckReport* report, const SceneFile& scene, const std::string& null, const SurfaceContext& context,
                 EffectUses* uses) {
    const EffectBinding* row = findEffectBinding(null.c_str());
    if (!row) return;
    report->effects.push_back(std::string(effectFamilyName(row->family)) + " " + row->name + " " + scene.path);
    const EffectFamilyDescriptor* family = effectFamily(row->family);
    ToolCheck tool{{}, report, &context, scene.path + " (" + row->name + ")", uses};
    tool.calls = effectCheckCalls(&tool);
    for (const char* const* file = family->files; *file; ++file) checkUse(report, *file, tool.by);
    if (family->check) family->check(&tool.calls, row);
}

void checkScenes(CheckReport* report, const std::vector<SceneFile>& scenes,
                 const std::map<std::string, SetupRow>& rows) {
    EffectUses uses;
    bool glow = false;
    for (const SceneFile& scene : scenes) {
        if (!scene.read) continue;
        auto row = rows.find(scene.path);
        SetupRow setup = row != rows.end() ? row->second : SetupRow();
        glow = glow || setup.glow;
        for (const std::string& envelope : setup.envelopes) checkUse(report, envelope, SCENE_SETUP_FILE);
        SurfaceContext context{scene.path, int(scene.lightTypes.size()), setup.shadows, setup.texturePeriod};
        bool spotSeen = false;
        for (int type : scene.lightTypes) {
            if (type == 2)
                spotSeen = true;
            else if (spotSeen)
                checkWarn(report, scene.path,
                          "a spot light comes before a distant or point light: the programs "
                          "would read the later lights' vectors from the wrong place");
        }
        for (const std::string& object : scene.objects) checkObjectUse(report, object, scene.path, context);
        for (const auto& bone : scene.boneMaps) {
            const RawObject* object = checkObject(report, bone.first, scene.path);
            bool found = false;
            for (int32_t m = 0; object && m < object->weightMapCount; ++m)
                found = found || bone.second == object->weightMapNames[m];
            if (object && !found)
                checkWarn(report, scene.path,
                          "a bone of " + bone.first + " uses the weight map \"" + bone.second +
                              "\", which the object does not have");
        }
        SurfaceContext effectContext = context;
        effectContext.shadows = false;  // effects draw with programs of their own, without the shadow test
        for (const std::string& null : scene.nulls) checkEffect(report, scene, null, effectContext, &uses);
    }
    // What the effects expect of their files, once per file.
    for (const auto& fish : uses.fish) checkFishObject(report, fish.first, fish.second);
    for (const std::string& swimmer : uses.swimmers) checkSwimmingObject(report, swimmer);
    for (const auto& soft : uses.softBodies) checkSoftBodyObject(report, soft.first, soft.second);
    for (const std::string& blob : uses.blobScenes) checkLightBlobScene(report, blob);
    for (const auto& text : uses.typingTexts) checkTypingText(report, text.first, text.second);
    for (const auto& check : uses.own) check();
    // Devices with GL_NV_fragment_program read the glow programs from the package.
    if (glow) {
        checkUse(report, "Demo/glow_h.fp", "the glow of devices with GL_NV_fragment_program");
        checkUse(report, "Demo/glow_v.fp", "the glow of devices with GL_NV_fragment_program");
    }
}

}  // namespace

int commandCheck(int argc, char** argv) {
    bool references = false;
    const char* path = nullptr;
    for (int i = 0; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--references"))
            references = true;
        else if (!path)
            path = argv[i];
        else
            path = "";
    }
    if (!path || !*path) {
        std::fprintf(stderr, "usage: demotool check PKG [--references]\n");
        return 2;
    }
    if (!openPackageForTool(path)) return 1;
    CheckReport report;
    checkUse(&report, "Demo/VarizIvora.jpg", "the loading screen");
    checkUse(&report, TYPING_FONT, "the typing text");
    std::vector<SceneFile> scenes = readTimeline(&report);
    checkScenes(&report, scenes, readSetupRows(&report));
    readClipScript(&report);

    for (const std::string& line : report.missing) std::printf("missing %s\n", line.c_str());
    for (const std::string& line : report.warnings) std::printf("warning: %s\n", line.c_str());
    if (references) {
        for (const std::string& used : report.used) std::printf("uses %s\n", used.c_str());
        for (const std::string& effect : report.effects) std::printf("effect %s\n", effect.c_str());
    }
    std::printf("%zu files used, %zu missing, %zu warnings\n", report.used.size(), report.missing.size(),
                report.warnings.size());
    for (auto& object : report.objects)
        if (object.second) freeRawObject(object.second);
    packageRelease();
    return report.missing.empty() ? 0 : 1;
}
