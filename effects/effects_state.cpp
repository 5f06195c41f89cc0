#include "effects/effects_state.h"

#include <GL/gl.h>

#include <cstring>

#include "effects/effect_families.h"
#include "effects/noise.h"
#include "scene/scene.h"

void releaseSceneEffects(Scene* scene) {
    for (EffectSlot& slot : scene->effectSlots) {
        const EffectFamilyDescriptor* family = effectFamily(slot.family);
        if (slot.state && family->release) family->release(&slot);
        slot.state = nullptr;
    }
}

void releaseEffects(EffectsState* effects) {
    for (const EffectFamilyDescriptor* family : kEffectFamilies)
        if (family->releaseShared) family->releaseShared(effects);
    releaseNoiseVolume(effects);
    std::memset(effects, 0, sizeof *effects);
}
