// Picture file writers: 24-bit BMP, plain and run-length TGA, JPEG. Each writes exactly the layout
// the player's readers accept, and the same pixels always give the same bytes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/content/canvas.h"

typedef std::vector<uint8_t> Bytes;

// Uncompressed 24-bit BMP, bottom-up rows. The player uploads rows tightly packed, so the row
// length (3 x width) must be a multiple of 4: other widths are refused (false, error set).
// Grey pictures are written as three equal channels.
bool encodeBmp(const Pixmap& picture, Bytes* out, std::string* error);

// True-colour TGA without identification field or colour map, 24 or 32 bits (grey is expanded).
// Plain (type 2): bottom-left origin, rows bottom to top. Run-length (type 10): the player's reader
// stores the decoded pixels last to first, so these files run from the top-right corner (descriptor
// bits 4 and 5 set): a standard viewer and the player both see the picture upright. Packets never
// cross a row.
bool encodeTga(const Pixmap& picture, bool runLength, Bytes* out, std::string* error);

// Baseline JPEG through libjpeg (integer DCT, optimised Huffman tables), grey or RGB.
bool encodeJpeg(const Pixmap& picture, int quality, Bytes* out, std::string* error);

// Writes bytes to path through a temporary file and a rename, creating missing directories, so a
// failed run never leaves a half-written file for the build to mistake for a finished one.
bool writeFileBytes(const std::string& path, const Bytes& bytes, std::string* error);
