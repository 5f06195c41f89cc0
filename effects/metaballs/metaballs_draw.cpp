// The metaball slot: the field of its balls polygonised every frame and drawn in immediate mode with
// per-pixel Blinn lighting, its own fog constants and a glow value in alpha.
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <cstdlib>

#include "base/crt_rand.h"
#include "base/out_of_memory.h"
#include "effects/effect_helpers.h"
#include "effects/effects_state.h"
#include "effects/metaballs/metaballs.h"
#include "render/device_entry_points.h"
#include "render/program_builder.h"
#include "render/render_state.h"
#include "render/texture_units.h"
#include "scene/scene.h"

namespace {

struct MetaballState {
    MetaBall balls[METABALL_PATHS];
    uint32_t vertexProgram;
    uint32_t fragmentProgram;
    QueuedEffectWork frame;  // the field and surface, queued by prepareMetaballs
};

const float kGlow = 1.3f;

// Set 0 carries the reflection; the light vectors follow from set 2, as many as the device has sets
// for: a program writing past them would be refused. The fragment program reads the same sets.
struct MetaballLights {
    EffectLight lights[SCENE_LIGHTS];
    int32_t count;
};

MetaballLights metaballLights(const Scene* scene) {
    MetaballLights m = {};
    const int32_t sets = effectTexCoordSets();
    m.count = effectLights(scene, 2, sets, m.lights);
    const int32_t usable = effectLightsWithVectors(scene);
    if (usable > m.count)
        std::fprintf(stderr, "velmora: the metaballs of scene \"%s\" are lit by %d of its %d lights (the device has "
                     "%d texture coordinate sets)\n", scene->name, m.count, usable, sets);
    return m;
}

void buildVertexProgram(ProgramBuilder* builder, const Scene* scene, const MetaballLights& lit, MetaballState* state) {
    beginProgram(builder, &state->vertexProgram, GL_VERTEX_PROGRAM_ARB);
    appendProgramText(builder, "OPTION ARB_position_invariant;\n");
    appendProgramText(builder,
        "PARAM half = {0.5,0.5,0.5,0.5};PARAM two = {2.0,2.0,2.0,2.0};PARAM projection[4] = "
        "{state.matrix.projection};\nPARAM model[4] = {state.matrix.modelview};\n");
    appendProgramText(builder, "TEMP eyeNormal,eyeVertex,lightVector,viewVector;\n");
    appendProgramText(builder,
        "DP3 eyeNormal.x, model[0], vertex.normal;\nDP3 eyeNormal.y, model[1], vertex.normal;\n"
        "DP3 eyeNormal.z, model[2], vertex.normal;\n");
    appendProgramText(builder, "DP3 eyeNormal.w, eyeNormal, eyeNormal;\nRSQ eyeNormal.w, eyeNormal.w;\nMUL eyeNormal.xyz, eyeNormal.w, eyeNormal;\n");
    appendProgramText(builder,
        "DP4 eyeVertex.x, model[0], vertex.position;\nDP4 eyeVertex.y, model[1], vertex.position;\n"
        "DP4 eyeVertex.z, model[2], vertex.position;\nDP4 eyeVertex.w, model[3], vertex.position;\n");
    appendProgramText(builder, "MAD result.color.primary,eyeNormal,half,half;\n");
    appendProgramText(builder, "SUB viewVector,eyeVertex,program.env[0];\n");
    appendProgramText(builder, "DP3 viewVector.w, viewVector, viewVector;\nRSQ viewVector.w, viewVector.w;\nMUL viewVector.xyz, viewVector.w,viewVector;\n");
    appendProgramText(builder, "DP3 lightVector,eyeNormal,viewVector;\nMUL lightVector,lightVector,eyeNormal;\n");
    appendProgramText(builder, "MAD lightVector,two,lightVector,-viewVector;\nDP3 lightVector.w,lightVector,lightVector;\nRSQ lightVector.w,lightVector.w;");
    appendProgramText(builder, "MUL lightVector,lightVector,lightVector.w;");
    appendProgramText(builder, "SWZ result.texcoord[0],lightVector,-x,y,z,w;");
    appendProgramText(builder, "MAD result.color.secondary,viewVector,half,half;\n");
    if (scene->setup.fogType != 0) {
        appendProgramText(builder, "SUB viewVector,eyeVertex,program.env[1];\n");
        appendProgramText(builder, "DP3 viewVector.w, viewVector, viewVector;\nRSQ viewVector.w, viewVector.w;\n");
        appendProgramText(builder, "PARAM density={-0.32,0.0,-0.01,0.0};\n");
        appendProgramText(builder, "RCP viewVector.w,viewVector.w;\nMUL viewVector.w,viewVector.w,density.x;\n");
        appendProgramText(builder,
            "SGE viewVector.y,eyeVertex.y,density.y;\nMUL viewVector.z,viewVector.y,eyeVertex.y;\n"
            "SUB viewVector.z,viewVector.z,density.z;\nRCP viewVector.z,viewVector.z;"
            "MUL result.fogcoord.x,viewVector.w,viewVector.z;\n");
    }
    for (int32_t k = 0; k < lit.count; ++k) {
        const EffectLight& l = lit.lights[k];
        if (scene->lights[l.light].type == 0)
            appendProgramFormat(builder, "MOV result.texcoord[%d],state.light[%d].position;\n", l.texCoord, l.light);
        else
            appendProgramFormat(builder, "SUB result.texcoord[%d],state.light[%d].position, eyeVertex;\n", l.texCoord,
                                l.light);
    }
    endProgram(builder, state->vertexProgram, GL_VERTEX_PROGRAM_ARB);
}

void buildFragmentProgram(ProgramBuilder* builder, const Scene* scene, const MetaballLights& lit, MetaballState* state) {
    beginProgram(builder, &state->fragmentProgram, GL_FRAGMENT_PROGRAM_ARB);
    appendProgramText(builder, "PARAM two={2.0,2.0,2.0,2.0};PARAM m_one={-1.0,-1.0,-1.0,-1.0};\n");
    appendProgramText(builder, "TEMP color,secondary_color,normal,viewVector,texel,light,light_vector;\n");
    appendProgramText(builder, "MAD normal, fragment.color.primary,two,m_one;\n");
    appendProgramText(builder, "MAD viewVector, fragment.color.secondary,two,m_one;\n");
    appendProgramText(builder, "DP3 normal.a, normal, normal;\nRSQ normal.a, normal.a;\nMUL normal.rgb, normal, normal.a;\n");
    appendProgramText(builder, "TEMP halfWay;\nDP3 viewVector.w, viewVector,viewVector;\nRSQ viewVector.w,viewVector.w;\nMUL viewVector.xyz, viewVector,viewVector.w;\n");
    for (int32_t k = 0; k < lit.count; ++k) {
        appendProgramFormat(builder, "MOV light_vector,fragment.texcoord[%d];\n", lit.lights[k].texCoord);
        appendProgramText(builder, "DP3 light.a, light_vector,light_vector;\nRSQ light.a, light.a;\nMUL light.rgb, light_vector, light.a;\n");
        appendProgramFormat(builder, k == 0 ? "DP3_SAT texel, normal, light;\nMUL color, texel,state.lightprod[%d].diffuse;\n"
                                   : "DP3_SAT texel, normal, light;\nMAD_SAT color, texel,state.lightprod[%d].diffuse, color;\n",
                            lit.lights[k].light);
        appendProgramText(builder,
            "ADD halfWay,viewVector,light;\nDP3 halfWay.w, halfWay,halfWay;\nRSQ halfWay.w, halfWay.w;\n"
            "MUL halfWay.xyz, halfWay, halfWay.w;\n");
        appendProgramText(builder, "DP3_SAT texel,halfWay,normal;\n");
        appendProgramText(builder, "LG2 light.w,texel.x;\nMUL light.w,light.w,state.material.shininess.x;\nEX2 texel,light.w;\n");
        appendProgramFormat(builder, k == 0 ? "MUL secondary_color, texel,state.lightprod[%d].specular;\n"
                                   : "MAD_SAT secondary_color, texel,state.lightprod[%d].specular, secondary_color;\n",
                            lit.lights[k].light);
    }
    appendProgramText(builder, "ADD color, color,secondary_color;\n");
    appendProgramFormat(builder, "PARAM glow=%f;\n", kGlow);
    appendProgramText(builder, "MAX texel.r,color.r,color.g;MAX texel.r,texel.r,color.b;\n");
    appendProgramText(builder, "MIN texel.g,color.r,color.g;MIN texel.g,texel.g,color.b;\n");
    appendProgramText(builder, "ADD texel.b,texel.r,texel.g;MUL texel.b,texel.b,glow;\n");
    appendProgramText(builder, "MOV color.a,texel.b;\n");
    if (scene->setup.fogType != 0) {
        appendProgramText(builder, "TEMP factor;\nPARAM one={1.0,1.0,1.0,1.0};\n");
        appendProgramText(builder, "EX2 factor,fragment.fogcoord.x;\n");
        appendProgramText(builder, "SUB_SAT texel,one,factor;\nMUL texel,texel,state.fog.color;\n");
        appendProgramText(builder, "MAD color.rgb,color,factor,texel;\n");
    }
    appendProgramText(builder, "MOV result.color,color;\n");
    endProgram(builder, state->fragmentProgram, GL_FRAGMENT_PROGRAM_ARB);
}

}  // namespace

void initMetaballs(RenderState* render, Scene* scene, EffectSlot* slot) {
    crtSrand(0);
    MetaballState* state = static_cast<MetaballState*>(std::calloc(1, sizeof(MetaballState)));
    if (!state) outOfMemory("metaballs");
    slot->state = state;
    MetaballGrid* grid = metaballGrid(&render->effects->metaballs);
    if (!grid) return;
    const MetaballLights lit = metaballLights(scene);
    buildVertexProgram(&render->programText, scene, lit, state);
    buildFragmentProgram(&render->programText, scene, lit, state);
    evaluateMetaballs(grid, slot->count, 0.0f, state->balls);
}

// The grid is shared by every metaball slot: the field is worked out ahead only when the frame draws
// no other.
void prepareMetaballs(RenderState* render, EffectSlot* slot, int32_t timeMs) {
    MetaballState* state = slot->family == FAMILY_METABALLS ? static_cast<MetaballState*>(slot->state) : nullptr;
    Scene* scene = render ? render->currentScene : nullptr;
    if (!state || !state->vertexProgram || !scene) return;
    for (int32_t k = 0; k < scene->effectSlotCount && k < SCENE_EFFECT_SLOTS; ++k) {
        const EffectSlot* other = &scene->effectSlots[k];
        if (other != slot && other->family == FAMILY_METABALLS && effectSlotDrawn(other)) return;
    }
    MetaballGrid* grid = metaballGrid(&render->effects->metaballs);
    if (!grid) return;
    queueMetaballFrame(&state->frame, grid, slot->count, timeMs, state->balls);
}

void drawMetaballs(RenderState* render, EffectSlot* slot, int32_t timeMs) {
    slot->reset = 0;
    MetaballState* state = slot->family == FAMILY_METABALLS ? static_cast<MetaballState*>(slot->state) : nullptr;
    if (!state || !state->vertexProgram) return;
    MetaballGrid* grid = metaballGrid(&render->effects->metaballs);
    if (!grid) return;
    const bool queued = awaitEffectWork(&state->frame, timeMs);
    if (!queued) evaluateMetaballs(grid, slot->count, float(timeMs), state->balls);
    EffectMotion pose;
    effectMotionAt(slot, timeMs, &pose);
    glDisable(GL_BLEND);
    effectLoadModelView(slot, &pose, EFFECT_NO_PARENT, true);
    const float diffuse[4] = {slot->colorA.r, slot->colorA.g, slot->colorA.b, slot->colorA.a};
    const float specular[4] = {0.7f, 0.8f, 0.8f, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 16.0f);
    const GlEntryPoints* gl = glEntryPoints();
    glEnable(GL_VERTEX_PROGRAM_ARB);
    gl->glBindProgramARB(GL_VERTEX_PROGRAM_ARB, state->vertexProgram);
    glEnable(GL_FRAGMENT_PROGRAM_ARB);
    gl->glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, state->fragmentProgram);
    // Immediate mode, corner by corner, slab after slab in the order of the cells.
    const MetaballSurfaceSlab* slabs = queued ? queuedMetaballSurface() : polygonizeMetaballSlabs(grid);
    glBegin(GL_TRIANGLES);
    for (int32_t k = 0; k < METABALL_SLABS; ++k)
        for (const float* corner = slabs[k].corners; corner < slabs[k].corners + size_t(slabs[k].triangles) * 18;
             corner += 6) {
            glNormal3fv(corner);
            glVertex3fv(corner + 3);
        }
    glEnd();
    resetTextureUnits(render);
    glDisable(GL_VERTEX_PROGRAM_ARB);
    glDisable(GL_FRAGMENT_PROGRAM_ARB);
}

void releaseMetaballs(EffectSlot* slot) {
    MetaballState* state = static_cast<MetaballState*>(slot->state);
    deleteEffectPrograms(&state->vertexProgram, 1);
    deleteEffectPrograms(&state->fragmentProgram, 1);
    std::free(state);
    slot->state = nullptr;
}

void releaseMetaballsShared(EffectsState* effects) {
    std::free(effects->metaballs.grid);
    effects->metaballs.grid = nullptr;
}
