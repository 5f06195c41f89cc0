// Matrix helpers, item and bone matrices, parent chains and the skinning palette.
#pragma once
#include <cstdint>

struct Bone;
struct Envelope;
struct Scene;
struct SceneItem;

// --- Row matrices: row-major, element (row, column) at row * 4 + column, translation in 3, 7 and 11,
// applied to column vectors. Used to build rotation axes.
void rowIdentity(float m[16]);
void rowTranslation(float m[16], float x, float y, float z);
// Rotation about the axis (x, y, z), normalised here; a zero axis gives the identity.
void rowRotation(float m[16], float x, float y, float z, float degrees);
// out = a * b; out may be a or b.
void rowMultiply(float out[16], const float a[16], const float b[16]);
void rowTransformPoint(const float m[16], float x, float y, float z, float out[3]);

void copyMatrix(float dst[16], const float src[16]);
// General inverse by cofactors; a singular matrix gives the identity. Works for either layout.
void invertMatrix(float out[16], const float m[16]);
// In place on a GL matrix: transposes the rotation part and negates the translation. Exact only
// for a pure rotation or a pure translation.
void invertRigid(float m[16]);
void transposeMatrix(float out[16], const float m[16]);

// --- GL matrices: column-major, as read back from the model-view matrix. Each operation
// post-multiplies the way glLoadIdentity, glTranslatef, glRotatef, glScalef and glMultMatrixf do,
// with the reference implementation's float arithmetic, so a stored matrix equals the read-back one.
void matrixLoadIdentity(float m[16]);
void matrixTranslate(float m[16], float x, float y, float z);
void matrixRotate(float m[16], float degrees, float x, float y, float z);
void matrixScale(float m[16], float x, float y, float z);
// m = m * b; b must not alias m.
void matrixMultiply(float m[16], const float b[16]);
// Post-multiplies Ry(heading) * Rx(pitch) * Rz(bank) (degrees): bank acts on a vertex first.
// Built as three GL rotations about the heading-turned axes, as the item matrices are.
void matrixRotateHeadingPitchBank(float m[16], float heading, float pitch, float bank);

// --- Scene transforms.
enum { PARENT_CHAIN_LIMIT = 256 + 50 };  // longer chains are parent cycles and are cut there

// T(position) * Ry(H) * Rx(P) * Rz(B) * T(-pivot) * S(scale) from nine channels at t seconds
// (angles in radians in the channels). pivot may be null (bones).
void motionMatrix(float out[16], const Envelope* motion, float t, const float* pivot);
// T(restPosition) * Ry * Rx * Rz of the bone's rest direction (degrees).
void boneRestMatrix(float out[16], const Bone* bone);
// Matrices of every object item (nulls are left to their effects) and of every bone, with the
// bones' inverse rest matrices, at the scene time.
void updateItemMatrices(Scene* scene, int32_t timeMs);
// m = m * (matrices of node's ancestors, root first) * node's matrix, for items and bones.
// Any other kind or a null node ends the chain.
void multiplyParentChain(float m[16], const void* node, uint8_t kind);
// m = m * inverse rest matrices of node (if a bone) and its bone ancestors, nearest first; items
// on the way are passed through without a matrix.
void multiplyInverseRestChain(float m[16], const void* node, uint8_t kind);
// The bone's palette entry as four rows (the GL matrix transposed):
// Ry(180) * parent chain * matrix * inverseRest * inverse rest chain of the parent. It goes to vertex
// program local parameters 4 * weightMapIndex .. + 3. False, with rows untouched, when the bone's
// weightMapIndex has no parameter slot (outside 0 .. ITEM_BONES - 1).
bool skinningMatrix(const Bone* bone, float rows[16]);
