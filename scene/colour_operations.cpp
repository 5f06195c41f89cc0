#include "scene/colour_operations.h"

#include <cstdlib>
#include <cstring>

#include "base/out_of_memory.h"
#include "scene/scene_setup.h"

ColourOperation* addColourOperation(ColourOperation** list, uint8_t kind, uint8_t animated, const void* source) {
    ColourOperation* node = static_cast<ColourOperation*>(std::calloc(1, sizeof(ColourOperation)));
    if (!node) outOfMemory("a colour operation");
    node->kind = kind;
    node->animated = animated;
    if (animated) std::memcpy(node->envelopes, source, sizeof node->envelopes);
    else std::memcpy(node->constants, source, sizeof node->constants);
    ColourOperation** tail = list;
    while (*tail) tail = &(*tail)->next;
    *tail = node;
    return node;
}

void freeColourOperations(ColourOperation** list) {
    ColourOperation* node = *list;
    while (node) {
        ColourOperation* next = node->next;
        if (node->animated)
            for (Envelope& envelope : node->envelopes) std::free(envelope.keys);
        std::free(node);
        node = next;
    }
    *list = nullptr;
}
