#include "app/demo_context.h"

DemoContext* demoContext() {
    static DemoContext context;
    linkDemoContext(&context);  // one store; nothing else links this instance
    return &context;
}

void linkDemoContext(DemoContext* context) {
    context->render.effects = &context->effects;
}
