// Row-matrix helpers and a CPU copy of the fixed-function matrix stack operations.
#include <cmath>
#include <cstring>

#include "base/constants.h"
#include "scene/transform.h"

namespace {

const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

bool isAffine(const float m[16]) { return m[3] == 0.0f && m[7] == 0.0f && m[11] == 0.0f && m[15] == 1.0f; }

// Column-major product = a * b; product may be a (each row of a is read before it is written).
void multiplyGeneral(float* product, const float* a, const float* b) {
    for (int i = 0; i < 4; ++i) {
        const float ai0 = a[i], ai1 = a[4 + i], ai2 = a[8 + i], ai3 = a[12 + i];
        product[i] = ai0 * b[0] + ai1 * b[1] + ai2 * b[2] + ai3 * b[3];
        product[4 + i] = ai0 * b[4] + ai1 * b[5] + ai2 * b[6] + ai3 * b[7];
        product[8 + i] = ai0 * b[8] + ai1 * b[9] + ai2 * b[10] + ai3 * b[11];
        product[12 + i] = ai0 * b[12] + ai1 * b[13] + ai2 * b[14] + ai3 * b[15];
    }
}

// The same for two affine matrices, without the terms of the constant bottom row.
void multiplyAffine(float* product, const float* a, const float* b) {
    for (int i = 0; i < 3; ++i) {
        const float ai0 = a[i], ai1 = a[4 + i], ai2 = a[8 + i], ai3 = a[12 + i];
        product[i] = ai0 * b[0] + ai1 * b[1] + ai2 * b[2];
        product[4 + i] = ai0 * b[4] + ai1 * b[5] + ai2 * b[6];
        product[8 + i] = ai0 * b[8] + ai1 * b[9] + ai2 * b[10];
        product[12 + i] = ai0 * b[12] + ai1 * b[13] + ai2 * b[14] + ai3;
    }
    product[3] = 0.0f;
    product[7] = 0.0f;
    product[11] = 0.0f;
    product[15] = 1.0f;
}

}  // namespace

void rowIdentity(float m[16]) { std::memcpy(m, kIdentity, sizeof kIdentity); }

void rowTranslation(float m[16], float x, float y, float z) {
    rowIdentity(m);
    m[3] = x;
    m[7] = y;
    m[11] = z;
}

void rowRotation(float m[16], float x, float y, float z, float degrees) {
    float length = std::sqrt(x * x + y * y + z * z);
    if (!(length > 0.0f)) {
        rowIdentity(m);
        return;
    }
    x /= length;
    y /= length;
    z /= length;
    float a = degrees * 0.008726646f;
    float s = static_cast<float>(std::sin(static_cast<double>(a)));
    float w = static_cast<float>(std::cos(static_cast<double>(a)));
    float X = x * s, Y = y * s, Z = z * s;
    std::memset(m, 0, 16 * sizeof(float));
    m[0] = w * w + X * X - Y * Y - Z * Z;
    m[5] = w * w - X * X + Y * Y - Z * Z;
    m[10] = w * w - X * X - Y * Y + Z * Z;
    m[15] = w * w + X * X + Y * Y + Z * Z;
    m[1] = 2.0f * X * Y - 2.0f * w * Z;
    m[4] = 2.0f * X * Y + 2.0f * w * Z;
    m[2] = 2.0f * X * Z + 2.0f * w * Y;
    m[8] = 2.0f * X * Z - 2.0f * w * Y;
    m[6] = 2.0f * Y * Z - 2.0f * w * X;
    m[9] = 2.0f * Y * Z + 2.0f * w * X;
}

void rowMultiply(float out[16], const float a[16], const float b[16]) {
    float product[16];
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            product[row * 4 + col] = a[row * 4] * b[col] + a[row * 4 + 1] * b[4 + col] +
                                     a[row * 4 + 2] * b[8 + col] + a[row * 4 + 3] * b[12 + col];
    std::memcpy(out, product, sizeof product);
}

void rowTransformPoint(const float m[16], float x, float y, float z, float out[3]) {
    float rx = m[0] * x + m[1] * y + m[2] * z + m[3];
    float ry = m[4] * x + m[5] * y + m[6] * z + m[7];
    float rz = m[8] * x + m[9] * y + m[10] * z + m[11];
    out[0] = rx;
    out[1] = ry;
    out[2] = rz;
}

void copyMatrix(float dst[16], const float src[16]) { std::memmove(dst, src, 16 * sizeof(float)); }

void invertMatrix(float out[16], const float m[16]) {
    float inv[16];
    inv[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] + m[9] * m[7] * m[14] +
             m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
    inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] - m[8] * m[7] * m[14] -
             m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
    inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] + m[8] * m[7] * m[13] +
             m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
    inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] - m[8] * m[6] * m[13] -
              m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
    inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] - m[9] * m[3] * m[14] -
             m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
    inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] + m[8] * m[3] * m[14] +
             m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
    inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] - m[8] * m[3] * m[13] -
             m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
    inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] + m[8] * m[2] * m[13] +
              m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
    inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] +
             m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
    inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] - m[4] * m[3] * m[14] -
             m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
    inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] + m[4] * m[3] * m[13] +
              m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
    inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] - m[4] * m[2] * m[13] -
              m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
    inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] - m[5] * m[3] * m[10] -
             m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
    inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] +
             m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
    inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] -
              m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
    inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] +
              m[8] * m[1] * m[6] - m[8] * m[2] * m[5];
    float det = m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
    if (det == 0.0f) {
        rowIdentity(out);
        return;
    }
    float scale = 1.0f / det;
    for (int i = 0; i < 16; ++i) out[i] = inv[i] * scale;
}

void invertRigid(float m[16]) {
    float t;
    t = m[1], m[1] = m[4], m[4] = t;
    t = m[2], m[2] = m[8], m[8] = t;
    t = m[6], m[6] = m[9], m[9] = t;
    m[12] = -m[12];
    m[13] = -m[13];
    m[14] = -m[14];
}

void transposeMatrix(float out[16], const float m[16]) {
    float t[16];
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col) t[row * 4 + col] = m[col * 4 + row];
    std::memcpy(out, t, sizeof t);
}

void matrixLoadIdentity(float m[16]) { std::memcpy(m, kIdentity, sizeof kIdentity); }

void matrixTranslate(float m[16], float x, float y, float z) {
    m[12] = m[0] * x + m[4] * y + m[8] * z + m[12];
    m[13] = m[1] * x + m[5] * y + m[9] * z + m[13];
    m[14] = m[2] * x + m[6] * y + m[10] * z + m[14];
    m[15] = m[3] * x + m[7] * y + m[11] * z + m[15];
}

void matrixScale(float m[16], float x, float y, float z) {
    for (int i = 0; i < 4; ++i) {
        m[i] *= x;
        m[4 + i] *= y;
        m[8 + i] *= z;
    }
}

void matrixRotate(float m[16], float degrees, float x, float y, float z) {
    if (degrees == 0.0f) return;  // the GL skips a zero turn altogether
    // The angle goes to radians in double and is narrowed for the float sine, as the GL does.
    float radians = static_cast<float>(degrees * kPi / 180.0);
    float s = std::sin(radians);
    float c = std::cos(radians);
    float r[16];
    std::memcpy(r, kIdentity, sizeof kIdentity);
    // Rotations about a coordinate axis are built directly, as the reference does.
    bool onAxis = true;
    if (x == 0.0f && y == 0.0f && z != 0.0f) {
        r[0] = c;
        r[5] = c;
        r[4] = z < 0.0f ? s : -s;
        r[1] = z < 0.0f ? -s : s;
    } else if (x == 0.0f && z == 0.0f && y != 0.0f) {
        r[0] = c;
        r[10] = c;
        r[8] = y < 0.0f ? -s : s;
        r[2] = y < 0.0f ? s : -s;
    } else if (y == 0.0f && z == 0.0f && x != 0.0f) {
        r[5] = c;
        r[10] = c;
        r[9] = x < 0.0f ? s : -s;
        r[6] = x < 0.0f ? -s : s;
    } else {
        onAxis = false;
    }
    if (!onAxis) {
        const float mag = std::sqrt(x * x + y * y + z * z);
        if (mag <= 1.0e-4f) return;  // no usable axis: no rotation
        x /= mag;
        y /= mag;
        z /= mag;
        float xx = x * x, yy = y * y, zz = z * z;
        float xy = x * y, yz = y * z, zx = z * x;
        float xs = x * s, ys = y * s, zs = z * s;
        float oneC = 1.0f - c;
        r[0] = (oneC * xx) + c;
        r[4] = (oneC * xy) - zs;
        r[8] = (oneC * zx) + ys;
        r[1] = (oneC * xy) + zs;
        r[5] = (oneC * yy) + c;
        r[9] = (oneC * yz) - xs;
        r[2] = (oneC * zx) - ys;
        r[6] = (oneC * yz) + xs;
        r[10] = (oneC * zz) + c;
    }
    if (isAffine(m))
        multiplyAffine(m, m, r);
    else
        multiplyGeneral(m, m, r);
}

void matrixMultiply(float m[16], const float b[16]) { multiplyGeneral(m, m, b); }

void matrixRotateHeadingPitchBank(float m[16], float heading, float pitch, float bank) {
    float r[16], turn[16];
    rowIdentity(r);
    rowRotation(turn, 0.0f, 1.0f, 0.0f, -heading);
    rowMultiply(r, r, turn);
    const float xAxis[3] = {r[0], r[1], r[2]};
    rowRotation(turn, xAxis[0], xAxis[1], xAxis[2], -pitch);
    rowMultiply(r, r, turn);
    const float zAxis[3] = {r[8], r[9], r[10]};
    matrixRotate(m, bank, zAxis[0], zAxis[1], zAxis[2]);
    matrixRotate(m, pitch, xAxis[0], xAxis[1], xAxis[2]);
    matrixRotate(m, heading, 0.0f, 1.0f, 0.0f);
}
