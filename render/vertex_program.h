// The material vertex program: everything per-pixel lighting needs, handed to the fragment program.
#pragma once

struct MaterialInputs;
struct ProgramBuilder;

// Appends the program's statements after the "!!ARBvp1.0" header (the caller opens and closes the
// text). Outputs: the packed normal (no normal map), the packed view vector, the fog coordinate, one
// texture coordinate set per layer, then one light vector per distant or point light.
void writeMaterialVertexProgram(ProgramBuilder* builder, const MaterialInputs* in);
