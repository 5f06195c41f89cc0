#include "app/startup.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/capture_run.h"
#include "app/capture_timing.h"
#include "app/child_process.h"
#include "app/demo_context.h"
#include "app/device_setup.h"
#include "app/frame_loop.h"
#include "app/gamma.h"
#include "app/music.h"
#include "app/options.h"
#include "app/sample_location.h"
#include "app/setup_dialog.h"
#include "app/setup_lists.h"
#include "app/shutdown.h"
#include "app/tree_reload.h"
#include "app/video_encoder.h"
#include "base/version.h"
#include "data/image.h"
#include "data/package.h"
#include "effects/effect_binding.h"
#include "platform/platform.h"
#include "render/device_caps.h"
#include "render/device_state.h"
#include "render/texture_upload.h"
#include "timeline/clip_list.h"
#include "timeline/timeline_script.h"
#include "timeline/timeline_state.h"

namespace {

const char* kTimeline = "Demo/Skrypt.txt";

void onFileOpened() {
    if (!demoContext()->warmUp) progressTick(1);
}

void onSignal(int) { shutdownRestore(); }

// A person can answer message boxes only in a plain interactive run on a display.
bool interactiveRun(const Options& o) {
    if (o.capture || o.batch || o.frames > 0 || o.diagnostics) return false;
    const char* ci = std::getenv("CI");
    if (ci && *ci) return false;
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (display && *display) || (wayland && *wayland);
}

// The temporary hidden window: the display's gamma and what the device offers.
bool probeDevice(DemoContext* context, bool readGamma) {
    // The probe's simple pixel format: 32 colour bits, 16 depth bits, nothing else.
    WindowRequest request = {"TempWindow", 0, 0, 1, 1, false, true, 32, 16, 0, 0};
    PlatformWindow* window = platformCreateWindow(&request);
    if (!window) return false;
    if (readGamma) gammaProbe(window);
    DeviceCaps* caps = deviceCaps();
    probeDeviceCaps(caps, &context->render.settings);
    context->render.caps = caps;
    platformDestroyWindow(window);
    return true;
}

// The main window's creation, which runs the loading.
void createMainWindow(DemoContext* context) {
    Settings& s = context->render.settings;
    context->timeline.startClock = -1;
    context->render.progress = 0;
    context->render.progressTotal = 552;
    context->warmUp = 0;

    WindowRequest request = {"ZelkEngine", 0, 0, s.width, s.height, s.fullscreen != 0, true,
                             s.colorBits, s.depthBits, 8, s.samples};
    PlatformWindow* window = platformCreateWindow(&request);
    if (!window && s.samples > 0) {
        std::fprintf(stderr, "velmora: %d samples are not available; playing without antialiasing\n",
                     s.samples);
        s.samples = 0;
        request.samples = 0;
        window = platformCreateWindow(&request);
    }
    if (!window) {
        showError("The window or its OpenGL context cannot be created.");
        fatalExit(EXIT_NO_WINDOW);
    }
    context->window = window;
    checkWindowPixelFormat(s.samples);
    if (s.fullscreen) {
        // The result is not acted on: the window keeps the requested size either way.
        platformSetDisplayMode(window, s.width, s.height, s.colorBits, s.refreshRate);
        platformShowCursor(false);
    }
    context->loading = 1;
    loadLoadingPicture(&context->render);

    // One row taller than the picture: a 4:3 full-screen mode then has zero-high border bars.
    platformShowWindow(window, (s.screenWidth - s.width) / 2, (s.screenHeight - s.height) / 2, s.width,
                       s.height + 1);
    int clientWidth, clientHeight;
    platformGetClientSize(window, &clientWidth, &clientHeight);
    onResize(context, clientWidth, clientHeight);
    paintFrame(context);

    platformMakeCurrent(window);
    gammaApply(window);
    setupDevice(context, window);
    initClipList(&context->timeline);
    loadProductionContent(context);

    context->loading = 0;
    context->warmUp = 1;
}

int messageLoop(DemoContext* context) {
    while (!context->timeline.quit.posted) {
        pumpEvents(context);
        platformCheckSignals();
        if (context->timeline.quit.posted) break;
        paintFrame(context);
    }
    // The effects' slots and shared objects go while the device is still current.
    for (int32_t s = 0; context->timeline.scenes && s < context->timeline.sceneCount; ++s)
        releaseSceneEffects(&context->timeline.scenes[s]);
    releaseEffects(&context->effects);
    closeProductionTree();
    shutdownRestore();
    if (context->render.settings.capture) {
        int code = captureRunFinish();
        if (context->timeline.quit.code == EXIT_OK) return code;
    }
    return context->timeline.quit.code;
}

// A video's file and encoder, checked before anything is loaded. False after one line on standard error.
bool checkVideoTarget(const Options& o, std::string* ffmpegPath) {
    std::string problem = videoTargetProblem(o.videoPath);
    if (!problem.empty()) {
        std::fprintf(stderr, "velmora: --video: %s\n", problem.c_str());
        return false;
    }
    if (!findProgram("ffmpeg", ffmpegPath)) {
        std::fprintf(stderr, "velmora: --video needs the ffmpeg program, and there is none on PATH\n");
        return false;
    }
    return true;
}

void configureCapture(const Options& o, const std::string& ffmpegPath, const DemoContext* context) {
    CaptureConfig c;
    c.write = !o.noWrite;
    bool video = !o.videoPath.empty() && c.write;
    if (video) {
        c.ffmpegPath = ffmpegPath;
        c.videoPath = o.videoPath;
    }
    // With a video, BMP files and the separate soundtrack are kept only when an output folder is named.
    if (c.write && (!video || o.outputGiven)) c.framesDir = c.soundDir = o.outputDir;
    c.musicPath = context->render.settings.noMusic ? std::string() : o.dataDir + "/demo.ogg";
    c.start = o.startTime >= 0 ? o.startTime : 0;
    c.musicOrigin = context->timeline.globalStart;
    c.fps = o.fps;
    c.plannedFrames = capturePlannedFrames(c.start, context->timeline.globalEnd, o.fps, o.frames);
    captureRunConfigure(c);
}

}  // namespace

int runPlayer(int argc, char** argv) {
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return EXIT_BAD_OPTION;
    }
    if (options.help) {
        std::fputs(optionsUsage(), stdout);
        return EXIT_OK;
    }
    if (options.version) {
        std::printf("velmora %s\n", velmoraVersion());
        return EXIT_OK;
    }
    std::string ffmpegPath;
    if (!options.videoPath.empty() && !options.noWrite && !checkVideoTarget(options, &ffmpegPath))
        return EXIT_BAD_OPTION;
    installPlayerReportHooks();
    platformSetInteractive(interactiveRun(options));
    if (!options.gammaFile.empty()) platformUseGammaFile(options.gammaFile.c_str());
    platformInstallSignalHandlers(onSignal);
    bool video = platformInit(true);
    if (!video) platformSetInteractive(false);

    DemoContext* context = demoContext();
    FrameLoopConfig loopConfig = {options.frames, options.startTime, options.fps};
    frameLoopConfigure(loopConfig);

    // Needs neither the package nor the music: people run it first when the demo does not start.
    if (options.diagnostics) {
        if (!video || !probeDevice(context, false)) {
            showError("The display cannot be opened or offers no OpenGL context.");
            return EXIT_NO_WINDOW;
        }
        int code = printDiagnostics(deviceCaps(), stdout);
        platformShutdown();
        return code;
    }

    if (!options.treeDir.empty()) {
        // The folder holds the music too.
        options.dataDir = options.treeDir;
        if (!openProductionTree(options.treeDir.c_str())) return EXIT_BAD_PACKAGE;
    } else {
        std::string packagePath = options.dataDir + "/demo.dat";
        if (!packageLoad(packagePath.c_str())) {
            std::error_code error;
            if (!std::filesystem::exists(packagePath, error))
                std::fputs(missingPackageHint(options.dataDir, sampleProductionDir()).c_str(), stderr);
            return EXIT_BAD_PACKAGE;
        }
    }
    packageSetOpenHook(onFileOpened);

    resetSettings(&context->render.settings);
    resetTimeline(&context->timeline);
    context->timeline.startClock = -1;
    readTimelineHeader(kTimeline, &context->timeline);
    if (context->timeline.quit.posted) {
        packageRelease();
        return context->timeline.quit.code;
    }
    if (options.startTime > context->timeline.globalEnd) {
        std::fprintf(stderr, "velmora: --start %d is past the timeline's end at %d ms\n", options.startTime,
                     context->timeline.globalEnd);
        packageRelease();
        return EXIT_BAD_OPTION;
    }

    if (!video || !probeDevice(context, true)) {
        showError("The display cannot be opened or offers no OpenGL context.");
        fatalExit(EXIT_NO_WINDOW);
    }

    Settings& settings = context->render.settings;
    static SetupLists lists;
    buildSetupListsFromDisplay(context->render.caps, settings.maxAnisotropy, &lists);
    applyOptions(&options, &lists, &settings);
    // The dialog's choices replace the options'; without a display for it the options stand.
    if (!options.noSetup && platformIsInteractive() && runSetupDialog(context) == 0) {
        shutdownRestore();
        platformShutdown();
        return EXIT_OK;
    }
    // Opened once the dialog has decided: "No Music" unticked there plays the music. A capture renders
    // at its own pace and decodes the music itself: it needs no device, and a machine without one
    // should not hear about it on every run.
    if (!settings.capture && !settings.noMusic) openMusic(options.dataDir.c_str());
    context->timeline.loop = context->render.settings.loop;
    context->render.passTimes.on = options.passTimes;
    context->render.passTimes.waitOncePerFrame = options.frameTimes;
    // A capture is one pass over the timeline: looping would write frames forever.
    if (context->render.settings.capture) context->timeline.loop = 0;
    // A window run takes the transport keys; a capture runs straight through and frees as it goes.
    context->timeline.seekable = !context->render.settings.capture;

    if (context->render.settings.capture) configureCapture(options, ffmpegPath, context);
    if (context->render.settings.capture && !options.noWrite && (options.videoPath.empty() || options.outputGiven)) {
        // Frames that cannot be written are skipped; make sure the usual case can be written.
        std::error_code error;
        std::filesystem::create_directories(options.outputDir, error);
        if (error)
            std::fprintf(stderr, "velmora: cannot create %s: %s\n", options.outputDir.c_str(),
                         error.message().c_str());
    }
    platformDesktopSize(&context->render.settings.screenWidth, &context->render.settings.screenHeight);
    createMainWindow(context);
    return messageLoop(context);
}
