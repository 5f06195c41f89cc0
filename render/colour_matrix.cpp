#include "render/colour_matrix.h"

#include "base/constants.h"
#include "scene/colour_operations.h"
#include "scene/scene_setup.h"
#include "scene/transform.h"

namespace {

// The angle between the grey axis (1, 1, 1) and the blue axis once the grey axis has been turned
// 45 degrees about blue: turning by it brings grey onto blue, where a scale of red and green only
// changes the saturation.
constexpr float kGreyAxisTilt = 54.7404f;

void applyOperation(float m[16], uint8_t kind, const float v[3]) {
    switch (kind) {
        case COLOUR_CONTRAST:
            matrixTranslate(m, 0.5f, 0.5f, 0.5f);
            matrixScale(m, v[0], v[1], v[2]);
            matrixTranslate(m, -0.5f, -0.5f, -0.5f);
            break;
        case COLOUR_BRIGHTNESS: matrixTranslate(m, v[0], v[1], v[2]); break;
        case COLOUR_HUE: matrixRotate(m, v[0], 1.0f, 1.0f, 1.0f); break;
        case COLOUR_SATURATION:
            matrixRotate(m, 45.0f, 0.0f, 0.0f, 1.0f);
            matrixRotate(m, kGreyAxisTilt, 0.0f, 1.0f, 0.0f);
            matrixScale(m, v[0], v[1], 1.0f);
            matrixRotate(m, -kGreyAxisTilt, 0.0f, 1.0f, 0.0f);
            matrixRotate(m, -45.0f, 0.0f, 0.0f, 1.0f);
            break;
        case COLOUR_SCALE: matrixScale(m, v[0], v[1], v[2]); break;
        default: break;  // unknown kinds grade nothing
    }
}

}  // namespace

void buildColourMatrix(const ColourOperation* operations, int32_t timeMs, float rows[16]) {
    float m[16];
    matrixLoadIdentity(m);
    const float t = msToSeconds(timeMs);
    for (const ColourOperation* op = operations; op; op = op->next) {
        float values[3];
        for (int k = 0; k < 3; ++k) values[k] = op->animated ? evalEnvelope(&op->envelopes[k], t) : op->constants[k];
        applyOperation(m, op->kind, values);
    }
    transposeMatrix(rows, m);
}
