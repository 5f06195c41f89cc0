// Meshes of the cache built from object files, and the items that use them.
#pragma once
#include <cstdint>

struct RenderState;
struct Mesh;
struct MeshCache;
struct Scene;
struct SceneItem;

// Reads the object at item->name, appends its Mesh to the cache and points the item at it with one
// SurfaceInstance per surface. With a device (meshDeviceReady) the mesh's textures, per-frame state
// lists and buffers are created and the texture units reset afterwards; without one only the memory
// side is built. Returns the cache index, or -1 (reported) when the object cannot be read, a surface
// needs more vertices than 16-bit indices reach, or the cache is full; the item is then left without
// a mesh. Two bump layers on different UV maps end the process (code 0) after their message.
int buildMesh(RenderState* render, Scene* scene, SceneItem* item);
// Index of the cache entry with exactly this path, or -1.
int findMesh(const MeshCache* cache, const char* path);
// Points the item at cache entry meshIndex and gives it its own SurfaceInstances.
void attachMesh(RenderState* render, SceneItem* item, int32_t meshIndex);
// Frees what a mesh holds in memory (surfaces, weight map names, list numbers); the entry is left
// zeroed. GL objects are not deleted here.
void releaseMesh(Mesh* mesh);
