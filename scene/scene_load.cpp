#include "scene/scene_load.h"

#include "app/demo_context.h"

// Until the scene reader exists a slot holds just its name and the options.
bool loadSceneSlot(DemoContext* context, Scene* slot, const char* file) {
    (void)file;
    slot->settings = &context->settings;
    return true;
}
