// The GL objects a collection point releases that need the device's extension entry points.
#include "timeline/clip_list.h"

// TODO(device): delete the buffer objects through glDeleteBuffersARB once the device exposes it.
// Until then the names are only forgotten.
void deleteMeshBuffers(Surface* surface) {
    surface->vertexBuffer = 0;
    surface->indexBuffer = 0;
}

// TODO(device): glDeleteProgramsARB for vertex and ARB fragment programs, glDeleteProgramsNV for
// fragment programs on the NV path. Until then the program stays with the driver.
void deleteMaterialProgram(uint32_t program, bool fragment) {
    (void)program;
    (void)fragment;
}
