// Feature bits of one texture layer of a surface: they decide the vertex layout, the material keys
// and the program text.
#pragma once
#include <cstdint>

struct TextureLayer;

enum LayerFlag : uint32_t {
    LAYER_MULTIPLY = 0x1,         // opacity type normal, multiply or alpha
    LAYER_ADD = 0x2,              // opacity type additive
    LAYER_DIFFERENCE = 0x4,       // opacity type difference
    LAYER_NORMAL_MAP = 0x10,      // channel BUMP
    LAYER_ALPHA = 0x40,           // channel LUMI
    LAYER_ENVIRONMENT = 0x80,     // channel REFL
    LAYER_CAUSTICS = 0x200,       // channel SPEC
    LAYER_TRANSPARENT = 0x400,    // channel TRAN or opacity type alpha: blended with source alpha
    LAYER_ADDITIVE = 0x800,       // channel TRNL: blended additively
    LAYER_SPECULAR_MAP = 0x2000,  // channel GLOS
    LAYER_GLOSS_MAP = 0x4000,     // channel RIND
    LAYER_UV = 0x8000,            // the layer has a UV pair in the vertex
    LAYER_HEIGHT_MAP = 0x10000,   // channel DIFF
};

uint32_t layerFlagsFor(const TextureLayer* layer);
// Whether the layer's surface is drawn blended (and so the mesh has blending).
bool layerIsBlended(uint32_t flags);
