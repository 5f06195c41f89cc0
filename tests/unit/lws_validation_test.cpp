// Scene files written by LightWave itself (a separate validation set, not part of the repository):
// each is read or refused with a message naming it; missing objects are reported, never fatal.
#include <dirent.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/ci.h"
#include "tests/support/process.h"
#include "tests/unit/scene_load_fixture.h"

namespace {

const std::string kValidation = VELMORA_SOURCE_DIR "/../shared/validation/lightwave";
// The objects of the QuickDraw scene lie flattened next to it; the scene names them by their
// original relative paths.
const std::string kObjectPrefix = "models-nonbsd_LWO_LWO2_LWSReferences_";
const std::string kObjectPath = "../LWO/LWO2/LWSReferences/";

std::vector<std::string> filesEndingWith(const std::string& suffix) {
    std::vector<std::string> names;
    DIR* dir = opendir(kValidation.c_str());
    if (!dir) return names;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST_F(SceneLoadTest, LightWaveSceneFilesAreReadOrRefusedCleanly) {
    std::vector<std::string> scenes = filesEndingWith(".lws");
    if (scenes.empty()) SKIP_OUTSIDE_CI("no validation scenes at " + kValidation);
    for (const std::string& name : filesEndingWith(".lwo"))
        if (name.compare(0, kObjectPrefix.size(), kObjectPrefix) == 0)
            add(kObjectPath + name.substr(kObjectPrefix.size()), readFile(kValidation + "/" + name));
    for (const std::string& name : scenes) add(name, readFile(kValidation + "/" + name));

    for (const std::string& name : scenes) {
        SCOPED_TRACE(name);
        bool ok = false;
        Scene* scene = load(name, &ok);
        if (!ok) {
            EXPECT_TRUE(said(name)) << messages;
            EXPECT_EQ(scene->items, nullptr);
            continue;
        }
        EXPECT_LE(scene->itemCount, SCENE_ITEMS);
        for (int32_t i = 0; i < scene->itemCount; ++i) {
            const SceneItem& item = scene->items[i];
            if (!item.isNull && !item.mesh) {
                EXPECT_TRUE(said(item.name)) << "object " << item.name << ": " << messages;
            }
        }
    }

    // The LightWave 6 scene with its objects: every part arrives.
    const std::string quickDraw = "models-nonbsd_LWS_QuickDraw_v.2.2.lws";
    if (std::find(scenes.begin(), scenes.end(), quickDraw) == scenes.end()) return;
    bool ok = false;
    Scene* scene = load(quickDraw, &ok);
    ASSERT_TRUE(ok) << messages;
    ASSERT_EQ(scene->itemCount, 20);
    EXPECT_EQ(scene->lightCount, 1);
    EXPECT_EQ(scene->lights[0].intensity, 1.6f);
    ASSERT_EQ(scene->cameraCount, 1);
    EXPECT_STREQ(scene->cameras[0].name, "Camera");
    EXPECT_EQ(scene->cameras[0].zoom, 3.2f);
    int objects = 0;
    for (int32_t i = 0; i < scene->itemCount; ++i) objects += scene->items[i].isNull ? 0 : 1;
    EXPECT_EQ(objects, 11);
    EXPECT_STREQ(scene->items[0].name, "../LWO/LWO2/LWSReferences/QuickDraw--Chasis.lwo");
    EXPECT_NE(scene->items[0].mesh, nullptr);
    EXPECT_EQ(scene->items[0].parent, &scene->items[14]);  // ParentItem 1000000e
    EXPECT_EQ(scene->items[1].parent, &scene->items[0]);
}
