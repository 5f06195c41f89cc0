#include "base/settings.h"

#include <cstring>

void resetSettings(Settings* s) {
    std::memset(s, 0, sizeof *s);
    s->width = 400;
    s->height = 300;
    s->colorBits = 32;
    s->depthBits = 24;
    s->shadowMapSize = 512;
    s->textureMode = 2;
}
