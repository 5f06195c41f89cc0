// The effect families' shared objects: made by the first slot that needs them, used by every slot of
// the family, released at shutdown.
#pragma once
#include <cstdint>

struct EffectsState {
    int32_t unused;
};
