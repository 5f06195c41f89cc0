#include "render/scene_setup_pass.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cmath>

#include "base/constants.h"
#include "render/device_entry_points.h"
#include "render/program_slots.h"
#include "render/render_state.h"
#include "scene/transform.h"

namespace {

const double kNear = 0.1;
const double kFar = 1000.0;
// Just short of a right angle: tan stays finite and positive.
const double kMaxHalfAngle = 89.9 * kPi / 180.0;

double clampHalfAngle(double angle) {
    if (angle > kMaxHalfAngle) return kMaxHalfAngle;
    if (angle < -kMaxHalfAngle) return -kMaxHalfAngle;
    return angle;
}

// m := m * R(row of m, degrees), issuing the same rotation on the current GL matrix when asked.
void rotateAboutRow(float m[16], int row, float degrees, bool gl) {
    const float x = m[row * 4], y = m[row * 4 + 1], z = m[row * 4 + 2];
    if (gl) glRotatef(degrees, x, y, z);
    float r[16];
    rowRotation(r, x, y, z, degrees);
    rowMultiply(m, m, r);
}

// Heading then pitch about the axes they turn, as the scene file's lights are aimed.
void lightAxes(const Light* light, float t, float m[16]) {
    rowIdentity(m);
    rotateAboutRow(m, 1, -(kDegreesPerRadian * evalEnvelope(&light->motion[3], t)), false);
    rotateAboutRow(m, 0, -(kDegreesPerRadian * evalEnvelope(&light->motion[4], t)), false);
}

void setUpCamera(RenderState* render, Camera* camera, float t) {
    const float h = -(kDegreesPerRadian * evalEnvelope(&camera->motion[3], t));
    const float p = kDegreesPerRadian * evalEnvelope(&camera->motion[4], t);
    const float b = kDegreesPerRadian * evalEnvelope(&camera->motion[5], t);
    const float x = evalEnvelope(&camera->motion[0], t);
    const float y = evalEnvelope(&camera->motion[1], t);
    const float z = evalEnvelope(&camera->motion[2], t);
    float* m = camera->axes;
    rowTranslation(m, x, y, z);
    rotateAboutRow(m, 1, h, true);
    rotateAboutRow(m, 0, p, true);
    rotateAboutRow(m, 2, b, true);

    const float cx = m[3], cy = m[7], cz = m[11];
    const GlEntryPoints* gl = glEntryPoints();
    if (gl->glProgramEnvParameter4fARB) {
        const SceneSetup& s = render->currentScene->setup;
        const GLenum targets[2] = {GL_VERTEX_PROGRAM_ARB, GL_FRAGMENT_PROGRAM_ARB};
        for (GLenum target : targets) {
            // The fragment slots 0 and 1 are the vertex ones.
            gl->glProgramEnvParameter4fARB(target, VERTEX_ENV_CAMERA, cx, cy, cz, 0.0f);
            gl->glProgramEnvParameter4fARB(target, VERTEX_ENV_CAMERA_TURNED, -cx, cy, -cz, 0.0f);
        }
        gl->glProgramEnvParameter4fARB(GL_VERTEX_PROGRAM_ARB, VERTEX_ENV_CAUSTICS, s.causticsScale, s.causticsScale,
                                       0.0f, 1.0f);
        gl->glProgramEnvParameter4fARB(GL_VERTEX_PROGRAM_ARB, VERTEX_ENV_FOG, s.fogA, s.fogB, s.fogC, 0.0f);
    }
    glTranslatef(cx, -cy, cz);
}

void setUpLights(Scene* scene, float t) {
    GLint glLights = 8;
    glGetIntegerv(GL_MAX_LIGHTS, &glLights);
    const int32_t count = scene->lightCount < SCENE_LIGHTS ? scene->lightCount : SCENE_LIGHTS;
    for (int32_t i = 0; i < count && i < glLights; ++i) {
        Light* light = &scene->lights[i];
        const GLenum id = GLenum(GL_LIGHT0 + i);
        lightPlacement(light, t, light->position, light->direction);
        if (light->type >= 0 && light->type <= 2) glLightfv(id, GL_POSITION, light->position);
        if (light->type == 2) {
            glLightfv(id, GL_SPOT_DIRECTION, light->direction);
            // Only drawing without programs reads the cone; the programs light the spot by its position.
            float cone = light->coneAngle > 0.0f && light->coneAngle < 90.0f ? light->coneAngle : 90.0f;
            glLightf(id, GL_SPOT_CUTOFF, cone);
        } else {
            glLightf(id, GL_SPOT_CUTOFF, 180.0f);
        }
        float intensity = light->intensityEnvelope.keyCount > 0 ? evalEnvelope(&light->intensityEnvelope, t)
                                                                : light->intensity;
        Colour& c = light->effectiveColor;
        c = {light->color.r * intensity, light->color.g * intensity, light->color.b * intensity, 1.0f};
        const GLfloat product[4] = {c.r, c.g, c.b, c.a};
        glLightfv(id, GL_DIFFUSE, product);
        glLightfv(id, GL_SPECULAR, product);
        glEnable(id);
    }
    for (GLint i = count; i < glLights; ++i) glDisable(GLenum(GL_LIGHT0 + i));
}

}  // namespace

Frustum cameraFrustum(float zoom, int32_t width, int32_t height) {
    const double aspect = height > 0 ? double(width) / double(height) : 1.0;
    const double a = std::atan2(1.0 / double(zoom), 1.0);
    const double x = std::tan(clampHalfAngle(a * aspect)) * kNear;
    const double y = std::tan(clampHalfAngle(a)) * kNear;
    Frustum f = {{x, -x, -y, y, kNear, kFar}};
    return f;
}

void lightPlacement(const Light* light, float t, float position[4], float spotDirection[4]) {
    float m[16];
    if (light->type == 0) {
        lightAxes(light, t, m);
        position[0] = -m[8];
        position[1] = -m[9];
        position[2] = -m[10];
        position[3] = 0.0f;
        return;
    }
    position[0] = evalEnvelope(&light->motion[0], t);
    position[1] = evalEnvelope(&light->motion[1], t);
    position[2] = evalEnvelope(&light->motion[2], t);
    position[3] = 1.0f;
    if (light->type != 2) return;
    lightAxes(light, t, m);
    spotDirection[0] = m[8];
    spotDirection[1] = m[9];
    spotDirection[2] = m[10];
    spotDirection[3] = 1.0f;
}

void forgetSceneFrustum(RenderState* render) { render->setUp = {}; }

void setUpScene(RenderState* render, int32_t timeMs) {
    Scene* scene = render->currentScene;
    Camera* camera = render->currentCamera;
    const float t = msToSeconds(timeMs);

    // Earlier passes (loading screen, overlays, border bars) may have changed these.
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glDisable(GL_LIGHTING);
    glClearColor(scene->backdropColor[0], scene->backdropColor[1], scene->backdropColor[2], 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (scene->setup.fogType != 0) {
        glFogfv(GL_FOG_COLOR, scene->setup.fogColour);
        glEnable(GL_FOG);
    }

    if (render->resized || camera != render->setUp.lastCamera) {
        render->resized = 0;
        render->setUp.frustum = cameraFrustum(camera->zoom, render->settings.width, render->settings.height);
    }
    const double* f = render->setUp.frustum.planes;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(f[0], f[1], f[2], f[3], f[4], f[5]);
    setUpCamera(render, camera, t);
    render->setUp.lastCamera = camera;

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(180.0f, 0.0f, 1.0f, 0.0f);
    setUpLights(scene, t);
}
