// The turbulence volume as a GL texture.
#include <GL/gl.h>
#include <GL/glext.h>

#include <vector>

#include "effects/effects_state.h"
#include "effects/noise.h"
#include "render/device_entry_points.h"
#include "render/render_state.h"

uint32_t buildNoiseVolume() {
    std::vector<uint8_t> bytes(NOISE_VOLUME_BYTES);
    buildNoiseVolumeBytes(bytes.data());
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_3D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glEntryPoints()->glTexImage3DEXT(GL_TEXTURE_3D, 0, GL_LUMINANCE8, NOISE_VOLUME_WIDTH, NOISE_VOLUME_HEIGHT,
                                     NOISE_VOLUME_DEPTH, 0, GL_LUMINANCE, GL_UNSIGNED_BYTE, bytes.data());
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_R, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    // No anisotropy on a volume (applyAnisotropy in render/texture_upload says why).
    return name;
}

uint32_t sharedNoiseVolume(RenderState* render) {
    uint32_t& volume = render->effects->noiseVolume;
    if (!volume) volume = buildNoiseVolume();
    return volume;
}
