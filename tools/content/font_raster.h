// Text drawn from TrueType fonts through FreeType, as coverage planes to paint with.
#pragma once
#include <cstdint>
#include <string>

#include "tools/content/canvas.h"

struct FontFace {
    void* library;  // FT_Library
    void* face;     // FT_Face
};

bool fontOpen(const char* path, FontFace* font, std::string* error);
void fontClose(FontFace* font);

// One line of text (bytes taken as Latin-1 code points) at pixelSize pixels to the em, widened by
// stretch, with tracking extra pixels between letters and kerning from the font. The plane holds the
// ink with `margin` empty pixels on every side; baseline is the row of the baseline in it, and
// originX the column of the pen's start.
struct TextRun {
    Plane coverage;
    int baseline;
    int originX;
    double advance;  // pen travel in pixels
};
bool renderText(FontFace* font, const char* text, double pixelSize, double stretch, double tracking, int margin,
                TextRun* out, std::string* error);

// One glyph by code point: coverage, and where its top-left corner lies against the pen origin on
// the baseline (left to the right, top above). False when the font has no such glyph.
struct GlyphImage {
    Plane coverage;
    int left;
    int top;
    double advance;
};
bool renderGlyph(FontFace* font, uint32_t codepoint, double pixelSize, double stretch, GlyphImage* out,
                 std::string* error);
// The font's ascender and descender (positive, below the baseline) in pixels at pixelSize.
void fontExtents(FontFace* font, double pixelSize, double* ascender, double* descender);
