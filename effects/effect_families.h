// The init and render functions of every effect family; binding stores them in the slots.
#pragma once
#include <cstdint>

struct DemoContext;
struct EffectSlot;
struct Scene;

void fractalInit(Scene* scene, EffectSlot* slot);
void fractalRender(DemoContext* context, EffectSlot* slot, int32_t timeMs);
void pictureInit(Scene* scene, EffectSlot* slot);
void pictureRender(DemoContext* context, EffectSlot* slot, int32_t timeMs);
void gaussianBlurInit(Scene* scene, EffectSlot* slot);
void gaussianBlurRender(DemoContext* context, EffectSlot* slot, int32_t timeMs);
void typingInit(Scene* scene, EffectSlot* slot);
void typingRender(DemoContext* context, EffectSlot* slot, int32_t timeMs);
void softBodyInit(Scene* scene, EffectSlot* slot);
void softBodyFrame(DemoContext* context, EffectSlot* slot, int32_t timeMs);
void lightBlobInit(Scene* scene, EffectSlot* slot);
void lightBlobRender(DemoContext* context, EffectSlot* slot, int32_t timeMs);
void initMetaballs(Scene* scene, EffectSlot* slot);
void drawMetaballs(DemoContext* context, EffectSlot* slot, int32_t timeMs);
void swimInit(Scene* scene, EffectSlot* slot);
void swimFrame(DemoContext* context, EffectSlot* slot, int32_t timeMs);
void boidsInit(Scene* scene, EffectSlot* slot);
void boidsRender(DemoContext* context, EffectSlot* slot, int32_t timeMs);
void electroSurfaceInit(Scene* scene, EffectSlot* slot);
void electroSurfaceRender(DemoContext* context, EffectSlot* slot, int32_t timeMs);
void electroRibbonInit(Scene* scene, EffectSlot* slot);
void electroRibbonRender(DemoContext* context, EffectSlot* slot, int32_t timeMs);
void bubblesInit(Scene* scene, EffectSlot* slot);
void bubblesRender(DemoContext* context, EffectSlot* slot, int32_t timeMs);

// For families still to be written: loads nothing, draws nothing, takes the reset.
void effectInitNothing(Scene* scene, EffectSlot* slot);
void effectRenderNothing(DemoContext* context, EffectSlot* slot, int32_t timeMs);
