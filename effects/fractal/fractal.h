// Glowing quaternion-Julia volumes: built once per builder at load, drawn as blended slices.
#pragma once
#include <atomic>
#include <cstdint>

#include "effects/effect_check.h"
#include "effects/effect_family.h"
#include "scene/effect_slot.h"

struct Scene;
struct RenderState;

enum FractalBuilder {
    FRACTAL_4D = 0,        // "4DFractal"
    FRACTAL_BRAIN = 1,     // "3DBrain"
    FRACTAL_SMALL_1 = 2,   // "Small_4DFractal_1"
    FRACTAL_SMALL_2 = 3,   // "Small_4DFractal_2"
    FRACTAL_BUILDERS = 4,
};

enum { FRACTAL_MAX_SIZE = 256, FRACTAL_MIN_SLICES = 2 };

// intParams[1] the cube's edge (0: the builder's own); the slot's count is the number of slices.
struct FractalParams {
    int32_t size;
};
FractalParams fractalParams(const EffectSlot* slot);

struct FractalState {
    FractalBuilder builder;
    FractalParams params;
    uint32_t texture, vertexBuffer, indexBuffer;
};

struct FractalVolumeBuild;

// One volume texture per builder, and the slice programs, shared by every fractal slot. A texture's
// bytes are built in the background (pending) until the first frame that is shown needs them.
struct FractalShared {
    uint32_t textures[FRACTAL_BUILDERS];
    FractalVolumeBuild* pending[FRACTAL_BUILDERS];
    uint32_t vertexProgram, fragmentProgram;
};

struct FractalConstants {
    double a, b, c, d;  // the Julia constant
    int32_t iterations;
    int32_t size;  // edge of the cube
};

const FractalConstants* fractalConstants(FractalBuilder builder);
// The builder a binding's variant names (the first for a variant of another family).
FractalBuilder fractalBuilderOf(EffectVariant variant);

// Fills n^3 bytes (index i n + j n^2 + k) with 255 where the orbit stays within radius 2, else 0.
// Cubes smaller than 4 use a lattice step of 1 instead of n / 4. On every core, or on the calling
// thread alone (everyCore false), with the same bytes; abandon, once true, stops it between slices.
void buildJuliaVolume(uint8_t* buffer, int32_t iterations, double a, double b, double c, double d, int32_t n,
                      bool everyCore = true, const std::atomic<bool>* abandon = nullptr);

// The texture builder of a slot: the builder's cached volume texture, made on first use (edge n, at
// most FRACTAL_MAX_SIZE) with its bytes queued to be built in the background; left bound with 3D
// texturing on.
uint32_t buildFractalTexture(FractalShared* shared, FractalBuilder builder, int32_t n);
// Puts the builder's bytes into its texture once they are built: waits for them, or (wait false)
// returns false while they are still being built. The bound 3D texture is kept.
bool fillFractalTexture(FractalShared* shared, FractalBuilder builder, bool wait);

void fractalInit(RenderState* render, Scene* scene, EffectSlot* slot);
void fractalRender(RenderState* render, EffectSlot* slot, int32_t timeMs);
void fractalRelease(EffectSlot* slot);
void fractalReleaseShared(EffectsState* effects);

inline constexpr EffectFamilyDescriptor kFractalFamily = {
    FAMILY_FRACTAL, "fractal",      fractalInit, fractalRender, fractalRelease, fractalReleaseShared,
    kNoFamilyFiles, checkRowFile, nullptr, nullptr, nullptr, nullptr};
