// The clip list, the scheduler's choices and the garbage-collection points.
#include <algorithm>
#include <string>
#include <vector>

#include "app/shutdown.h"
#include "tests/unit/timeline_fixture.h"
#include "timeline/scheduler.h"

namespace {

struct Node {
    int32_t start;
    int32_t offset;
    int scene;  // slot index, -1 for none
    bool operator==(const Node& o) const { return start == o.start && offset == o.offset && scene == o.scene; }
};

std::ostream& operator<<(std::ostream& out, const Node& n) {
    return out << "{" << n.start << ", " << n.offset << ", " << n.scene << "}";
}

class ClipListTest : public TimelineTest {
protected:
    Scene* a = nullptr;
    Scene* b = nullptr;
    Scene* c = nullptr;

    void SetUp() override {
        TimelineTest::SetUp();
        makeScenes(4);
        a = namedScene(0, "a");
        b = namedScene(1, "b");
        c = namedScene(2, "c");
        initClipList(&ctx->timeline);
    }

    // The list as (start, offset, scene slot), after checking both link directions and the order.
    std::vector<Node> nodes() {
        std::vector<Node> out;
        const Clip* prev = nullptr;
        for (const Clip* clip = ctx->timeline.clipHead; clip; prev = clip, clip = clip->next) {
            EXPECT_EQ(clip->prev, prev);
            if (prev) {
                EXPECT_LT(prev->start, clip->start);
            }
            EXPECT_EQ(clip->scene == nullptr, clip->camera == nullptr);
            out.push_back({clip->start, clip->offset, clip->scene ? int(clip->scene - ctx->timeline.scenes) : -1});
        }
        EXPECT_EQ(prev, ctx->timeline.clipTail);
        return out;
    }

    // Scene slot and scene time in force at t; {-2, 0} past the end.
    std::pair<int, int32_t> at(int32_t t) {
        int32_t sceneTime = -999;
        const Clip* clip = clipAt(&ctx->timeline, t, &sceneTime);
        if (!clip) return {-2, 0};
        return {clip->scene ? int(clip->scene - ctx->timeline.scenes) : -1, sceneTime};
    }
};

TEST_F(ClipListTest, EmptyListIsBlackFromZeroToDuration) {
    EXPECT_EQ(nodes(), (std::vector<Node>{{0, 0, -1}, {60000, 0, -1}}));
    EXPECT_EQ(at(0).first, -1);
    EXPECT_EQ(at(60000).first, -1);
    EXPECT_EQ(at(60001).first, -2);
}

TEST_F(ClipListTest, ClipAtZeroReplacesTheHead) {
    ASSERT_TRUE(play(a, 0, 1000, 31000));
    EXPECT_EQ(nodes(), (std::vector<Node>{{0, 1000, 0}, {30000, 30000, -1}, {60000, 0, -1}}));
    EXPECT_EQ(at(500), std::make_pair(0, 1500));
}

TEST_F(ClipListTest, ClipInsideAnotherSplitsIt) {
    ASSERT_TRUE(play(a, 0, 0, 30000));
    ASSERT_TRUE(play(b, 10000, 5000, 15000));
    EXPECT_EQ(nodes(), (std::vector<Node>{
                           {0, 0, 0}, {10000, 5000, 1}, {20000, 20000, 0}, {30000, 30000, -1}, {60000, 0, -1}}));
    EXPECT_EQ(at(9999), std::make_pair(0, 9999));
    EXPECT_EQ(at(12000), std::make_pair(1, 7000));
    // The old clip resumes where it would have been.
    EXPECT_EQ(at(25000), std::make_pair(0, 25000));
}

TEST_F(ClipListTest, PlayTimesMapDemoTimeToSceneTime) {
    ASSERT_TRUE(play(a, 10000, 2000, 7000));
    EXPECT_EQ(at(10000).first, -1);  // a node is in force after its start
    EXPECT_EQ(at(10001), std::make_pair(0, 2001));
    EXPECT_EQ(at(15000), std::make_pair(0, 7000));
    EXPECT_EQ(at(15001), std::make_pair(-1, 15001));
}

TEST_F(ClipListTest, ClipPastTheDurationRunsToTheEnd) {
    ASSERT_TRUE(play(a, 50000, 0, 20000));
    EXPECT_EQ(nodes(), (std::vector<Node>{{0, 0, -1}, {50000, 0, 0}, {60000, 0, -1}}));
    EXPECT_EQ(at(60000), std::make_pair(0, 10000));
    EXPECT_EQ(at(60001).first, -2);
}

TEST_F(ClipListTest, ClipOverSeveralNodesRemovesThemAndResumesTheLast) {
    ASSERT_TRUE(play(a, 10000, 0, 10000));
    ASSERT_TRUE(play(b, 20000, 0, 10000));
    ASSERT_TRUE(play(a, 30000, 100000, 120000));
    ASSERT_TRUE(play(c, 5000, 0, 30000));  // 5 s .. 35 s
    EXPECT_EQ(nodes(), (std::vector<Node>{
                           {0, 0, -1}, {5000, 0, 2}, {35000, 105000, 0}, {50000, 50000, -1}, {60000, 0, -1}}));
}

TEST_F(ClipListTest, ClipAtAnExistingStartReusesThatNode) {
    ASSERT_TRUE(play(a, 10000, 0, 10000));
    ASSERT_TRUE(play(b, 10000, 500, 5500));
    EXPECT_EQ(nodes(), (std::vector<Node>{
                           {0, 0, -1}, {10000, 500, 1}, {15000, 5000, 0}, {20000, 20000, -1}, {60000, 0, -1}}));
}

TEST_F(ClipListTest, ClipEndingAtANodeStartLeavesThatNodeAlone) {
    ASSERT_TRUE(play(a, 20000, 7000, 17000));
    ASSERT_TRUE(play(b, 10000, 0, 10000));  // ends exactly where a begins
    EXPECT_EQ(nodes(), (std::vector<Node>{
                           {0, 0, -1}, {10000, 0, 1}, {20000, 7000, 0}, {30000, 30000, -1}, {60000, 0, -1}}));
    EXPECT_EQ(at(25000), std::make_pair(0, 12000));
    // Ending exactly at the tail needs no continuation either.
    ASSERT_TRUE(play(c, 50000, 0, 10000));
    EXPECT_EQ(nodes().back(), (Node{60000, 0, -1}));
    EXPECT_EQ(nodes()[nodes().size() - 2], (Node{50000, 0, 2}));
}

TEST_F(ClipListTest, ClipsOutsideTheListOrWithoutLengthChangeNothing) {
    ASSERT_TRUE(play(a, 0, 0, 10000));
    std::vector<Node> before = nodes();
    EXPECT_FALSE(play(b, -1, 0, 1000));
    EXPECT_FALSE(play(b, 60000, 0, 1000));
    EXPECT_FALSE(play(b, 70000, 0, 1000));
    EXPECT_FALSE(play(b, 5000, 3000, 3000));
    EXPECT_FALSE(play(b, 5000, 3000, 2000));
    EXPECT_EQ(nodes(), before);
}

// ---- scheduler ----

class SchedulerTest : public ClipListTest {
protected:
    bool advance(int32_t t) {
        int32_t sceneTime = 0;
        return advanceTimeline(&ctx->timeline, &ctx->render, t, &sceneTime);
    }
    void clearResets() {
        for (int k = 0; k < ctx->timeline.sceneCount; ++k)
            for (auto& slot : ctx->timeline.scenes[k].effectSlots) slot.reset = 0;
    }
    int resetSlots(const Scene* scene) {
        return static_cast<int>(std::count_if(std::begin(scene->effectSlots), std::end(scene->effectSlots),
                                              [](const EffectSlot& s) { return s.reset == 1; }));
    }
};

TEST_F(SchedulerTest, EmptyTimelineIsBlackThenQuits) {
    ASSERT_TRUE(advance(30000));
    EXPECT_EQ(ctx->render.currentScene, nullptr);
    EXPECT_EQ(ctx->render.currentCamera, nullptr);
    EXPECT_FALSE(ctx->timeline.quit.posted);
    EXPECT_TRUE(advance(60000));
    EXPECT_FALSE(advance(60001));
    EXPECT_EQ(ctx->timeline.quit.posted, 1);
    EXPECT_EQ(ctx->timeline.quit.code, 0);
}

TEST_F(SchedulerTest, EndsAtWhicheverOfGlobalEndAndDurationComesFirst) {
    ctx->timeline.globalEnd = 20000;
    EXPECT_TRUE(advance(20000));
    EXPECT_FALSE(advance(20001));
    EXPECT_EQ(ctx->timeline.quit.posted, 1);

    ctx->timeline.quit.posted = 0;
    ctx->timeline.globalEnd = 90000;
    EXPECT_TRUE(advance(60000));
    EXPECT_FALSE(advance(60001));
    EXPECT_EQ(ctx->timeline.quit.posted, 1);
}

TEST_F(SchedulerTest, LoopingAtGlobalEndRestartsTheClockAndResetsEveryEffect) {
    ctx->timeline.loop = 1;
    ctx->timeline.globalEnd = 20000;
    ctx->timeline.startClock = -12345;
    EXPECT_FALSE(advance(20001));
    EXPECT_FALSE(ctx->timeline.quit.posted);
    EXPECT_GE(ctx->timeline.startClock, 0);
    for (int k = 0; k < ctx->timeline.sceneCount; ++k) EXPECT_EQ(resetSlots(&ctx->timeline.scenes[k]), SCENE_EFFECT_SLOTS);
}

TEST_F(SchedulerTest, LoopingAtTheDurationRestartsTheClockOnly) {
    ctx->timeline.loop = 1;
    ctx->timeline.globalEnd = 90000;
    ctx->timeline.startClock = -12345;
    EXPECT_FALSE(advance(60001));
    EXPECT_FALSE(ctx->timeline.quit.posted);
    EXPECT_GE(ctx->timeline.startClock, 0);
    for (int k = 0; k < ctx->timeline.sceneCount; ++k) EXPECT_EQ(resetSlots(&ctx->timeline.scenes[k]), 0);
}

TEST_F(SchedulerTest, SceneChangesResetTheNewScenesEffects) {
    ASSERT_TRUE(play(a, 0, 0, 10000));
    ASSERT_TRUE(play(b, 10000, 0, 10000));
    ASSERT_TRUE(play(a, 20000, 40000, 50000));

    ASSERT_TRUE(advance(5000));
    EXPECT_EQ(ctx->render.currentScene, a);
    EXPECT_EQ(ctx->render.currentCamera, &a->cameras[0]);
    EXPECT_EQ(a->time, 5000);
    EXPECT_EQ(resetSlots(a), SCENE_EFFECT_SLOTS);
    clearResets();

    ASSERT_TRUE(advance(6000));
    EXPECT_EQ(resetSlots(a), 0);

    ASSERT_TRUE(advance(15000));
    EXPECT_EQ(ctx->render.currentScene, b);
    EXPECT_EQ(resetSlots(b), SCENE_EFFECT_SLOTS);
    EXPECT_EQ(resetSlots(a), 0);
    clearResets();

    int32_t sceneTime = 0;
    ASSERT_TRUE(advanceTimeline(&ctx->timeline, &ctx->render, 25000, &sceneTime));
    EXPECT_EQ(sceneTime, 45000);
    EXPECT_EQ(resetSlots(a), SCENE_EFFECT_SLOTS);
    EXPECT_EQ(resetSlots(b), 0);
}

TEST_F(SchedulerTest, InitForgetsTheLastScene) {
    ASSERT_TRUE(play(a, 0, 0, 10000));
    ASSERT_TRUE(advance(5000));
    clearResets();
    initClipList(&ctx->timeline);
    ASSERT_TRUE(play(a, 0, 0, 10000));
    ASSERT_TRUE(advance(5000));
    EXPECT_EQ(resetSlots(a), SCENE_EFFECT_SLOTS);
}

// ---- garbage collection ----

// Textures 0..5; meshes: m0 {t0, t1} + {t2}, m1 {t2}, m2 {t3, t1}, m3 {t4}.
// Scene a: m0, m1 and a null; b: m1, m2; c: m3.
class GcTest : public SchedulerTest {
protected:
    Mesh* m[4] = {};

    void SetUp() override {
        SchedulerTest::SetUp();
        makeTextures(6);
        m[0] = addMesh({{0, 1}, {2}});
        m[1] = addMesh({{2}});
        m[2] = addMesh({{3, 1}});
        m[3] = addMesh({{4}});
        addItem(a, m[0], 1, 2);
        addItem(a, m[1], 3, 4);
        addItem(a, nullptr);
        addItem(b, m[1], 3, 4);
        addItem(b, m[2], 5, 6);
        addItem(c, m[3], 7, 8);
    }

    static std::vector<int> sorted(const int32_t* v, int32_t n) {
        std::vector<int> out(v, v + n);
        std::sort(out.begin(), out.end());
        return out;
    }
    static std::vector<int> textures(const GcNode* node) { return sorted(node->textures, node->textureCount); }
    static std::vector<int> meshes(const GcNode* node) { return sorted(node->meshes, node->meshCount); }
};

TEST_F(GcTest, PointsFreeWhatFinishedClipsUsedAndNoLaterClipNeeds) {
    ASSERT_TRUE(play(a, 0, 0, 10000));
    ASSERT_TRUE(play(b, 10000, 0, 10000));
    ASSERT_TRUE(play(c, 20000, 0, 10000));
    addGcPoint(&ctx->timeline, &ctx->render, 15000);
    addGcPoint(&ctx->timeline, &ctx->render, 25000);
    ASSERT_EQ(gcCount(), 2);
    const GcNode* first = ctx->timeline.gcHead;
    const GcNode* second = first->next;
    // a is over; b still uses m1 and texture 1 (through m2).
    EXPECT_EQ(meshes(first), (std::vector<int>{0}));
    EXPECT_EQ(textures(first), (std::vector<int>{0}));
    // b, in force at the previous point, has finished since.
    EXPECT_EQ(meshes(second), (std::vector<int>{1, 2}));
    EXPECT_EQ(textures(second), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(second->prev, first);
    EXPECT_EQ(ctx->timeline.gcTail, second);
}

TEST_F(GcTest, PointFreesNothingALaterClipShows) {
    ASSERT_TRUE(play(a, 0, 0, 10000));
    ASSERT_TRUE(play(b, 10000, 0, 10000));
    ASSERT_TRUE(play(a, 40000, 0, 10000));
    addGcPoint(&ctx->timeline, &ctx->render, 30000);
    const GcNode* node = ctx->timeline.gcHead;
    EXPECT_EQ(meshes(node), (std::vector<int>{2}));
    EXPECT_EQ(textures(node), (std::vector<int>{3}));
}

TEST_F(GcTest, RebuildTakesClipsEnteredAfterThePoint) {
    ASSERT_TRUE(play(a, 0, 0, 10000));
    addGcPoint(&ctx->timeline, &ctx->render, 15000);
    ASSERT_TRUE(play(a, 20000, 0, 10000));  // a is back after the point
    rebuildGcLists(&ctx->timeline, &ctx->render);
    EXPECT_EQ(ctx->timeline.gcHead->meshCount, 0);
    EXPECT_EQ(ctx->timeline.gcHead->textureCount, 0);
}

TEST_F(GcTest, PointsOutOfOrderOrPastTheDurationExit102) {
    addGcPoint(&ctx->timeline, &ctx->render, 20000);
    EXPECT_EXIT(addGcPoint(&ctx->timeline, &ctx->render, 10000), ::testing::ExitedWithCode(EXIT_GC_ORDER), "");
    EXPECT_EXIT(addGcPoint(&ctx->timeline, &ctx->render, 60001), ::testing::ExitedWithCode(EXIT_GC_ORDER), "");
    addGcPoint(&ctx->timeline, &ctx->render, 20000);  // the same time again: ignored
    addGcPoint(&ctx->timeline, &ctx->render, 60000);
    EXPECT_EQ(gcCount(), 2);
}

TEST_F(GcTest, CollectFreesTexturesBuffersAndUnsharedPrograms) {
    // c's item shares a's first programs: they must survive.
    c->items[0].surfaces[0].vertexProgram = 1;
    c->items[0].surfaces[0].fragmentProgram = 2;
    ASSERT_TRUE(play(a, 0, 0, 10000));
    ASSERT_TRUE(play(c, 20000, 0, 10000));
    addGcPoint(&ctx->timeline, &ctx->render, 15000);
    GcNode* node = ctx->timeline.gcHead;
    ASSERT_EQ(meshes(node), (std::vector<int>{0, 1}));
    collect(&ctx->timeline, &ctx->render, node);

    for (int t = 0; t < 6; ++t) EXPECT_EQ(ctx->render.textures.entries[t].names[0] == 0, t <= 2) << "texture " << t;
    for (int k = 0; k < 4; ++k)
        for (int32_t s = 0; s < m[k]->surfaceCount; ++s) {
            EXPECT_EQ(m[k]->surfaces[s].vertexBuffer == 0, k <= 1) << "mesh " << k;
            EXPECT_EQ(m[k]->surfaces[s].indexBuffer == 0, k <= 1) << "mesh " << k;
        }
    // Every item of the freed meshes, in every scene, loses its programs.
    for (const SceneItem* item : {&a->items[0], &a->items[1], &b->items[0]})
        for (int32_t s = 0; s < item->surfaceCount; ++s) {
            EXPECT_EQ(item->surfaces[s].vertexProgram, 0u);
            EXPECT_EQ(item->surfaces[s].fragmentProgram, 0u);
        }
    EXPECT_EQ(b->items[1].surfaces[0].vertexProgram, 5u);
    EXPECT_TRUE(programInUse(&ctx->timeline, 1, false));
    EXPECT_TRUE(programInUse(&ctx->timeline, 2, true));
    EXPECT_FALSE(programInUse(&ctx->timeline, 3, false));
    EXPECT_FALSE(programInUse(&ctx->timeline, 2, false));  // vertex and fragment programs are told apart
}

TEST_F(GcTest, DuePointsAreCollectedOnce) {
    ASSERT_TRUE(play(a, 0, 0, 10000));
    ASSERT_TRUE(play(c, 10000, 0, 10000));
    addGcPoint(&ctx->timeline, &ctx->render, 15000);
    GcNode* node = ctx->timeline.gcHead;
    ASSERT_TRUE(advance(15000));
    EXPECT_EQ(node->done, 0);
    EXPECT_NE(ctx->render.textures.entries[0].names[0], 0u);
    ASSERT_TRUE(advance(15001));
    EXPECT_EQ(node->done, 1);
    EXPECT_EQ(ctx->render.textures.entries[0].names[0], 0u);
    // Once done, a point is not run again: what reappears later is left alone.
    ctx->render.textures.entries[0].names[0] = 55;
    ASSERT_TRUE(advance(16000));
    EXPECT_EQ(ctx->render.textures.entries[0].names[0], 55u);
}

TEST_F(GcTest, LongFrameCollectsEveryPassedPoint) {
    ASSERT_TRUE(play(a, 0, 0, 10000));
    ASSERT_TRUE(play(b, 10000, 0, 10000));
    ASSERT_TRUE(play(c, 20000, 0, 10000));
    addGcPoint(&ctx->timeline, &ctx->render, 15000);
    addGcPoint(&ctx->timeline, &ctx->render, 25000);
    ASSERT_TRUE(advance(26000));
    EXPECT_EQ(ctx->timeline.gcHead->done, 1);
    EXPECT_EQ(ctx->timeline.gcTail->done, 1);
    EXPECT_EQ(ctx->render.textures.entries[0].names[0], 0u);
    EXPECT_EQ(ctx->render.textures.entries[3].names[0], 0u);
}

TEST_F(GcTest, LoopingDemoNeverCollects) {
    ctx->timeline.loop = 1;
    ASSERT_TRUE(play(a, 0, 0, 10000));
    ASSERT_TRUE(play(c, 10000, 0, 10000));
    addGcPoint(&ctx->timeline, &ctx->render, 15000);
    ASSERT_TRUE(advance(30000));
    EXPECT_EQ(ctx->timeline.gcHead->done, 0);
    for (int t = 0; t < 6; ++t) EXPECT_NE(ctx->render.textures.entries[t].names[0], 0u);
    EXPECT_NE(m[0]->surfaces[0].vertexBuffer, 0u);
    EXPECT_EQ(a->items[0].surfaces[0].vertexProgram, 1u);
}

}  // namespace
