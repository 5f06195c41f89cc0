#include "app/demo_context.h"

DemoContext* demoContext() {
    static DemoContext context;
    static bool linked = false;
    if (!linked) {
        linkDemoContext(&context);
        linked = true;
    }
    return &context;
}

void linkDemoContext(DemoContext* context) {
    context->render.effects = &context->effects;
}
