// What a surface's material programs are written from: the scene's fog, shadows and lights, the
// item's skinning and the surface's material and layers, read once for both generators.
#pragma once
#include <cstdint>

#include "scene/scene.h"

struct MaterialInputs {
    bool skinned;      // the item has bones: blended vertex, no position-invariant option
    bool fog;          // height fog coordinate in the vertex program
    bool shadows;      // shadow map test; caustics coordinates carry the shadow depth
    bool softShadows;  // soft shadow edge, and no fog in the fragment program
    bool normalMap;
    bool specular;
    bool height;      // some layer is a height map (parallax)
    bool viewVector;  // the vertex program hands the view vector on: specular, or parallax
    bool glow;
    bool nv;  // the fragment program is written for GL_NV_fragment_program
    int32_t bumpLayer;  // index of the normal-map layer when normalMap
    int32_t layerCount;
    uint32_t layerFlags[SURFACE_LAYERS];
    int32_t lightCount;
    uint8_t lightTypes[SCENE_LIGHTS];  // 0 distant, 1 point, other types have no light vector
};

void readMaterialInputs(const Scene* scene, const SceneItem* item, const Surface* surface, MaterialInputs* out);

bool hasLayer(const MaterialInputs* in, uint32_t flag);
// The texture coordinates the shadow test takes its position from: the first caustics layer's,
// else the first light vector's.
int32_t shadowPositionSlot(const MaterialInputs* in);

// Light types whose vector the vertex program writes: distant and point.
bool lightHasVector(uint8_t type);
// Lights among the scene's first SCENE_LIGHTS without a light vector (spot lights), one bit each.
uint32_t silentLightMask(const Scene* scene);
bool surfaceHasHeightMap(const Surface* surface);
// The parallax of a height map needs the view vector whether or not the surface is specular.
bool surfaceNeedsViewVector(const Surface* surface);
// Not a normal, specular, gloss or height map: its texel is combined into the colour or alpha.
bool isColourLayer(uint32_t flags);
// The alpha channel comes from the layer's red channel.
bool isAlphaLayer(uint32_t flags);
// The combine operation of a layer walk: multiply or add by the layer's flags, else the choice of the
// layer before (multiply before any layer chose).
bool layerAdds(uint32_t flags, bool previous);
// Generic vertex attributes 14 and 15 (tangent and binormal of a normal map) alias texture
// coordinate sets 6 and 7: a program binding both is refused by every driver. The index of the
// first UV layer of a normal-mapped surface at such a set, else -1.
int32_t aliasedUvLayer(const Surface* surface);
// The NV fragment path is taken when the device has GL_NV_fragment_program.
bool nvFragmentPath();
