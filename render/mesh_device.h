// The GL side of a mesh: its textures through the cache, one state list per animation frame, and
// the vertex and index buffers.
#pragma once
#include <cstdint>

#include "scene/lwo_reader.h"

struct RenderState;
struct Settings;
struct Surface;
struct SurfaceGeometry;
struct TextureCache;

// Whether meshes can go onto the device: a probed context with buffer objects. Without one (tools,
// tests without a display) meshes are built in memory only.
bool meshDeviceReady(const RenderState* render);

// Texture cache index for each clip that a layer of the object uses (found by file name, loaded when
// new); -1 for unused clips and when the cache is full.
void loadObjectTextures(RenderState* render, const RawObject* object, const Settings* settings,
                        int32_t clipTexture[OBJECT_CLIPS]);

// Which units a state list may touch: units at or past `selectable` cannot be made active; texturing
// can be enabled only below `fixedFunction` (programs sample from more units than that).
struct TextureUnitLimits {
    int32_t selectable;
    int32_t fixedFunction;
};
TextureUnitLimits textureUnitLimits(const RenderState* render, const Settings* settings);

// One compile-and-execute list per frame of the surface (displayListCount, already set): material
// colours, and per layer its texture for that frame on unit k, wrap, filters, anisotropy and blending.
// The caller saves and restores the state that executing the lists changes.
void buildSurfaceLists(Surface* surface, const RawSurface* raw, const TextureCache* textures,
                       const Settings* settings, TextureUnitLimits units);

// Static vertex and index buffers from the built geometry; both left unbound.
void uploadSurfaceGeometry(Surface* surface, const SurfaceGeometry* geometry);
