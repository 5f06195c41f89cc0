#include "render/screen.h"

#include <GL/gl.h>

#include "render/render_frame.h"
#include "render/render_state.h"

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

void setPictureViewport(RenderState* render) {
    const Settings& s = render->settings;
    int32_t x, y;
    pictureViewport(s.clientWidth, s.clientHeight, s.width, s.height, &x, &y);
    glViewport(x, y, s.width, s.height);
}

namespace {

float loadingFraction(const RenderState* render) {
    return render->progressTotal > 0 ? static_cast<float>(render->progress) / static_cast<float>(render->progressTotal)
                                     : 0.0f;
}

}  // namespace

int32_t loadingBarPixels(const RenderState* render) {
    // The bar's right end at x = f - 0.51 on the -1..1 view.
    return static_cast<int32_t>((loadingFraction(render) + 0.49f) * 0.5f * static_cast<float>(render->settings.width));
}

void drawLoadingScreen(RenderState* render) {
    glDisable(GL_TEXTURE_2D);
    glColor3f(1.0f, 1.0f, 1.0f);
    setPictureViewport(render);
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
    if (render->loadingPicture.names && render->loadingPicture.names[0]) {
        // The upper three quarters of the picture fill the view.
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, render->loadingPicture.names[0]);
        glBegin(GL_QUADS);
        glTexCoord2f(0.0f, 1.0f); glVertex2f(-1.0f, 1.0f);
        glTexCoord2f(1.0f, 1.0f); glVertex2f(1.0f, 1.0f);
        glTexCoord2f(1.0f, 0.25f); glVertex2f(1.0f, -1.0f);
        glTexCoord2f(0.0f, 0.25f); glVertex2f(-1.0f, -1.0f);
        glEnd();
        glDisable(GL_TEXTURE_2D);
    }

    float f = loadingFraction(render);
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
}

void drawBorderBars(RenderState* render) {
    const Settings& s = render->settings;
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
