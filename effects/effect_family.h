// What every effect family declares about itself: one descriptor, defined in the family's header
// and listed once in effects/effect_families.h.
#pragma once
#include <cstdint>

#include "scene/effect_slot.h"

struct EffectBinding;
struct EffectCheck;
struct EffectsState;

// Frees slot->state and whatever the slot made (buffers, programs); the slot keeps its bound row.
typedef void (*EffectReleaseFn)(EffectSlot* slot);
// Deletes the family's objects shared by all its slots (textures, programs), once at shutdown.
typedef void (*EffectSharedReleaseFn)(EffectsState* effects);
// "demotool check" for one bound row: which files it loads and what the family expects of them.
typedef void (*EffectCheckFn)(EffectCheck* check, const EffectBinding* row);

struct EffectFamilyDescriptor {
    EffectFamily family;
    const char* name;  // "boids", "soft-body", ...
    EffectInitFn init;
    EffectRenderFn render;
    EffectReleaseFn release;
    EffectSharedReleaseFn releaseShared;  // null: the family shares nothing
    const char* const* files;             // loaded by every instance besides its own (null-terminated)
    EffectCheckFn check;
};

// For families without files of their own beyond the row's.
inline constexpr const char* kNoFamilyFiles[] = {nullptr};
