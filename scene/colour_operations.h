// The colour grading list of a scene: operations applied after the glow.
#pragma once
#include <cstdint>

struct ColourOperation;

enum ColourOperationKind : uint8_t {
    COLOUR_CONTRAST = 0,
    COLOUR_BRIGHTNESS = 1,
    COLOUR_HUE = 2,
    COLOUR_SATURATION = 3,
    COLOUR_SCALE = 4,
};

// Appends a node at the end of *list. animated 0: source is three floats; animated 1: source is three
// Envelopes, copied as they are (the node then owns their keys). Null when out of memory.
ColourOperation* addColourOperation(ColourOperation** list, uint8_t kind, uint8_t animated, const void* source);
// Frees every node and the keys of its envelopes; *list becomes empty.
void freeColourOperations(ColourOperation** list);
