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
// Keeps, or goes back to, what the slot's state was when the warm-up ended.
typedef void (*EffectStateFn)(EffectSlot* slot);

struct EffectFamilyDescriptor {
    EffectFamily family;
    const char* name;  // "boids", "soft-body", ...
    EffectInitFn init;
    EffectRenderFn render;
    EffectReleaseFn release;
    EffectSharedReleaseFn releaseShared;  // null: the family shares nothing
    const char* const* files;             // loaded by every instance besides its own (null-terminated)
    EffectCheckFn check;
    // A frame skipped by a seek: what render at that time would leave in the slot's state, without
    // drawing. Null for families whose picture follows the time alone.
    EffectRenderFn advance;
    // Non-null for families whose state outlives a reset (a plume resumes where it was): a seek
    // replays every showing of their scenes from the state the warm-up left.
    EffectStateFn keepState;
    EffectStateFn restoreState;
    // Called at the start of every frame that draws the slot, before any pass: work the slot's render
    // will need can start on other cores while the frame's first passes are drawn. Null: none.
    EffectRenderFn prepare;
};

// For families without files of their own beyond the row's.
inline constexpr const char* kNoFamilyFiles[] = {nullptr};
