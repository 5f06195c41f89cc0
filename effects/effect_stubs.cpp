// Families still to be written bind to these: they load nothing and draw nothing. A family that
// gets its own file group deletes its two lines here.
#include "effects/effect_families.h"
#include "effects/effect_slot.h"

void effectInitNothing(Scene*, EffectSlot*) {}
void effectRenderNothing(DemoContext*, EffectSlot* slot, int32_t) { slot->reset = 0; }

void softBodyInit(Scene* scene, EffectSlot* slot) { effectInitNothing(scene, slot); }
void softBodyFrame(DemoContext* context, EffectSlot* slot, int32_t timeMs) { effectRenderNothing(context, slot, timeMs); }
void initMetaballs(Scene* scene, EffectSlot* slot) { effectInitNothing(scene, slot); }
void drawMetaballs(DemoContext* context, EffectSlot* slot, int32_t timeMs) { effectRenderNothing(context, slot, timeMs); }
void swimInit(Scene* scene, EffectSlot* slot) { effectInitNothing(scene, slot); }
void swimFrame(DemoContext* context, EffectSlot* slot, int32_t timeMs) { effectRenderNothing(context, slot, timeMs); }
void boidsInit(Scene* scene, EffectSlot* slot) { effectInitNothing(scene, slot); }
void boidsRender(DemoContext* context, EffectSlot* slot, int32_t timeMs) { effectRenderNothing(context, slot, timeMs); }
