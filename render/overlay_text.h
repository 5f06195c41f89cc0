// One line of text over the picture's top-left corner in a small built-in bitmap font, for the
// player's own information (never the production's).
#pragma once
#include <cstdint>

struct RenderState;

enum { OVERLAY_GLYPH_WIDTH = 5, OVERLAY_GLYPH_HEIGHT = 7 };

// The glyph's seven rows, bit 4 the leftmost column; lower case as upper case, characters the font
// lacks as '?'.
void overlayGlyphRows(char c, uint8_t rows[OVERLAY_GLYPH_HEIGHT]);
// White text on a dark band; leaves the GL state as it found it.
void drawOverlayText(const RenderState* render, const char* text);
