// Surface textures: colour, height, normal, gloss and specular maps. Every map is a function of
// the tile coordinates (u, v in [0, 1), v down the picture, sampled at pixel centres) so maps of
// one material line up at any size; all but the fish and whale skins tile.
#include <cmath>

#include "base/constants.h"
#include "tools/content/noise.h"
#include "tools/content/pictures.h"

namespace {

typedef double (*HeightField)(double u, double v);

template <typename Shade>
Canvas paintByUv(int width, int height, Shade shade) {
    Canvas c = makeCanvas(width, height, PaintColour{0, 0, 0});
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            PaintColour col = shade((x + 0.5) / width, (y + 0.5) / height, x, y);
            float* p = canvasAt(&c, x, y);
            p[0] = col.r;
            p[1] = col.g;
            p[2] = col.b;
        }
    return c;
}

Plane sampleHeight(int width, int height, HeightField field) {
    Plane p = makePlane(width, height, 0.0f);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) planeAt(&p, x, y) = float(clamp01(field((x + 0.5) / width, (y + 0.5) / height)));
    return p;
}

// Tangent-space normals from a tiling height map, OpenGL convention: red along +s (right), green
// along +t (up the picture), blue out of the surface; each stored as n * 0.5 + 0.5. `strength` is
// the height change across the whole tile that tilts the normal by 45 degrees.
Pixmap normalsFromHeight(const Plane& height, double strength) {
    Canvas c = makeCanvas(height.width, height.height, PaintColour{0, 0, 0});
    for (int y = 0; y < height.height; ++y)
        for (int x = 0; x < height.width; ++x) {
            double ds = (planeWrapped(height, x + 1, y) - planeWrapped(height, x - 1, y)) * 0.5 * height.width;
            double dt = (planeWrapped(height, x, y - 1) - planeWrapped(height, x, y + 1)) * 0.5 * height.height;
            double nx = -ds * strength, ny = -dt * strength, nz = 1.0;
            double len = std::sqrt(nx * nx + ny * ny + nz * nz);
            float* p = canvasAt(&c, x, y);
            p[0] = float(nx / len * 0.5 + 0.5);
            p[1] = float(ny / len * 0.5 + 0.5);
            p[2] = float(nz / len * 0.5 + 0.5);
        }
    return canvasToPixmap(c, 3);
}

double grain(int x, int y, uint32_t seed) { return hashUnit(x, y, 0, seed) - 0.5; }

// --- Sand: wind-less ripples of a current, with fine grain.
double sandHeight(double u, double v) {
    double warp = 0.9 * tileFbm(u, v, 3, 4, 0.5, 101);
    double phase = 7.0 * u + 2.0 * v + warp;
    double f = phase - std::floor(phase);
    double ripple = f < 0.7 ? f / 0.7 : (1.0 - f) / 0.3;  // gentle stoss side, steep lee side
    ripple = ripple * ripple * (3.0 - 2.0 * ripple);
    return 0.15 + 0.5 * ripple + 0.35 * (0.5 + 0.5 * tileFbm(u, v, 8, 4, 0.5, 102));
}

// --- Rock: rounded lumps cut by cracks.
double rockHeight(double u, double v) {
    double lumps = 0.5 + 0.5 * tileFbm(u, v, 4, 6, 0.55, 201);
    double cracks = tileRidged(u, v, 5, 3, 0.45, 202);
    return clamp01(0.75 * lumps + 0.35 * (1.0 - std::pow(cracks, 8.0)) - 0.1);
}

// --- Metal: hull plates, 4 x 4 to the tile, with seams, rows of rivets and rust.
struct PlateSample {
    double seam;   // 1 on a seam, 0 away from it
    double rivet;  // dome height of a rivet, 0 outside
    double rust;   // 0 bare paint, 1 rust
};

PlateSample metalSample(double u, double v) {
    const int plates = 4;
    double pu = u * plates, pv = v * plates;
    double fu = pu - std::floor(pu), fv = pv - std::floor(pv);
    double edge = std::fmin(std::fmin(fu, 1.0 - fu), std::fmin(fv, 1.0 - fv));
    PlateSample s{1.0 - smoothStep(0.0, 0.012, edge), 0.0, 0.0};
    // Rivets a little inside each plate edge, eight per edge.
    const double inset = 0.05, radius = 0.022;
    double du = std::fmin(std::fabs(fu - inset), std::fabs(fu - (1.0 - inset)));
    double dv = std::fmin(std::fabs(fv - inset), std::fabs(fv - (1.0 - inset)));
    double along = 8.0;
    double ru = std::fabs((fv * along - std::floor(fv * along)) - 0.5) / along;
    double rv = std::fabs((fu * along - std::floor(fu * along)) - 0.5) / along;
    double d = std::fmin(std::sqrt(du * du + ru * ru), std::sqrt(dv * dv + rv * rv));
    if (d < radius) s.rivet = std::sqrt(1.0 - (d / radius) * (d / radius));
    // Rust: patches, and streaks running down from the rivet rows.
    double patches = smoothStep(0.6, 0.72, 0.5 + 0.5 * tileFbm(u, v, 3, 5, 0.6, 301));
    // Long thin streaks: many cells across, few down.
    double streakNoise = 0.5 + 0.35 * tileNoise(u * 32.0, v * 4.0, 32, 4, 302) +
                         0.15 * tileNoise(u * 64.0, v * 8.0, 64, 8, 304);
    double belowRow = fv > inset ? std::exp(-(fv - inset) * 6.0) : 0.0;
    double streaks = smoothStep(0.55, 0.8, streakNoise) * belowRow;
    s.rust = clamp01(patches + streaks) * (1.0 - s.seam * 0.5);
    return s;
}

double metalHeight(double u, double v) {
    PlateSample s = metalSample(u, v);
    double pitting = 0.5 + 0.5 * tileFbm(u, v, 32, 2, 0.5, 303);
    return 0.6 - 0.5 * s.seam + 0.35 * s.rivet - 0.06 * s.rust * pitting;
}

// --- Fish: u runs from the head (0) to the tail (1); v from the back (0, top) to the belly (1).
struct ScaleSample {
    double edge;   // 1 at a scale's rim
    double shade;  // 0 to 1 across a scale, lighter at its free edge
};

ScaleSample fishScale(double u, double v) {
    const double across = 24.0, down = 16.0;
    double row = v * down;
    int r = int(std::floor(row));
    double shift = (r % 2) ? 0.5 : 0.0;
    double col = u * across + shift;
    double fu = col - std::floor(col), fv = row - r;
    // Scales overlap towards the tail: the rim is an arc open to the head.
    double dx = fu - 0.15, dy = fv - 0.5;
    double d = std::sqrt(dx * dx * 1.2 + dy * dy);
    return ScaleSample{smoothStep(0.42, 0.5, d) + smoothStep(0.1, 0.0, fu), clamp01(fu)};
}

}  // namespace

bool paintSandColour(const PaintJob& job, Pixmap* out, std::string*) {
    Canvas c = paintByUv(job.width, job.height, [](double u, double v, int x, int y) {
        double h = sandHeight(u, v);
        PaintColour dark{0.55f, 0.5f, 0.38f}, light{0.86f, 0.8f, 0.62f};
        PaintColour col = mixColour(dark, light, float(h));
        double g = grain(x, y, 111) * 0.12 + grain(x / 2, y / 2, 112) * 0.08;
        double speck = hashUnit(x / 4, y / 4, 0, 113);
        if (speck > 0.996) col = PaintColour{0.25f, 0.22f, 0.2f};        // dark pebble grit
        else if (speck < 0.004) col = PaintColour{0.95f, 0.93f, 0.88f};  // shell fragment
        return PaintColour{col.r + float(g), col.g + float(g), col.b + float(g) * 0.8f};
    });
    *out = canvasToPixmap(c, 3);
    return true;
}

bool paintSandHeight(const PaintJob& job, Pixmap* out, std::string*) {
    *out = planeToPixmap(sampleHeight(job.width, job.height, sandHeight), 3);
    return true;
}

bool paintSandNormal(const PaintJob& job, Pixmap* out, std::string*) {
    *out = normalsFromHeight(sampleHeight(job.width, job.height, sandHeight), 0.02);
    return true;
}

bool paintRockColour(const PaintJob& job, Pixmap* out, std::string*) {
    Canvas c = paintByUv(job.width, job.height, [](double u, double v, int x, int y) {
        double h = rockHeight(u, v);
        static const PaintColour kRamp[] = {{0.08f, 0.07f, 0.07f}, {0.3f, 0.27f, 0.24f}, {0.48f, 0.45f, 0.4f},
                                       {0.62f, 0.6f, 0.55f}};
        PaintColour col = rampColour(kRamp, 4, float(h));
        double mineral = 0.5 + 0.5 * tileFbm(u, v, 6, 4, 0.5, 211);
        col = mixColour(col, PaintColour{0.5f, 0.36f, 0.26f}, float(smoothStep(0.55, 0.8, mineral)) * 0.5f);
        double algae = smoothStep(0.5, 0.7, 0.5 + 0.5 * tileFbm(u, v, 3, 4, 0.5, 212)) * smoothStep(0.45, 0.7, h);
        col = mixColour(col, PaintColour{0.2f, 0.35f, 0.18f}, float(algae) * 0.7f);
        double g = grain(x, y, 213) * 0.08;
        return PaintColour{col.r + float(g), col.g + float(g), col.b + float(g)};
    });
    *out = canvasToPixmap(c, 3);
    return true;
}

bool paintRockHeight(const PaintJob& job, Pixmap* out, std::string*) {
    *out = planeToPixmap(sampleHeight(job.width, job.height, rockHeight), 3);
    return true;
}

bool paintRockNormal(const PaintJob& job, Pixmap* out, std::string*) {
    *out = normalsFromHeight(sampleHeight(job.width, job.height, rockHeight), 0.03);
    return true;
}

bool paintMetalColour(const PaintJob& job, Pixmap* out, std::string*) {
    Canvas c = paintByUv(job.width, job.height, [](double u, double v, int x, int y) {
        PlateSample s = metalSample(u, v);
        double wear = 0.5 + 0.5 * tileFbm(u, v, 8, 4, 0.5, 311);
        PaintColour paint = mixColour(PaintColour{0.2f, 0.26f, 0.25f}, PaintColour{0.33f, 0.38f, 0.36f}, float(wear));
        PaintColour rust = mixColour(PaintColour{0.3f, 0.13f, 0.06f}, PaintColour{0.58f, 0.3f, 0.12f}, float(wear));
        PaintColour col = mixColour(paint, rust, float(s.rust));
        col = scaleColour(col, float(1.0 - 0.6 * s.seam + 0.25 * s.rivet));
        double g = grain(x, y, 312) * 0.05;
        return PaintColour{col.r + float(g), col.g + float(g), col.b + float(g)};
    });
    *out = canvasToPixmap(c, 3);
    return true;
}

bool paintMetalNormal(const PaintJob& job, Pixmap* out, std::string*) {
    *out = normalsFromHeight(sampleHeight(job.width, job.height, metalHeight), 0.01);
    return true;
}

// Gloss in a few flat levels (paint, worn rust, seams): the map compresses well as run-length TGA.
bool paintMetalGloss(const PaintJob& job, Pixmap* out, std::string*) {
    Canvas c = paintByUv(job.width, job.height, [](double u, double v, int, int) {
        PlateSample s = metalSample(u, v);
        float g = s.seam > 0.5 ? 0.08f : (s.rust > 0.5 ? 0.04f : (s.rivet > 0.0 ? 0.5f : 0.3f));
        return PaintColour{g, g, g};
    });
    *out = canvasToPixmap(c, 3);
    return true;
}

bool paintMetalSpecular(const PaintJob& job, Pixmap* out, std::string*) {
    Canvas c = paintByUv(job.width, job.height, [](double u, double v, int, int) {
        PlateSample s = metalSample(u, v);
        PaintColour bare{0.55f, 0.58f, 0.6f}, rust{0.08f, 0.05f, 0.03f};
        return scaleColour(mixColour(bare, rust, float(s.rust)), float(1.0 - 0.7 * s.seam));
    });
    *out = canvasToPixmap(c, 3);
    return true;
}

bool paintFishSkin(const PaintJob& job, Pixmap* out, std::string*) {
    Canvas c = paintByUv(job.width, job.height, [](double u, double v, int x, int y) {
        static const PaintColour kBody[] = {{0.08f, 0.22f, 0.32f}, {0.2f, 0.42f, 0.5f}, {0.7f, 0.78f, 0.8f},
                                       {0.92f, 0.93f, 0.9f}};
        PaintColour col = rampColour(kBody, 4, float(v));
        // Wavy dark bars on the back, a thin lateral line, a yellow tail.
        double bars = std::sin(kTwoPi * (9.0 * u + 0.6 * std::sin(kTwoPi * 3.0 * v)));
        if (v < 0.4) col = scaleColour(col, float(1.0 - 0.35 * smoothStep(0.3, 0.9, bars) * (1.0 - v / 0.4)));
        double lateral = std::exp(-std::pow((v - 0.52 - 0.02 * std::sin(kTwoPi * u * 2.0)) / 0.012, 2.0));
        col = mixColour(col, PaintColour{0.15f, 0.2f, 0.25f}, float(lateral) * 0.6f);
        col = mixColour(col, PaintColour{0.95f, 0.8f, 0.3f}, float(smoothStep(0.85, 1.0, u)) * 0.7f);
        ScaleSample s = fishScale(u, v);
        col = scaleColour(col, float(0.85 + 0.2 * s.shade - 0.2 * clamp01(s.edge)));
        double g = grain(x, y, 411) * 0.04;
        return PaintColour{col.r + float(g), col.g + float(g), col.b + float(g)};
    });
    *out = canvasToPixmap(c, 3);
    return true;
}

bool paintFishGloss(const PaintJob& job, Pixmap* out, std::string*) {
    Canvas c = paintByUv(job.width, job.height, [](double u, double v, int, int) {
        ScaleSample s = fishScale(u, v);
        float g = float(0.25 + 0.3 * v + 0.15 * s.shade - 0.15 * clamp01(s.edge));
        return PaintColour{g, g, g};
    });
    *out = canvasToPixmap(c, 3);
    return true;
}

// Whale: u along the body, v from the back (0) to the belly (1): slate back with pale mottling
// and barnacle clusters, a grooved pale throat.
bool paintWhaleSkin(const PaintJob& job, Pixmap* out, std::string*) {
    Canvas c = paintByUv(job.width, job.height, [](double u, double v, int x, int y) {
        PaintColour back{0.14f, 0.16f, 0.2f}, belly{0.62f, 0.62f, 0.6f};
        PaintColour col = mixColour(back, belly, float(smoothStep(0.6, 0.85, v)));
        double mottle = 0.5 + 0.5 * tileFbm(u, v, 6, 5, 0.55, 501);
        col = mixColour(col, PaintColour{0.42f, 0.44f, 0.46f}, float(smoothStep(0.62, 0.8, mottle)) * 0.6f);
        if (v > 0.7) {
            double groove = 0.5 + 0.5 * std::cos(kTwoPi * v * 40.0);
            col = scaleColour(col, float(1.0 - 0.25 * groove * smoothStep(0.7, 0.8, v)));
        }
        double barnacle = hashUnit(x / 2, y / 2, 0, 502) *
                          smoothStep(0.6, 0.75, 0.5 + 0.5 * tileFbm(u, v, 5, 3, 0.5, 503));
        if (barnacle > 0.55) col = PaintColour{0.75f, 0.73f, 0.68f};
        double g = grain(x, y, 504) * 0.04;
        return PaintColour{col.r + float(g), col.g + float(g), col.b + float(g)};
    });
    *out = canvasToPixmap(c, 3);
    return true;
}

// Glass opacity (red channel): clear in the middle, frosted towards the rims, with streaks of
// scale running down the pane.
bool paintGlassAlpha(const PaintJob& job, Pixmap* out, std::string*) {
    Canvas c = paintByUv(job.width, job.height, [](double u, double v, int x, int y) {
        double rim = std::fmax(std::fabs(u - 0.5), std::fabs(v - 0.5)) * 2.0;
        double streak = 0.5 + 0.5 * tileFbm(u * 4.0, v * 0.5, 4, 3, 0.5, 601);
        float a = float(clamp01(0.25 + 0.5 * smoothStep(0.7, 1.0, rim) + 0.2 * smoothStep(0.6, 0.9, streak) +
                                grain(x, y, 602) * 0.05));
        return PaintColour{a, a, a};
    });
    *out = canvasToPixmap(c, 3);
    return true;
}

// A lamp's luminosity (red channel): a bright filament band fading to the cap.
bool paintLampGlow(const PaintJob& job, Pixmap* out, std::string*) {
    Canvas c = paintByUv(job.width, job.height, [](double u, double v, int, int) {
        double band = std::exp(-std::pow((v - 0.5) * 6.0, 2.0));
        double coil = 0.5 + 0.5 * std::cos(kTwoPi * u * 12.0);
        float g = float(clamp01(0.2 + 0.7 * band + 0.1 * band * coil));
        return PaintColour{g, g * 0.9f, g * 0.7f};
    });
    *out = canvasToPixmap(c, 3);
    return true;
}
