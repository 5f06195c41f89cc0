#include "tools/content/font_raster.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

namespace {

FT_Face faceOf(FontFace* font) { return static_cast<FT_Face>(font->face); }

bool setSize(FontFace* font, double pixelSize, std::string* error) {
    if (FT_Set_Char_Size(faceOf(font), 0, FT_F26Dot6(std::lround(pixelSize * 64.0)), 72, 72)) {
        *error = "font cannot be scaled";
        return false;
    }
    return true;
}

// Loads and renders one glyph with the pen's fractional offset applied.
bool loadGlyph(FontFace* font, uint32_t codepoint, double stretch, double penFraction, std::string* error) {
    FT_Face face = faceOf(font);
    FT_Matrix matrix{FT_Fixed(std::lround(stretch * 65536.0)), 0, 0, 0x10000};
    FT_Vector delta{FT_Pos(std::lround(penFraction * 64.0)), 0};
    FT_Set_Transform(face, &matrix, &delta);
    FT_UInt index = FT_Get_Char_Index(face, codepoint);
    if (index == 0 && codepoint != ' ') {
        *error = "font has no glyph for code point " + std::to_string(codepoint);
        return false;
    }
    if (FT_Load_Glyph(face, index, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) ||
        FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL)) {
        *error = "font cannot render code point " + std::to_string(codepoint);
        return false;
    }
    return true;
}

Plane bitmapPlane(const FT_Bitmap& bitmap) {
    Plane p = makePlane(int(bitmap.width), int(bitmap.rows), 0.0f);
    for (int y = 0; y < int(bitmap.rows); ++y)
        for (int x = 0; x < int(bitmap.width); ++x)
            planeAt(&p, x, y) = float(bitmap.buffer[y * bitmap.pitch + x]) / 255.0f;
    return p;
}

}  // namespace

bool fontOpen(const char* path, FontFace* font, std::string* error) {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&library)) {
        *error = "FreeType cannot start";
        return false;
    }
    if (FT_New_Face(library, path, 0, &face)) {
        FT_Done_FreeType(library);
        *error = std::string("cannot open font ") + path;
        return false;
    }
    font->library = library;
    font->face = face;
    return true;
}

void fontClose(FontFace* font) {
    if (font->face) FT_Done_Face(faceOf(font));
    if (font->library) FT_Done_FreeType(static_cast<FT_Library>(font->library));
    font->face = nullptr;
    font->library = nullptr;
}

void fontExtents(FontFace* font, double pixelSize, double* ascender, double* descender) {
    FT_Face face = faceOf(font);
    *ascender = pixelSize * face->ascender / face->units_per_EM;
    *descender = -pixelSize * face->descender / face->units_per_EM;
}

bool renderGlyph(FontFace* font, uint32_t codepoint, double pixelSize, double stretch, GlyphImage* out,
                 std::string* error) {
    if (!setSize(font, pixelSize, error) || !loadGlyph(font, codepoint, stretch, 0.0, error)) return false;
    FT_GlyphSlot slot = faceOf(font)->glyph;
    out->coverage = bitmapPlane(slot->bitmap);
    out->left = slot->bitmap_left;
    out->top = slot->bitmap_top;
    out->advance = slot->advance.x / 64.0;
    return true;
}

bool renderText(FontFace* font, const char* text, double pixelSize, double stretch, double tracking, int margin,
                TextRun* out, std::string* error) {
    if (!setSize(font, pixelSize, error)) return false;
    FT_Face face = faceOf(font);
    struct Placed {
        Plane coverage;
        int x;
        int y;  // top row, relative to the baseline (down positive)
    };
    std::vector<Placed> placed;
    double pen = 0.0;
    FT_UInt previous = 0;
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c; ++c) {
        FT_UInt index = FT_Get_Char_Index(face, *c);
        if (previous && index && FT_HAS_KERNING(face)) {
            FT_Vector kern;
            if (!FT_Get_Kerning(face, previous, index, FT_KERNING_UNFITTED, &kern)) pen += stretch * kern.x / 64.0;
        }
        double whole = std::floor(pen);
        if (!loadGlyph(font, *c, stretch, pen - whole, error)) return false;
        FT_GlyphSlot slot = face->glyph;
        placed.push_back(Placed{bitmapPlane(slot->bitmap), int(whole) + slot->bitmap_left, -slot->bitmap_top});
        pen += slot->advance.x / 64.0 + tracking;
        previous = index;
    }
    int minX = 0, maxX = 1, minY = 0, maxY = 1;
    for (const Placed& p : placed) {
        if (p.coverage.width == 0) continue;
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x + p.coverage.width);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y + p.coverage.height);
    }
    out->coverage = makePlane(maxX - minX + 2 * margin, maxY - minY + 2 * margin, 0.0f);
    out->baseline = margin - minY;
    out->originX = margin - minX;
    out->advance = pen;
    for (const Placed& p : placed)
        for (int y = 0; y < p.coverage.height; ++y)
            for (int x = 0; x < p.coverage.width; ++x) {
                float& dst = planeAt(&out->coverage, p.x - minX + margin + x, p.y - minY + margin + y);
                dst = std::min(1.0f, dst + planeGet(p.coverage, x, y));
            }
    return true;
}
