// demotool check PKG [--references]: walks every file the production refers to, from the timeline
// down to the frames of image sequences, and reports each missing file and each file that breaks
// what the player or an effect expects of it. Exit 1 when a file is missing.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "data/package.h"
#include "effects/boids/boids_flock.h"
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

struct EffectUses {
    std::map<std::string, std::vector<float>> fish;  // object -> body lengths
    std::set<std::string> swimmers, blobScenes;
    std::map<std::string, std::vector<const EffectBinding*>> softBodies;  // object -> rows
    std::set<std::string> typingTexts;
    bool boids = false;
};

void checkEffect(CheckReport* report, const SceneFile& scene, const std::string& null, const SurfaceContext& context,
                 EffectUses* uses) {
    const EffectBinding* row = findEffectBinding(null.c_str());
    if (!row) return;
    report->effects.push_back(std::string(effectFamilyName(row->family)) + " " + row->name + " " + scene.path);
    const std::string by = scene.path + " (" + row->name + ")";
    for (const char* const* file = familyFiles(row->family); *file; ++file) checkUse(report, *file, by);
    const std::string file = row->fileName;
    switch (row->family) {
        case FAMILY_BOIDS:
            uses->boids = true;
            uses->fish[file].push_back(flockPreset(row->variant)->bodyLength);
            checkObjectUse(report, file, by, context);
            break;
        case FAMILY_SWIMMING:
            uses->swimmers.insert(file);
            checkObjectUse(report, file, by, context);
            break;
        case FAMILY_SOFT_BODY:
            uses->softBodies[file].push_back(row);
            checkObjectUse(report, file, by, context);
            break;
        case FAMILY_LIGHT_BLOB:
            if (checkUse(report, file, by)) uses->blobScenes.insert(file);
            break;
        case FAMILY_TYPING:
            if (checkUse(report, file, by)) uses->typingTexts.insert(file);
            break;
        case FAMILY_BUBBLES:
            // Emitters that follow a path name its three envelope files, one a line.
            for (size_t start = 0, end; start < file.size(); start = end + 1) {
                end = file.find('\n', start);
                if (end == std::string::npos) end = file.size();
                checkUse(report, file.substr(start, end - start), by);
            }
            break;
        default:
            if (!file.empty()) checkUse(report, file, by);
            break;
    }
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
    for (const std::string& text : uses.typingTexts) checkTypingText(report, text);
    if (uses.boids) {
        SurfaceContext shaft{"the light shafts", 0, false, true};
        checkObjectUse(report, SHAFT_OBJECT, "the boids", shaft);
        checkProgramFile(report, SHAFT_VERTEX_PROGRAM, "!!ARBvp1.0");
        checkProgramFile(report, SHAFT_FRAGMENT_PROGRAM, "!!ARBfp1.0");
    }
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
    checkUse(&report, "Demo/Fonts.JPG", "the typing text");
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
