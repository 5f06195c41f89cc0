#include "render/render_frame.h"

#include <GL/gl.h>

#include "app/demo_context.h"

// Until the scene passes exist, a scene shows its backdrop colour.
void renderFrame(DemoContext* context, int32_t sceneTime) {
    (void)sceneTime;
    const Scene* scene = context->currentScene;
    if (scene)
        glClearColor(scene->backdropColor[0], scene->backdropColor[1], scene->backdropColor[2], 0.0f);
    else
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}
