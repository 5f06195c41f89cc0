// What several effects share: their null's motion at a time, their model-view placement, the
// settings they load textures with, and pictures loaded with the effects' texture parameters.
#pragma once
#include <cstdint>

#include "base/shared_work.h"

struct RenderState;
struct Scene;
struct Settings;
struct EffectSlot;
struct TextureImage;
struct SceneItem;

// Position, rotation in degrees and scale of the slot's null at timeMs.
struct EffectMotion {
    float x, y, z;
    float heading, pitch, bank;
    float sx, sy, sz;
};
void effectMotionAt(const EffectSlot* slot, int32_t timeMs, EffectMotion* out);

enum EffectParenting {
    EFFECT_NO_PARENT,       // the motion alone
    EFFECT_PARENT_TURNED,   // turn 180 about y, the parent chain, turn back (electro effects)
    EFFECT_PARENT_IN_FRAME, // turn 180 about y and the parent chain, only when there is a parent (bubbles)
};
// Loads the model-view: identity, the parenting, translate (-x, y, -z), heading, pitch, bank, and the
// scale when withScale is set.
void effectLoadModelView(const EffectSlot* slot, const EffectMotion* motion, EffectParenting parenting,
                         bool withScale);

// The settings a scene's effects load with (the player's when the scene carries none).
const Settings* effectSettings(const RenderState* render, const Scene* scene);

// Edge-clamped, linearly magnified filtering for the bound 2D texture, minified with minFilter (a GL
// enum); mipmaps generated on later uploads when asked; anisotropic as the settings say.
void effectPictureFiltering(const Settings* settings, uint32_t minFilter, bool generateMipmaps);
// Loads a still picture once into image (clamped to the edge, mipmapped, linear, anisotropic).
// Returns its texture name, 0 when it could not be read.
uint32_t effectPicture(TextureImage* image, const char* path, const Settings* settings);

// The lit effects' light vectors: distant and point lights in scene order, each in the next texture
// coordinate set from firstSet on, as many as the device's sets hold; returns how many. Spot lights
// take no set.
struct EffectLight {
    int32_t texCoord;
    int32_t light;
};
int32_t effectLights(const Scene* scene, int32_t firstSet, int32_t texCoordSets, EffectLight* out);
// The texture coordinate sets a vertex program can hand on.
int32_t effectTexCoordSets();
// The distant and point lights among the scene's.
int32_t effectLightsWithVectors(const Scene* scene);

// Work a slot's prepare step queues for its render (base/shared_work.h): what it computes stands for
// the frame time it was queued for.
struct QueuedEffectWork {
    SharedTicket ticket;
    int32_t timeMs;
    bool queued;
};
void queueEffectWork(QueuedEffectWork* work, int32_t timeMs, int32_t count, void (*run)(int32_t item, void* context),
                     void* context);
// Waits for what was queued, which must come before anything else touches what it writes; true when
// it was queued for timeMs.
bool awaitEffectWork(QueuedEffectWork* work, int32_t timeMs);

// Puts the bytes that background work (base/background_work.h) builds for a 3D luminance texture of
// width x height x depth into it once its ticket is done: waits for it, or (wait false) returns
// false while it is still running. True once the bytes are in, for the caller to free. The bound 3D
// texture is kept.
bool fillVolumeFromBackground(uint32_t texture, int64_t ticket, bool wait, int32_t width, int32_t height, int32_t depth,
                              const uint8_t* bytes);

// Releasing what slots made: buffer and program names (zeroed after), and an object item's own
// surface instances with their programs (the mesh stays in the cache).
void deleteEffectBuffers(uint32_t* names, int32_t count);
void deleteEffectPrograms(uint32_t* names, int32_t count);
void releaseEffectItem(SceneItem* item);
