#include "effects/swimming/swimming.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <cstdlib>

#include "base/constants.h"
#include "base/out_of_memory.h"
#include "effects/body_programs.h"
#include "effects/effect_binding.h"
#include "effects/effect_draw.h"
#include "effects/effect_helpers.h"
#include "render/device_entry_points.h"
#include "render/mesh_build.h"
#include "render/render_state.h"
#include "render/texture_units.h"

namespace {

struct SwimState {
    SceneItem item;
    SwimParams params;
};

// Taylor coefficients of sin x (x^3..x^9) and of cos x - 1 (x^2..x^8).
const float kSine[4] = {-0.16666667f, 0.0083333338f, -0.0001984127f, 0.0000027557319f};
const float kCosine[4] = {-0.5f, 0.041666668f, -0.0013888889f, 0.000024801588f};

void setWaveLocals(const SurfaceInstance*, const void* data) {
    const float phase = *static_cast<const float*>(data);
    const float minus[4] = {-phase, -phase, -phase, -phase};
    const GlEntryPoints* gl = glEntryPoints();
    gl->glProgramLocalParameter4fvARB(GL_VERTEX_PROGRAM_ARB, 4, kSine);
    gl->glProgramLocalParameter4fvARB(GL_VERTEX_PROGRAM_ARB, 5, kCosine);
    gl->glProgramLocalParameter4fvARB(GL_VERTEX_PROGRAM_ARB, 6, minus);
}

}  // namespace

SwimParams swimParams(const EffectSlot* slot) { return {slot->intParams[0], slot->floatParams[0]}; }

void swimInit(RenderState* render, Scene* scene, EffectSlot* slot) {
    SwimState* state = static_cast<SwimState*>(std::calloc(1, sizeof(SwimState)));
    if (!state) outOfMemory("a swimmer");
    slot->state = state;
    state->params = swimParams(slot);
    std::snprintf(state->item.name, sizeof state->item.name, "%s", slot->fileName);
    if (buildMesh(render, scene, &state->item) < 0) return;
    for (int32_t s = 0; s < state->item.surfaceCount; ++s) {
        SurfaceInstance* instance = &state->item.surfaces[s];
        if (bodyProgramsFit(scene, instance, state->item.name))
            buildSwimPrograms(&render->programText, scene, instance, state->params.wave);
    }
}

void swimFrame(RenderState* render, EffectSlot* slot, int32_t timeMs) {
    slot->reset = 0;
    SwimState* state = slot->family == FAMILY_SWIMMING ? static_cast<SwimState*>(slot->state) : nullptr;
    if (!state || !state->item.mesh) return;
    const float phase = msToSeconds(timeMs) * state->params.speed;
    EffectMotion pose;
    effectMotionAt(slot, timeMs, &pose);
    resetTextureUnits(render);
    effectLoadModelView(slot, &pose, EFFECT_NO_PARENT, true);
    for (int32_t s = 0; s < state->item.surfaceCount; ++s)
        drawEffectSurface(render, render->currentScene, state->item.mesh, &state->item.surfaces[s], timeMs, {0, 0},
                          setWaveLocals, &phase, false);
    resetTextureUnits(render);
}

void swimRelease(EffectSlot* slot) {
    SwimState* state = static_cast<SwimState*>(slot->state);
    releaseEffectItem(&state->item);
    std::free(state);
    slot->state = nullptr;
}

void swimCheck(EffectCheck* check, const EffectBinding* row) {
    check->object(check, row->fileName);
    check->swimmer(check, row->fileName);
}
