// What the graphics device offers: driver strings, the extension states and the device limits.
#pragma once
#include <cstdint>
#include <cstdio>

struct Settings;

enum { EXTENSION_COUNT = 21, DRIVER_STRING_LENGTH = 256 };

enum ExtensionState : uint8_t {
    EXTENSION_MISSING = 0,       // not found, and needed to start
    EXTENSION_NOT_REQUIRED = 1,  // not found, not needed to start
    EXTENSION_FOUND = 2,         // found, with all its entry points
};

// Indices into DeviceCaps::states; 0..19 make up the start requirement.
enum ExtensionIndex {
    EXT_ARB_MULTITEXTURE = 0,
    EXT_ARB_MULTISAMPLE = 1,
    EXT_ARB_TEXTURE_BORDER_CLAMP = 2,
    EXT_ARB_TEXTURE_COMPRESSION = 3,
    EXT_ARB_TRANSPOSE_MATRIX = 4,
    EXT_ARB_VERTEX_PROGRAM = 5,
    EXT_ARB_FRAGMENT_PROGRAM = 6,
    EXT_ARB_VERTEX_BUFFER_OBJECT = 7,
    EXT_ARB_TEXTURE_CUBE_MAP = 8,
    EXT_EXT_BGRA = 9,
    EXT_EXT_BLEND_FUNC_SEPARATE = 10,
    EXT_EXT_TEXTURE_FILTER_ANISOTROPIC = 11,
    EXT_EXT_TEXTURE3D = 12,
    EXT_EXT_TEXTURE_EDGE_CLAMP = 13,
    EXT_SGIS_GENERATE_MIPMAP = 14,
    EXT_WGL_ARB_EXTENSIONS_STRING = 15,
    EXT_WGL_ARB_PIXEL_FORMAT = 16,
    EXT_WGL_ARB_RENDER_TEXTURE = 17,
    EXT_WGL_ARB_PBUFFER = 18,
    EXT_WGL_ARB_MULTISAMPLE = 19,
    EXT_NV_FRAGMENT_PROGRAM = 20,
    REQUIRED_EXTENSION_COUNT = 20,
};

struct DeviceCaps {
    uint8_t states[EXTENSION_COUNT];  // ExtensionState by ExtensionIndex
    char renderer[DRIVER_STRING_LENGTH];
    char vendor[DRIVER_STRING_LENGTH];
    char version[DRIVER_STRING_LENGTH];
    char* glExtensions;            // taken at the first GL extension query; null before
    char* windowSystemExtensions;  // the window system's string (GLX on X11); null until found
};

// The process's one record.
DeviceCaps* deviceCaps();

// Sets the initial states (all missing, render texture and pbuffer not required), forgets the
// extension strings and copies the current context's driver strings.
void probeDriverStrings(DeviceCaps* caps);
// Probes one GL extension of the current context: 1 when found with every entry point, else 0.
int probeGlExtension(const char* name, DeviceCaps* caps);
// Probes one window-system extension by its WGL name, answered by this platform's stand-in.
int probeWglExtension(const char* name, DeviceCaps* caps);
// The whole probe of the current context in its fixed order, then maxAnisotropy and maxTextureUnits;
// on a software renderer the compressed texture mode becomes the plain one.
void probeDeviceCaps(DeviceCaps* caps, Settings* settings);

// True when the driver draws on the CPU (Mesa's llvmpipe, softpipe or swrast). Their anisotropic
// filter is not bounded the way a GPU's is: on a mipmapped picture four times taller than wide, seen
// small, llvmpipe takes most of a minute for one 160 x 120 frame.
bool softwareRenderer(const DeviceCaps* caps);
// True when states 0..19 are all non-zero.
bool meetsStartRequirement(const DeviceCaps* caps);
// The label of an extension's row in the diagnostics ("ARB_multitexture", "WGL_ARB_pbuffer", ...).
const char* extensionLabel(int index);
// "FOUND", "NOT_REQUIRED" or "NOT_FOUND".
const char* extensionStateText(uint8_t state);
// The driver strings and one row per extension of the diagnostics window; returns the exit code of
// `velmora --diagnostics`: 0 when the start requirement is met, else 1.
int printDiagnostics(const DeviceCaps* caps, FILE* out);
