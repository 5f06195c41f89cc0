// Null items to effect slots: the name table, slot numbering, the 16-slot limit, initialisation with
// the loading bar, and the three passes.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/demo_context.h"
#include "app/shutdown.h"
#include "effects/effect_binding.h"
#include "effects/effect_families.h"
#include "render/effect_passes.h"

namespace {

struct TestScene {
    std::unique_ptr<Scene> scene{new Scene()};
    std::vector<SceneItem> items;
    // "" makes an object item, any other name a null.
    explicit TestScene(const std::vector<std::string>& names) : items(names.size()) {
        for (size_t i = 0; i < names.size(); ++i) {
            items[i].isNull = !names[i].empty();
            snprintf(items[i].name, sizeof items[i].name, "%s", names[i].c_str());
            items[i].motion[0].keyCount = int32_t(i);  // marks whose motion a slot copied
        }
        scene->items = items.data();
        scene->itemCount = int32_t(items.size());
    }
};

std::vector<int> gCalls;
void recordInit(RenderState*, Scene*, EffectSlot* slot) { gCalls.push_back(slot->count); }
void recordRender(RenderState*, EffectSlot* slot, int32_t) { gCalls.push_back(slot->count); }

}  // namespace

TEST(EffectBinding, TableHoldsEveryNameOnceWithItsFamilyAndPass) {
    int count = 0;
    const EffectBinding* rows = effectBindings(&count);
    ASSERT_EQ(count, 73);
    std::set<std::string> names;
    for (int i = 0; i < count; ++i) {
        EXPECT_TRUE(names.insert(rows[i].name).second) << rows[i].name;
        EXPECT_EQ(rows[i].pass, std::string(rows[i].name) == "HorizontalGaussian" ? 3 : 2) << rows[i].name;
        EXPECT_GT(rows[i].family, FAMILY_NONE) << rows[i].name;
    }
    const struct {
        const char* name;
        bool found;
        int32_t count;
    } lookups[] = {{"Bubbles_Whale", true, 200}, {"Bubbles_Whale2", true, 300}, {"Bubbles_Whale2x", false, 0},
                   {"bubbles", false, 0},        {"MetaBalls", true, 3},        {"Herring_Boids_", false, 0}};
    for (const auto& c : lookups) {
        const EffectBinding* row = findEffectBinding(c.name);
        ASSERT_EQ(row != nullptr, c.found) << c.name;
        if (row) {
            EXPECT_EQ(row->count, c.count) << c.name;
        }
    }
    EXPECT_STREQ(findEffectBinding("Bubbles_Usta")->fileName,
                 "Demo/bable_z_ust_X.env\nDemo/bable_z_ust_Y.env\nDemo/bable_z_ust_Z.env");
}

// Cells of the rows as the swimming and soft-body tables list them: the object, the wave variant and
// speed; the soft bodies' centre, scale, mass, stiffness, damping, pressures, gravity, step, follow
// and pin.
TEST(EffectBinding, RowsCarryTheTablesParameters) {
    const struct {
        const char* name;
        const char* file;
        int32_t variant;
        float speed;
    } swimmers[] = {{"Whale", "Demo/wielo.lwo", 0, 1.4f},     {"Whale_Fast", "Demo/wielo2.lwo", 0, 2.1f},
                    {"Kula2", "Demo/kula_tri2.lwo", 0, 3.4f}, {"Babka", "Demo/ELF2.lwo", 4, 6.4f},
                    {"Kula", "Demo/kula_tri2.lwo", 4, 6.4f},  {"Cube", "Demo/Skrzynka.lwo", 4, 3.0f}};
    for (const auto& c : swimmers) {
        const EffectBinding* row = findEffectBinding(c.name);
        ASSERT_NE(row, nullptr) << c.name;
        EXPECT_EQ(row->family, FAMILY_SWIMMING) << c.name;
        EXPECT_STREQ(row->fileName, c.file);
        EXPECT_EQ(row->intParams[0], c.variant) << c.name;
        EXPECT_FLOAT_EQ(row->floatParams[0], c.speed) << c.name;
    }
    const struct {
        const char* name;
        const char* file;
        float params[13];
        int32_t follow, pin;
    } bodies[] = {
        {"SoftBody", "Demo/SoftBody.lwo", {0, 1, 0, 2.2f, 4, 35100, 60, 586320, 700000, 5, -9.81f, 0, 0.0045f}, 0, 0},
        {"SoftSkrzynia", "Demo/Meta.lwo", {-0.5f, 2, 0, 1.2f, 4, 65100, 1, 806320, 3600000, 0, -0.81f, 0, 0.0024f}, 1, 0},
        {"SoftBody2", "Demo/SoftBody2.lwo", {0, 4, 0, 2.2f, 3, 30100, 30, 86320, 10000, 0, -9.81f, -2, 0.0045f}, 0, 1},
        {"SoftBody3", "Demo/SoftBody2.lwo", {0, 4, 0, 2.2f, 3, 30100, 10, 16320, 26000, -3, -9.81f, 0, 0.0045f}, 0, 1},
        {"SoftBody4", "Demo/SoftBody2.lwo", {0, 4, 0, 2.2f, 5, 30100, 10, 16320, 12000, 0, -9.81f, 3, 0.0045f}, 0, 1},
    };
    for (const auto& c : bodies) {
        const EffectBinding* row = findEffectBinding(c.name);
        ASSERT_NE(row, nullptr) << c.name;
        EXPECT_EQ(row->family, FAMILY_SOFT_BODY) << c.name;
        EXPECT_STREQ(row->fileName, c.file);
        for (int k = 0; k < 13; ++k) EXPECT_FLOAT_EQ(row->floatParams[k], c.params[k]) << c.name << " " << k;
        EXPECT_EQ(row->intParams[6], c.follow) << c.name;
        EXPECT_EQ(row->intParams[7], c.pin) << c.name;
    }
}

TEST(EffectBinding, NullsTakeSlotsInItemOrderAndInitAdvancesTheBar) {
    TestScene t({"", "ElectroSin", "NotAnEffect", "", "Bubbles"});
    EXPECT_EQ(bindSceneEffects(t.scene.get()), 0);
    ASSERT_EQ(t.scene->effectSlotCount, 3);
    const EffectSlot* slots = t.scene->effectSlots;
    EXPECT_EQ(slots[0].variant, VARIANT_SURFACE_SINE);
    EXPECT_EQ(slots[1].pass, 0);
    EXPECT_EQ(slots[1].render, nullptr);
    EXPECT_EQ(slots[1].family, FAMILY_NONE);
    EXPECT_EQ(slots[2].count, 50);
    EXPECT_EQ(slots[2].motion[0].keyCount, 4);  // the third null is item 4

    DemoContext* context = demoContext();
    const int32_t clock = context->timeline.startClock, progress = context->render.progress;
    context->timeline.startClock = -1;  // loading: the bar counts
    gCalls.clear();
    for (int k = 0; k < 3; ++k) {
        t.scene->effectSlots[k].count = k;
        if (k != 1) t.scene->effectSlots[k].init = recordInit;
    }
    installPlayerReportHooks();  // the loading bar counts through the player's hook
    initSceneEffects(&context->render, t.scene.get());
    EXPECT_EQ(context->render.progress - progress, 3);
    EXPECT_EQ(gCalls, (std::vector<int>{0, 2}));
    for (int k = 0; k < 3; ++k) EXPECT_EQ(t.scene->effectSlots[k].reset, 1);
    context->timeline.startClock = clock;
    context->render.progress = progress;
}

TEST(EffectBinding, EveryFamilyDescribesItsWholeLifeAndCheck) {
    for (int32_t f = FAMILY_NONE + 1; f < FAMILY_COUNT; ++f) {
        const EffectFamilyDescriptor* d = effectFamily(EffectFamily(f));
        SCOPED_TRACE(d->name);
        EXPECT_TRUE(d->init && d->render && d->release && d->check && d->files);
    }
    EXPECT_EQ(effectFamily(EffectFamily(FAMILY_COUNT)), effectFamily(FAMILY_NONE));
}

TEST(EffectBinding, NullsPastSixteenAreLeftWithoutSlots) {
    TestScene none({"", ""});
    EXPECT_EQ(bindSceneEffects(none.scene.get()), 0);
    EXPECT_EQ(none.scene->effectSlotCount, 0);
    TestScene many(std::vector<std::string>(18, "Whale"));
    EXPECT_EQ(bindSceneEffects(many.scene.get()), 2);
    EXPECT_EQ(many.scene->effectSlotCount, SCENE_EFFECT_SLOTS);
}

TEST(EffectPasses, EachPassCallsOnlyItsSlots) {
    TestScene t({"A", "B", "C", "D"});
    bindSceneEffects(t.scene.get());
    const int32_t passes[] = {1, 2, 3, 1};
    for (int k = 0; k < 4; ++k) {
        t.scene->effectSlots[k].pass = passes[k];
        t.scene->effectSlots[k].count = k;
        t.scene->effectSlots[k].render = recordRender;
    }
    gCalls.clear();
    renderEffectPass(nullptr, t.scene.get(), 1, 0);
    EXPECT_EQ(gCalls, (std::vector<int>{0, 3}));
    gCalls.clear();
    for (int n = -1; n < 6; ++n) renderNullEffect(nullptr, t.scene.get(), n, 0);
    renderEffectPass(nullptr, t.scene.get(), 3, 0);
    EXPECT_EQ(gCalls, (std::vector<int>{1, 2}));

    resetSceneEffects(t.scene.get());
    for (const EffectSlot& slot : t.scene->effectSlots) EXPECT_EQ(slot.reset, 1);
}
