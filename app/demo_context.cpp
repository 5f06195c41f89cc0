#include "app/demo_context.h"

#include "render/program_builder.h"

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
    // The effect families still write their programs through the bound builder.
    bindProgramBuilder(&context->render.programText);
}
