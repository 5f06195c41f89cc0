// Releasing the GL objects of loaded things: what a collection point frees.
#pragma once
#include <cstdint>

struct Surface;

// A texture name of a cached image; the name becomes 0.
void releaseTextureName(uint32_t* name);
// The vertex and index buffers of a mesh surface.
void deleteMeshBuffers(Surface* surface);
// A material program; program names of the ARB and NV paths share one namespace.
void deleteMaterialProgram(uint32_t program, bool fragment);
