// Lattice gradient noise (2D and 3D), its tiling variants and octave sums, and the shared
// 128 x 32 x 32 turbulence volume. The tables are process-wide and drawn from the shared generator.
#pragma once
#include <cstddef>
#include <cstdint>

struct RenderState;
struct EffectsState;
struct Settings;

enum {
    NOISE_LATTICE = 4096,
    NOISE_TABLE = 2 * NOISE_LATTICE + 2,
    NOISE_VOLUME_WIDTH = 128,
    NOISE_VOLUME_HEIGHT = 32,
    NOISE_VOLUME_DEPTH = 32,
    NOISE_VOLUME_BYTES = NOISE_VOLUME_WIDTH * NOISE_VOLUME_HEIGHT * NOISE_VOLUME_DEPTH,
    // An octave sum stops here whatever its first frequency (a huge or non-finite one would not halve
    // below 1 in any reasonable time).
    NOISE_MAX_OCTAVES = 32,
};

struct NoiseTables {
    int32_t permutation[NOISE_TABLE];
    float gradients1[NOISE_TABLE];
    float gradients2[NOISE_TABLE][2];
    float gradients3[NOISE_TABLE][3];
};

const NoiseTables* noiseTables();
// Refills the tables: 6 draws per lattice entry, then 4095 for the shuffle (28,671 in all).
void initNoise();

float noise2(float x, float y);
float noise3(float x, float y, float z);
float tileNoise2(float x, float y, float w, float h);
float tileNoise3(float x, float y, float z, float w, float h, float d);
// Octaves at f0, f0/2, ... down to the first below 2 (8, 4, 2, 1 for f0 = 8); 0 when f0 is not positive.
float sumNoise2(float x, float y, float w, float h, float f0);
float sumNoise3(float x, float y, float z, float w, float h, float d, float f0);

// Noise as a byte the way the textures store it: int((value + 1) 127.5), low 8 bits.
uint8_t noiseByte(float value);
// Spreads the bytes over 0..255; a flat buffer (every byte equal) is left as it is.
void stretchBytes(uint8_t* bytes, size_t count);

// The turbulence volume's bytes, x fastest then y then z (re-initialises the tables first).
void buildNoiseVolumeBytes(uint8_t* bytes);
// The same bytes from tables kept aside (as initNoise left them), on the calling thread alone.
void sampleNoiseVolume(const NoiseTables& tables, uint8_t* bytes);
// Builds the volume texture (GL_TEXTURE_3D, luminance, repeat, linear) and returns its name.
uint32_t buildNoiseVolume();
// The one volume the clip overlays and the electro effects share (EffectsState::noiseVolume): made on
// first use, its tables drawn then and its bytes sampled on the background thread.
uint32_t sharedNoiseVolume(RenderState* render);
// Puts the bytes into the shared volume once they are ready: before a frame that is shown draws it
// (waiting for them), or in the warm-up when they already are. The bound 3D texture is kept.
void readyNoiseVolume(RenderState* render);
// Deletes the volume, waiting first for bytes still being sampled.
void releaseNoiseVolume(EffectsState* effects);
