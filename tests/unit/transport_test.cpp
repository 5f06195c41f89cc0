// What the authoring keys do to the demo time, the overlay line, and the catch-up of effects with a
// past after a jump.
#include <cstring>
#include <vector>

#include "app/overlay_line.h"
#include "app/transport.h"
#include "effects/bubbles/bubbles.h"
#include "effects/effect_binding.h"
#include "effects/effect_catch_up.h"
#include "tests/unit/timeline_fixture.h"
#include "timeline/catch_up.h"
#include "timeline/scheduler.h"

namespace {

// a from 0 to 10 s, b to 25 s, a again to 40 s, then black to the end at 60 s.
class TransportTest : public TimelineTest {
protected:
    Scene* a = nullptr;
    Scene* b = nullptr;
    Transport transport = {};

    void SetUp() override {
        TimelineTest::SetUp();
        makeScenes(2);
        a = namedScene(0, "a");
        b = namedScene(1, "b");
        initClipList(&ctx->timeline);
        play(a, 0, 0, 10000);
        play(b, 10000, 0, 15000);
        play(a, 25000, 10000, 25000);
    }

    int32_t press(PlatformKey key, int32_t now, bool shift = false, TransportAction expected = TRANSPORT_JUMP) {
        int32_t target = -1;
        TransportView view = {&ctx->timeline, now, 2000, 25};
        EXPECT_EQ(transportKey(&transport, key, shift, view, &target), expected) << key << " at " << now;
        return target;
    }
};

TEST_F(TransportTest, JumpsLandOnTheirDemoTimes) {
    struct Case {
        PlatformKey key;
        bool shift;
        int32_t now;
        int32_t target;
    } cases[] = {
        {PLATFORM_KEY_RIGHT, false, 5000, 6000},     {PLATFORM_KEY_RIGHT, true, 5000, 15000},
        {PLATFORM_KEY_LEFT, false, 5000, 4000},      {PLATFORM_KEY_LEFT, true, 5000, 0},
        {PLATFORM_KEY_RIGHT, true, 55000, 60000},    {PLATFORM_KEY_HOME, false, 30000, 2000},
        // A clip is in force after its start: its first frame is one millisecond later.
        {PLATFORM_KEY_PAGE_DOWN, false, 5000, 10001}, {PLATFORM_KEY_PAGE_DOWN, false, 10000, 10001},
        {PLATFORM_KEY_PAGE_DOWN, false, 12000, 25001}, {PLATFORM_KEY_PAGE_UP, false, 30000, 10001},
        {PLATFORM_KEY_PAGE_UP, false, 12000, 0},      {PLATFORM_KEY_PAGE_UP, false, 3000, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(press(c.key, c.now, c.shift), c.target) << c.key << " at " << c.now;
    // The last clip (black to the end) has no next one.
    press(PLATFORM_KEY_PAGE_DOWN, 45000, false, TRANSPORT_NONE);
}

TEST_F(TransportTest, PauseHoldsTheTimeAndStepsGoFrameByFrame) {
    // Steps are for a still picture only.
    press(PLATFORM_KEY_PERIOD, 1000, false, TRANSPORT_NONE);
    press(PLATFORM_KEY_SPACE, 1010, false, TRANSPORT_PAUSE);
    EXPECT_TRUE(transport.paused);
    EXPECT_EQ(transport.heldTime, 1010);
    EXPECT_EQ(press(PLATFORM_KEY_PERIOD, 1010), 1040);
    EXPECT_EQ(transport.heldTime, 1040);
    EXPECT_EQ(press(PLATFORM_KEY_PERIOD, 1040), 1080);
    EXPECT_EQ(press(PLATFORM_KEY_COMMA, 1080), 1040);
    EXPECT_EQ(press(PLATFORM_KEY_COMMA, 1050), 1040);
    EXPECT_EQ(press(PLATFORM_KEY_COMMA, 0), 0);
    // A seek while paused stays paused at its target.
    EXPECT_EQ(press(PLATFORM_KEY_RIGHT, 1040), 2040);
    EXPECT_EQ(transport.heldTime, 2040);
    press(PLATFORM_KEY_SPACE, 2040, false, TRANSPORT_RESUME);
    EXPECT_FALSE(transport.paused);
}

TEST(FrameSteps, FollowTheCaptureClock) {
    struct Case {
        int32_t time, fps, next, previous;
    } cases[] = {
        {0, 25, 40, 0}, {40, 25, 80, 0}, {41, 25, 80, 40}, {1000, 3, 1333, 666}, {1333, 3, 1666, 1000},
        {1334, 3, 1666, 1333}, {999, 1, 1000, 0}, {59999, 240, 60000, 59995},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(nextFrameTime(c.time, c.fps), c.next) << c.time << " at " << c.fps;
        EXPECT_EQ(previousFrameTime(c.time, c.fps), c.previous) << c.time << " at " << c.fps;
    }
}

TEST_F(TransportTest, LoopingAClipGoesBackToItsFirstFrame) {
    press(PLATFORM_KEY_L, 12000, false, TRANSPORT_NONE);
    EXPECT_EQ(transportLoopBack(&transport, 25000), -1);
    EXPECT_EQ(transportLoopBack(&transport, 25001), 10001);
    press(PLATFORM_KEY_L, 12000, false, TRANSPORT_NONE);
    EXPECT_EQ(transportLoopBack(&transport, 25001), -1);
}

TEST(OverlayLine, ShowsTimeSceneCameraClipRateAndMessage) {
    char line[256];
    OverlayInfo info = {61500, "Lawica", "Camera", 5, 23, 24.84f, false, false, ""};
    formatOverlayLine(info, line, sizeof line);
    EXPECT_STREQ(line, "1:01:500  Lawica  Camera  clip 5/23  24.8 fps");
    info = {0, nullptr, "", 0, 3, 0.0f, true, true, "Scenes/A.lws: line 3: bad number"};
    formatOverlayLine(info, line, sizeof line);
    EXPECT_STREQ(line, "0:00:000  -  -  clip 0/3  0.0 fps  paused  loop  Scenes/A.lws: line 3: bad number");
}

// A plume whose state outlives resets, shown in a, and a caught-up start must agree byte for byte
// with playing from 0 at the same rate, also after b has been shown in between.
class CatchUpTest : public TransportTest {
protected:
    EffectsState effects = {};

    void SetUp() override {
        TransportTest::SetUp();
        ctx->render.effects = &effects;
        effects.bubbles.vertexProgram = 1;  // stands in for the program the draw would need
        a->effectSlotCount = 1;
        EffectSlot* slot = &a->effectSlots[0];
        const EffectBinding* row = findEffectBinding("Bubbles");
        ASSERT_NE(row, nullptr);
        slot->family = FAMILY_BUBBLES;
        slot->variant = row->variant;
        slot->pass = row->pass;
        slot->count = row->count;
        std::memcpy(slot->intParams, row->intParams, sizeof slot->intParams);
        std::memcpy(slot->floatParams, row->floatParams, sizeof slot->floatParams);
        slot->render = bubblesRender;
        slot->state = bubblesCreate(slot, bubbleEmitterOf(slot->variant));
        // The warm-up: two frames, then every slot reset and kept.
        advanceSceneEffects(&ctx->render, a, 0, false);
        advanceSceneEffects(&ctx->render, a, 33, false);
        resetAllEffects(ctx->timeline.scenes, ctx->timeline.sceneCount);
        keepEffectStates(ctx->timeline.scenes, ctx->timeline.sceneCount);
    }
    void TearDown() override {
        bubblesFree(static_cast<BubblesState*>(a->effectSlots[0].state));
        TransportTest::TearDown();
    }

    // The timed frame as the scheduler and renderFrame see it, without drawing.
    void frame(int32_t demoTime) {
        int32_t sceneTime = 0;
        if (advanceTimeline(&ctx->timeline, &ctx->render, demoTime, &sceneTime) && ctx->render.currentScene)
            advanceSceneEffects(&ctx->render, ctx->render.currentScene, sceneTime, false);
    }
    std::vector<uint8_t> particles() const {
        const BubblesState* s = static_cast<const BubblesState*>(a->effectSlots[0].state);
        const uint8_t* p = reinterpret_cast<const uint8_t*>(s->particles);
        std::vector<uint8_t> bytes(p, p + s->count * sizeof(BubbleParticle));
        bytes.insert(bytes.end(), reinterpret_cast<const uint8_t*>(&s->lastTime),
                     reinterpret_cast<const uint8_t*>(&s->lastTime) + sizeof s->lastTime);
        return bytes;
    }
};

TEST_F(CatchUpTest, AJumpGivesTheStatePlayingFromTheStartGivesAndAPauseKeepsIt) {
    const int32_t fps = 5;
    for (int32_t target : {200, 9800, 10000, 10200, 26000, 31000}) {
        std::vector<uint8_t> played;
        restoreEffectStates(ctx->timeline.scenes, ctx->timeline.sceneCount);
        resetAllEffects(ctx->timeline.scenes, ctx->timeline.sceneCount);
        ctx->timeline.lastScene = nullptr;
        for (int32_t m = 0; m * 1000 / fps <= target; ++m) frame(m * 1000 / fps);
        played = particles();

        // Some other history first, as a window run that seeks has.
        frame(37000);
        catchUpEffects(&ctx->timeline, &ctx->render, target, fps);
        frame(target);
        EXPECT_EQ(particles(), played) << "at " << target;
        // A paused picture is the same frame drawn again: it moves nothing.
        frame(target);
        EXPECT_EQ(particles(), played) << "paused at " << target;
    }
}

}  // namespace
