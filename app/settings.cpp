#include "app/demo_context.h"

#include <cstring>

DemoContext* demoContext() {
    static DemoContext context;
    return &context;
}

void resetSettings(Settings* s) {
    std::memset(s, 0, sizeof *s);
    s->maxScenes = 8;
    s->width = 400;
    s->height = 300;
    s->colorBits = 32;
    s->depthBits = 24;
    s->shadowMapSize = 512;
    s->textureMode = 2;
    s->duration = 60000;
    s->globalEnd = 60000;
}
