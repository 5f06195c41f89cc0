#include "tools/content/canvas.h"

#include <algorithm>
#include <cmath>

Canvas makeCanvas(int width, int height, PaintColour fill) {
    Canvas c{width, height, std::vector<float>(size_t(width) * height * 3)};
    for (size_t i = 0; i < c.rgb.size(); i += 3) {
        c.rgb[i] = fill.r;
        c.rgb[i + 1] = fill.g;
        c.rgb[i + 2] = fill.b;
    }
    return c;
}

Plane makePlane(int width, int height, float fill) {
    return Plane{width, height, std::vector<float>(size_t(width) * height, fill)};
}

Pixmap makePixmap(int width, int height, int channels) {
    return Pixmap{width, height, channels, std::vector<uint8_t>(size_t(width) * height * channels)};
}

float planeWrapped(const Plane& plane, int x, int y) {
    x %= plane.width;
    y %= plane.height;
    if (x < 0) x += plane.width;
    if (y < 0) y += plane.height;
    return planeGet(plane, x, y);
}

float planeSample(const Plane& plane, float x, float y) {
    int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    float fx = x - float(x0), fy = y - float(y0);
    auto at = [&](int px, int py) {
        if (px < 0 || py < 0 || px >= plane.width || py >= plane.height) return 0.0f;
        return planeGet(plane, px, py);
    };
    float top = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * fx;
    float bottom = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * fx;
    return top + (bottom - top) * fy;
}

PaintColour mixColour(PaintColour a, PaintColour b, float t) {
    return PaintColour{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

PaintColour scaleColour(PaintColour c, float s) { return PaintColour{c.r * s, c.g * s, c.b * s}; }

PaintColour rampColour(const PaintColour* stops, int count, float t) {
    if (count == 1) return stops[0];
    t = std::min(1.0f, std::max(0.0f, t)) * float(count - 1);
    int i = std::min(count - 2, int(t));
    return mixColour(stops[i], stops[i + 1], t - float(i));
}

void blendPixel(Canvas* canvas, int x, int y, PaintColour colour, float alpha) {
    if (x < 0 || y < 0 || x >= canvas->width || y >= canvas->height) return;
    float* p = canvasAt(canvas, x, y);
    p[0] += (colour.r - p[0]) * alpha;
    p[1] += (colour.g - p[1]) * alpha;
    p[2] += (colour.b - p[2]) * alpha;
}

void addPixel(Canvas* canvas, int x, int y, PaintColour colour, float amount) {
    if (x < 0 || y < 0 || x >= canvas->width || y >= canvas->height) return;
    float* p = canvasAt(canvas, x, y);
    p[0] += colour.r * amount;
    p[1] += colour.g * amount;
    p[2] += colour.b * amount;
}

void blendPlane(Canvas* canvas, const Plane& mask, int left, int top, PaintColour colour, float opacity) {
    for (int y = 0; y < mask.height; ++y)
        for (int x = 0; x < mask.width; ++x) {
            float a = planeGet(mask, x, y) * opacity;
            if (a > 0.0f) blendPixel(canvas, left + x, top + y, colour, std::min(a, 1.0f));
        }
}

void addPlane(Canvas* canvas, const Plane& mask, int left, int top, PaintColour colour, float amount) {
    for (int y = 0; y < mask.height; ++y)
        for (int x = 0; x < mask.width; ++x) {
            float a = planeGet(mask, x, y) * amount;
            if (a > 0.0f) addPixel(canvas, left + x, top + y, colour, a);
        }
}

void blendDisc(Canvas* canvas, float cx, float cy, float radius, float softness, PaintColour colour, float alpha) {
    int x0 = int(std::floor(cx - radius - softness)), x1 = int(std::ceil(cx + radius + softness));
    int y0 = int(std::floor(cy - radius - softness)), y1 = int(std::ceil(cy + radius + softness));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            float d = std::sqrt((x + 0.5f - cx) * (x + 0.5f - cx) + (y + 0.5f - cy) * (y + 0.5f - cy));
            float edge = softness > 0.0f ? (radius + softness - d) / (2.0f * softness) : (d <= radius ? 1.0f : 0.0f);
            edge = std::min(1.0f, std::max(0.0f, edge));
            if (edge > 0.0f) blendPixel(canvas, x, y, colour, alpha * edge);
        }
}

namespace {

void boxPass(std::vector<float>* data, int count, int stride, int offset, int radius, std::vector<float>* line) {
    line->resize(size_t(count));
    for (int i = 0; i < count; ++i) (*line)[size_t(i)] = (*data)[size_t(offset + i * stride)];
    float window = 0.0f;
    auto at = [&](int i) { return (*line)[size_t(std::min(count - 1, std::max(0, i)))]; };
    for (int i = -radius; i <= radius; ++i) window += at(i);
    float scale = 1.0f / float(2 * radius + 1);
    for (int i = 0; i < count; ++i) {
        (*data)[size_t(offset + i * stride)] = window * scale;
        window += at(i + radius + 1) - at(i - radius);
    }
}

}  // namespace

void blurPlane(Plane* plane, int radius) {
    if (radius <= 0) return;
    int box = std::max(1, radius / 2);
    std::vector<float> line;
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < plane->height; ++y) boxPass(&plane->value, plane->width, 1, y * plane->width, box, &line);
        for (int x = 0; x < plane->width; ++x) boxPass(&plane->value, plane->height, plane->width, x, box, &line);
    }
}

Plane padPlane(const Plane& plane, int margin) {
    Plane out = makePlane(plane.width + 2 * margin, plane.height + 2 * margin, 0.0f);
    for (int y = 0; y < plane.height; ++y)
        for (int x = 0; x < plane.width; ++x) planeAt(&out, x + margin, y + margin) = planeGet(plane, x, y);
    return out;
}

uint8_t toByte(float v) {
    if (!(v > 0.0f)) return 0;
    if (v >= 1.0f) return 255;
    return uint8_t(std::lround(v * 255.0f));
}

Pixmap canvasToPixmap(const Canvas& canvas, int channels) {
    Pixmap out = makePixmap(canvas.width, canvas.height, channels);
    size_t n = size_t(canvas.width) * canvas.height;
    for (size_t i = 0; i < n; ++i) {
        const float* p = &canvas.rgb[i * 3];
        if (channels == 1) {
            out.pixels[i] = toByte(0.299f * p[0] + 0.587f * p[1] + 0.114f * p[2]);
            continue;
        }
        uint8_t* q = &out.pixels[i * size_t(channels)];
        q[0] = toByte(p[0]);
        q[1] = toByte(p[1]);
        q[2] = toByte(p[2]);
        if (channels == 4) q[3] = 255;
    }
    return out;
}

Pixmap planeToPixmap(const Plane& plane, int channels) {
    Pixmap out = makePixmap(plane.width, plane.height, channels);
    size_t n = size_t(plane.width) * plane.height;
    for (size_t i = 0; i < n; ++i) {
        uint8_t v = toByte(plane.value[i]);
        for (int c = 0; c < channels; ++c) out.pixels[i * size_t(channels) + size_t(c)] = c == 3 ? 255 : v;
    }
    return out;
}
