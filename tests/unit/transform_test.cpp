// Matrix helpers, item and bone matrices, parent chains and skinning.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "scene/scene.h"
#include "scene/transform.h"

namespace {

const float kRadiansPerDegree = 0.017453292f;

// Column-major point transform, as the GL applies a model-view matrix.
void glTransform(const float m[16], float x, float y, float z, float out[3]) {
    for (int i = 0; i < 3; ++i) out[i] = m[i] * x + m[4 + i] * y + m[8 + i] * z + m[12 + i];
}

void expectMatrixNear(const float* a, const float* b, float tolerance = 1e-5f) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(a[i], b[i], tolerance) << "element " << i;
}

// Column-major products in double: the reference the float code is checked against.
void referenceMultiply(double out[16], const double a[16], const double b[16]) {
    double p[16];
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) {
            p[c * 4 + r] = 0;
            for (int k = 0; k < 4; ++k) p[c * 4 + r] += a[k * 4 + r] * b[c * 4 + k];
        }
    std::memcpy(out, p, sizeof p);
}

void referenceAxisRotation(double out[16], int axis, double degrees) {
    double c = std::cos(degrees * M_PI / 180.0), s = std::sin(degrees * M_PI / 180.0);
    for (int i = 0; i < 16; ++i) out[i] = i % 5 == 0 ? 1.0 : 0.0;
    int u = (axis + 1) % 3, v = (axis + 2) % 3;
    out[u * 4 + u] = c;
    out[v * 4 + v] = c;
    out[u * 4 + v] = s;   // column u, row v
    out[v * 4 + u] = -s;  // column v, row u
}

// Ry(h) * Rx(p) * Rz(b) in double.
void referenceHpb(double out[16], double h, double p, double b) {
    double ry[16], rx[16], rz[16], t[16];
    referenceAxisRotation(ry, 1, h);
    referenceAxisRotation(rx, 0, p);
    referenceAxisRotation(rz, 2, b);
    referenceMultiply(t, ry, rx);
    referenceMultiply(out, t, rz);
}

// Nine one-key channels holding constant values; the storage lives with the envelopes' owner.
struct ConstantMotion {
    EnvelopeKey keys[MOTION_CHANNELS];
    void apply(Envelope* motion, const float values[MOTION_CHANNELS]) {
        for (int i = 0; i < MOTION_CHANNELS; ++i) {
            keys[i] = EnvelopeKey{};
            keys[i].value = values[i];
            motion[i] = Envelope{&keys[i], 1, BEHAVIOR_CONSTANT, BEHAVIOR_CONSTANT};
        }
    }
};

const float kRestMotion[MOTION_CHANNELS] = {0, 0, 0, 0, 0, 0, 1, 1, 1};

TEST(RowMatrix, RotationTranslationAndProducts) {
    float r[16];
    rowRotation(r, 0, 2, 0, 90.0f);  // the axis is normalised
    float p[3];
    rowTransformPoint(r, 0, 0, 1, p);
    EXPECT_NEAR(p[0], 1.0f, 1e-6f);
    EXPECT_NEAR(p[1], 0.0f, 1e-6f);
    EXPECT_NEAR(p[2], 0.0f, 1e-6f);
    EXPECT_NEAR(r[15], 1.0f, 1e-6f);
    EXPECT_EQ(r[3], 0.0f);
    EXPECT_EQ(r[12], 0.0f);

    float t[16], tr[16], separate[16];
    rowTranslation(t, 1, 2, 3);
    rowMultiply(separate, t, r);
    copyMatrix(tr, t);
    rowMultiply(tr, tr, r);  // the product may overwrite its left factor
    for (int i = 0; i < 16; ++i) EXPECT_EQ(tr[i], separate[i]);
    rowTransformPoint(tr, 0, 0, 1, p);  // rotate, then translate
    EXPECT_NEAR(p[0], 2.0f, 1e-6f);
    EXPECT_NEAR(p[1], 2.0f, 1e-6f);
    EXPECT_NEAR(p[2], 3.0f, 1e-6f);

    float identity[16];
    rowIdentity(identity);
    rowRotation(r, 0, 0, 0, 45.0f);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(r[i], identity[i]);
}

TEST(RowMatrix, Inverses) {
    float m[16];
    matrixLoadIdentity(m);
    matrixTranslate(m, 1, -2, 3);
    matrixRotate(m, 30, 1, 2, 3);
    matrixScale(m, 2, 2, 0.5f);
    float inv[16], product[16], identity[16];
    invertMatrix(inv, m);
    copyMatrix(product, m);
    matrixMultiply(product, inv);
    matrixLoadIdentity(identity);
    expectMatrixNear(product, identity);

    float singular[16] = {};
    invertMatrix(inv, singular);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(inv[i], identity[i]);

    float rotation[16], rigid[16];
    matrixLoadIdentity(rotation);
    matrixRotate(rotation, 40, 0, 1, 1);
    copyMatrix(rigid, rotation);
    invertRigid(rigid);
    copyMatrix(product, rotation);
    matrixMultiply(product, rigid);
    expectMatrixNear(product, identity);
    float shift[16];
    matrixLoadIdentity(shift);
    matrixTranslate(shift, 4, 5, 6);
    invertRigid(shift);
    EXPECT_EQ(shift[12], -4.0f);
    EXPECT_EQ(shift[13], -5.0f);
    EXPECT_EQ(shift[14], -6.0f);
}

TEST(GlMatrix, OperationsPostMultiplyAsTheModelViewStack) {
    float m[16], p[3];
    matrixLoadIdentity(m);
    matrixTranslate(m, 10, 0, 0);
    matrixRotate(m, 90, 0, 0, 1);  // x goes to y, then the translation
    matrixScale(m, 2, 1, 1);
    glTransform(m, 1, 0, 0, p);
    EXPECT_NEAR(p[0], 10.0f, 1e-5f);
    EXPECT_NEAR(p[1], 2.0f, 1e-5f);
    EXPECT_NEAR(p[2], 0.0f, 1e-5f);

    // Each axis case agrees with the general axis formula, both signs.
    const float axes[6][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {-1, 0, 0}, {0, -1, 0}, {0, 0, -1}};
    for (const auto& a : axes) {
        float onAxis[16], general[16];
        matrixLoadIdentity(onAxis);
        matrixRotate(onAxis, 33, a[0], a[1], a[2]);
        matrixLoadIdentity(general);
        matrixRotate(general, 33, a[0] + 1e-20f, a[1] + 1e-20f, a[2] + 1e-20f);
        expectMatrixNear(onAxis, general, 1e-6f);
    }
    // A zero axis leaves the matrix alone.
    matrixLoadIdentity(m);
    matrixRotate(m, 33, 0, 0, 0);
    float identity[16];
    matrixLoadIdentity(identity);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m[i], identity[i]);
}

TEST(GlMatrix, HeadingPitchBankComposeAsRyRxRz) {
    const float angles[][3] = {{90, 0, 0}, {0, 90, 0}, {0, 0, 90}, {30, -45, 60}, {-170, 80, 15}, {200, 10, -300}};
    for (const auto& a : angles) {
        SCOPED_TRACE(testing::Message() << a[0] << " " << a[1] << " " << a[2]);
        float m[16];
        matrixLoadIdentity(m);
        matrixRotateHeadingPitchBank(m, a[0], a[1], a[2]);
        double want[16];
        referenceHpb(want, a[0], a[1], a[2]);
        for (int i = 0; i < 16; ++i) EXPECT_NEAR(m[i], want[i], 2e-6) << i;
    }
}

TEST(ItemMatrix, RestMotionIsIdentityAndHeadingTurnsZToX) {
    ConstantMotion storage;
    SceneItem item = {};
    storage.apply(item.motion, kRestMotion);
    motionMatrix(item.matrix, item.motion, 0.0f, item.pivot);
    float identity[16];
    matrixLoadIdentity(identity);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(item.matrix[i], identity[i]);

    const float turned[MOTION_CHANNELS] = {0, 0, 0, 90 * kRadiansPerDegree, 0, 0, 1, 1, 1};
    storage.apply(item.motion, turned);
    motionMatrix(item.matrix, item.motion, 0.0f, item.pivot);
    float p[3];
    glTransform(item.matrix, 0, 0, 1, p);
    EXPECT_NEAR(p[0], 1.0f, 1e-6f);
    EXPECT_NEAR(p[1], 0.0f, 1e-6f);
    EXPECT_NEAR(p[2], 0.0f, 1e-6f);
}

TEST(ItemMatrix, FullMotionWithPivot) {
    ConstantMotion storage;
    SceneItem item = {};
    const float motion[MOTION_CHANNELS] = {1, 2, 3, 0.5f, -0.25f, 1.0f, 2, 3, 4};
    storage.apply(item.motion, motion);
    item.pivot[0] = 0.5f;
    item.pivot[1] = -1.0f;
    item.pivot[2] = 2.0f;
    motionMatrix(item.matrix, item.motion, 0.0f, item.pivot);
    // T(position) * R * T(-pivot) * S(scale) applied to a point.
    const double degrees = 57.29577951308232;
    double r[16];
    referenceHpb(r, 0.5 * degrees, -0.25 * degrees, 1.0 * degrees);
    const double v[3] = {0.3 * 2 - 0.5, -0.7 * 3 + 1.0, 1.1 * 4 - 2.0};
    float p[3];
    glTransform(item.matrix, 0.3f, -0.7f, 1.1f, p);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(p[i], r[i] * v[0] + r[4 + i] * v[1] + r[8 + i] * v[2] + motion[i], 1e-5) << i;

    // A pivot alone moves the item the other way.
    const float still[MOTION_CHANNELS] = {0, 0, 0, 0, 0, 0, 1, 1, 1};
    storage.apply(item.motion, still);
    item.pivot[0] = 1.0f;
    item.pivot[1] = item.pivot[2] = 0.0f;
    motionMatrix(item.matrix, item.motion, 0.0f, item.pivot);
    EXPECT_EQ(item.matrix[12], -1.0f);
    EXPECT_EQ(item.matrix[13], 0.0f);
    EXPECT_EQ(item.matrix[14], 0.0f);
}

// An object with a two-bone chain, and a second object parented to the second bone.
struct Rig {
    SceneItem items[2];
    Bone bones[ITEM_BONES];
    ConstantMotion storage[4];
    Scene scene;

    Rig() : items(), bones(), scene() {
        const float body[MOTION_CHANNELS] = {5, 0, 0, 0, 0, 0, 1, 1, 1};
        const float child[MOTION_CHANNELS] = {0, 1, 0, 0, 0, 0, 1, 1, 1};
        storage[0].apply(items[0].motion, body);
        storage[1].apply(items[1].motion, child);
        items[0].bones = bones;
        items[0].boneCount = 2;
        // Bone 0 hangs from the item; bone 1 from bone 0, half a turn of heading along.
        bones[0].parent = &items[0];
        bones[0].parentKind = ITEM_OBJECT;
        bones[0].restPosition[1] = 1.0f;
        bones[0].weightMapIndex = 0;
        bones[1].parent = &bones[0];
        bones[1].parentKind = ITEM_BONE;
        bones[1].restPosition[2] = 2.0f;
        bones[1].restDirection[0] = 90.0f;
        bones[1].weightMapIndex = 1;
        setBonesAtRest();
        items[1].parent = &bones[1];
        items[1].parentKind = ITEM_BONE;
        scene.items = items;
        scene.itemCount = 2;
    }
    // Bone motions equal to their rest poses.
    void setBonesAtRest() {
        for (int b = 0; b < 2; ++b) {
            const Bone& bone = bones[b];
            const float rest[MOTION_CHANNELS] = {bone.restPosition[0],
                                                 bone.restPosition[1],
                                                 bone.restPosition[2],
                                                 bone.restDirection[0] * kRadiansPerDegree,
                                                 bone.restDirection[1] * kRadiansPerDegree,
                                                 bone.restDirection[2] * kRadiansPerDegree,
                                                 1,
                                                 1,
                                                 1};
            storage[2 + b].apply(bones[b].motion, rest);
        }
    }
};

TEST(Skeleton, AnItemOnABoneFollowsTheBoneChain) {
    Rig rig;
    updateItemMatrices(&rig.scene, 0);
    float m[16];
    matrixLoadIdentity(m);
    multiplyParentChain(m, &rig.items[1], ITEM_OBJECT);
    float want[16];
    matrixLoadIdentity(want);
    matrixMultiply(want, rig.items[0].matrix);
    matrixMultiply(want, rig.bones[0].matrix);
    matrixMultiply(want, rig.bones[1].matrix);
    matrixMultiply(want, rig.items[1].matrix);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m[i], want[i]) << i;
    // The child's origin: item (5,0,0) + bone 0 (0,1,0) + bone 1 (0,0,2), turned by 90 degrees, + (0,1,0).
    float p[3];
    glTransform(m, 0, 0, 0, p);
    EXPECT_NEAR(p[0], 5.0f, 1e-5f);
    EXPECT_NEAR(p[1], 2.0f, 1e-5f);
    EXPECT_NEAR(p[2], 2.0f, 1e-5f);
    glTransform(m, 0, 0, 1, p);  // bone 1's heading turns the child's +Z to +X
    EXPECT_NEAR(p[0], 6.0f, 1e-5f);
}

TEST(Skeleton, BonesAtRestGiveTheGlobalTurnAsSkinningMatrix) {
    Rig rig;
    const float still[MOTION_CHANNELS] = {0, 0, 0, 0, 0, 0, 1, 1, 1};
    rig.storage[0].apply(rig.items[0].motion, still);
    updateItemMatrices(&rig.scene, 1000);
    float rest[16], product[16], identity[16];
    matrixLoadIdentity(identity);
    boneRestMatrix(rest, &rig.bones[1]);
    copyMatrix(product, rest);
    matrixMultiply(product, rig.bones[1].inverseRest);
    expectMatrixNear(product, identity);

    float turn[16], turnRows[16];
    matrixLoadIdentity(turn);
    matrixRotate(turn, 180, 0, 1, 0);
    transposeMatrix(turnRows, turn);
    for (int b = 0; b < 2; ++b) {
        SCOPED_TRACE(b);
        float rows[16];
        ASSERT_TRUE(skinningMatrix(&rig.bones[b], rows));
        expectMatrixNear(rows, turnRows);
    }
    // A bone moved off its rest pose moves the skin with it: one unit of x, turned half round.
    rig.bones[1].motion[0].keys->value = 1.0f;
    updateItemMatrices(&rig.scene, 1000);
    float rows[16];
    ASSERT_TRUE(skinningMatrix(&rig.bones[1], rows));
    EXPECT_NEAR(rows[3], -1.0f, 1e-5f);
    EXPECT_NEAR(rows[7], 0.0f, 1e-5f);
    EXPECT_NEAR(rows[11], 0.0f, 1e-5f);

    rig.bones[1].weightMapIndex = ITEM_BONES;
    EXPECT_FALSE(skinningMatrix(&rig.bones[1], rows));
    rig.bones[1].weightMapIndex = -1;
    EXPECT_FALSE(skinningMatrix(&rig.bones[1], rows));
}

TEST(Skeleton, NullsKeepTheirMatrixAndLightParentsAreNotApplied) {
    Rig rig;
    rig.items[1].isNull = 1;
    std::memset(rig.items[1].matrix, 0, sizeof rig.items[1].matrix);
    updateItemMatrices(&rig.scene, 0);
    for (float v : rig.items[1].matrix) EXPECT_EQ(v, 0.0f);

    Light light = {};
    rig.items[0].parent = &light;
    rig.items[0].parentKind = ITEM_LIGHT;
    float m[16];
    matrixLoadIdentity(m);
    multiplyParentChain(m, &rig.items[0], ITEM_OBJECT);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m[i], rig.items[0].matrix[i]);
}

TEST(Skeleton, ParentCyclesEnd) {
    Rig rig;
    updateItemMatrices(&rig.scene, 0);
    rig.items[0].parent = &rig.items[1];
    rig.items[0].parentKind = ITEM_OBJECT;  // item 0 -> item 1 -> bone 1 -> bone 0 -> item 0
    float m[16];
    matrixLoadIdentity(m);
    multiplyParentChain(m, &rig.items[1], ITEM_OBJECT);
    matrixLoadIdentity(m);
    multiplyInverseRestChain(m, &rig.bones[1], ITEM_BONE);
    rig.bones[0].parent = &rig.bones[0];  // a bone its own parent
    rig.bones[0].parentKind = ITEM_BONE;
    float rows[16];
    EXPECT_TRUE(skinningMatrix(&rig.bones[0], rows));
    for (float v : rows) EXPECT_FALSE(std::isnan(v));
}

}  // namespace
