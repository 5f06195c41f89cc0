// Pictures the effects sample: colour gradients of the electric arcs, the light blob's environment,
// and the animated caustics.
#include <cmath>

#include "base/constants.h"
#include "tools/content/noise.h"
#include "tools/content/pictures.h"

namespace {

// s runs left to right, t bottom to top, as the texture coordinates that sample the picture.
template <typename Shade>
Pixmap paintBySt(const PaintJob& job, Shade shade) {
    Canvas c = makeCanvas(job.width, job.height, PaintColour{0, 0, 0});
    for (int y = 0; y < job.height; ++y)
        for (int x = 0; x < job.width; ++x) {
            double s = (x + 0.5) / job.width, t = 1.0 - (y + 0.5) / job.height;
            PaintColour col = shade(s, t);
            float* p = canvasAt(&c, x, y);
            p[0] = col.r;
            p[1] = col.g;
            p[2] = col.b;
        }
    return canvasToPixmap(c, 3);
}

}  // namespace

// Electric surfaces: deep blue through cyan to white across s, breathing in brightness along t.
bool paintColoursCool(const PaintJob& job, Pixmap* out, std::string*) {
    static const PaintColour kStops[] = {{0.1f, 0.25f, 1.0f}, {0.25f, 0.85f, 1.0f}, {0.95f, 1.0f, 1.0f},
                                    {0.3f, 0.9f, 1.0f}, {0.15f, 0.35f, 1.0f}};
    *out = paintBySt(job, [](double s, double t) {
        float light = float(0.75 + 0.25 * std::cos(2.0 * kPi * t * 2.0));
        return scaleColour(rampColour(kStops, 5, float(s)), light);
    });
    return true;
}

// Ribbons: s = 0 along the middle of the ribbon, 1 at its edges; t along its length. A bright core
// fading to teal edges, the hue wandering from teal through green to gold along the ribbon. Red
// carries the brightness for the grey variant.
bool paintColoursRibbon(const PaintJob& job, Pixmap* out, std::string*) {
    static const PaintColour kHue[] = {{0.2f, 0.9f, 0.85f}, {0.45f, 1.0f, 0.4f}, {1.0f, 0.85f, 0.35f},
                                  {0.2f, 0.9f, 0.85f}};
    *out = paintBySt(job, [](double s, double t) {
        PaintColour edge = rampColour(kHue, 4, float(t));
        float core = float(std::exp(-s * s * 4.0));
        PaintColour c = mixColour(scaleColour(edge, 0.55f), PaintColour{1.0f, 1.0f, 0.95f}, core * 0.8f);
        return c;
    });
    return true;
}

// Warm electric variant: magenta through orange to a hot white core.
bool paintColoursWarm(const PaintJob& job, Pixmap* out, std::string*) {
    static const PaintColour kStops[] = {{0.7f, 0.1f, 0.8f}, {1.0f, 0.35f, 0.3f}, {1.0f, 0.8f, 0.35f},
                                    {1.0f, 1.0f, 0.85f}, {1.0f, 0.5f, 0.2f}};
    *out = paintBySt(job, [](double s, double t) {
        float light = float(0.8 + 0.2 * std::sin(2.0 * kPi * (t + s * 0.5)));
        return scaleColour(rampColour(kStops, 5, float(s)), light);
    });
    return true;
}

// The light blob looks this picture up at 0.4 n + 0.4 (n the eye-space normal), so the disc of
// radius 0.4 round (0.4, 0.4) is a view of the surroundings by normal: the bright rippling surface
// above, blue water round the sides, dim warm sand below. Outside the disc the rim colours go on.
bool paintEnvironment(const PaintJob& job, Pixmap* out, std::string*) {
    *out = paintBySt(job, [](double s, double t) {
        double nx = (s - 0.4) / 0.4, ny = (t - 0.4) / 0.4;
        double r = std::sqrt(nx * nx + ny * ny);
        if (r > 1.0) {
            nx /= r;
            ny /= r;
        }
        double nz = std::sqrt(std::fmax(0.0, 1.0 - nx * nx - ny * ny));
        PaintColour water{0.05f, 0.3f, 0.45f}, surface{0.75f, 0.95f, 1.0f}, sand{0.25f, 0.2f, 0.12f};
        PaintColour c = ny >= 0.0 ? mixColour(water, surface, float(std::pow(ny, 1.6)))
                             : mixColour(water, sand, float(std::pow(-ny, 1.3)));
        double ripple = tileRidged(s * 0.5 + 0.25 * nx, t * 0.5, 6, 3, 0.5, 61);
        float caustic = float(std::pow(ripple, 5.0) * smoothStep(0.0, 0.8, ny));
        double sun = std::exp(-((nx - 0.15) * (nx - 0.15) + (ny - 0.8) * (ny - 0.8)) * 40.0);
        float rim = float(std::pow(1.0 - nz, 3.0)) * 0.25f;
        c.r += caustic * 0.5f + float(sun) + rim * 0.3f;
        c.g += caustic * 0.6f + float(sun) + rim * 0.6f;
        c.b += caustic * 0.6f + float(sun) + rim * 0.7f;
        return c;
    });
    return true;
}

// Caustics: bright webs of light where two drifting cell patterns meet, grey-green over a
// mid-grey floor so the layer can either multiply or add. Frame k of 16 advances every point one
// sixteenth of its circle, so frame 16 would be frame 0 again; the pattern tiles in both directions.
bool paintCaustics(const PaintJob& job, Pixmap* out, std::string*) {
    double phase = job.frame / 16.0;
    *out = paintBySt(job, [phase](double s, double t) {
        double warpS = s + 0.03 * tileFbm(s, t, 3, 3, 0.5, 71);
        double warpT = t + 0.03 * tileFbm(s, t, 3, 3, 0.5, 72);
        warpS -= std::floor(warpS);
        warpT -= std::floor(warpT);
        Voronoi a = tileVoronoi(warpS, warpT, 5, 0.25, phase, 73);
        Voronoi b = tileVoronoi(warpS, warpT, 7, 0.22, -2.0 * phase, 74);
        double webA = std::exp(-(a.second - a.nearest) * 9.0);
        double webB = std::exp(-(b.second - b.nearest) * 11.0);
        double light = 0.6 * webA + 0.5 * webB + 0.8 * webA * webB;
        float v = float(0.38 + 0.62 * std::fmin(1.0, light));
        return PaintColour{v * 0.92f, v, v * 0.97f};
    });
    return true;
}
