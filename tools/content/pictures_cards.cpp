// Pictures with lettering: the loading card, the two overlay cards and the typing font's atlas.
#include <algorithm>
#include <cmath>

#include "base/constants.h"
#include "tools/content/font_raster.h"
#include "tools/content/noise.h"
#include "tools/content/pictures.h"

namespace {

const char* const kBoldFont = "DejaVuSans-Bold.ttf";
const char* const kSansFont = "DejaVuSans.ttf";
const char* const kSerifFont = "DejaVuSerif.ttf";
const char* const kMonoFont = "DejaVuSansMono-Bold.ttf";

struct OpenFont {
    FontFace face;
    bool open;
};

bool openFont(const PaintJob& job, const char* file, OpenFont* font, std::string* error) {
    std::string path = std::string(job.fontDirectory) + "/" + file;
    font->face = FontFace{nullptr, nullptr};
    font->open = fontOpen(path.c_str(), &font->face, error);
    return font->open;
}

void closeFont(OpenFont* font) {
    if (font->open) fontClose(&font->face);
    font->open = false;
}

struct Lettering {
    const char* text;
    double size;       // pixels to the em
    double tracking;   // extra pixels between letters
    float centreX;     // horizontal centre of the line
    float baselineY;   // row of the baseline
    PaintColour top;        // fill, graded from the top of the letters
    PaintColour bottom;     //   to the baseline
    PaintColour glow;       // halo light
    int glowRadius;
    float glowAmount;
};

bool drawLettering(Canvas* canvas, FontFace* font, const Lettering& l, std::string* error) {
    TextRun run;
    if (!renderText(font, l.text, l.size, 1.0, l.tracking, l.glowRadius * 2 + 2, &run, error)) return false;
    int left = int(std::lround(l.centreX - (run.originX + run.advance * 0.5 - l.tracking * 0.5)));
    int top = int(std::lround(l.baselineY)) - run.baseline;
    if (l.glowAmount > 0.0f) {
        Plane halo = run.coverage;
        blurPlane(&halo, l.glowRadius);
        addPlane(canvas, halo, left, top, l.glow, l.glowAmount);
    }
    float capHeight = float(l.size * 0.73);
    for (int y = 0; y < run.coverage.height; ++y) {
        float t = clamp01((float(y - run.baseline) + capHeight) / capHeight);
        PaintColour fill = mixColour(l.top, l.bottom, t);
        for (int x = 0; x < run.coverage.width; ++x) {
            float a = planeGet(run.coverage, x, y);
            if (a > 0.0f) blendPixel(canvas, left + x, top + y, fill, a);
        }
    }
    return true;
}

// Open water lit from above: a vertical gradient from the surface glow down into the dark, god
// rays fanning from a point above the picture, and drifting specks.
void paintDeepWater(Canvas* c, PaintColour surface, PaintColour middle, PaintColour deep, float rayAmount, uint32_t seed) {
    int w = c->width, h = c->height;
    float sourceX = w * 0.55f, sourceY = -h * 0.35f;
    for (int y = 0; y < h; ++y) {
        float t = float(y) / float(h - 1);
        PaintColour base = t < 0.5f ? mixColour(surface, middle, t / 0.5f) : mixColour(middle, deep, (t - 0.5f) / 0.5f);
        for (int x = 0; x < w; ++x) {
            float dx = float(x) - sourceX, dy = float(y) - sourceY;
            double angle = std::atan2(dx, dy);
            double rays = tileFbm(angle * 0.5 / kPi + 0.5, 0.37, 24, 3, 0.5, seed);
            float ray = float(smoothStep(0.05, 0.6, rays)) * std::exp(-std::sqrt(dx * dx + dy * dy) / (h * 0.9f));
            float shimmer = 0.0f;
            if (t < 0.2f) {
                double r = tileRidged(double(x) / w, double(y) / h * 0.25, 8, 3, 0.5, seed + 7);
                shimmer = float(std::pow(r, 6.0)) * (1.0f - t / 0.2f) * 0.35f;
            }
            float* p = canvasAt(c, x, y);
            p[0] = base.r + (0.45f * ray * rayAmount) + shimmer * 0.6f;
            p[1] = base.g + (0.75f * ray * rayAmount) + shimmer * 0.9f;
            p[2] = base.b + (0.80f * ray * rayAmount) + shimmer;
        }
    }
    Rng rng = rngSeed(seed);
    int specks = w * h / 1800;
    for (int i = 0; i < specks; ++i) {
        float x = float(rngRange(&rng, 0, w)), y = float(rngRange(&rng, 0, h));
        float r = float(rngRange(&rng, 0.4, 1.6)) * float(w) / 1024.0f * 1.5f;
        float a = float(rngRange(&rng, 0.08, 0.4)) * (1.0f - 0.6f * y / float(h));
        blendDisc(c, x, y, r, 0.8f, PaintColour{0.75f, 0.9f, 0.95f}, a);
    }
}

// A rising column of bubbles: rings with a bright rim and a highlight.
void paintBubbles(Canvas* c, float x, float bottom, float topY, float scale, uint32_t seed) {
    Rng rng = rngSeed(seed);
    for (float y = bottom; y > topY;) {
        float r = float(rngRange(&rng, 2.0, 7.0)) * scale;
        float bx = x + float(rngRange(&rng, -6.0, 6.0)) * scale + std::sin(y * 0.03f) * 5.0f * scale;
        blendDisc(c, bx, y, r, 1.0f, PaintColour{0.5f, 0.8f, 0.9f}, 0.18f);
        for (int a = 0; a < 64; ++a) {
            float angle = float(a) * kTwoPiF / 64.0f;
            blendDisc(c, bx + std::cos(angle) * r, y + std::sin(angle) * r, 0.6f * scale, 0.6f,
                      PaintColour{0.8f, 0.95f, 1.0f}, 0.35f);
        }
        blendDisc(c, bx - r * 0.35f, y - r * 0.35f, r * 0.25f, 1.0f, PaintColour{1, 1, 1}, 0.8f);
        y -= r * 2.0f + float(rngRange(&rng, 4.0, 22.0)) * scale;
    }
}

}  // namespace

// The loading card: the production's name over open water. The player shows the upper three
// quarters and draws its loading bar at about 65 % of the height, so the lettering stays above it.
bool paintTitleCard(const PaintJob& job, Pixmap* out, std::string* error) {
    Canvas c = makeCanvas(job.width, job.height, PaintColour{0, 0, 0});
    float s = float(job.width) / 1024.0f;
    paintDeepWater(&c, PaintColour{0.09f, 0.36f, 0.46f}, PaintColour{0.02f, 0.11f, 0.2f}, PaintColour{0.0f, 0.02f, 0.05f}, 1.0f, 11);
    paintBubbles(&c, 56 * s, 760 * s, 60 * s, s, 21);
    paintBubbles(&c, 968 * s, 760 * s, 380 * s, 0.8f * s, 22);
    OpenFont bold, sans;
    bool ok = openFont(job, kBoldFont, &bold, error) && openFont(job, kSansFont, &sans, error);
    ok = ok && drawLettering(&c, &bold.face,
                             Lettering{"Velmora", 176.0 * s, 6.0 * s, job.width * 0.5f, 330 * s,
                                       PaintColour{0.96f, 1.0f, 1.0f}, PaintColour{0.55f, 0.85f, 0.9f},
                                       PaintColour{0.25f, 0.75f, 0.9f}, int(36 * s), 1.1f},
                             error);
    ok = ok && drawLettering(&c, &sans.face,
                             Lettering{"an expedition beneath the surface", 34.0 * s, 5.0 * s, job.width * 0.5f,
                                       430 * s, PaintColour{0.75f, 0.9f, 0.95f}, PaintColour{0.65f, 0.85f, 0.9f},
                                       PaintColour{0.2f, 0.6f, 0.7f}, int(10 * s), 0.5f},
                             error);
    closeFont(&bold);
    closeFont(&sans);
    if (!ok) return false;
    *out = canvasToPixmap(c, 3);
    return true;
}

// Overlay card: the deep awakens, lit red from a fissure below.
bool paintAwakening(const PaintJob& job, Pixmap* out, std::string* error) {
    int w = job.width, h = job.height;
    float s = float(w) / 512.0f;
    Canvas c = makeCanvas(w, h, PaintColour{0, 0, 0});
    float vent = h * 0.74f;  // lower edge of the visible part
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double u = double(x) / w, v = double(y) / h;
            double smoke = 0.5 + 0.5 * tileFbm(u + 0.15 * tileFbm(u, v, 2, 3, 0.5, 5), v * 0.6, 3, 5, 0.55, 31);
            float dx = (float(x) - w * 0.5f) / w, dy = (vent - float(y)) / h;
            float heat = std::exp(-(dx * dx * 9.0f + std::max(0.0f, dy) * 3.0f));
            float glow = float(heat * (0.35 + 0.9 * smoke * smoke));
            float* p = canvasAt(&c, x, y);
            p[0] = 0.02f + 0.95f * glow;
            p[1] = 0.01f + 0.32f * glow * glow;
            p[2] = 0.03f + 0.08f * glow * glow * glow;
        }
    Rng rng = rngSeed(41);
    for (int i = 0; i < 160; ++i) {
        float x = float(w * 0.5 + rngRange(&rng, -0.3, 0.3) * w), y = float(rngRange(&rng, 0.15, 0.75) * h);
        blendDisc(&c, x, y, float(rngRange(&rng, 0.5, 1.6)) * s, 0.8f, PaintColour{1.0f, 0.7f, 0.3f},
                  float(rngRange(&rng, 0.2, 0.8)));
    }
    OpenFont serif;
    bool ok = openFont(job, kSerifFont, &serif, error) &&
              drawLettering(&c, &serif.face,
                            Lettering{"THE DEEP AWAKENS", 33.0 * s, 4.0 * s, w * 0.5f, 150 * s,
                                      PaintColour{1.0f, 0.93f, 0.8f}, PaintColour{1.0f, 0.75f, 0.5f},
                                      PaintColour{0.9f, 0.3f, 0.1f}, int(14 * s), 0.9f},
                            error);
    closeFont(&serif);
    if (!ok) return false;
    *out = canvasToPixmap(c, 3);
    return true;
}

// Overlay card: the last message from the diver, a lamp fading in dark water.
bool paintLastMessage(const PaintJob& job, Pixmap* out, std::string* error) {
    int w = job.width, h = job.height;
    float s = float(w) / 512.0f;
    Canvas c = makeCanvas(w, h, PaintColour{0, 0, 0});
    paintDeepWater(&c, PaintColour{0.02f, 0.08f, 0.14f}, PaintColour{0.0f, 0.03f, 0.07f}, PaintColour{0.0f, 0.01f, 0.03f}, 0.35f, 51);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float dx = (float(x) - w * 0.5f) / w, dy = (float(y) - h * 0.3f) / h;
            float lamp = std::exp(-(dx * dx + dy * dy) * 40.0f);
            addPixel(&c, x, y, PaintColour{0.55f, 0.75f, 0.7f}, lamp * 0.6f);
        }
    OpenFont serif, sans;
    bool ok = openFont(job, kSerifFont, &serif, error) && openFont(job, kSansFont, &sans, error);
    ok = ok && drawLettering(&c, &serif.face,
                             Lettering{"please don't disappear", 34.0 * s, 2.0 * s, w * 0.5f, 168 * s,
                                       PaintColour{0.95f, 0.98f, 0.95f}, PaintColour{0.8f, 0.92f, 0.9f},
                                       PaintColour{0.3f, 0.6f, 0.6f}, int(12 * s), 0.7f},
                             error);
    ok = ok && drawLettering(&c, &sans.face,
                             Lettering{"last signal from Velmora, 4120 m", 15.0 * s, 2.0 * s, w * 0.5f, 226 * s,
                                       PaintColour{0.55f, 0.7f, 0.7f}, PaintColour{0.5f, 0.65f, 0.65f},
                                       PaintColour{0, 0, 0}, 1, 0.0f},
                             error);
    closeFont(&serif);
    closeFont(&sans);
    if (!ok) return false;
    *out = canvasToPixmap(c, 3);
    return true;
}

// The typing font: white glyphs on black, grey. Cells are drawn on screen as squares, so each
// glyph is shaped for a square and stretched to its cell; two texels round every cell stay black
// so filtering never pulls in a neighbour. Cells past '~' hold a few terminal symbols.
bool paintFontAtlas(const PaintJob& job, Pixmap* out, std::string* error) {
    static const uint32_t kExtraGlyphs[] = {0x2588, 0x2592, 0x2022, 0x2190, 0x2192, 0x2191, 0x2193, 0x00B0};
    const double cellW = double(job.width) / FONT_ATLAS_COLUMNS, cellH = double(job.height) / FONT_ATLAS_ROWS;
    const double emPart = 0.8;    // em size against the cell's height
    const double widen = 1.15;    // glyphs wider than the font draws them, to fill the square cells
    const int border = 2;
    OpenFont mono;
    if (!openFont(job, kMonoFont, &mono, error)) return false;
    double pixelSize = emPart * cellH;
    double stretch = widen * cellW / cellH;
    double ascender, descender;
    fontExtents(&mono.face, pixelSize, &ascender, &descender);
    Plane atlas = makePlane(job.width, job.height, 0.0f);
    bool ok = true;
    for (int g = 0; ok && g < FONT_ATLAS_COLUMNS * FONT_ATLAS_ROWS; ++g) {
        uint32_t code = uint32_t(FONT_ATLAS_FIRST + g);
        if (code > '~') code = kExtraGlyphs[code - '~' - 1];
        GlyphImage glyph;
        if (!renderGlyph(&mono.face, code, pixelSize, stretch, &glyph, error)) {
            ok = false;
            break;
        }
        int col = g % FONT_ATLAS_COLUMNS, row = g / FONT_ATLAS_COLUMNS;
        int x0 = int(std::ceil(col * cellW)) + border, x1 = int(std::floor((col + 1) * cellW)) - border;
        int y0 = int(std::ceil(row * cellH)) + border, y1 = int(std::floor((row + 1) * cellH)) - border;
        double penX = col * cellW + (cellW - glyph.advance) * 0.5;
        double baseline = row * cellH + (cellH - (ascender + descender)) * 0.5 + ascender;
        int left = int(std::lround(penX)) + glyph.left, top = int(std::lround(baseline)) - glyph.top;
        for (int y = 0; y < glyph.coverage.height; ++y)
            for (int x = 0; x < glyph.coverage.width; ++x) {
                int ax = left + x, ay = top + y;
                if (ax < x0 || ax >= x1 || ay < y0 || ay >= y1) continue;
                planeAt(&atlas, ax, ay) = planeGet(glyph.coverage, x, y);
            }
    }
    closeFont(&mono);
    if (!ok) return false;
    *out = planeToPixmap(atlas, 1);
    return true;
}
