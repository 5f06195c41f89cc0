#include "render/shadow_parameters.h"

#include <cmath>

#include "app/demo_context.h"
#include "app/device_caps.h"
#include "app/device_entry_points.h"
#include "base/constants.h"

namespace {

void set4(float out[4], float a, float b, float c, float d) {
    out[0] = a;
    out[1] = b;
    out[2] = c;
    out[3] = d;
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
            gl->glProgramNamedParameter4fvNV(program, 7, reinterpret_cast<const GLubyte*>("shadow4"), p.mapOffset);
            gl->glProgramNamedParameter4fvNV(program, 7, reinterpret_cast<const GLubyte*>("shadow5"), p.mapScale);
            gl->glProgramNamedParameter4fvNV(program, 4, reinterpret_cast<const GLubyte*>("env6"), p.shading);
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

void setShadowParameters(DemoContext* context, int32_t timeMs) {
    const Scene* scene = context->currentScene;
    if (!scene || !scene->setup.shadowsOn) return;
    const GlEntryPoints* gl = glEntryPoints();
    const ShadowParameters p = shadowParameters(&scene->setup, timeMs);
    gl->glProgramEnvParameter4fARB(GL_VERTEX_PROGRAM_ARB, 4, p.depthScale[0], p.depthScale[1], p.depthScale[2],
                                   p.depthScale[3]);
    gl->glProgramEnvParameter4fARB(GL_VERTEX_PROGRAM_ARB, 5, p.volume[0], p.volume[1], p.volume[2], p.volume[3]);
    const DeviceCaps* caps = context->caps ? context->caps : deviceCaps();
    if (caps->states[EXT_NV_FRAGMENT_PROGRAM] == EXTENSION_FOUND) {
        setNamedShadowParameters(scene, p);
        return;
    }
    gl->glProgramEnvParameter4fARB(GL_FRAGMENT_PROGRAM_ARB, 4, p.mapOffset[0], p.mapOffset[1], p.mapOffset[2],
                                   p.mapOffset[3]);
    gl->glProgramEnvParameter4fARB(GL_FRAGMENT_PROGRAM_ARB, 5, p.mapScale[0], p.mapScale[1], p.mapScale[2],
                                   p.mapScale[3]);
    gl->glProgramEnvParameter4fARB(GL_FRAGMENT_PROGRAM_ARB, 6, p.shading[0], p.shading[1], p.shading[2],
                                   p.shading[3]);
}
