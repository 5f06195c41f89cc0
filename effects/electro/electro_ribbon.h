// Electric ribbons: the electro glow laid along the null's own path over a sliding time window,
// turned towards the camera and tapered at both ends.
#pragma once
#include <cstdint>

#include "effects/electro/electro_surface.h"

enum {
    RIBBON_SAMPLES = 190,
    RIBBON_VERTICES = RIBBON_SAMPLES * 3,
    RIBBON_INDICES = (RIBBON_SAMPLES - 1) * 2 * 6,
};

struct ElectroRibbonState {
    ElectroParams params;
    ElectroBuffers buffers;
    ElectroVertex vertices[RIBBON_VERTICES];
};

// Left, centre and right vertex per sample for the window at timeMs along the slot's path. camera: the
// viewer's position as the view set-up computes it, or null when the demo has no current camera.
void electroRibbonVertices(const EffectSlot* slot, const ElectroParams& params, int32_t timeMs, const float* camera,
                           ElectroVertex* out);
void electroRibbonIndices(uint16_t* out);
void electroRibbonTexCoords(float* out);
// Half-width factor of sample i: rising over the first ten samples, falling over the last nine.
float electroRibbonWidth(int sample);

void electroRibbonInit(RenderState* render, Scene* scene, EffectSlot* slot);
void electroRibbonRender(RenderState* render, EffectSlot* slot, int32_t timeMs);
void electroRibbonRelease(EffectSlot* slot);

inline constexpr const char* kElectroRibbonFiles[] = {"Demo/Kolorki2.JPG", nullptr};
inline constexpr EffectFamilyDescriptor kElectroRibbonFamily = {
    FAMILY_ELECTRO_RIBBON, "electro-ribbon", electroRibbonInit, electroRibbonRender, electroRibbonRelease, nullptr,
    kElectroRibbonFiles,   checkRowFile, nullptr, nullptr, nullptr, nullptr};
