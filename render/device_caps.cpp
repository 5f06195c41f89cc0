#include "render/device_caps.h"

DeviceCaps* deviceCaps() {
    static DeviceCaps caps;
    return &caps;
}

namespace {

const char* const kLabels[EXTENSION_COUNT] = {
    "ARB_multitexture",
    "ARB_multisample",
    "ARB_texture_border_clamp",
    "ARB_texture_compression",
    "ARB_transpose_matrix",
    "ARB_vertex_program",
    "ARB_fragment_program",
    "ARB_vertex_buffer_object",
    "ARB_texture_cube_map",
    "EXT_bgra",
    "EXT_blend_func_separate",
    "EXT_texture_filter_anisotropic",
    "EXT_texture3D",
    "EXT_texture_edge_clamp",
    "SGIS_generate_mipmap",
    "WGL_ARB_extensions_string",
    "WGL_ARB_pixel_format",
    "WGL_ARB_render_texture",
    "WGL_ARB_pbuffer",
    "WGL_ARB_multisample",
    "NV_fragment_program",
};

}  // namespace

bool meetsStartRequirement(const DeviceCaps* caps) {
    for (int i = 0; i < REQUIRED_EXTENSION_COUNT; ++i)
        if (caps->states[i] == EXTENSION_MISSING) return false;
    return true;
}

const char* extensionLabel(int index) {
    return index >= 0 && index < EXTENSION_COUNT ? kLabels[index] : "";
}

const char* extensionStateText(uint8_t state) {
    switch (state) {
        case EXTENSION_FOUND: return "FOUND";
        case EXTENSION_NOT_REQUIRED: return "NOT_REQUIRED";
        default: return "NOT_FOUND";
    }
}

int printDiagnostics(const DeviceCaps* caps, FILE* out) {
    std::fprintf(out, "Renderer: %s\nVendor: %s\nGL Version: %s\n\n", caps->renderer, caps->vendor,
                 caps->version);
    // The rows of the diagnostics window, with its gap between the GL and the WGL rows.
    for (int i = 0; i < REQUIRED_EXTENSION_COUNT; ++i) {
        if (i == EXT_WGL_ARB_EXTENSIONS_STRING) std::fputc('\n', out);
        std::fprintf(out, "%-32s %s\n", kLabels[i], extensionStateText(caps->states[i]));
    }
    bool met = meetsStartRequirement(caps);
    std::fprintf(out, "\n%s\n",
                 met ? "The graphics device meets the requirements."
                     : "Sorry but your graphics does not meet the requirements!");
    return met ? 0 : 1;
}
