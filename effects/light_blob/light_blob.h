// The light blob: a sphere whose radius is a bicubic B-spline of 209 animated control heights plus
// a noise relief, recomputed every frame and lit per pixel by the scene's lights.
#pragma once
#include <cstdint>

#include "data/texture.h"
#include "effects/effect_check.h"
#include "effects/effect_family.h"
#include "effects/effect_helpers.h"
#include "scene/envelope.h"

struct Scene;
struct RenderState;
struct EffectSlot;

enum {
    BLOB_COLUMNS = 100,
    BLOB_ROWS = 50,
    BLOB_VERTICES = BLOB_COLUMNS * BLOB_ROWS,
    BLOB_VERTEX_FLOATS = 6,  // position, normal
    BLOB_INDICES = 99 * 49 * 6,
    BLOB_CONTROLS = 209,     // an 11 x 19 grid of heights
    BLOB_MOTIONS = BLOB_CONTROLS + 1,  // and the relief's depth
    BLOB_BASIS_ENTRIES = 16392,
    BLOB_MAX_LIGHTS = 8,
};

struct LightBlobState {
    Envelope motions[BLOB_MOTIONS][MOTION_CHANNELS];  // only position Y is used
    uint32_t vertexBuffer, indexBuffer, vertexProgram, fragmentProgram;
    float vertices[BLOB_VERTICES * BLOB_VERTEX_FLOATS];  // the surface of the last evaluation
    QueuedEffectWork surface;  // its evaluation, queued by lightBlobPrepare
};

// The relief is built once a run: it draws from the shared generator. The environment picture
// serves every blob.
struct LightBlobShared {
    bool reliefBuilt;
    TextureImage environment;
};

// One light the programs address: its texture coordinate set and its scene light index.
using BlobLight = EffectLight;

void lightBlobBuildBasis();
// The B-spline basis through the tables: 0 outside [0, 4).
float lightBlobBasis(float x);
const float* lightBlobBasisTable(int segment);
// The relief bytes (rows of 100): re-initialises the noise tables (28,671 draws).
void lightBlobBuildRelief();
// Vertices (position, normal) from 209 control heights and the relief depth.
void lightBlobSurface(const float* heights, float depth, float* vertices);
// The same from the slot's envelopes at t seconds, into the state's vertex array, which it returns.
const float* evaluateBlobSurface(LightBlobState* state, float t);
void lightBlobIndices(uint16_t* out);
// Distant and point lights in scene order, at most texCoordSets - 1 of them (set 0 carries the
// environment lookup); returns how many.
int32_t lightBlobLights(const Scene* scene, int32_t texCoordSets, BlobLight* out);

void lightBlobInit(RenderState* render, Scene* scene, EffectSlot* slot);
void lightBlobRender(RenderState* render, EffectSlot* slot, int32_t timeMs);
// At the start of a frame: the surface is evaluated on the helper threads.
void lightBlobPrepare(RenderState* render, EffectSlot* slot, int32_t timeMs);
void lightBlobRelease(EffectSlot* slot);
void lightBlobReleaseShared(EffectsState* effects);
// The control scene, BLOB_MOTIONS motions from its first null on.
void lightBlobCheck(EffectCheck* check, const EffectBinding* row);

#define LIGHT_BLOB_ENVIRONMENT "Demo/Env1.JPG"
inline constexpr const char* kLightBlobFiles[] = {LIGHT_BLOB_ENVIRONMENT, nullptr};
inline constexpr EffectFamilyDescriptor kLightBlobFamily = {
    FAMILY_LIGHT_BLOB, "light-blob",   lightBlobInit, lightBlobRender, lightBlobRelease, lightBlobReleaseShared,
    kLightBlobFiles,   lightBlobCheck, nullptr, nullptr, nullptr, lightBlobPrepare};
