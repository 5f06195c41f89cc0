// Whether a scene's light vectors fit beside its surfaces' texture layers in the texture coordinate
// sets a vertex program can pass on: a program that writes past them is refused by the driver.
#pragma once
#include <cstdint>

struct Scene;

// Lights that pass a vector to the fragment program (distant and point lights).
int32_t lightVectorCount(const Scene* scene);

struct LightSlotOverflow {
    int32_t item;     // object item index, -1 when everything fits
    int32_t surface;  // surface of that item
    int32_t needed;   // layers + light vectors of that surface
};

// The first surface (items and surfaces in order) needing more than coordinateSets sets.
// A coordinateSets of 0 or less means unknown: everything fits.
LightSlotOverflow findLightSlotOverflow(const Scene* scene, int32_t coordinateSets);

struct AliasedUvLayer {
    int32_t item;     // object item index, -1 when no surface has one
    int32_t surface;  // surface of that item
    int32_t layer;    // its UV layer at coordinate set 6 or 7
};

// The first normal-mapped surface (items and surfaces in order) with a UV layer whose coordinate set
// aliases the tangent inputs (aliasedUvLayer).
AliasedUvLayer findAliasedUvLayer(const Scene* scene);
