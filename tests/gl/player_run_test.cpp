// The player as a user starts it: whole runs under a private X server.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/child_process.h"
#include "app/demo_context.h"
#include "app/startup.h"
#include "data/package.h"
#include "platform/platform.h"
#include "tests/support/ci.h"
#include "tests/support/music_samples.h"
#include "tests/support/process.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/test_package.h"
#include "tests/support/xvfb.h"
#include "tools/lightwave/lw_writer.h"

namespace {

// Writes a package holding only the timeline into dir; returns dir.
std::string makeProduction(const std::string& dir, const std::string& timeline) {
    std::vector<unsigned char> bytes = buildTestPackage({{"Demo/Skrypt.txt", timeline}}, true);
    writeFile(dir + "/demo.dat", std::string(bytes.begin(), bytes.end()));
    return dir;
}

std::vector<std::string> listDir(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.') names.push_back(e->d_name);
        closedir(d);
    }
    return names;
}

size_t bmpCount(const std::string& dir) {
    size_t n = 0;
    for (const std::string& name : listDir(dir)) n += name.size() > 4 && name.compare(name.size() - 4, 4, ".bmp") == 0;
    return n;
}

class PlayerRun : public ::testing::Test {
protected:
    void SetUp() override {
        if (sharedXvfb()->display.empty()) SKIP_OUTSIDE_CI("Xvfb cannot be started");
        env = {"DISPLAY=" + sharedXvfb()->display, "SDL_AUDIODRIVER=dummy"};
    }
    ProcessResult play(const std::string& dir, std::vector<std::string> args, int timeoutMs = 60000) {
        args.insert(args.begin(), VELMORA_BINARY);
        args.push_back("--data");
        args.push_back(dir);
        return runProcess(args, env, timeoutMs, dir);
    }
    std::vector<std::string> env;
    ScratchDir scratch{"player"};  // each test's data and output, removed after it
};

const char* kShortTimeline =
    "init set global duration 0:5:0 set global end 0:0:960 end_init\n"
    "begin end\n";
const char* kOneSecondTimeline = "init set global duration 0:5:0 set global end 0:1:0 end_init begin end\n";

TEST_F(PlayerRun, CaptureWritesOneBmpPerFrameAt25FramesPerSecond) {
    std::string dir = makeProduction(scratch.path, kShortTimeline);
    ProcessResult r = play(dir, {"--capture", "--mode", "640x480"});
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    // Frame n shows 40 n ms: 0 .. 960 are played, the frame at 1000 ms ends the demo.
    ASSERT_EQ(bmpCount(dir + "/Output"), 25u) << r.err;
    std::string first = readFile(dir + "/Output/demo00000.bmp");
    ASSERT_EQ(first.size(), 14u + 40u + 921600u);
    EXPECT_EQ(first.substr(0, 2), "BM");
    auto u32 = [&first](size_t at) {
        return uint32_t(uint8_t(first[at])) | uint32_t(uint8_t(first[at + 1])) << 8 |
               uint32_t(uint8_t(first[at + 2])) << 16 | uint32_t(uint8_t(first[at + 3])) << 24;
    };
    EXPECT_EQ(u32(2), 921654u);
    EXPECT_EQ(u32(10), 54u);
    EXPECT_EQ(u32(18), 640u);
    EXPECT_EQ(u32(22), 480u);
    EXPECT_EQ(u32(34), 921600u);
    EXPECT_EQ(u32(38), 2952u);
    EXPECT_NE(readFile(dir + "/Output/demo00024.bmp").size(), 0u);
    EXPECT_EQ(readFile(dir + "/Output/demo00025.bmp").size(), 0u);
}

std::string sceneWithBackdrop(float r, float g, float b) {
    LwScene scene;
    scene.lights.push_back(LwLight());
    LwCamera camera;
    camera.name = "Cam";
    scene.cameras.push_back(camera);
    scene.backdropColor[0] = r;
    scene.backdropColor[1] = g;
    scene.backdropColor[2] = b;
    return writeLws(scene);
}

// Blue, green, red of the picture's centre pixel.
std::string centrePixel(const std::string& bmp, int width, int height) {
    size_t row = (static_cast<size_t>(width) * 3 + 3) & ~size_t(3);
    size_t at = 54 + row * (height / 2) + 3 * (width / 2);
    return bmp.size() >= at + 3 ? bmp.substr(at, 3) : std::string();
}

// Red from 0 to 1000 ms, blue from then on to the end at 1480 ms; written into dir.
std::string makeRedBlueProduction(const std::string& dir) {
    std::vector<unsigned char> bytes = buildTestPackage(
        {{"Demo/Skrypt.txt",
          "init set global duration 0:3:0 set global end 0:1:480 end_init\n"
          "begin\n"
          "load scene Red Demo/Red.lws\n"
          "load scene Blue Demo/Blue.lws\n"
          "play scene Red Cam from 0:0:0 start 0:0:0 end 0:1:0\n"
          "play scene Blue Cam from 0:1:0 start 0:5:0 end 0:7:0\n"
          "end\n"},
         {"Demo/Red.lws", sceneWithBackdrop(1, 0, 0)},
         {"Demo/Blue.lws", sceneWithBackdrop(0, 0, 1)}},
        true);
    writeFile(dir + "/demo.dat", std::string(bytes.begin(), bytes.end()));
    return dir;
}

const std::string kRed("\x00\x00\xff", 3), kBlue("\xff\x00\x00", 3);

TEST_F(PlayerRun, TwoClipsSwitchScenesAtTheirDemoTime) {
    std::string dir = makeRedBlueProduction(scratch.path);
    ProcessResult r = play(dir, {"--capture", "--mode", "640x480"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err.find("Error: Scene"), std::string::npos) << r.err;
    // 40 ms a frame up to the end at 1480 ms: frames 0 .. 37.
    EXPECT_EQ(bmpCount(dir + "/Output"), 38u);
    EXPECT_EQ(centrePixel(readFile(dir + "/Output/demo00000.bmp"), 640, 480), kRed);
    // Frame 25 is demo time 1000 ms, still the first clip; the second is in force after its start.
    EXPECT_EQ(centrePixel(readFile(dir + "/Output/demo00025.bmp"), 640, 480), kRed);
    EXPECT_EQ(centrePixel(readFile(dir + "/Output/demo00026.bmp"), 640, 480), kBlue);
    EXPECT_EQ(centrePixel(readFile(dir + "/Output/demo00037.bmp"), 640, 480), kBlue);
}

TEST_F(PlayerRun, CaptureFromAStartTimeBeginsThere) {
    std::string dir = makeRedBlueProduction(scratch.path);
    // Frame 0 at 960 ms is red, frame 2 at 1040 ms blue; the end at 1480 ms leaves frames 0 .. 13.
    ProcessResult r = play(dir, {"--capture", "--mode", "160x120", "--start", "0:0:960"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(bmpCount(dir + "/Output"), 14u);
    EXPECT_EQ(centrePixel(readFile(dir + "/Output/demo00000.bmp"), 160, 120), kRed);
    EXPECT_EQ(centrePixel(readFile(dir + "/Output/demo00001.bmp"), 160, 120), kRed);
    EXPECT_EQ(centrePixel(readFile(dir + "/Output/demo00002.bmp"), 160, 120), kBlue);

    ProcessResult late = play(dir, {"--capture", "--start", "1481"});
    EXPECT_EQ(late.exitCode, 2) << late.err;
    EXPECT_EQ(std::count(late.err.begin(), late.err.end(), '\n'), 1) << late.err;
}

TEST_F(PlayerRun, FrameRateAndStartSetTheFrameCountAndTheSoundtrackLength) {
    ScratchDir dir("rates");
    std::vector<unsigned char> bytes = buildTestPackage({{"Demo/Skrypt.txt", kOneSecondTimeline}}, true);
    writeFile(dir.path + "/demo.dat", std::string(bytes.begin(), bytes.end()));
    const struct {
        std::vector<std::string> args;
        size_t frames;
        uint32_t samples;  // round(frames * 44100 / fps)
    } cases[] = {
        {{"--fps", "50", "--frames", "50"}, 50, 44100},
        {{"--fps", "60", "--start", "500"}, 31, 22785},  // frame 30 shows 1000 ms, the end
        {{"--fps", "30"}, 31, 45570},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[1]);
        std::string out = dir.path + "/out" + c.args[1];
        std::vector<std::string> args = {"--capture", "--mode", "160x120", "--output", out};
        args.insert(args.end(), c.args.begin(), c.args.end());
        ProcessResult r = play(dir.path, args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(listDir(out).size(), c.frames + 1);  // and demo.wav
        EXPECT_NE(readFile(out + "/demo" + std::string(c.frames == 50 ? "00049" : "00030") + ".bmp").size(), 0u);
        std::string wav = readFile(out + "/demo.wav");
        EXPECT_EQ(wav.size(), 44u + 4u * c.samples);
        // Without a terminal the progress comes a tenth at a time, then the summary.
        EXPECT_NE(r.err.find("(100%)"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("velmora: captured " + std::to_string(c.frames) + " frames"), std::string::npos) << r.err;
    }
}

TEST_F(PlayerRun, VideoHoldsEveryFrameAtItsRateAndOneSoundStream) {
    std::string ffmpeg, ffprobe;
    if (!findProgram("ffmpeg", &ffmpeg) || !findProgram("ffprobe", &ffprobe)) SKIP_OUTSIDE_CI("ffmpeg is not installed");
    ScratchDir dir("video");
    makeRedBlueProduction(dir.path);
    std::string video = dir.path + "/demo.mkv";
    ProcessResult r = play(dir.path, {"--video", video, "--fps", "30", "--frames", "30", "--mode", "160x120"}, 120000);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // Frames go to the encoder only; no BMP files, no temporary files left.
    EXPECT_EQ(listDir(dir.path), (std::vector<std::string>{"demo.dat", "demo.mkv"}));
    ProcessResult probe = runProcess({ffprobe, "-v", "error", "-count_frames", "-show_entries",
                                      "stream=codec_type,r_frame_rate,nb_read_frames", "-of", "compact", video});
    ASSERT_EQ(probe.exitCode, 0) << probe.err;
    EXPECT_NE(probe.out.find("codec_type=video|r_frame_rate=30/1|nb_read_frames=30\n"), std::string::npos)
        << probe.out;
    const std::string audio = "codec_type=audio";
    size_t first = probe.out.find(audio);
    EXPECT_NE(first, std::string::npos) << probe.out;
    EXPECT_EQ(probe.out.find(audio, first + 1), std::string::npos) << probe.out;
    // The colours come through in their order: the first frame is red.
    ProcessResult pixel = runProcess({ffmpeg, "-v", "error", "-i", video, "-frames:v", "1", "-vf", "crop=2:2",
                                      "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
    ASSERT_EQ(pixel.out.size(), 12u) << pixel.err;
    EXPECT_GT(uint8_t(pixel.out[0]), 200);
    EXPECT_LT(uint8_t(pixel.out[1]), 50);
    EXPECT_LT(uint8_t(pixel.out[2]), 50);

    // Without ffmpeg on the path nothing is rendered.
    std::vector<std::string> noPath = env;
    noPath.push_back("PATH=" + dir.path);
    ProcessResult missing = runProcess({VELMORA_BINARY, "--video", video, "--data", dir.path}, noPath);
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.err.find("ffmpeg"), std::string::npos) << missing.err;
    EXPECT_EQ(std::count(missing.err.begin(), missing.err.end(), '\n'), 1) << missing.err;

    // An encoder that fails: its last line, and the player's own exit code.
    writeFile(dir.path + "/ffmpeg", "#!/bin/sh\necho starting >&2\necho 'Unknown encoder' >&2\nexit 1\n");
    chmod((dir.path + "/ffmpeg").c_str(), 0755);
    ProcessResult failed = runProcess({VELMORA_BINARY, "--video", video, "--frames", "5", "--data", dir.path}, noPath);
    EXPECT_EQ(failed.exitCode, 7) << failed.err;
    EXPECT_NE(failed.err.find("ffmpeg failed: Unknown encoder"), std::string::npos) << failed.err;
}

TEST_F(PlayerRun, MusicPositionIsDemoTimeLessTheTimelinesStart) {
    std::string dir = makeProduction(scratch.path,
                                     "init set global duration 0:30:0 set global start 0:10:0 "
                                     "set global end 0:20:0 end_init begin end\n");
    std::string path = dir + "/demo.ogg";
    writeFile(path, readFile(std::string(VELMORA_PRODUCTION_DIR) + "/demo.ogg"));
    // Five frames from 12 s: 8820 sample frames of the music from 2 s on.
    ProcessResult r = play(dir, {"--capture", "--mode", "160x120", "--start", "0:12:0", "--frames", "5"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::string wav = readFile(dir + "/Output/demo.wav");
    ASSERT_EQ(wav.size(), 44u + 4u * 8820u);
    int channels = 0;
    std::vector<int16_t> music = decodeMusic(path, &channels, 2 * 44100 + 8820);
    ASSERT_EQ(channels, 2);
    ASSERT_EQ(music.size(), 2u * (2 * 44100 + 8820));
    std::vector<int16_t> expected(music.begin() + 2 * 2 * 44100, music.end());
    size_t mismatches = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
        int16_t sample = int16_t(uint16_t(uint8_t(wav[44 + 2 * i])) | uint16_t(uint8_t(wav[45 + 2 * i])) << 8);
        mismatches += sample != expected[i];
    }
    EXPECT_EQ(mismatches, 0u);
}

TEST_F(PlayerRun, OddWidthsGetRowsPaddedToFourBytes) {
    std::string dir = makeProduction(scratch.path, kShortTimeline);
    ProcessResult r = play(dir, {"--capture", "--frames", "2", "--mode", "401x300", "--output", dir + "/frames"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::string frame = readFile(dir + "/frames/demo00001.bmp");
    EXPECT_EQ(frame.size(), 14u + 40u + 1204u * 300u);
    EXPECT_EQ(bmpCount(dir + "/frames"), 2u);
}

TEST_F(PlayerRun, AnUnavailableSampleCountFallsBackToNoAntialiasing) {
    std::string dir = makeProduction(scratch.path, kShortTimeline);
    ProcessResult r = play(dir, {"--capture", "--frames", "2", "--samples", "64"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("64 samples are not available"), std::string::npos) << r.err;
    EXPECT_EQ(bmpCount(dir + "/Output"), 2u);
}

TEST_F(PlayerRun, ATimelineThatEndsClosesThePlayer) {
    std::string dir = makeProduction(scratch.path, "init set global end 0:0:300 end_init begin end");
    ProcessResult r = play(dir, {"--no-setup", "--windowed", "--batch"}, 30000);
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0) << r.err;
}

TEST_F(PlayerRun, AnInconsistentHeaderEndsBeforeAnythingIsShown) {
    std::string dir = makeProduction(scratch.path, "init set global start 0:10:0 set global end 0:5:0 end_init");
    ProcessResult r = play(dir, {"--capture"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(listDir(dir + "/Output").empty());
}

TEST_F(PlayerRun, PackageProblemsAreReportedAndEndTheRun) {
    const std::string& dir = scratch.path;
    ProcessResult missing = play(dir, {"--batch"});
    EXPECT_EQ(missing.exitCode, 3);
    EXPECT_NE(missing.err.find("Error: "), std::string::npos) << missing.err;
    EXPECT_NE(missing.err.find("demo.dat"), std::string::npos) << missing.err;

    writeFile(dir + "/demo.dat", std::string("c\x10\0\0\0garbage!", 13));
    ProcessResult damaged = play(dir, {"--batch"});
    EXPECT_EQ(damaged.exitCode, 3);
    EXPECT_NE(damaged.err.find("inflate"), std::string::npos) << damaged.err;

    std::vector<unsigned char> noTimeline = buildTestPackage({{"Demo/Other.txt", "x"}});
    writeFile(dir + "/demo.dat", std::string(noTimeline.begin(), noTimeline.end()));
    ProcessResult incomplete = play(dir, {"--batch"});
    EXPECT_EQ(incomplete.exitCode, 4);
    EXPECT_NE(incomplete.err.find("Demo/Skrypt.txt"), std::string::npos) << incomplete.err;
}

// Runs that will play no music leave the audio device alone; the plain run shows that this driver
// really cannot open one.
TEST_F(PlayerRun, CaptureAndNoMusicRunsOpenNoAudioDevice) {
    std::string dir = makeProduction(scratch.path, kShortTimeline);
    env = {"DISPLAY=" + sharedXvfb()->display, "SDL_AUDIODRIVER=no-such-driver"};
    const struct {
        std::vector<std::string> args;
        bool message;
    } cases[] = {
        {{"--capture", "--frames", "2"}, false},
        {{"--no-music", "--no-setup", "--windowed", "--frames", "2"}, false},
        {{"--no-setup", "--windowed", "--frames", "2"}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0]);
        ProcessResult r = play(dir, c.args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err.find("Inicjacja diwajsu") != std::string::npos, c.message) << r.err;
    }
}

TEST_F(PlayerRun, BadOptionsGetOneLineAndExitCode2) {
    std::string dir = makeProduction(scratch.path, kShortTimeline);
    for (std::vector<std::string> args : {std::vector<std::string>{"--mode", "640"},
                                          std::vector<std::string>{"--frames", "-3"},
                                          std::vector<std::string>{"--samples"},
                                          std::vector<std::string>{"--shadow-map", "300"},
                                          std::vector<std::string>{"--fps", "0"},
                                          std::vector<std::string>{"--fps", "1000"},
                                          std::vector<std::string>{"--video", dir + "/none/demo.mkv"},
                                          std::vector<std::string>{"--bogus"}}) {
        ProcessResult r = play(dir, args);
        EXPECT_EQ(r.exitCode, 2) << args[0];
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    ProcessResult help = runProcess({VELMORA_BINARY, "--help"}, env);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--capture"), std::string::npos);
}

// The display's gamma ramp comes back when the player is killed in the middle of a run.
std::vector<uint16_t> testRamp() {
    std::vector<uint16_t> ramp(GAMMA_RAMP_ENTRIES);
    for (int i = 0; i < GAMMA_RAMP_ENTRIES; ++i) ramp[i] = static_cast<uint16_t>((i % 256) * 200 + i / 256);
    return ramp;
}

bool waitFor(const std::function<bool()>& condition, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 20) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return condition();
}

bool sameGamma(const DisplayGamma& a, const DisplayGamma& b) {
    if (a.crtcCount != b.crtcCount) return false;
    for (int k = 0; k < a.crtcCount; ++k)
        if (a.crtcs[k].size != b.crtcs[k].size ||
            !std::equal(a.crtcs[k].entries, a.crtcs[k].entries + 3 * a.crtcs[k].size, b.crtcs[k].entries))
            return false;
    return true;
}

TEST_F(PlayerRun, KilledPlayerGivesTheDisplayItsGammaRampBack) {
    std::string dir = makeProduction(scratch.path, "init set global duration 5:0:0 set global end 5:0:0 end_init");
    setenv("DISPLAY", sharedXvfb()->display.c_str(), 1);
    platformUseGammaFile(nullptr);
    static DisplayGamma injected, now;
    ASSERT_TRUE(platformGetDisplayGamma(&injected)) << "no RandR gamma on this server";
    for (int k = 0; k < injected.crtcCount; ++k)
        for (int i = 0; i < 3 * injected.crtcs[k].size; ++i)
            injected.crtcs[k].entries[i] = static_cast<uint16_t>((i % injected.crtcs[k].size) * 50 + i / 256 + k);
    ASSERT_TRUE(platformSetDisplayGamma(&injected));
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        ChildProcess child = startProcess({VELMORA_BINARY, "--no-setup", "--windowed", "--batch", "--data", dir},
                                          env, dir);
        // Running: the player has applied a ramp built from the gamma it found.
        ASSERT_TRUE(waitFor([&] { return platformGetDisplayGamma(&now) && !sameGamma(now, injected); }, 20000));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        kill(child.pid, signal);
        ProcessResult r = waitProcess(child, 20000);
        EXPECT_EQ(r.exitCode, 128 + signal) << r.err;
        ASSERT_TRUE(platformGetDisplayGamma(&now));
        EXPECT_TRUE(sameGamma(now, injected));
    }
}

TEST_F(PlayerRun, GammaFileStandsInForTheDisplay) {
    std::string dir = makeProduction(scratch.path, "init set global end 0:0:200 end_init");
    std::vector<uint16_t> ramp = testRamp();
    std::string bytes;
    for (uint16_t v : ramp) {
        bytes += static_cast<char>(v & 0xFF);
        bytes += static_cast<char>(v >> 8);
    }
    writeFile(dir + "/gamma", bytes);
    ProcessResult r = play(dir, {"--no-setup", "--windowed", "--batch", "--gamma-file", dir + "/gamma"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(readFile(dir + "/gamma"), bytes);
}

// A real-time run of the player in this process (the clock is the process clock, no capture), reporting
// what it shows and what it leaves: the window title, the loading bar, the clock and the package.
void playInRealTime(const std::string& dir, int frames) {
    setenv("DISPLAY", sharedXvfb()->display.c_str(), 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::vector<std::string> args = {"velmora", "--no-setup", "--windowed", "--batch", "--no-music",
                                     "--frames", std::to_string(frames), "--data", dir};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(&a[0]);
    int32_t before = platformClockMs();
    int code = runPlayer(int(argv.size()), argv.data());
    const DemoContext* c = demoContext();
    std::fprintf(stderr, "exit %d, bar %d of %d, clock %s, package %s, title \"%s\"\n", code, c->render.progress,
                 c->render.progressTotal, c->timeline.startClock >= before ? "started" : "not started",
                 package()->entryCount ? "kept" : "released", platformWindowTitle(c->window));
    std::fflush(stderr);
    // This process made dir (its own fixture's) and its X server: both go before it ends.
    std::filesystem::remove_all(dir);
    std::exit(0);
}

TEST_F(PlayerRun, RealTimeRunWarmsUpStartsTheClockAndTitlesEvery200Frames) {
    // Each run in a process of its own: the player's records are the process's.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const char* timeline =
        "init set maxscenes %d set global duration 5:0:0 set global end 5:0:0 end_init\n"
        "begin\nload scene A Demo/A.lws\nplay scene A Cam from 0:0:0 start 0:0:0 end 5:0:0\nend\n";
    const struct {
        int maxScenes, frames;
        const char* expected;
    } cases[] = {
        // The bar: five files opened while loading (the loading picture, the timeline, the scene setup
        // table, the scene, the clip script), then two warm-up renders of every scene slot, used or not.
        {1, 199, "bar 7 of 552, clock started, package released, title \"ZelkEngine\""},
        {3, 199, "bar 11 of 552, clock started, package released, title \"ZelkEngine\""},
        // The 200th timed frame gives the title its frame rate.
        {1, 200, "bar 7 of 552, clock started, package released, title \"Zelk Engine [0-9]+\\.[0-9]{3} fps\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        char script[512];
        std::snprintf(script, sizeof script, timeline, c.maxScenes);
        std::vector<unsigned char> bytes =
            buildTestPackage({{"Demo/Skrypt.txt", script}, {"Demo/A.lws", sceneWithBackdrop(0, 1, 0)}}, true);
        writeFile(scratch.path + "/demo.dat", std::string(bytes.begin(), bytes.end()));
        EXPECT_EXIT(playInRealTime(scratch.path, c.frames), ::testing::ExitedWithCode(0),
                    std::string("exit 0, ") + c.expected);
    }
}

}  // namespace
