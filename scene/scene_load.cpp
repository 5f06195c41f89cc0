#include "scene/scene_load.h"

#include "app/demo_context.h"
#include "render/glow.h"
#include "scene/lws_reader.h"
#include "scene/setup_table.h"

// The setup comes first: the scene file writes its fog into it and the material keys read its
// shadow settings.
bool loadSceneSlot(DemoContext* context, Scene* slot, const char* file) {
    slot->settings = &context->settings;
    applySceneSetup(&slot->setup, file);
    if (!loadScene(context, slot, file)) {
        releaseSceneSetup(&slot->setup);
        return false;
    }
    resolveSceneLinks(slot, file);
    setUpGlow(context, slot);
    return true;
}
