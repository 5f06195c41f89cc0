#include "render/texture_units.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include "render/device_entry_points.h"
#include "render/render_state.h"

void resetTextureUnits(const RenderState* render) { resetTextureUnitCount(render->settings.maxTextureUnits); }

void resetTextureUnitCount(int32_t unitCount) {
    const GlEntryPoints* gl = glEntryPoints();
    // Without multitexturing only the one unit exists and it cannot be selected.
    if (!gl->glActiveTextureARB && unitCount > 1) unitCount = 1;
    for (int32_t unit = 0; unit < unitCount; ++unit) {
        if (gl->glActiveTextureARB) gl->glActiveTextureARB(GLenum(GL_TEXTURE0_ARB + unit));
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glDisable(GL_TEXTURE_3D_EXT);
        glDisable(GL_TEXTURE_CUBE_MAP_ARB);
        glDisable(GL_TEXTURE_1D);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_TEXTURE_GEN_S);
        glDisable(GL_TEXTURE_GEN_T);
        glDisable(GL_TEXTURE_GEN_R);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    }
    if (gl->glActiveTextureARB && unitCount > 0) gl->glActiveTextureARB(GL_TEXTURE0_ARB);
}
