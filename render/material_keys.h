// The two 32-bit material keys of a surface instance: what its vertex and fragment programs depend
// on. They index the program caches and are read back by the program generators.
#pragma once
#include <cstdint>

struct RenderState;
struct Scene;
struct SceneItem;
struct Surface;

uint32_t vertexMaterialKey(const Scene* scene, const SceneItem* item, const Surface* surface);
uint32_t fragmentMaterialKey(const Scene* scene, const Surface* surface);
// Gives every surface instance of every item its two programs: from the caches when a surface with
// the same key had one made, else newly generated and entered.
void assignMaterialPrograms(RenderState* render, Scene* scene);
