// The effect families' shared objects: made by the first slot that needs them, used by every slot of
// the family, released at shutdown. Each family declares its record in its own header.
#pragma once
#include <cstdint>

#include "effects/boids/boids_draw.h"
#include "effects/bubbles/bubbles.h"
#include "effects/electro/electro_surface.h"
#include "effects/fractal/fractal.h"
#include "effects/light_blob/light_blob.h"
#include "effects/metaballs/metaballs.h"
#include "effects/typing/typing.h"

struct Scene;

struct NoiseVolumeBuild;

struct EffectsState {
    uint32_t noiseVolume;  // the turbulence volume of the electro effects and the clip overlays
    NoiseVolumeBuild* noiseVolumePending;  // its bytes until readyNoiseVolume puts them in
    FractalShared fractal;
    TypingShared typing;
    LightBlobShared lightBlob;
    MetaballsShared metaballs;
    BoidsShared boids;
    ElectroShared electro;
    BubblesShared bubbles;
};

// Every slot of the scene: its family's release, then the slot forgets its state.
void releaseSceneEffects(Scene* scene);
// Every family's shared objects and the noise volume, deleted while the device is still current; the
// record is left zeroed.
void releaseEffects(EffectsState* effects);
