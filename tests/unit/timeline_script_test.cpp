// Reading the timeline script's header and main section.
#include <string>

#include "app/shutdown.h"
#include "tests/support/test_package.h"
#include "tests/unit/timeline_fixture.h"
#include "timeline/scheduler.h"
#include "timeline/timeline_script.h"

namespace {

const char* const kScript = "Demo/Skrypt.txt";

class TimelineScriptTest : public TimelineTest {
protected:
    void header(const std::string& text) {
        loadTestPackage({{kScript, text}});
        readTimelineHeader(kScript, &ctx->timeline);
    }
    void readMain(const std::string& text) {
        loadTestPackage({{kScript, text}});
        readTimelineMain(kScript, &ctx->timeline, &ctx->render);
    }
    // The scene slot and scene time in force at t (-1 black, -2 past the end).
    std::pair<int, int32_t> at(int32_t t) {
        int32_t sceneTime = 0;
        const Clip* clip = clipAt(&ctx->timeline, t, &sceneTime);
        if (!clip) return {-2, 0};
        return {clip->scene ? int(clip->scene - ctx->timeline.scenes) : -1, clip->scene ? sceneTime : 0};
    }
};

// ---- header ----

TEST_F(TimelineScriptTest, EmptyHeaderKeepsTheDefaults) {
    header("init end_init");
    EXPECT_EQ(ctx->timeline.maxScenes, 8);
    EXPECT_EQ(ctx->timeline.sceneCount, 8);
    ASSERT_NE(ctx->timeline.scenes, nullptr);
    for (int k = 0; k < 8; ++k) EXPECT_STREQ(ctx->timeline.scenes[k].name, "");
    EXPECT_EQ(ctx->timeline.duration, 60000);
    EXPECT_EQ(ctx->timeline.globalStart, 0);
    EXPECT_EQ(ctx->timeline.globalEnd, 60000);
    EXPECT_EQ(ctx->timeline.loop, 0);
    EXPECT_EQ(ctx->timeline.quit.posted, 0);
}

TEST_F(TimelineScriptTest, SetStatementsFillTheHeader) {
    header("title words before init are skipped\n"
           "init\n"
           "  set maxscenes 3\n"
           "  set global duration 2:0:0\n"
           "  set global start 0:10:0\n"
           "  set global end 1:30:250\n"
           "  set global fade set gamma\n"  // unknown forms consume their word
           "  set global loop\n"
           "end_init\n"
           "set maxscenes 5\n");
    EXPECT_EQ(ctx->timeline.maxScenes, 3);
    EXPECT_EQ(ctx->timeline.sceneCount, 3);
    EXPECT_EQ(ctx->timeline.duration, 120000);
    EXPECT_EQ(ctx->timeline.globalStart, 10000);
    EXPECT_EQ(ctx->timeline.globalEnd, 90250);
    EXPECT_EQ(ctx->timeline.loop, 1);
    EXPECT_EQ(ctx->timeline.quit.posted, 0);
}

TEST_F(TimelineScriptTest, TimePartsAreNotRangeLimited) {
    header("init set global duration 0:75:0 set global end 0:0:75000 end_init");
    EXPECT_EQ(ctx->timeline.duration, 75000);
    EXPECT_EQ(ctx->timeline.globalEnd, 75000);
}

TEST_F(TimelineScriptTest, MaxScenesIsHonouredUpToTheCapacity) {
    header("init set maxscenes set global loop end_init");  // missing number
    EXPECT_EQ(ctx->timeline.maxScenes, 8);
    EXPECT_EQ(ctx->timeline.loop, 1);
    const struct {
        const char* count;
        int32_t expected;
        const char* message;  // nullptr: none
    } cases[] = {
        {"1024", 1024, nullptr},
        {"5000", TIMELINE_MAX_SCENES, "over the capacity; using 1024"},
        {"0", 8, "refused"},
        {"-2", 8, "refused"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        resetSettings(&ctx->render.settings);
        resetTimeline(&ctx->timeline);
        testing::internal::CaptureStderr();
        header(std::string("init set maxscenes ") + c.count + " end_init");
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(ctx->timeline.maxScenes, c.expected);
        EXPECT_EQ(ctx->timeline.sceneCount, c.expected);
        if (c.message) EXPECT_NE(err.find(c.message), std::string::npos) << err;
        else EXPECT_EQ(err, "");
    }
}

TEST_F(TimelineScriptTest, MalformedTimesAreRejectedAndReadingGoesOn) {
    header("init\n"
           "set global duration 1 :30:0\n"
           "set global start 0: 5:0\n"
           "set global end 0:50\n"
           "set global duration 0:55:0\n"
           "set global start x\n"
           "end_init");
    EXPECT_EQ(ctx->timeline.duration, 55000);
    EXPECT_EQ(ctx->timeline.globalStart, 0);
    EXPECT_EQ(ctx->timeline.globalEnd, 60000);
    EXPECT_EQ(ctx->timeline.quit.posted, 0);
}

TEST_F(TimelineScriptTest, InconsistentHeaderPostsQuit) {
    header("init set global start 0:10:0 set global end 0:5:0 end_init");
    EXPECT_EQ(ctx->timeline.quit.posted, 1);
    EXPECT_EQ(ctx->timeline.quit.code, 0);

    ctx->timeline.quit.posted = 0;
    resetSettings(&ctx->render.settings);
    resetTimeline(&ctx->timeline);
    header("init set global duration 0:20:0 set global start 0:30:0 set global end 0:40:0 end_init");
    EXPECT_EQ(ctx->timeline.quit.posted, 1);

    ctx->timeline.quit.posted = 0;
    resetSettings(&ctx->render.settings);
    resetTimeline(&ctx->timeline);
    header("init set global start 0:10:0 set global end 0:10:0 end_init");
    EXPECT_EQ(ctx->timeline.quit.posted, 0);
}

TEST_F(TimelineScriptTest, HeaderStopsAtTheEndOfTheFile) {
    header("init set global duration 0:30:0");
    EXPECT_EQ(ctx->timeline.duration, 30000);
    EXPECT_EQ(ctx->timeline.sceneCount, 8);
    resetSettings(&ctx->render.settings);
    resetTimeline(&ctx->timeline);
    header("no header here");
    EXPECT_EQ(ctx->timeline.duration, 60000);
    EXPECT_EQ(ctx->timeline.sceneCount, 8);
}

TEST_F(TimelineScriptTest, BothSectionsReadTheSameFileFromItsStart) {
    loadTestPackage({{kScript, "begin load scene a a.lws end init set maxscenes 2 end_init"}});
    readTimelineHeader(kScript, &ctx->timeline);
    EXPECT_EQ(ctx->timeline.sceneCount, 2);
    readTimelineMain(kScript, &ctx->timeline, &ctx->render);
    EXPECT_STREQ(ctx->timeline.scenes[0].name, "a");
}

TEST_F(TimelineScriptTest, MissingScriptExits) {
    loadTestPackage({{"Demo/Other.txt", "init end_init"}});
    EXPECT_EXIT(readTimelineHeader(kScript, &ctx->timeline), ::testing::ExitedWithCode(EXIT_MISSING_FILE), "Demo/Skrypt.txt");
    EXPECT_EXIT(readTimelineMain(kScript, &ctx->timeline, &ctx->render), ::testing::ExitedWithCode(EXIT_MISSING_FILE), "Demo/Skrypt.txt");
}

// ---- main section ----

TEST_F(TimelineScriptTest, LoadFillsFreeSlotsOnceEach) {
    header("init set maxscenes 2 end_init");
    readMain("begin\n"
         "load scene a a.lws\n"
         "load scene a other.lws\n"  // already loaded: other.lws is an ordinary word
         "load object x.lwo\n"
         "load scene b b.lws\n"
         "load scene c c.lws\n"  // no slot left
         "end\n"
         "load scene d d.lws\n");
    EXPECT_STREQ(ctx->timeline.scenes[0].name, "a");
    EXPECT_STREQ(ctx->timeline.scenes[1].name, "b");
    EXPECT_EQ(ctx->render.currentScene, &ctx->timeline.scenes[1]);
    EXPECT_EQ(ctx->timeline.scenes[0].settings, &ctx->render.settings);
}

// A damaged scene file, like a missing one, keeps its name with an empty slot: loading the name again
// is a no-op rather than a second file under the same name.
TEST_F(TimelineScriptTest, AFailedSceneKeepsItsNameTaken) {
    for (const char* first : {"Demo/Damaged.lws", "Demo/Missing.lws"}) {
        SCOPED_TRACE(first);
        freeTimelineLists(&ctx->timeline);
        loadTestPackage({{kScript, std::string("init set maxscenes 2 end_init begin load scene a ") + first +
                                       " load scene a Demo/Good.lws end"},
                         {"Demo/Damaged.lws", "LWSC 3 nothing here"},
                         {"Demo/Good.lws", "LWSC 3 AddNullObject N"}});
        readTimelineHeader(kScript, &ctx->timeline);
        testing::internal::CaptureStderr();
        readTimelineMain(kScript, &ctx->timeline, &ctx->render);
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find(first), std::string::npos) << err;
        EXPECT_STREQ(ctx->timeline.scenes[0].name, "a");
        EXPECT_EQ(ctx->timeline.scenes[0].itemCount, 0);
        EXPECT_EQ(ctx->timeline.scenes[0].items, nullptr);
        EXPECT_STREQ(ctx->timeline.scenes[1].name, "");
    }
}

TEST_F(TimelineScriptTest, OverlongSceneNameIsRejected) {
    header("init end_init");
    std::string name63(63, 'n'), name64(64, 'm');
    readMain("begin load scene " + name64 + " x.lws load scene " + name63 + " y.lws end");
    EXPECT_EQ(std::string(ctx->timeline.scenes[0].name), name63);
    EXPECT_STREQ(ctx->timeline.scenes[1].name, "");
}

TEST_F(TimelineScriptTest, PlayEntersClipsOfKnownScenesAndCameras) {
    makeScenes(2);
    namedScene(0, "a");
    namedScene(1, "b");
    readMain("begin\n"
         "play scene a cam from 0:10:0 start 0:2:0 end 0:7:0\n"
         "play scene b nocam from 0:20:0 start 0:0:0 end 0:5:0\n"  // unknown camera: nothing
         "play scene z cam from 0:30:0 start 0:0:0 end 0:5:0\n"    // unknown scene: nothing
         "play sound x\n"
         "end");
    EXPECT_EQ(at(12000), std::make_pair(0, 4000));
    EXPECT_EQ(at(15000), std::make_pair(0, 7000));
    EXPECT_EQ(at(15001).first, -1);
    EXPECT_EQ(at(22000).first, -1);
    EXPECT_EQ(at(32000).first, -1);
}

TEST_F(TimelineScriptTest, WordsAfterAFailedPlayAreReadAsStatements) {
    makeScenes(3);
    namedScene(0, "a");
    readMain("begin\n"
         "play scene a nocam load scene b b.lws play scene a cam at 0:1:0 from 0:0:0 to 0:1:0\n"
         "end");
    EXPECT_STREQ(ctx->timeline.scenes[1].name, "b");
    EXPECT_EQ(at(1500), std::make_pair(0, 500));
}

TEST_F(TimelineScriptTest, BadPlayTimesRejectTheStatementOnly) {
    makeScenes(1);
    namedScene(0, "a");
    readMain("begin\n"
         "play scene a cam from 0 :10:0 start 0:2:0 end 0:7:0\n"
         "play scene a cam from 0:20:0 start 0:7:0 end 0:7:0\n"  // no length
         "play scene a cam from 0:30:0 start 0:9:0 end 0:2:0\n"  // backwards
         "play scene a cam from 0:50: 0 start 0:0:0 end 0:1:0\n"
         "play scene a cam from 0:55 start 0:0:0 end 0:1:0\n"  // missing part
         "play scene a cam from 0:40:0 start 0:0:0 end 0:1:0\n"
         "end");
    EXPECT_EQ(at(50500).first, -1);
    EXPECT_EQ(at(55500).first, -1);
    EXPECT_EQ(at(12000).first, -1);
    EXPECT_EQ(at(21000).first, -1);
    EXPECT_EQ(at(31000).first, -1);
    EXPECT_EQ(at(40500), std::make_pair(0, 500));
}

TEST_F(TimelineScriptTest, MainStopsAtTheEndOfTheFile) {
    makeScenes(1);
    namedScene(0, "a");
    readMain("begin play scene a cam from 0:1:0 start 0:0:0 end");
    EXPECT_EQ(at(1500).first, -1);
    readMain("no main section");
    EXPECT_NE(ctx->timeline.clipHead, nullptr);
}

TEST_F(TimelineScriptTest, CollectionPointsSeeClipsWrittenAfterThem) {
    makeScenes(2);
    Scene* a = namedScene(0, "a");
    Scene* b = namedScene(1, "b");
    makeTextures(2);
    addItem(a, addMesh({{0}}));
    addItem(b, addMesh({{1}}));
    readMain("begin\n"
         "garbage_collection at 0:15:0\n"
         "garbage_collection at 0:1 :0\n"  // malformed: ignored
         "play scene a cam from 0:0:0 start 0:0:0 end 0:10:0\n"
         "play scene b cam from 0:20:0 start 0:0:0 end 0:10:0\n"
         "play scene a cam from 0:40:0 start 0:0:0 end 0:10:0\n"
         "garbage_collection at 0:35:0\n"
         "end");
    ASSERT_EQ(gcCount(), 2);
    const GcNode* first = ctx->timeline.gcHead;
    // a is shown again later: the first point frees nothing; the second frees b.
    EXPECT_EQ(first->time, 15000);
    EXPECT_EQ(first->meshCount, 0);
    EXPECT_EQ(first->textureCount, 0);
    ASSERT_EQ(first->next->meshCount, 1);
    EXPECT_EQ(first->next->meshes[0], 1);
    ASSERT_EQ(first->next->textureCount, 1);
    EXPECT_EQ(first->next->textures[0], 1);
}

TEST_F(TimelineScriptTest, CollectionPointsOutOfOrderExit102) {
    makeScenes(1);
    EXPECT_EXIT(readMain("begin garbage_collection at 0:20:0 garbage_collection at 0:10:0 end"),
                ::testing::ExitedWithCode(EXIT_GC_ORDER), "");
    EXPECT_EXIT(readMain("begin garbage_collection at 2:0:0 end"), ::testing::ExitedWithCode(EXIT_GC_ORDER), "");
}

}  // namespace
