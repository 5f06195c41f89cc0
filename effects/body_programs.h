// Vertex and fragment programs of the objects the effects deform (soft bodies, swimmers): per-pixel
// lighting from the scene's lights, fog, specular, height, gloss and specular maps.
#pragma once
#include <cstdint>

struct ProgramBuilder;
struct Scene;
struct Surface;
struct SurfaceInstance;

// False, with a message naming the object, when no driver would take the surface's programs: it
// needs more texture coordinate sets (one per layer and per light with a vector) than the device
// has, or its UV layer at index 6 or 7 would share vertex inputs with its tangents.
bool bodyProgramsFit(const Scene* scene, const SurfaceInstance* instance, const char* object);
// The program texts after the target's header (the caller opens and closes them): rigid for the
// soft bodies (wave BODY_RIGID), bent by the swimmers' wave 0 or 4 along layer 0's u; a surface
// whose layer 0 has no UVs gets the rigid texts.
enum { BODY_RIGID = -1 };
void writeBodyVertexProgram(ProgramBuilder* builder, const Scene* scene, const Surface* surface, int32_t wave);
void writeBodyFragmentProgram(ProgramBuilder* builder, const Scene* scene, const Surface* surface, int32_t wave);
// Soft bodies: rigid position-invariant vertex program and the lit fragment program.
void buildSoftBodyPrograms(ProgramBuilder* builder, const Scene* scene, SurfaceInstance* instance);
// Swimmers: the vertex program bends the object with the wave of `variant` (0 or 4) along layer 0's
// u; a surface whose layer 0 has no UVs gets the rigid programs.
void buildSwimPrograms(ProgramBuilder* builder, const Scene* scene, SurfaceInstance* instance, int32_t variant);
// The vertex program lines after eye space (eyeNormal, eyeVertex): bump frame or packed normal,
// fog, view vector, light vectors and layer coordinates. Shared with the fish program.
void appendBodyVertexTail(ProgramBuilder* builder, const Scene* scene, const Surface* surface);
// Fragment pieces shared with the fish program. The diffuse and specular sum over the scene's lights
// (light j's vector in texture coordinate set layerCount + j) into color and secondary_color, with
// `shininess` as the specular exponent.
void appendLitColour(ProgramBuilder* builder, const Scene* scene, int32_t layerCount, bool specular,
                     const char* shininess);
// The specular sum, the glow value in alpha, the fog blend and the result.
void appendFragmentClose(ProgramBuilder* builder, const Scene* scene, const Surface* surface, bool specular,
                         bool alphaLayer);
