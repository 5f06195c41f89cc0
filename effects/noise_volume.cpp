// The turbulence volume as a GL texture.
#include <GL/gl.h>
#include <GL/glext.h>

#include <new>
#include <vector>

#include "base/background_work.h"
#include "base/out_of_memory.h"
#include "effects/effect_helpers.h"
#include "effects/effects_state.h"
#include "effects/noise.h"
#include "render/device_entry_points.h"
#include "render/render_state.h"

// The shared volume's bytes, sampled on the background thread from the tables as they were drawn.
struct NoiseVolumeBuild {
    NoiseTables tables;
    uint8_t bytes[NOISE_VOLUME_BYTES];
    int64_t ticket;
};

namespace {

uint32_t makeNoiseVolume(const uint8_t* bytes) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_3D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glEntryPoints()->glTexImage3DEXT(GL_TEXTURE_3D, 0, GL_LUMINANCE8, NOISE_VOLUME_WIDTH, NOISE_VOLUME_HEIGHT,
                                     NOISE_VOLUME_DEPTH, 0, GL_LUMINANCE, GL_UNSIGNED_BYTE, bytes);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_R, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    // No anisotropy on a volume (applyAnisotropy in render/texture_upload says why).
    return name;
}

void sampleInBackground(void* context) {
    NoiseVolumeBuild* build = static_cast<NoiseVolumeBuild*>(context);
    sampleNoiseVolume(build->tables, build->bytes);
}

}  // namespace

uint32_t buildNoiseVolume() {
    std::vector<uint8_t> bytes(NOISE_VOLUME_BYTES);
    buildNoiseVolumeBytes(bytes.data());
    return makeNoiseVolume(bytes.data());
}

uint32_t sharedNoiseVolume(RenderState* render) {
    EffectsState* effects = render->effects;
    if (effects->noiseVolume) return effects->noiseVolume;
    // The tables are drawn here, in the generator's order; the sampling goes on beside the loading.
    NoiseVolumeBuild* build = new (std::nothrow) NoiseVolumeBuild;
    if (!build) outOfMemory("the noise volume");
    initNoise();
    build->tables = *noiseTables();
    build->ticket = queueBackgroundWork(sampleInBackground, build);
    effects->noiseVolumePending = build;
    effects->noiseVolume = makeNoiseVolume(nullptr);
    return effects->noiseVolume;
}

void readyNoiseVolume(RenderState* render) {
    EffectsState* effects = render->effects;
    NoiseVolumeBuild* build = effects->noiseVolumePending;
    if (!build) return;
    // The warm-up's frames, never shown, draw the volume as it is.
    if (!fillVolumeFromBackground(effects->noiseVolume, build->ticket, !render->warmingUp, NOISE_VOLUME_WIDTH,
                                  NOISE_VOLUME_HEIGHT, NOISE_VOLUME_DEPTH, build->bytes))
        return;
    delete build;
    effects->noiseVolumePending = nullptr;
}

void releaseNoiseVolume(EffectsState* effects) {
    if (NoiseVolumeBuild* build = effects->noiseVolumePending) {
        waitForBackgroundWork(build->ticket);  // its thread writes into the bytes until then
        delete build;
        effects->noiseVolumePending = nullptr;
    }
    if (effects->noiseVolume) glDeleteTextures(1, &effects->noiseVolume);
    effects->noiseVolume = 0;
}
