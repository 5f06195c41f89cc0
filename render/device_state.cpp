#include "render/device_state.h"

#include <cstdio>

#include "base/report.h"
#include "render/device_caps.h"
#include "render/device_entry_points.h"
#include "render/render_state.h"

namespace {

[[noreturn]] void noShadowBuffer(const char* why) {
    showError("The off-screen buffer for the shadow maps cannot be created: %s.", why);
    fatalExit(EXIT_NO_OFFSCREEN);
}

}  // namespace

uint32_t clearGlErrors() {
    GLenum first = GL_NO_ERROR;
    // Bounded: without a context some drivers keep answering.
    for (int i = 0; i < 64; ++i) {
        GLenum error = glGetError();
        if (error == GL_NO_ERROR) break;
        if (first == GL_NO_ERROR) first = error;
    }
    return first;
}

void setDefaultGlState() {
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_DITHER);
    glFrontFace(GL_CW);
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
    glShadeModel(GL_SMOOTH);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glHint(GL_TEXTURE_COMPRESSION_HINT_ARB, GL_NICEST);
    glHint(GL_GENERATE_MIPMAP_HINT_SGIS, GL_NICEST);
}

void createShadowBuffer(RenderState* render) {
    const GlEntryPoints* gl = glEntryPoints();
    const DeviceCaps* caps = render->caps ? render->caps : deviceCaps();
    if (caps->states[EXT_WGL_ARB_PBUFFER] != EXTENSION_FOUND ||
        caps->states[EXT_WGL_ARB_RENDER_TEXTURE] != EXTENSION_FOUND || !gl->glGenFramebuffers ||
        !gl->glFramebufferTexture2D)
        noShadowBuffer("the graphics driver has no framebuffer objects");
    GLsizei size = render->settings.shadowMapSize;
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    if (size <= 0 || size > largest) noShadowBuffer("the shadow map size is not available");
    clearGlErrors();

    if (!render->shadowTexture) glGenTextures(1, &render->shadowTexture);
    glBindTexture(GL_TEXTURE_2D, render->shadowTexture);
    // Fixed-point colour: the depth packing relies on the clamp when colour is written.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_BORDER_ARB);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_BORDER_ARB);
    // Outside the covered square nothing casts a shadow.
    const GLfloat white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, white);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);

    gl->glGenRenderbuffers(1, &render->shadowDepthBuffer);
    gl->glBindRenderbuffer(GL_RENDERBUFFER, render->shadowDepthBuffer);
    gl->glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, size, size);
    gl->glBindRenderbuffer(GL_RENDERBUFFER, 0);

    gl->glGenFramebuffers(1, &render->shadowFramebuffer);
    gl->glBindFramebuffer(GL_FRAMEBUFFER, render->shadowFramebuffer);
    gl->glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, render->shadowTexture, 0);
    gl->glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, render->shadowDepthBuffer);
    GLenum status = gl->glCheckFramebufferStatus(GL_FRAMEBUFFER);
    gl->glBindFramebuffer(GL_FRAMEBUFFER, 0);
    GLenum error = clearGlErrors();
    if (status != GL_FRAMEBUFFER_COMPLETE || error != GL_NO_ERROR) {
        char why[96];
        std::snprintf(why, sizeof why, "the framebuffer is incomplete (status 0x%x, error 0x%x)", status, error);
        noShadowBuffer(why);
    }
}

void bindShadowBuffer(const RenderState* render) {
    glEntryPoints()->glBindFramebuffer(GL_FRAMEBUFFER, render->shadowFramebuffer);
}

void unbindShadowBuffer() { glEntryPoints()->glBindFramebuffer(GL_FRAMEBUFFER, 0); }

void checkWindowPixelFormat(int samples) {
    GLint alpha = 0;
    glGetIntegerv(GL_ALPHA_BITS, &alpha);
    if (alpha < 8)
        std::fprintf(stderr, "velmora: the window has %d alpha bits; the glow needs 8 and will look wrong\n", alpha);
    if (samples > 0) {
        GLint buffers = 0;
        glGetIntegerv(GL_SAMPLE_BUFFERS_ARB, &buffers);
        if (buffers == 0) std::fprintf(stderr, "velmora: %d samples were asked for; the window has none\n", samples);
    }
    clearGlErrors();
}

