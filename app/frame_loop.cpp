#include "app/frame_loop.h"

#include <GL/gl.h>

#include <cstdio>

#include "app/capture_run.h"
#include "app/capture_timing.h"
#include "app/demo_context.h"
#include "app/music.h"
#include "app/shutdown.h"
#include "data/package.h"
#include "effects/effect_binding.h"
#include "platform/platform.h"
#include "render/render_frame.h"
#include "timeline/clip_list.h"

namespace {

struct FrameLoopState {
    int32_t warmScene;
    int32_t warmStep;
    int32_t captureFrame;
    int32_t fpsFrames;
    int32_t fpsClock;
    int32_t timedFrames;
};

FrameLoopState gLoop = {0, 0, 0, 0, -1, 0};
FrameLoopConfig gConfig = {0, -1, CAPTURE_DEFAULT_FPS};

void resetAllEffects(DemoContext* context) {
    for (int s = 0; context->scenes && s < context->sceneCount; ++s) resetSceneEffects(&context->scenes[s]);
}

void drawLoadingScreen(DemoContext* context) {
    platformMakeCurrent(context->window);
    glDisable(GL_TEXTURE_2D);
    glColor3f(1.0f, 1.0f, 1.0f);
    setPictureViewport(context);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1, 1, -1, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    if (context->loadingPicture.names && context->loadingPicture.names[0]) {
        // The upper three quarters of the picture fill the view.
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, context->loadingPicture.names[0]);
        glBegin(GL_QUADS);
        glTexCoord2f(0.0f, 1.0f); glVertex2f(-1.0f, 1.0f);
        glTexCoord2f(1.0f, 1.0f); glVertex2f(1.0f, 1.0f);
        glTexCoord2f(1.0f, 0.25f); glVertex2f(1.0f, -1.0f);
        glTexCoord2f(0.0f, 0.25f); glVertex2f(-1.0f, -1.0f);
        glEnd();
        glDisable(GL_TEXTURE_2D);
    }

    float f = context->progressTotal > 0
                  ? static_cast<float>(context->progress) / static_cast<float>(context->progressTotal)
                  : 0.0f;
    glColor3f(1.0f, 1.0f, 1.0f);
    glBegin(GL_LINE_STRIP);
    glVertex2f(-0.52f, -0.72f);
    glVertex2f(0.52f, -0.72f);
    glVertex2f(0.52f, -0.8f);
    glVertex2f(-0.52f, -0.8f);
    glVertex2f(-0.52f, -0.72f);
    glEnd();
    glBegin(GL_QUADS);
    glVertex2f(-0.51f, -0.73f);
    glVertex2f(f - 0.51f, -0.73f);
    glVertex2f(f - 0.51f, -0.79f);
    glVertex2f(-0.51f, -0.79f);
    glEnd();
    // Lighting stays off: the passes and overlays after it assume so.
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glFinish();
    platformSwapBuffers(context->window);
}

void drawBorderBars(DemoContext* context) {
    const Settings& s = context->settings;
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    BorderBars bars = borderBars(s.clientWidth, s.clientHeight, s.width, s.height);
    for (int i = 0; i < bars.count; ++i) {
        glViewport(bars.x[i], bars.y[i], bars.width[i], bars.height[i]);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 1, 0, 1, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glColor3f(0.0f, 0.0f, 0.0f);
        glBegin(GL_QUADS);
        glVertex2f(0.0f, 0.0f);
        glVertex2f(1.0f, 0.0f);
        glVertex2f(1.0f, 1.0f);
        glVertex2f(0.0f, 1.0f);
        glEnd();
    }
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
}

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

}  // namespace

void fitPicture(int clientWidth, int clientHeight, int32_t* width, int32_t* height) {
    int32_t w = clientWidth;
    int32_t h = static_cast<int32_t>(clientWidth * 0.75);
    if (h > clientHeight) {
        h = clientHeight;
        w = static_cast<int32_t>(clientHeight * 1.3333334);
    }
    *width = w > 0 ? w : 1;
    *height = h > 0 ? h : 1;
}

BorderBars borderBars(int clientWidth, int clientHeight, int width, int height) {
    BorderBars bars = {};
    if (width == clientWidth && height == clientHeight) return bars;
    bars.count = 2;
    if (width == clientWidth) {
        int half = (clientHeight - height) / 2;
        bars.x[0] = 0; bars.y[0] = 0;
        bars.x[1] = 0; bars.y[1] = height + half;
        bars.width[0] = bars.width[1] = clientWidth;
        bars.height[0] = bars.height[1] = half;
    } else {
        int half = (clientWidth - width) / 2;
        bars.x[0] = 0; bars.y[0] = 0;
        bars.x[1] = width + half; bars.y[1] = 0;
        bars.width[0] = bars.width[1] = half;
        bars.height[0] = bars.height[1] = clientHeight;
    }
    return bars;
}

void onResize(DemoContext* context, int clientWidth, int clientHeight) {
    Settings& s = context->settings;
    s.clientWidth = clientWidth;
    s.clientHeight = clientHeight;
    fitPicture(clientWidth, clientHeight, &s.width, &s.height);
    context->resized = 1;
}

void setPictureViewport(DemoContext* context) {
    const Settings& s = context->settings;
    int32_t x, y;
    pictureViewport(s.clientWidth, s.clientHeight, s.width, s.height, &x, &y);
    glViewport(x, y, s.width, s.height);
}

void frameLoopConfigure(const FrameLoopConfig& config) { gConfig = config; }

void frameLoopReset() { gLoop = {0, 0, 0, 0, -1, 0}; }

void progressTick(int n) {
    DemoContext* context = demoContext();
    if (context->startClock != -1) return;
    context->progress += n;
    if (!context->window) return;
    // Long loads stay responsive: Escape, closing and signals are honoured between steps.
    pumpEvents(context);
    platformCheckSignals();
    if (context->quitPosted) fatalExit(context->quitCode);
    drawLoadingScreen(context);
}

int runFrame(int32_t demoTime, DemoContext* context) {
    if (!context->warmUp) return schedule(context, demoTime);
    if (gLoop.warmStep == 2) {
        gLoop.warmStep = 0;
        gLoop.warmScene += 1;
    }
    if (gLoop.warmScene >= context->sceneCount) {
        gLoop.warmScene = 0;
        context->warmUp = 0;
        resetAllEffects(context);
        return 0;
    }
    Scene* scene = &context->scenes[gLoop.warmScene];
    // An empty slot or a scene without cameras has nothing to draw.
    if (scene->name[0] && scene->cameraCount > 0) {
        context->currentScene = scene;
        context->currentCamera = &scene->cameras[0];
        renderFrame(context, gLoop.warmStep * 1000 / 30);
    }
    gLoop.warmStep += 1;
    progressTick(1);
    return 0;
}

void paintFrame(DemoContext* context) {
    Settings& s = context->settings;
    if (context->loading || context->warmUp) {
        drawLoadingScreen(context);
        if (!context->warmUp) return;
    }
    int32_t clock = platformClockMs();
    // A start time given on the command line replaces the timeline's own start as the clock's origin.
    bool startGiven = gConfig.startTime >= 0;
    int32_t origin = startGiven ? gConfig.startTime : s.globalStart;
    int32_t demoTime = s.capture ? captureFrameTime(startGiven ? gConfig.startTime : 0, gLoop.captureFrame, gConfig.fps)
                                 : clock + origin - context->startClock;
    if (!context->warmUp && !context->loading && context->startClock == -1) {
        if (!s.noMusic) startMusic(startGiven ? gConfig.startTime : 0);
        context->startClock = clock;
        if (!s.capture) demoTime = startGiven ? gConfig.startTime : 0;
        packageRelease();
    }
    platformMakeCurrent(context->window);
    setPictureViewport(context);
    if (runFrame(demoTime, context) == 0) return;
    // The frame that ends the demo draws nothing worth keeping.
    if (context->quitPosted) return;

    drawBorderBars(context);
    if (s.capture && !context->loading) {
        // The video encoder has gone: the capture cannot go on.
        if (!captureRunFrame(context, demoTime)) postQuit(context, EXIT_VIDEO);
        gLoop.captureFrame += 1;
    }
    glFlush();
    if (!s.fullscreen) updateTitle(context);
    if (!context->warmUp) platformSwapBuffers(context->window);
    gLoop.timedFrames += 1;
    if (gConfig.frameLimit > 0 && gLoop.timedFrames >= gConfig.frameLimit) postQuit(context, 0);
}

void pumpEvents(DemoContext* context) {
    PlatformEvent event;
    while (platformPollEvent(&event)) {
        switch (event.type) {
            case PLATFORM_EVENT_KEY_ESCAPE:
            case PLATFORM_EVENT_CLOSE:
                postQuit(context, 0);
                break;
            case PLATFORM_EVENT_KEY_F1:
                platformShowCursor(true);
                break;
            case PLATFORM_EVENT_RESIZE:
                onResize(context, event.width, event.height);
                break;
            default:
                break;
        }
    }
}
