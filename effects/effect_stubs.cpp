// Families still to be written bind to these: they load nothing and draw nothing. A family that
// gets its own file group deletes its two lines here.
#include "effects/effect_families.h"
#include "effects/effect_slot.h"

void effectInitNothing(Scene*, EffectSlot*) {}
void effectRenderNothing(DemoContext*, EffectSlot* slot, int32_t) { slot->reset = 0; }

