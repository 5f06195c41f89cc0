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
