// The material fragment program: per-pixel diffuse and specular lighting from every light with a
// vector, normal and parallax mapping, gloss and specular maps, colour and alpha layers, the shadow
// map test, the glow value in alpha and height fog.
#pragma once

struct MaterialInputs;
struct ProgramBuilder;

// Append the statements after the target's header ("!!ARBfp1.0" with the fastest-precision option,
// or "!!FP1.0"); the caller opens and closes the text.
void writeArbFragmentProgram(ProgramBuilder* builder, const MaterialInputs* in);
void writeNvFragmentProgram(ProgramBuilder* builder, const MaterialInputs* in);
