// Per-scene rendering settings that scene files cannot carry.
#pragma once
#include <cstdint>

#include "scene/envelope.h"

struct ColourOperation {
    uint8_t kind;      // 0 contrast, 1 brightness, 2 hue, 3 saturation, 4 scale
    uint8_t animated;  // 0 constants, 1 envelopes
    Envelope envelopes[3];
    float constants[3];
    ColourOperation* next;
};

struct SceneSetup {
    int32_t glowTextureWidth;
    int32_t glowTextureHeight;
    uint8_t fogType;  // 0 = no fog
    float fogColour[4];
    float fogB;
    float fogC;
    float fogA;
    float causticsScale;
    int32_t texturePeriod;  // ms
    ColourOperation* colourOperations;
    uint8_t glowOn;
    float glowColour[4];
    uint8_t glowDivisor;
    uint8_t shadowsOn;
    uint8_t shadowMode;  // 1 hard, 2 soft edge
    float shadowAmbient;
    float shadowSoftness;
    float shadowDepthScale;
    Envelope shadowEnvelopes[4];  // volume centre X, light height Y, centre Z, half-size W
};
