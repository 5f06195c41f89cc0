// Which overlays show at a demo time, and where their corners lie.
#include "effects/clip_script.h"

#include "base/constants.h"

namespace {

float channel(const Envelope* envelope, float t, float fallback) {
    return envelope ? evalEnvelope(envelope, t) : fallback;
}

void setVertex(ClipVertex* v, float x, float y, float u, float vv, float tx, float ty, float tz, float gp, float gq) {
    *v = {{x, y}, {u, vv}, {tx, ty, tz}, {gp, gq}};
}

}  // namespace

bool clipOverlayActive(const ClipOverlay* overlay, int32_t demoTime) {
    return overlay->start <= demoTime && demoTime <= overlay->end;
}

int clipOverlayVertices(const ClipOverlay* o, int32_t demoTime, ClipVertex* out, float* alpha) {
    const float t = msToSeconds(demoTime - o->start);
    const float dx = channel(o->moveX, t, 0.0f), dy = channel(o->moveY, t, 0.0f);
    const float s = channel(o->scale, t, 1.0f);
    *alpha = channel(o->alpha, t, 1.0f);
    const float cx = o->x + dx + o->width / 2, cy = o->y + dy + o->height / 2;
    const float hw = s * o->width / 2, hh = s * o->height / 2;
    const float l = cx - hw, r = cx + hw, bottom = cy - hh, top = cy + hh;
    const float vTop = 1 - o->vTop, vBottom = 1 - o->vBottom;
    if (o->electro != 1) {
        setVertex(&out[0], l, bottom, o->uLeft, vBottom, 0, 0, 0, 0, 0);
        setVertex(&out[1], l, top, o->uLeft, vTop, 0, 0, 0, 0, 0);
        setVertex(&out[2], r, top, o->uRight, vTop, 0, 0, 0, 0, 0);
        setVertex(&out[3], r, bottom, o->uRight, vBottom, 0, 0, 0, 0, 0);
        return 4;
    }
    const float tau = -0.8f * t, c = 1.82f * tau;
    const float vMid = 1 - (o->vTop + o->vBottom) / 2;
    setVertex(&out[0], l, cy, o->uLeft, vMid, -1, c - 1, tau, -1, -0.4f);
    setVertex(&out[1], l, top, o->uLeft, vTop, -1, c, tau, 0, -0.4f);
    setVertex(&out[2], r, top, o->uRight, vTop, 1, c, tau, 0, 0.4f);
    setVertex(&out[3], r, cy, o->uRight, vMid, 1, c - 1, tau, -1, 0.4f);
    setVertex(&out[4], l, bottom, o->uLeft, vBottom, -1, c, tau, 0, -0.4f);
    setVertex(&out[5], l, cy, o->uLeft, vMid, -1, c - 1, tau, 1, -0.4f);
    setVertex(&out[6], r, cy, o->uRight, vMid, 1, c - 1, tau, 1, 0.4f);
    setVertex(&out[7], r, bottom, o->uRight, vBottom, 1, c, tau, 0, 0.4f);
    return 8;
}
