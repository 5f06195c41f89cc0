// The glow textures and programs are made here once the device layer creates them; until then a
// scene needs nothing for its glow.
#include "render/glow.h"

void setUpGlow(Scene* scene) { (void)scene; }
