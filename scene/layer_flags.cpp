#include "scene/layer_flags.h"

#include "scene/lwo_reader.h"

uint32_t layerFlagsFor(const TextureLayer* layer) {
    uint32_t flags = 0;
    const uint8_t channel = layer->channel;
    if (channel == CHANNEL_TRAN || layer->opacityType == 5) flags |= LAYER_TRANSPARENT;
    else if (channel == CHANNEL_TRNL) flags |= LAYER_ADDITIVE;
    else if (channel == CHANNEL_LUMI) flags |= LAYER_ALPHA;
    else if (channel == CHANNEL_GLOS) flags |= LAYER_SPECULAR_MAP;
    else if (channel == CHANNEL_RIND) flags |= LAYER_GLOSS_MAP;

    if (channel == CHANNEL_REFL) flags |= LAYER_ENVIRONMENT;
    else if (channel == CHANNEL_SPEC) flags |= LAYER_CAUSTICS;
    else if (channel == CHANNEL_DIFF) flags |= LAYER_HEIGHT_MAP;
    else flags |= LAYER_UV;

    if (channel == CHANNEL_BUMP) flags |= LAYER_NORMAL_MAP;

    switch (layer->opacityType) {
        case 0:
        case 3:
        case 5: flags |= LAYER_MULTIPLY; break;
        case 7: flags |= LAYER_ADD; break;
        case 2: flags |= LAYER_DIFFERENCE; break;
        default: break;
    }
    return flags;
}

bool layerIsBlended(uint32_t flags) { return (flags & (LAYER_TRANSPARENT | LAYER_ADDITIVE)) != 0; }
