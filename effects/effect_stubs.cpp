// Families still to be written bind to these: they load nothing and draw nothing. A family that
// gets its own file group deletes its two lines here.
#include "effects/effect_families.h"
#include "effects/effect_slot.h"

void effectInitNothing(Scene*, EffectSlot*) {}
void effectRenderNothing(DemoContext*, EffectSlot* slot, int32_t) { slot->reset = 0; }

void fractalInit(Scene* scene, EffectSlot* slot) { effectInitNothing(scene, slot); }
void fractalRender(DemoContext* context, EffectSlot* slot, int32_t timeMs) { effectRenderNothing(context, slot, timeMs); }
void pictureInit(Scene* scene, EffectSlot* slot) { effectInitNothing(scene, slot); }
void pictureRender(DemoContext* context, EffectSlot* slot, int32_t timeMs) { effectRenderNothing(context, slot, timeMs); }
void gaussianBlurInit(Scene* scene, EffectSlot* slot) { effectInitNothing(scene, slot); }
void gaussianBlurRender(DemoContext* context, EffectSlot* slot, int32_t timeMs) { effectRenderNothing(context, slot, timeMs); }
void typingInit(Scene* scene, EffectSlot* slot) { effectInitNothing(scene, slot); }
void typingRender(DemoContext* context, EffectSlot* slot, int32_t timeMs) { effectRenderNothing(context, slot, timeMs); }
void lightBlobInit(Scene* scene, EffectSlot* slot) { effectInitNothing(scene, slot); }
void lightBlobRender(DemoContext* context, EffectSlot* slot, int32_t timeMs) { effectRenderNothing(context, slot, timeMs); }
void electroSurfaceInit(Scene* scene, EffectSlot* slot) { effectInitNothing(scene, slot); }
void electroSurfaceRender(DemoContext* context, EffectSlot* slot, int32_t timeMs) { effectRenderNothing(context, slot, timeMs); }
void electroRibbonInit(Scene* scene, EffectSlot* slot) { effectInitNothing(scene, slot); }
void electroRibbonRender(DemoContext* context, EffectSlot* slot, int32_t timeMs) { effectRenderNothing(context, slot, timeMs); }
void bubblesInit(Scene* scene, EffectSlot* slot) { effectInitNothing(scene, slot); }
void bubblesRender(DemoContext* context, EffectSlot* slot, int32_t timeMs) { effectRenderNothing(context, slot, timeMs); }

