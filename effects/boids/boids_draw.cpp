#include "effects/boids/boids_draw.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/constants.h"
#include "base/crt_rand.h"
#include "base/out_of_memory.h"
#include "base/shared_work.h"
#include "effects/body_programs.h"
#include "effects/boids/boids_flock.h"
#include "effects/effect_binding.h"
#include "effects/effect_draw.h"
#include "effects/effect_helpers.h"
#include "effects/effects_state.h"
#include "render/device_entry_points.h"
#include "render/mesh_build.h"
#include "render/program_builder.h"
#include "render/render_state.h"
#include "render/texture_units.h"

namespace {

BoidsState* boidsState(EffectSlot* slot) {
    return slot->family == FAMILY_BOIDS ? static_cast<BoidsState*>(slot->state) : nullptr;
}

// u = the z axis turned by the rotation that takes the x axis onto the segment from a to b.
void segmentUp(const float a[3], const float b[3], float up[3]) {
    float d[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    float length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    up[0] = 0.0f;
    up[1] = 0.0f;
    up[2] = 1.0f;
    if (!(length > 0.0f)) return;  // a collapsed segment keeps the fish upright
    for (float& v : d) v /= length;
    if (std::fabs(d[0] - 1.0f) < 0.0001f) return;
    if (std::fabs(d[0] + 1.0f) < 0.0001f) {
        up[2] = -1.0f;  // 180 degrees about y
        return;
    }
    // Rodrigues about the unit axis (0, -d.z, d.y) / sin by the angle acos(d.x).
    float ax[3] = {0.0f, -d[2], d[1]};
    float s = std::sqrt(ax[1] * ax[1] + ax[2] * ax[2]);
    for (float& v : ax) v /= s;
    float c = d[0] < -1.0f ? -1.0f : (d[0] > 1.0f ? 1.0f : d[0]);
    float sine = std::sqrt(1.0f - c * c);
    const float z[3] = {0.0f, 0.0f, 1.0f};
    float cross[3] = {ax[1] * z[2] - ax[2] * z[1], ax[2] * z[0] - ax[0] * z[2], ax[0] * z[1] - ax[1] * z[0]};
    float dot = ax[2];
    for (int k = 0; k < 3; ++k) up[k] = z[k] * c + cross[k] * sine + ax[k] * dot * (1.0f - c);
}

struct FishDraw {
    float p[4][4];
    float q[4][4];
};

void setFishLocals(const SurfaceInstance*, const void* data) {
    const FishDraw* fish = static_cast<const FishDraw*>(data);
    const GlEntryPoints* gl = glEntryPoints();
    for (int i = 0; i < 4; ++i) {
        gl->glProgramLocalParameter4fvARB(GL_VERTEX_PROGRAM_ARB, GLuint(4 + i), fish->p[i]);
        gl->glProgramLocalParameter4fvARB(GL_VERTEX_PROGRAM_ARB, GLuint(8 + i), fish->q[i]);
    }
}

void setShaftBlend(const SurfaceInstance*, const void*) {
    const GlEntryPoints* gl = glEntryPoints();
    if (gl->glBlendFuncSeparateEXT)
        gl->glBlendFuncSeparateEXT(GL_SRC_ALPHA, GL_ONE, GL_SRC_ALPHA, GL_ONE);
    else
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
}

void loadShafts(RenderState* render, Scene* scene) {
    BoidsShared& shared = render->effects->boids;
    if (shared.loaded) return;
    shared.loaded = true;
    std::snprintf(shared.shaftItem.name, sizeof shared.shaftItem.name, "%s", SHAFT_OBJECT);
    if (buildMesh(render, scene, &shared.shaftItem) < 0 || shared.shaftItem.surfaceCount < 1) return;
    SurfaceInstance* first = &shared.shaftItem.surfaces[0];
    loadProgramFile(&render->programText, &first->vertexProgram, GL_VERTEX_PROGRAM_ARB, SHAFT_VERTEX_PROGRAM);
    loadProgramFile(&render->programText, &first->fragmentProgram, GL_FRAGMENT_PROGRAM_ARB, SHAFT_FRAGMENT_PROGRAM);
}

void drawShafts(RenderState* render, const Scene* scene, const FlockSet* set, float t, int32_t timeMs) {
    BoidsShared& shared = render->effects->boids;
    if (!shared.shaftItem.mesh || shared.shaftItem.surfaceCount < 1) return;
    if (!shared.placed) {
        shared.placed = true;
        for (int k = 0; k < SHAFT_COUNT; ++k) {
            LightShaft& s = shared.shafts[k];
            s.position[0] = s.baseX = float(crtRand()) * 0.00024420026f - 4.0f;
            s.position[1] = 60.0f;
            s.position[2] = 10.0f - float(k) * 0.025f * 10.0f;
            s.sway = float(crtRand()) * 0.0012210013f - 20.0f;
        }
    }
    // Every shaft is the same surface in the same state: it is set once, and each shaft changes only
    // the model-view matrix.
    const SurfaceInstance* surface = &shared.shaftItem.surfaces[0];
    if (!beginEffectSurface(scene, shared.shaftItem.mesh, surface, timeMs, {0, 0})) return;
    setShaftBlend(surface, nullptr);
    glMatrixMode(GL_MODELVIEW);
    for (LightShaft& s : shared.shafts) {
        s.position[0] = s.baseX + s.sway * std::sin(t * 0.1f + s.sway);
        const float length = shaftLength(set, s);
        glLoadIdentity();
        glRotatef(180.0f, 0.0f, 1.0f, 0.0f);
        glTranslatef(s.position[0], 50.0f - length, s.position[2]);
        glScalef(1.49f, length, 1.0f);
        drawEffectSurfaceElements(surface);
    }
    endEffectSurface(render, shared.shaftItem.mesh, surface, false);
    resetTextureUnits(render);
}

}  // namespace

void fishControlPoints(const Boid* boid, float p[4][4], float q[4][4]) {
    float up[3][3];
    for (int s = 0; s < 3; ++s) segmentUp(boid->spine[s], boid->spine[s + 1], up[s]);
    const int segmentOf[4] = {0, 1, 1, 2};
    for (int i = 0; i < 4; ++i) {
        for (int k = 0; k < 3; ++k) {
            p[i][k] = boid->spine[i][k];
            q[i][k] = boid->spine[i][k] + up[segmentOf[i]][k];
        }
        p[i][3] = q[i][3] = 1.0f;
    }
}

float shaftLength(const FlockSet* set, const LightShaft& shaft) {
    float length = 70.0f;
    // The hash was last filled under the current header's grid; the display header keeps the bounds
    // of the last reset, which the school leaves behind as it swims on.
    const Flock& f = set->current;
    const float x = shaft.position[0], z = shaft.position[2];
    if (!(x > f.boundsMin[0] && x < f.boundsMax[0] && z > f.boundsMin[2] && z < f.boundsMax[2])) return length;
    const int32_t r = f.gridResolution;
    const float cx = (f.boundsMax[0] - f.boundsMin[0]) / float(r);
    const float cz = (f.boundsMax[2] - f.boundsMin[2]) / float(r);
    const int32_t ix = int32_t((x - f.boundsMin[0]) / cx), iz = int32_t((z - f.boundsMin[2]) / cz);
    for (int32_t iy = 0; iy < r; ++iy) {
        for (const CellEntry* e = cellLookup(f.cellTable, (ix * r + iy) * r + iz); e; e = e->next) {
            const Boid* b = e->boid;
            const float* h = b->spine[0];
            const float dx = shaft.position[0] - h[0], dz = shaft.position[2] - h[2];
            if (dx * dx + dz * dz >= 1.0f) continue;
            float dir[3] = {b->spine[1][0] - h[0], b->spine[1][1] - h[1], b->spine[1][2] - h[2]};
            float n = std::sqrt(dir[0] * dir[0] + dir[1] * dir[1] + dir[2] * dir[2]);
            if (!(n > 0.0f)) continue;
            for (float& v : dir) v /= n;
            const float vertical = 1.0f - dir[1] * dir[1];
            if (!(vertical > 0.0f)) continue;  // a fish along the shaft crosses it nowhere in particular
            const float w = (dir[2] * dz + dir[0] * dx) / vertical;
            const float below = (60.0f - h[1]) - dir[1] * w;
            // The closest points of the fish's line and the shaft's axis.
            const float px = h[0] + dir[0] * w - shaft.position[0], pz = h[2] + dir[2] * w - shaft.position[2];
            if (px * px + pz * pz < 0.09f && below < length) length = below;
        }
    }
    return length;
}

BoidsParams boidsParams(const EffectSlot* slot) { return {slot->floatParams[0], slot->floatParams[1]}; }

void boidsInit(RenderState* render, Scene* scene, EffectSlot* slot) {
    crtSrand(0);
    BoidsState* state = static_cast<BoidsState*>(std::calloc(1, sizeof(BoidsState)));
    if (!state) outOfMemory("a flock");
    slot->state = state;
    state->params = boidsParams(slot);
    state->swamTo = INT32_MIN;
    state->flock = createFlockSet(slot->variant, slot->motion, state->params.startTime, state->params.step);
    std::snprintf(state->fish.name, sizeof state->fish.name, "%s", slot->fileName);
    if (buildMesh(render, scene, &state->fish) >= 0)
        for (int32_t s = 0; s < state->fish.surfaceCount; ++s) {
            SurfaceInstance* instance = &state->fish.surfaces[s];
            if (bodyProgramsFit(scene, instance, state->fish.name))
                buildFishPrograms(&render->programText, scene, instance);
        }
    loadShafts(render, scene);
}

namespace {

void swim(BoidsState* state, int32_t timeMs) {
    const auto start = std::chrono::steady_clock::now();
    advanceFlock(state->flock, msToSeconds(timeMs), state->params.step);
    state->swamTo = timeMs;
    state->swimSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void swimQueued(int32_t, void* context) {
    BoidsState* state = static_cast<BoidsState*>(context);
    swim(state, state->swimTarget);
}

}  // namespace

void boidsAdvance(RenderState*, EffectSlot* slot, int32_t timeMs) {
    BoidsState* state = boidsState(slot);
    if (!state || !state->flock) {
        slot->reset = 0;
        return;
    }
    const float step = state->params.step;
    if (slot->reset) {
        slot->reset = 0;
        crtSrand(0);
        resetFlock(state->flock, state->params.startTime, step, slot->motion);
        state->swamTo = INT32_MIN;
    }
    if (state->swamTo != timeMs) swim(state, timeMs);
}

// Each flock is its own, and swimming draws no random numbers, so the flocks swim in any order, on
// any core, beside the drawing: the first boids slot of the scene hands every flock the frame draws
// to the helper threads, the longest swim first. Only the slots a frame draws (each then finds its
// flock already there), and none with a reset waiting, which draws from the shared generator in its
// own turn.
void boidsPrepare(RenderState* render, EffectSlot* slot, int32_t timeMs) {
    Scene* scene = render ? render->currentScene : nullptr;
    if (!scene) return;
    BoidsState* states[SCENE_EFFECT_SLOTS];
    int32_t count = 0;
    bool first = true;
    for (int32_t k = 0; k < scene->effectSlotCount && k < SCENE_EFFECT_SLOTS; ++k) {
        EffectSlot* other = &scene->effectSlots[k];
        BoidsState* state = boidsState(other);
        if (!state || !effectSlotDrawn(other)) continue;
        if (first && other != slot) return;  // the scene's first boids slot hands them all over
        first = false;
        if (state->flock && !other->reset && state->swamTo != timeMs) states[count++] = state;
    }
    std::sort(states, states + count,
              [](const BoidsState* a, const BoidsState* b) { return a->swimSeconds > b->swimSeconds; });
    for (int32_t k = 0; k < count; ++k) {
        states[k]->swimTarget = timeMs;
        states[k]->swim = queueSharedWork(1, swimQueued, states[k]);
    }
}

void boidsRender(RenderState* render, EffectSlot* slot, int32_t timeMs) {
    if (const BoidsState* started = boidsState(slot)) awaitSharedWork(started->swim);
    boidsAdvance(render, slot, timeMs);
    BoidsState* state = boidsState(slot);
    if (!state || !state->flock) return;
    const float t = msToSeconds(timeMs);
    resetTextureUnits(render);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(180.0f, 0.0f, 1.0f, 0.0f);

    const Scene* scene = render->currentScene;
    const Flock& display = state->flock->display;
    FishDraw fish;
    if (state->fish.mesh && state->fish.surfaceCount == 1) {
        // One surface: its state is set once and each fish changes only its control points.
        const SurfaceInstance* surface = &state->fish.surfaces[0];
        if (beginEffectSurface(scene, state->fish.mesh, surface, timeMs, {0, 0})) {
            for (int32_t i = 0; i < display.boidCount; ++i) {
                fishControlPoints(&display.boids[i], fish.p, fish.q);
                setFishLocals(surface, &fish);
                drawEffectSurfaceElements(surface);
            }
            endEffectSurface(render, state->fish.mesh, surface, false);
        }
    } else {
        for (int32_t i = 0; state->fish.mesh && i < display.boidCount; ++i) {
            fishControlPoints(&display.boids[i], fish.p, fish.q);
            for (int32_t s = 0; s < state->fish.surfaceCount; ++s)
                drawEffectSurface(render, scene, state->fish.mesh, &state->fish.surfaces[s], timeMs, {0, 0},
                                  setFishLocals, &fish, false);
        }
    }
    resetTextureUnits(render);
    if (scene && std::strcmp(scene->name, SHAFT_SCENE) == 0) drawShafts(render, scene, state->flock, t, timeMs);
    glDisable(GL_BLEND);
}

void boidsRelease(EffectSlot* slot) {
    BoidsState* state = static_cast<BoidsState*>(slot->state);
    freeFlockSet(state->flock);
    releaseEffectItem(&state->fish);
    std::free(state);
    slot->state = nullptr;
}

void boidsReleaseShared(EffectsState* effects) {
    releaseEffectItem(&effects->boids.shaftItem);
    effects->boids.loaded = effects->boids.placed = false;
}

void boidsCheck(EffectCheck* check, const EffectBinding* row) {
    check->fish(check, row->fileName, flockPreset(row->variant)->bodyLength);
    check->object(check, row->fileName);
    check->ownObject(check, SHAFT_OBJECT, "the boids", "the light shafts");
    check->program(check, SHAFT_VERTEX_PROGRAM, "!!ARBvp1.0");
    check->program(check, SHAFT_FRAGMENT_PROGRAM, "!!ARBfp1.0");
}
