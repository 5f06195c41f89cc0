// Pictures under construction (floating-point colour) and finished pictures (bytes).
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct PaintColour {
    float r, g, b;
};

// Painting surface: RGB floats in [0, 1] (clamped when converted), top row first.
struct Canvas {
    int width;
    int height;
    std::vector<float> rgb;
};

// A single-channel map: coverage of text, heights, masks. Top row first.
struct Plane {
    int width;
    int height;
    std::vector<float> value;
};

// Finished picture: 1 (grey), 3 (RGB) or 4 (RGBA) bytes per pixel, top row first, rows packed.
struct Pixmap {
    int width;
    int height;
    int channels;
    std::vector<uint8_t> pixels;
};

Canvas makeCanvas(int width, int height, PaintColour fill);
Plane makePlane(int width, int height, float fill);
Pixmap makePixmap(int width, int height, int channels);

inline float* canvasAt(Canvas* canvas, int x, int y) { return &canvas->rgb[(size_t(y) * canvas->width + x) * 3]; }
inline float& planeAt(Plane* plane, int x, int y) { return plane->value[size_t(y) * plane->width + x]; }
inline float planeGet(const Plane& plane, int x, int y) { return plane.value[size_t(y) * plane.width + x]; }
// With wrap-around, for tiling maps.
float planeWrapped(const Plane& plane, int x, int y);
// Bilinear, outside the plane 0.
float planeSample(const Plane& plane, float x, float y);

PaintColour mixColour(PaintColour a, PaintColour b, float t);
PaintColour scaleColour(PaintColour c, float s);
// Colour ramp through `count` stops spread evenly over [0, 1].
PaintColour rampColour(const PaintColour* stops, int count, float t);

// Blends colour over the canvas pixel with weight alpha (0 leaves it, 1 replaces it).
void blendPixel(Canvas* canvas, int x, int y, PaintColour colour, float alpha);
// Adds light: pixel += colour * amount.
void addPixel(Canvas* canvas, int x, int y, PaintColour colour, float amount);
// Paints a plane's values as alpha of a flat colour, with its top-left corner at (left, top).
void blendPlane(Canvas* canvas, const Plane& mask, int left, int top, PaintColour colour, float opacity);
// Adds a plane's values times colour, as light.
void addPlane(Canvas* canvas, const Plane& mask, int left, int top, PaintColour colour, float amount);
// A soft disc of light or paint, radius in pixels, edge softness in pixels.
void blendDisc(Canvas* canvas, float cx, float cy, float radius, float softness, PaintColour colour, float alpha);

// Three box passes: close to a Gaussian of the given radius. Edges are clamped.
void blurPlane(Plane* plane, int radius);
// The plane grown by `margin` pixels on every side (for blur and glow room).
Plane padPlane(const Plane& plane, int margin);

// Rounds to bytes, clamping to [0, 1]; an RGB canvas to 3 channels, or to grey (1) through luminance.
Pixmap canvasToPixmap(const Canvas& canvas, int channels);
// A plane as grey in 1 or 3 channels.
Pixmap planeToPixmap(const Plane& plane, int channels);
uint8_t toByte(float v);
