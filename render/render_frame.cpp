#include "render/render_frame.h"

#include <GL/gl.h>

#include "app/demo_context.h"
#include "effects/clip_script.h"
#include "effects/effect_passes.h"
#include "render/main_pass.h"
#include "render/scene_setup_pass.h"
#include "render/shadow_pass.h"
#include "scene/transform.h"

void pictureViewport(int32_t clientWidth, int32_t clientHeight, int32_t width, int32_t height, int32_t* x,
                     int32_t* y) {
    // A client smaller than the picture crops it evenly on both sides.
    *x = (clientWidth - width) / 2;
    *y = (clientHeight - height) / 2;
}

void renderFrame(DemoContext* context, int32_t sceneTime) {
    Scene* scene = context->currentScene;
    const Settings& s = context->settings;
    // A minimised window has no client area: there is nothing to draw into.
    if (!scene || !context->currentCamera || s.clientWidth <= 0 || s.clientHeight <= 0) return;

    updateItemMatrices(scene, sceneTime);
    renderShadowMap(context, sceneTime);

    int32_t x, y;
    pictureViewport(s.clientWidth, s.clientHeight, s.width, s.height, &x, &y);
    glViewport(x, y, s.width, s.height);
    renderEffectPass(context, scene, 1, sceneTime);

    setUpScene(context, sceneTime);
    drawScene(context, sceneTime);
    // The overlays are timed on the demo clock, which the scheduler keeps in the scene's time.
    drawClipOverlays(context, scene->time);
    renderEffectPass(context, scene, 3, sceneTime);

    glDisable(GL_FOG);
}
