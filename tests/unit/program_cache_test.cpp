// The program caches' probe sequence and the material keys that index them.
#include <gtest/gtest.h>

#include <memory>

#include "render/material_keys.h"
#include "scene/layer_flags.h"
#include "scene/program_cache.h"
#include "scene/scene.h"

namespace {

std::unique_ptr<ProgramCache> emptyCache() { return std::unique_ptr<ProgramCache>(new ProgramCache()); }

}  // namespace

TEST(ProgramCache, ProbesFromKeyModSlotsByKeyMod97PlusOne) {
    auto cache = emptyCache();
    const uint32_t key = 5000;  // start 838, step 54
    EXPECT_EQ(programCacheStart(key), 838u);
    EXPECT_EQ(programCacheStep(key), 54u);
    EXPECT_EQ(programCacheFind(cache.get(), key), -1);
    EXPECT_EQ(programCacheInsert(cache.get(), key, 11), 838);
    EXPECT_EQ(programCacheFind(cache.get(), key), 838);
    EXPECT_EQ(cache->slots[838].program, 11u);

    // Same start and step: the next slot on the path, then the one after.
    const uint32_t twin = key + 2081u * 97u;
    EXPECT_EQ(programCacheInsert(cache.get(), twin, 12), 838 + 54);
    EXPECT_EQ(programCacheInsert(cache.get(), twin + 2081u * 97u, 13), 838 + 108);
    EXPECT_EQ(programCacheFind(cache.get(), twin), 838 + 54);
    EXPECT_EQ(programCacheFind(cache.get(), twin + 2081u * 97u), 838 + 108);

    // Same start, another step (step 1): it walks on from 838 by one.
    const uint32_t neighbour = 838 + 2081u * 4u;  // 9162: 9162 % 97 = 44 -> step 45
    EXPECT_EQ(programCacheStep(neighbour), 45u);
    EXPECT_EQ(programCacheInsert(cache.get(), neighbour, 14), 838 + 45);

    // Wrapping past the last slot.
    const uint32_t high = 2080;  // step 2080 % 97 + 1 = 44
    EXPECT_EQ(programCacheInsert(cache.get(), high, 15), 2080);
    EXPECT_EQ(programCacheInsert(cache.get(), high + 2081u * 97u, 16), (2080 + 44) % 2081);
}

TEST(ProgramCache, KeyZeroIsNeverFoundNorStored) {
    auto cache = emptyCache();
    EXPECT_EQ(programCacheInsert(cache.get(), 0, 7), -1);
    EXPECT_EQ(programCacheFind(cache.get(), 0), -1);
    programCacheInsert(cache.get(), 2081, 8);  // occupies slot 0
    EXPECT_EQ(programCacheFind(cache.get(), 0), -1);
}

TEST(ProgramCache, AFullTableEndsEveryWalk) {
    auto cache = emptyCache();
    for (uint32_t k = 1; k <= PROGRAM_CACHE_SLOTS; ++k) ASSERT_GE(programCacheInsert(cache.get(), k, k), 0) << k;
    EXPECT_EQ(programCacheInsert(cache.get(), 99999, 1), -1);
    EXPECT_EQ(programCacheFind(cache.get(), 99999), -1);
    EXPECT_GE(programCacheFind(cache.get(), 1234), 0);
}

TEST(MaterialKeys, VertexKeyFields) {
    std::unique_ptr<Scene> scene(new Scene());
    SceneItem item = {};
    Surface surface = {};
    EXPECT_EQ(vertexMaterialKey(scene.get(), &item, &surface), 0u);

    scene->lightCount = 3;
    scene->lights[0].type = 0;
    scene->lights[1].type = 1;
    scene->lights[2].type = 256;  // read as a byte: distant
    scene->setup.fogType = 1;
    scene->setup.shadowsOn = 1;
    item.boneCount = 1;
    surface.bumpLayer = 1;
    surface.specular = 0.002f;
    surface.layerCount = 3;
    surface.layerFlags[0] = LAYER_UV | LAYER_NORMAL_MAP;
    surface.layerFlags[1] = LAYER_ENVIRONMENT;
    surface.layerFlags[2] = LAYER_CAUSTICS;
    uint32_t expected = 0x1F | (3u << 5) | (1u << 8) | (1u << 10) | (1u << 11) | (2u << 13) | (3u << 15);
    EXPECT_EQ(vertexMaterialKey(scene.get(), &item, &surface), expected);

    surface.specular = 0.001f;  // not above the threshold
    EXPECT_EQ(vertexMaterialKey(scene.get(), &item, &surface), expected & ~0x10u);
}

TEST(MaterialKeys, FieldsPastBit31WrapAndOverlap) {
    std::unique_ptr<Scene> scene(new Scene());
    scene->lightCount = 8;
    for (int j = 0; j < 8; ++j) scene->lights[j].type = 1;
    SceneItem item = {};
    Surface surface = {};
    surface.layerCount = 8;
    for (int m = 0; m < 8; ++m) surface.layerFlags[m] = LAYER_UV;
    // Layer m of the vertex key at 16 + 2m: layers 0..7 fill bits 16..31.
    uint32_t vertex = (8u << 5);
    for (int m = 0; m < 8; ++m) vertex |= 1u << (16 + 2 * m);
    EXPECT_EQ(vertexMaterialKey(scene.get(), &item, &surface), vertex);

    // Fragment layers at 9 + 4m: layer 6 lands at bit 1, layer 7 at bit 5.
    for (int m = 0; m < 8; ++m) surface.layerFlags[m] = LAYER_MULTIPLY | LAYER_HEIGHT_MAP;  // code 1 | 6 = 7
    uint32_t fragment = 8u << 6;
    for (int m = 0; m < 8; ++m) fragment |= 7u << ((9 + 4 * m) & 31);
    EXPECT_EQ(fragmentMaterialKey(scene.get(), &surface), fragment);
    EXPECT_NE(fragment & 0x2u, 0u);
}

TEST(MaterialKeys, FragmentKeyFieldsAndLayerCodes) {
    std::unique_ptr<Scene> scene(new Scene());
    Surface surface = {};
    scene->setup.fogType = 3;
    scene->setup.shadowsOn = 1;
    scene->setup.shadowMode = 2;
    scene->lightCount = 2;
    surface.bumpLayer = 2;
    surface.specular = 1;
    surface.glow = 0.5f;
    surface.layerCount = 7;
    surface.layerFlags[0] = LAYER_ADD | LAYER_NORMAL_MAP;                // 2 | 3
    surface.layerFlags[1] = LAYER_SPECULAR_MAP | LAYER_TRANSPARENT;      // 4
    surface.layerFlags[2] = LAYER_MULTIPLY | LAYER_GLOSS_MAP;            // 1 | 5
    surface.layerFlags[3] = LAYER_ADDITIVE;                              // 7
    surface.layerFlags[4] = LAYER_CAUSTICS | LAYER_ENVIRONMENT;          // 8
    surface.layerFlags[5] = LAYER_ENVIRONMENT | LAYER_DIFFERENCE;        // 9
    surface.layerFlags[6] = LAYER_UV;                                    // 0
    uint32_t expected = 0x1 | 0x4 | 0x8 | 0x10 | 0x20 | (2u << 6) | (3u << 9) | (4u << 13) | (5u << 17) |
                        (7u << 21) | (8u << 25) | (9u << 29);  // the top bit of layer 5 falls off
    EXPECT_EQ(fragmentMaterialKey(scene.get(), &surface), expected);
    scene->setup.shadowMode = 1;
    EXPECT_EQ(fragmentMaterialKey(scene.get(), &surface), (expected & ~0x4u) | 0x2u);
    scene->setup.shadowsOn = 0;
    EXPECT_EQ(fragmentMaterialKey(scene.get(), &surface), expected & ~0x6u);
}
