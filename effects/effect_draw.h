// What the effects that draw objects share: drawing one surface the way the main pass does.
#pragma once
#include <cstdint>

struct RenderState;
struct EffectSlot;
struct Mesh;
struct Scene;
struct SurfaceInstance;

// Where a surface's positions and normals come from: its own vertex buffer (buffer 0), or a
// buffer of position-and-normal pairs with the given stride (the soft bodies' simulated vertices).
struct VertexSource {
    uint32_t buffer;
    int32_t stride;
};

// The surface's state list for the frame, its two ARB programs and its arrays; indexed triangles;
// everything disabled again, and the texture units reset when resetUnits is set (callers drawing
// many instances reset once at the end). `beforeDraw` (may be null) runs with the programs bound:
// program locals, blend functions.
typedef void (*BeforeDrawFn)(const SurfaceInstance* instance, const void* data);
void drawEffectSurface(const RenderState* render, const Scene* scene, const Mesh* mesh,
                       const SurfaceInstance* instance, int32_t timeMs, VertexSource positions,
                       BeforeDrawFn beforeDraw, const void* data, bool resetUnits = true);
// drawEffectSurface in three steps, for many instances of one surface in a row with only program
// locals changing between them: begin (false: nothing to draw), any number of draws, end.
bool beginEffectSurface(const Scene* scene, const Mesh* mesh, const SurfaceInstance* instance, int32_t timeMs,
                        VertexSource positions);
void drawEffectSurfaceElements(const SurfaceInstance* instance);
void endEffectSurface(const RenderState* render, const Mesh* mesh, const SurfaceInstance* instance, bool resetUnits);
