// Cameras aimed at a subject. The player reads a camera's plain heading and pitch channels, so the
// generator follows the camera and its subject through the scene and keys the angles that look at it.
#pragma once
#include <cstdint>

#include "tools/content/scenes/shapes.h"
#include "tools/lightwave/lw_writer.h"

// A channel's value at t seconds, through the player's own envelope evaluation.
float evalChannel(const LwEnvelope& channel, float t);

// Where a point given in an item's own coordinates is in the scene at t seconds, through the item's
// motion (position, heading, pitch, bank, pivot, scale) and those of its parents.
Vec3 itemPoint(const LwScene& scene, uint32_t item, Vec3 local, float t);

// What a camera looks at: a fixed point, or a point of an item (its pivot unless told otherwise).
struct AimTarget {
    bool onItem = false;
    uint32_t item = 0;
    Vec3 point = {0, 0, 0};  // in the scene, or in the item's own coordinates
};

// Samples apart when the camera or its subject moves: close enough that the interpolated angles
// stay on a subject crossing the view quickly.
constexpr float kAimStep = 0.25f;

// Keys the camera's heading and pitch so that it looks at the target: one key when neither moves,
// else a key every kAimStep seconds from time 0 (or an earlier key) to the scene's last frame (or a
// later key of the motions involved). Positive pitch looks down; heading 0 looks along +z, turning
// towards +x.
void aimCamera(const LwScene& scene, LwCamera* camera, const AimTarget& target);
