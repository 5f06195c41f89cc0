#include "render/render_frame.h"

#include <GL/gl.h>

#include "base/shared_work.h"
#include "render/effect_passes.h"
#include "render/glow.h"
#include "render/main_pass.h"
#include "render/render_state.h"
#include "render/scene_setup_pass.h"
#include "render/shadow_pass.h"
#include "scene/transform.h"

void pictureViewport(int32_t clientWidth, int32_t clientHeight, int32_t width, int32_t height, int32_t* x,
                     int32_t* y) {
    // A client smaller than the picture crops it evenly on both sides.
    *x = (clientWidth - width) / 2;
    *y = (clientHeight - height) / 2;
}

void renderFrame(RenderState* render, int32_t sceneTime) {
    Scene* scene = render->currentScene;
    const Settings& s = render->settings;
    // A minimised window has no client area: there is nothing to draw into.
    if (!scene || !render->currentCamera || s.clientWidth <= 0 || s.clientHeight <= 0) return;

    PassTimes* times = &render->passTimes;
    beginPassFrame(times, scene);
    updateItemMatrices(scene, sceneTime);
    prepareEffectSlots(render, scene, sceneTime);
    switchPass(times, FRAME_PASS_SHADOW);
    renderShadowMap(render, sceneTime);

    int32_t x, y;
    pictureViewport(s.clientWidth, s.clientHeight, s.width, s.height, &x, &y);
    glViewport(x, y, s.width, s.height);
    switchPass(times, FRAME_PASS_EFFECTS);
    renderEffectPass(render, scene, EFFECT_PASS_BEFORE_OBJECTS, sceneTime);

    switchPass(times, FRAME_PASS_SCENE);
    setUpScene(render, sceneTime);
    if (drawScene(render, sceneTime)) {
        switchPass(times, FRAME_PASS_GLOW);
        drawGlow(render, scene, sceneTime);
        releaseShadowTexture(render);
    }
    // The overlays are timed on the demo clock, which the scheduler keeps in the scene's time.
    switchPass(times, FRAME_PASS_OVERLAYS);
    if (render->overlayPass) render->overlayPass(render, scene->time);
    switchPass(times, FRAME_PASS_EFFECTS);
    renderEffectPass(render, scene, EFFECT_PASS_AFTER_OVERLAYS, sceneTime);

    glDisable(GL_FOG);
    // Work a slot started and no pass waited for (a null not drawn this frame) ends with the frame.
    finishSharedWork();
    switchPass(times, FRAME_PASS_NONE);
}

void clearPicture() {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}
