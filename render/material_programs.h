// Vertex and fragment programs of a surface instance, generated from its material keys.
#pragma once
#include <cstdint>

struct ProgramBuilder;
struct Scene;
struct SceneItem;
struct Surface;

// Each builds the program for surface surfaceIndex of item itemIndex of the scene and stores its id
// in that SurfaceInstance. Without a device that compiles programs (tools reading scenes, tests) the
// id is 0.
void generateMaterialVertexProgram(ProgramBuilder* builder, Scene* scene, int32_t itemIndex, int32_t surfaceIndex);
void generateMaterialFragmentProgram(ProgramBuilder* builder, Scene* scene, int32_t itemIndex, int32_t surfaceIndex);

// The same texts, as handed to the driver, without compiling them; valid until the next program
// text is begun. The fragment text is the NV one when the device has GL_NV_fragment_program.
const char* materialVertexProgramText(ProgramBuilder* builder, const Scene* scene, const SceneItem* item,
                                      const Surface* surface);
const char* materialFragmentProgramText(ProgramBuilder* builder, const Scene* scene, const SceneItem* item,
                                        const Surface* surface);
