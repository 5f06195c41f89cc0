#include "app/frame_loop.h"

#include <GL/gl.h>

#include <cstdio>

#include "app/capture_run.h"
#include "app/capture_timing.h"
#include "app/demo_context.h"
#include "app/music.h"
#include "app/shutdown.h"
#include "app/transport_run.h"
#include "app/tree_reload.h"
#include "data/package.h"
#include "effects/effect_binding.h"
#include "effects/effect_catch_up.h"
#include "platform/platform.h"
#include "render/render_frame.h"
#include "render/screen.h"
#include "timeline/catch_up.h"
#include "timeline/scheduler.h"

namespace {

struct FrameLoopState {
    int32_t warmScene;
    int32_t warmStep;
    int32_t captureFrame;
    int32_t fpsFrames;
    int32_t fpsClock;
    int32_t timedFrames;
    bool musicWaiting;   // the clock runs but the music has not begun
    int32_t shownBar;    // loading bar end last shown, pixels; -1 before the first
    int32_t shownClock;  // when it was shown
};

FrameLoopState gLoop = {0, 0, 0, 0, -1, 0, false, -1, 0};
// Warm-up frames are never shown: drawn into these few pixels they still compile every program and
// create every texture, without filling the picture on a software renderer.
const int kWarmUpScissor = 4;
FrameLoopConfig gConfig = {0, -1, CAPTURE_DEFAULT_FPS};

void updateTitle(DemoContext* context) {
    int32_t clock = platformClockMs();
    if (gLoop.fpsClock < 0) gLoop.fpsClock = clock;
    if (++gLoop.fpsFrames < 200) return;
    gLoop.fpsFrames = 0;
    int32_t elapsed = clock - gLoop.fpsClock;
    gLoop.fpsClock = platformClockMs();
    if (elapsed < 1) elapsed = 1;  // 200 frames within a millisecond: report the bound
    char title[64];
    std::snprintf(title, sizeof title, "Zelk Engine %.3f fps", 200000.0 / elapsed);
    platformSetWindowTitle(context->window, title);
}

// A start time given on the command line replaces the timeline's own start as the clock's origin.
int32_t clockOrigin(const DemoContext* context) {
    return gConfig.startTime >= 0 ? gConfig.startTime : context->timeline.globalStart;
}

}  // namespace

void onResize(DemoContext* context, int clientWidth, int clientHeight) {
    Settings& s = context->render.settings;
    s.clientWidth = clientWidth;
    s.clientHeight = clientHeight;
    fitPicture(clientWidth, clientHeight, &s.width, &s.height);
    context->render.resized = 1;
}

void frameLoopConfigure(const FrameLoopConfig& config) { gConfig = config; }

void showLoadingScreen(DemoContext* context) {
    // Repainted only when the bar has moved, and at most once a display refresh: every file opened
    // asks for it, and each repaint waits for the renderer.
    const int32_t bar = loadingBarPixels(&context->render);
    const int32_t clock = platformClockMs();
    const int32_t refresh = context->render.settings.refreshRate > 0 ? context->render.settings.refreshRate : 60;
    if (gLoop.shownBar >= 0 && (bar == gLoop.shownBar || clock - gLoop.shownClock < 1000 / refresh)) return;
    gLoop.shownBar = bar;
    gLoop.shownClock = clock;
    platformMakeCurrent(context->window);
    drawLoadingScreen(&context->render);
    platformSwapBuffers(context->window);
}

void loadingStep(int n) {
    DemoContext* context = demoContext();
    if (context->timeline.startClock != -1) return;
    context->render.progress += n;
    if (!context->window) return;
    // Long loads stay responsive: Escape, closing and signals are honoured between steps.
    pumpEvents(context);
    platformCheckSignals();
    if (context->timeline.quit.posted) fatalExit(context->timeline.quit.code);
    showLoadingScreen(context);
}

int runFrame(int32_t demoTime, DemoContext* context) {
    if (!context->warmUp) return schedule(&context->timeline, &context->render, demoTime);
    if (gLoop.warmStep == 2) {
        gLoop.warmStep = 0;
        gLoop.warmScene += 1;
    }
    if (gLoop.warmScene >= context->timeline.sceneCount) {
        gLoop.warmScene = 0;
        context->warmUp = 0;
        clearPassTimes(&context->render.passTimes);  // only shown frames count
        resetAllEffects(context->timeline.scenes, context->timeline.sceneCount);
        keepEffectStates(context->timeline.scenes, context->timeline.sceneCount);
        return 0;
    }
    Scene* scene = &context->timeline.scenes[gLoop.warmScene];
    // An empty slot or a scene without cameras has nothing to draw.
    if (scene->name[0] && scene->cameraCount > 0) {
        context->render.currentScene = scene;
        context->render.currentCamera = &scene->cameras[0];
        glScissor(0, 0, kWarmUpScissor, kWarmUpScissor);
        glEnable(GL_SCISSOR_TEST);
        context->render.warmingUp = true;
        renderFrame(&context->render, gLoop.warmStep * 1000 / 30);
        context->render.warmingUp = false;
        glDisable(GL_SCISSOR_TEST);
    }
    gLoop.warmStep += 1;
    loadingStep(1);
    return 0;
}

void paintFrame(DemoContext* context) {
    Settings& s = context->render.settings;
    if (context->loading || context->warmUp) {
        showLoadingScreen(context);
        if (!context->warmUp) return;
    }
    int32_t clock = platformClockMs();
    bool startGiven = gConfig.startTime >= 0;
    int32_t origin = clockOrigin(context);
    int32_t demoTime = s.capture ? captureFrameTime(startGiven ? gConfig.startTime : 0, gLoop.captureFrame, gConfig.fps)
                                 : clock + origin - context->timeline.startClock;
    if (!context->warmUp && !context->loading && context->timeline.startClock == -1) {
        gLoop.musicWaiting = !s.noMusic && !s.capture;
        context->timeline.startClock = clock;
        if (!s.capture) demoTime = startGiven ? gConfig.startTime : 0;
        // A folder's files stay at hand for reloading what an author saves.
        if (!playingTree()) packageRelease();
        // A late start shows what playing up to it would have shown.
        if (startGiven) catchUpEffects(&context->timeline, &context->render, demoTime, gConfig.fps);
    } else if (!s.capture && !context->warmUp) {
        demoTime = transportFrameTime(context, {origin, gConfig.fps}, demoTime);
    }
    // Music position 0 is the timeline's start: a run begun before it waits for it.
    if (gLoop.musicWaiting) {
        int32_t position = clock + origin - context->timeline.startClock - context->timeline.globalStart;
        if (position >= 0) {
            startMusic(position);
            gLoop.musicWaiting = false;
        }
    }
    platformMakeCurrent(context->window);
    reloadChangedFiles(context);
    setPictureViewport(&context->render);
    if (runFrame(demoTime, context) == 0) return;
    // The frame that ends the demo draws nothing worth keeping.
    if (context->timeline.quit.posted) return;

    drawBorderBars(&context->render);
    if (!s.capture) drawTransportOverlay(context, demoTime);
    if (s.capture && !context->loading) {
        // The video encoder has gone: the capture cannot go on.
        if (!captureRunFrame(context, demoTime)) postQuit(context, EXIT_VIDEO);
        gLoop.captureFrame += 1;
    }
    glFlush();
    if (!s.fullscreen) updateTitle(context);
    if (!context->warmUp) platformSwapBuffers(context->window);
    gLoop.timedFrames += 1;
    if (gConfig.frameLimit > 0 && gLoop.timedFrames >= gConfig.frameLimit) postQuit(context, EXIT_OK);
}

void pumpEvents(DemoContext* context) {
    PlatformEvent event;
    while (platformPollEvent(&event)) {
        switch (event.type) {
            case PLATFORM_EVENT_KEY_ESCAPE:
            case PLATFORM_EVENT_CLOSE:
                postQuit(context, EXIT_OK);
                break;
            case PLATFORM_EVENT_KEY_F1:
                platformShowCursor(true);
                break;
            case PLATFORM_EVENT_RESIZE:
                onResize(context, event.width, event.height);
                break;
            case PLATFORM_EVENT_KEY:
                transportOnKey(context, {clockOrigin(context), gConfig.fps}, event.key, event.shift);
                break;
            default:
                break;
        }
    }
}
