// The clip script: pictures, envelopes and timed 2D overlays over the finished frame.
#pragma once
#include <cstdint>

#include "data/package.h"
#include "data/texture.h"
#include "scene/envelope.h"

struct RenderState;

enum {
    CLIP_TEXTURES = 16,
    CLIP_ENVELOPES = 64,
    CLIP_OVERLAYS = 128,
    CLIP_ENVELOPE_NAME = 64,  // with its NUL
    CLIP_TEXTURE_NAME = 128,  // with its NUL: the size of a texture's path
    CLIP_WORD = 256,
};

struct ClipOverlay {
    float x, y;  // lower-left corner; the view is 0..1 both ways, origin lower left
    float width, height;
    float uLeft, vTop, uRight, vBottom;  // v measured from the top of the picture
    const Envelope* moveX;
    const Envelope* moveY;
    const Envelope* alpha;
    const Envelope* scale;
    int32_t start, end;  // demo ms, both included
    int32_t electro;     // 0 plain, 1 electric glow
    const TextureImage* texture;
    const TextureImage* mask;
};

struct ClipScript {
    // After loading each entry's path holds its script name; textureFiles the file it came from.
    TextureImage textures[CLIP_TEXTURES];
    char textureFiles[CLIP_TEXTURES][CLIP_WORD];
    int32_t textureCount;
    Envelope envelopes[CLIP_ENVELOPES];
    char envelopeNames[CLIP_ENVELOPES][CLIP_ENVELOPE_NAME];
    int32_t envelopeCount;
    ClipOverlay overlays[CLIP_OVERLAYS];
    int32_t overlayCount;
    uint32_t volume;
    uint32_t overlayProgram;
    uint32_t maskedOverlayProgram;
    uint32_t electroOverlayProgram;
    uint32_t electroGlowProgram;  // the electric glow alone, for overlays without a mask
};

// The process's one script.
ClipScript* clipScript();

// Parses the script from the file's cursor: textures are named (not loaded), envelope files are read.
// Entries past a table's capacity, and names too long to keep, are warned about and not stored; the
// statements after them are still read. Reading stops at "end" or at the end of the file.
void parseClipScript(DemoFile file, const char* path, ClipScript* script);

// Parses the script, loads its pictures, builds the overlay programs and the turbulence volume.
void readClipScript(const char* path, RenderState* render);

// Corners of an overlay's quads: screen position, picture coordinates, turbulence (x, y, time) and
// glow shape (two quads for the electric form).
struct ClipVertex {
    float position[2];
    float picture[2];
    float turbulence[3];
    float glow[2];
};
enum { CLIP_QUAD_VERTICES = 8 };

bool clipOverlayActive(const ClipOverlay* overlay, int32_t demoTime);
// The overlay's corners at demoTime and its alpha; returns 4 (plain) or 8 (electric) vertices.
int clipOverlayVertices(const ClipOverlay* overlay, int32_t demoTime, ClipVertex* out, float* alpha);

void drawClipOverlays(RenderState* render, int32_t demoTime);
