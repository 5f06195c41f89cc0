#include "render/shadow_parameters.h"

#include <cmath>
#include <cstring>

#include "base/constants.h"
#include "render/device_caps.h"
#include "render/device_entry_points.h"
#include "render/program_slots.h"
#include "render/render_state.h"

namespace {

void set4(float out[4], float a, float b, float c, float d) {
    out[0] = a;
    out[1] = b;
    out[2] = c;
    out[3] = d;
}

void setEnv(GLenum target, GLuint slot, const float v[4]) {
    glEntryPoints()->glProgramEnvParameter4fARB(target, slot, v[0], v[1], v[2], v[3]);
}

void setNamed(GLuint program, const char* name, const float values[4]) {
    glEntryPoints()->glProgramNamedParameter4fvNV(program, GLsizei(std::strlen(name)),
                                                  reinterpret_cast<const GLubyte*>(name), values);
}

// Named parameters of the NV path live in each program, so every object surface gets them.
void setNamedShadowParameters(const Scene* scene, const ShadowParameters& p) {
    const GlEntryPoints* gl = glEntryPoints();
    if (!gl->glBindProgramNV || !gl->glProgramNamedParameter4fvNV) return;
    glEnable(GL_FRAGMENT_PROGRAM_NV);
    for (int32_t i = 0; i < scene->itemCount; ++i) {
        const SceneItem& item = scene->items[i];
        if (item.isNull) continue;
        for (int32_t s = 0; s < item.surfaceCount; ++s) {
            GLuint program = item.surfaces[s].fragmentProgram;
            gl->glBindProgramNV(GL_FRAGMENT_PROGRAM_NV, program);
            setNamed(program, kNvShadowOffset, p.mapOffset);
            setNamed(program, kNvShadowScale, p.mapScale);
            setNamed(program, kNvShadowShading, p.shading);
        }
    }
    glDisable(GL_FRAGMENT_PROGRAM_NV);
}

}  // namespace

ShadowParameters shadowParameters(const SceneSetup* setup, int32_t timeMs) {
    ShadowParameters p = {};
    const float t = msToSeconds(timeMs);
    for (int k = 0; k < 4; ++k) p.volume[k] = evalEnvelope(&setup->shadowEnvelopes[k], t);
    const float x = p.volume[0], z = p.volume[2], w = p.volume[3];
    const float s = setup->shadowDepthScale, c = setup->causticsScale;
    set4(p.depthScale, s, s, s, s);
    set4(p.shading, setup->shadowSoftness, setup->shadowAmbient, 0.0f, 1.0f);
    const float k = 1.0f / (2.0f * w * c);
    p.castsShadows = w != 0.0f && c != 0.0f && std::isfinite(k) && std::isfinite(x / w) && std::isfinite(z / w);
    if (p.castsShadows) {
        set4(p.mapOffset, x / (2.0f * w) + 0.5f, z / (2.0f * w) + 0.5f, 0.0f, 0.0f);
        set4(p.mapScale, k, k, 0.0f, 1.0f);
    } else {
        // Every fragment lands outside the map, on its white border: lit.
        set4(p.mapOffset, -1.0f, -1.0f, 0.0f, 0.0f);
        set4(p.mapScale, 0.0f, 0.0f, 0.0f, 1.0f);
    }
    return p;
}

void setShadowVertexParameters(const ShadowParameters* p) {
    setEnv(GL_VERTEX_PROGRAM_ARB, VERTEX_ENV_SHADOW_DEPTH, p->depthScale);
    setEnv(GL_VERTEX_PROGRAM_ARB, VERTEX_ENV_SHADOW_VOLUME, p->volume);
}

void setShadowParameters(RenderState* render, int32_t timeMs) {
    const Scene* scene = render->currentScene;
    if (!scene || !scene->setup.shadowsOn) return;
    const ShadowParameters p = shadowParameters(&scene->setup, timeMs);
    setShadowVertexParameters(&p);
    const DeviceCaps* caps = render->caps ? render->caps : deviceCaps();
    if (caps->states[EXT_NV_FRAGMENT_PROGRAM] == EXTENSION_FOUND) {
        setNamedShadowParameters(scene, p);
        return;
    }
    setEnv(GL_FRAGMENT_PROGRAM_ARB, FRAGMENT_ENV_SHADOW_OFFSET, p.mapOffset);
    setEnv(GL_FRAGMENT_PROGRAM_ARB, FRAGMENT_ENV_SHADOW_SCALE, p.mapScale);
    setEnv(GL_FRAGMENT_PROGRAM_ARB, FRAGMENT_ENV_SHADOW_SHADING, p.shading);
}
