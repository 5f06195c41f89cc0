// The init and render functions of every effect family; binding stores them in the slots.
#pragma once
#include <cstdint>

struct RenderState;
struct EffectSlot;
struct Scene;

void fractalInit(RenderState* render, Scene* scene, EffectSlot* slot);
void fractalRender(RenderState* context, EffectSlot* slot, int32_t timeMs);
void pictureInit(RenderState* render, Scene* scene, EffectSlot* slot);
void pictureRender(RenderState* context, EffectSlot* slot, int32_t timeMs);
void gaussianBlurInit(RenderState* render, Scene* scene, EffectSlot* slot);
void gaussianBlurRender(RenderState* context, EffectSlot* slot, int32_t timeMs);
void typingInit(RenderState* render, Scene* scene, EffectSlot* slot);
void typingRender(RenderState* context, EffectSlot* slot, int32_t timeMs);
void softBodyInit(RenderState* render, Scene* scene, EffectSlot* slot);
void softBodyFrame(RenderState* context, EffectSlot* slot, int32_t timeMs);
void lightBlobInit(RenderState* render, Scene* scene, EffectSlot* slot);
void lightBlobRender(RenderState* context, EffectSlot* slot, int32_t timeMs);
void initMetaballs(RenderState* render, Scene* scene, EffectSlot* slot);
void drawMetaballs(RenderState* context, EffectSlot* slot, int32_t timeMs);
void swimInit(RenderState* render, Scene* scene, EffectSlot* slot);
void swimFrame(RenderState* context, EffectSlot* slot, int32_t timeMs);
void boidsInit(RenderState* render, Scene* scene, EffectSlot* slot);
void boidsRender(RenderState* context, EffectSlot* slot, int32_t timeMs);
void electroSurfaceInit(RenderState* render, Scene* scene, EffectSlot* slot);
void electroSurfaceRender(RenderState* context, EffectSlot* slot, int32_t timeMs);
void electroRibbonInit(RenderState* render, Scene* scene, EffectSlot* slot);
void electroRibbonRender(RenderState* context, EffectSlot* slot, int32_t timeMs);
void bubblesInit(RenderState* render, Scene* scene, EffectSlot* slot);
void bubblesRender(RenderState* context, EffectSlot* slot, int32_t timeMs);

// For families still to be written: loads nothing, draws nothing, takes the reset.
void effectInitNothing(RenderState* render, Scene* scene, EffectSlot* slot);
void effectRenderNothing(RenderState* context, EffectSlot* slot, int32_t timeMs);
