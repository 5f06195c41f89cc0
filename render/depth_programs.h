// The fixed programs of the shadow pass: depth vertex programs for rigid and skinned meshes and the
// fragment program that packs the height below the light into the four colour channels.
#pragma once

struct RenderState;
struct Surface;

// Compiles the three programs into the context (depthVertexProgram, depthSkinnedVertexProgram,
// depthFragmentProgram); a program the driver rejects ends the run as every program does.
void compileDepthPrograms(RenderState* render);
// A surface's shadowPrograms: the skinned or rigid depth vertex program, then the packing program.
void setShadowPrograms(const RenderState* render, Surface* surface, bool skinned);
