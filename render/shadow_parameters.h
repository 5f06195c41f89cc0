// What the shadow pass and the material programs read about a scene's shadow volume at one time.
#pragma once
#include <cstdint>

struct RenderState;
struct SceneSetup;

struct ShadowParameters {
    float volume[4];      // centre X, light height Y, centre Z, half-size W: vertex env 5
    float depthScale[4];  // (s, s, s, s): vertex env 4
    float mapOffset[4];   // fragment env 4: where the volume's centre lies on the map
    float mapScale[4];    // fragment env 5: caustics coordinates to map coordinates
    float shading[4];     // fragment env 6: (softness, ambient, 0, 1)
    // False when the volume has no area (half-size 0) or the caustics scale is 0: nothing can be
    // projected onto the map, so the depth pass is skipped and every fragment reads the white border.
    bool castsShadows;
};

ShadowParameters shadowParameters(const SceneSetup* setup, int32_t timeMs);

// The depth scale and the volume, which the depth programs and the material vertex programs read.
void setShadowVertexParameters(const ShadowParameters* parameters);
// Publishes the parameters to the programs: the environment parameters, or on the NV path the named
// parameters of every object surface's fragment program. Does nothing unless the scene has shadows.
void setShadowParameters(RenderState* render, int32_t timeMs);
