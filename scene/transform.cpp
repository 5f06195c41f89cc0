// Item and bone matrices from their motions, parent chains and the skinning palette.
#include "scene/transform.h"

#include "base/constants.h"
#include "scene/scene.h"

namespace {

const float* nodeMatrix(const void* node, uint8_t kind) {
    if (kind == ITEM_OBJECT) return static_cast<const SceneItem*>(node)->matrix;
    return static_cast<const Bone*>(node)->matrix;
}

// Steps from an item or bone to its parent; false for any other kind.
bool parentOf(const void** node, uint8_t* kind) {
    if (*kind == ITEM_OBJECT) {
        const SceneItem* item = static_cast<const SceneItem*>(*node);
        *node = item->parent;
        *kind = item->parentKind;
        return true;
    }
    if (*kind == ITEM_BONE) {
        const Bone* bone = static_cast<const Bone*>(*node);
        *node = bone->parent;
        *kind = bone->parentKind;
        return true;
    }
    return false;
}

}  // namespace

void motionMatrix(float out[16], const Envelope* motion, float t, const float* pivot) {
    float px = evalEnvelope(&motion[0], t);
    float py = evalEnvelope(&motion[1], t);
    float pz = evalEnvelope(&motion[2], t);
    float heading = evalEnvelope(&motion[3], t) * kDegreesPerRadian;
    float pitch = evalEnvelope(&motion[4], t) * kDegreesPerRadian;
    float bank = evalEnvelope(&motion[5], t) * kDegreesPerRadian;
    float sx = evalEnvelope(&motion[6], t);
    float sy = evalEnvelope(&motion[7], t);
    float sz = evalEnvelope(&motion[8], t);
    matrixLoadIdentity(out);
    matrixTranslate(out, px, py, pz);
    matrixRotateHeadingPitchBank(out, heading, pitch, bank);
    if (pivot) matrixTranslate(out, -pivot[0], -pivot[1], -pivot[2]);
    matrixScale(out, sx, sy, sz);
}

void boneRestMatrix(float out[16], const Bone* bone) {
    matrixLoadIdentity(out);
    matrixTranslate(out, bone->restPosition[0], bone->restPosition[1], bone->restPosition[2]);
    matrixRotateHeadingPitchBank(out, bone->restDirection[0], bone->restDirection[1], bone->restDirection[2]);
}

void updateItemMatrices(Scene* scene, int32_t timeMs) {
    if (!scene->items) return;
    const float t = msToSeconds(timeMs);
    for (int32_t i = 0; i < scene->itemCount; ++i) {
        SceneItem& item = scene->items[i];
        if (!item.isNull) motionMatrix(item.matrix, item.motion, t, item.pivot);
        if (!item.bones) continue;
        int32_t boneCount = item.boneCount < ITEM_BONES ? item.boneCount : ITEM_BONES;
        for (int32_t b = 0; b < boneCount; ++b) {
            Bone& bone = item.bones[b];
            float rest[16];
            motionMatrix(bone.matrix, bone.motion, t, nullptr);
            boneRestMatrix(rest, &bone);
            invertMatrix(bone.inverseRest, rest);
        }
    }
}

void multiplyParentChain(float m[16], const void* node, uint8_t kind) {
    // Nearest first; then applied root first.
    const void* chain[PARENT_CHAIN_LIMIT];
    uint8_t kinds[PARENT_CHAIN_LIMIT];
    int length = 0;
    while (node && (kind == ITEM_OBJECT || kind == ITEM_BONE) && length < PARENT_CHAIN_LIMIT) {
        chain[length] = node;
        kinds[length] = kind;
        ++length;
        parentOf(&node, &kind);
    }
    for (int i = length - 1; i >= 0; --i) matrixMultiply(m, nodeMatrix(chain[i], kinds[i]));
}

void multiplyInverseRestChain(float m[16], const void* node, uint8_t kind) {
    for (int steps = 0; node && steps < PARENT_CHAIN_LIMIT; ++steps) {
        if (kind == ITEM_BONE) matrixMultiply(m, static_cast<const Bone*>(node)->inverseRest);
        if (!parentOf(&node, &kind)) break;
    }
}

bool skinningMatrix(const Bone* bone, float rows[16]) {
    if (bone->weightMapIndex < 0 || bone->weightMapIndex >= ITEM_BONES) return false;
    float m[16];
    matrixLoadIdentity(m);
    matrixRotate(m, 180.0f, 0.0f, 1.0f, 0.0f);
    multiplyParentChain(m, bone, ITEM_BONE);
    matrixMultiply(m, bone->inverseRest);
    multiplyInverseRestChain(m, bone->parent, bone->parentKind);
    transposeMatrix(rows, m);
    return true;
}
