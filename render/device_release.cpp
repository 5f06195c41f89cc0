#include "render/device_release.h"

#include "render/device_entry_points.h"
#include "scene/scene.h"

void releaseTextureName(uint32_t* name) {
    glDeleteTextures(1, name);
    *name = 0;
}

void deleteMeshBuffers(Surface* surface) {
    GlEntryPoints* gl = glEntryPoints();
    if (gl->glDeleteBuffersARB) {
        if (surface->vertexBuffer) gl->glDeleteBuffersARB(1, &surface->vertexBuffer);
        if (surface->indexBuffer) gl->glDeleteBuffersARB(1, &surface->indexBuffer);
    }
    surface->vertexBuffer = 0;
    surface->indexBuffer = 0;
}

// Program names of the ARB and NV paths share one namespace, so one call serves both.
void deleteMaterialProgram(uint32_t program, bool fragment) {
    (void)fragment;
    GlEntryPoints* gl = glEntryPoints();
    if (program && gl->glDeleteProgramsARB) gl->glDeleteProgramsARB(1, &program);
}
