// The extension probe: states, strings and entry points of the current GL context.
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "render/device_caps.h"
#include "render/device_entry_points.h"
#include "render/render_state.h"

GlEntryPoints* glEntryPoints() {
    static GlEntryPoints table;
    return &table;
}

namespace {

struct EntryPoint {
    const char* name;  // without the suffix
    void* slot;        // the table field that receives it
};

#define ENTRY(field) EntryPoint{#field, &glEntryPoints()->field}

// Fetches in order and stops at the first name the driver does not have.
bool fetchEntryPoints(const EntryPoint* list, int count, const char* suffix = "") {
    for (int i = 0; i < count; ++i) {
        std::string name = std::string(list[i].name) + suffix;
        void* address = platformFindEntryPoint(name.c_str());
        if (!address) return false;
        std::memcpy(list[i].slot, &address, sizeof address);
    }
    return true;
}

// The count comes from the list itself.
template <int N>
bool fetchEntryPoints(const EntryPoint (&list)[N]) {
    return fetchEntryPoints(list, N);
}

// Whole names only: "GL_NV_fragment_program" must not match "GL_NV_fragment_program2".
bool listNames(const char* list, const char* name) {
    if (!list || !*name) return false;
    size_t length = std::strlen(name);
    for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += length) {
        bool startsWord = p == list || p[-1] == ' ';
        bool endsWord = p[length] == ' ' || p[length] == 0;
        if (startsWord && endsWord) return true;
    }
    return false;
}

const char* glExtensionString(DeviceCaps* caps) {
    if (!caps->glExtensions) caps->glExtensions = strdup(platformGlExtensions());
    return caps->glExtensions;
}

void copyDriverString(char* out, GLenum name) {
    const char* text = reinterpret_cast<const char*>(glGetString(name));
    std::strncpy(out, text ? text : "", DRIVER_STRING_LENGTH - 1);
    out[DRIVER_STRING_LENGTH - 1] = 0;
}

enum StateRule { FOUND_WHEN_LISTED, FOUND_BEFORE_FETCH, FOUND_AFTER_FETCH };

struct GlProbeRow {
    const char* name;
    int index;
    StateRule rule;
};

const GlProbeRow kGlRows[] = {
    {"GL_ARB_multitexture", EXT_ARB_MULTITEXTURE, FOUND_BEFORE_FETCH},
    {"GL_ARB_multisample", EXT_ARB_MULTISAMPLE, FOUND_BEFORE_FETCH},
    {"GL_ARB_texture_border_clamp", EXT_ARB_TEXTURE_BORDER_CLAMP, FOUND_WHEN_LISTED},
    {"GL_ARB_transpose_matrix", EXT_ARB_TRANSPOSE_MATRIX, FOUND_WHEN_LISTED},
    {"GL_ARB_texture_compression", EXT_ARB_TEXTURE_COMPRESSION, FOUND_AFTER_FETCH},
    {"GL_ARB_vertex_program", EXT_ARB_VERTEX_PROGRAM, FOUND_AFTER_FETCH},
    {"GL_ARB_vertex_buffer_object", EXT_ARB_VERTEX_BUFFER_OBJECT, FOUND_AFTER_FETCH},
    {"GL_ARB_texture_cube_map", EXT_ARB_TEXTURE_CUBE_MAP, FOUND_WHEN_LISTED},
    {"GL_ARB_fragment_program", EXT_ARB_FRAGMENT_PROGRAM, FOUND_WHEN_LISTED},
    {"GL_EXT_bgra", EXT_EXT_BGRA, FOUND_WHEN_LISTED},
    {"GL_EXT_blend_func_separate", EXT_EXT_BLEND_FUNC_SEPARATE, FOUND_BEFORE_FETCH},
    {"GL_EXT_texture_filter_anisotropic", EXT_EXT_TEXTURE_FILTER_ANISOTROPIC, FOUND_WHEN_LISTED},
    {"GL_EXT_texture3D", EXT_EXT_TEXTURE3D, FOUND_AFTER_FETCH},
    {"GL_EXT_texture_edge_clamp", EXT_EXT_TEXTURE_EDGE_CLAMP, FOUND_WHEN_LISTED},
    {"GL_SGIS_generate_mipmap", EXT_SGIS_GENERATE_MIPMAP, FOUND_WHEN_LISTED},
    {"GL_NV_fragment_program", EXT_NV_FRAGMENT_PROGRAM, FOUND_AFTER_FETCH},
};

bool fetchGlEntryPoints(int index) {
    switch (index) {
        case EXT_ARB_MULTITEXTURE: {
            const EntryPoint list[] = {ENTRY(glMultiTexCoord2fARB), ENTRY(glMultiTexCoord3fARB),
                                       ENTRY(glMultiTexCoord4fARB), ENTRY(glActiveTextureARB),
                                       ENTRY(glClientActiveTextureARB)};
            return fetchEntryPoints(list);
        }
        case EXT_ARB_MULTISAMPLE: {
            const EntryPoint list[] = {ENTRY(glSampleCoverageARB)};
            return fetchEntryPoints(list);
        }
        case EXT_ARB_TEXTURE_COMPRESSION: {
            const EntryPoint list[] = {ENTRY(glCompressedTexImage2DARB), ENTRY(glGetCompressedTexImageARB)};
            return fetchEntryPoints(list);
        }
        case EXT_ARB_VERTEX_PROGRAM: {
            const EntryPoint list[] = {
                ENTRY(glGenProgramsARB),           ENTRY(glDeleteProgramsARB),
                ENTRY(glBindProgramARB),           ENTRY(glProgramStringARB),
                ENTRY(glProgramEnvParameter4fARB), ENTRY(glEnableVertexAttribArrayARB),
                ENTRY(glDisableVertexAttribArrayARB), ENTRY(glProgramLocalParameter4fvARB),
                ENTRY(glVertexAttribPointerARB),   ENTRY(glGetProgramEnvParameterfvARB)};
            return fetchEntryPoints(list);
        }
        case EXT_ARB_VERTEX_BUFFER_OBJECT: {
            const EntryPoint list[] = {
                ENTRY(glBindBufferARB),       ENTRY(glDeleteBuffersARB),    ENTRY(glGenBuffersARB),
                ENTRY(glIsBufferARB),         ENTRY(glBufferDataARB),       ENTRY(glBufferSubDataARB),
                ENTRY(glGetBufferSubDataARB), ENTRY(glMapBufferARB),        ENTRY(glUnmapBufferARB),
                ENTRY(glGetBufferParameterivARB), ENTRY(glGetBufferPointervARB)};
            return fetchEntryPoints(list);
        }
        case EXT_EXT_BLEND_FUNC_SEPARATE: {
            const EntryPoint list[] = {ENTRY(glBlendFuncSeparateEXT)};
            return fetchEntryPoints(list);
        }
        case EXT_EXT_TEXTURE3D: {
            const EntryPoint list[] = {ENTRY(glTexImage3DEXT), ENTRY(glTexSubImage3DEXT)};
            return fetchEntryPoints(list);
        }
        case EXT_NV_FRAGMENT_PROGRAM: {
            const EntryPoint list[] = {
                ENTRY(glBindProgramNV),          ENTRY(glExecuteProgramNV),
                ENTRY(glGenProgramsNV),          ENTRY(glAreProgramsResidentNV),
                ENTRY(glRequestResidentProgramsNV), ENTRY(glLoadProgramNV),
                ENTRY(glProgramParameter4fNV),   ENTRY(glProgramParameter4fvNV),
                ENTRY(glProgramParameters4fvNV), ENTRY(glVertexAttribPointerNV),
                ENTRY(glTrackMatrixNV),          ENTRY(glProgramNamedParameter4fNV),
                ENTRY(glProgramNamedParameter4fvNV)};
            return fetchEntryPoints(list);
        }
        default:
            return true;
    }
}

// Framebuffer objects stand in for the pbuffer (the buffer itself) and for render-texture (a
// texture as its colour attachment). The core names of GL_ARB_framebuffer_object are preferred.
bool fetchFramebufferEntryPoints(DeviceCaps* caps, int index) {
    const EntryPoint buffer[] = {
        ENTRY(glGenFramebuffers),  ENTRY(glBindFramebuffer),     ENTRY(glDeleteFramebuffers),
        ENTRY(glCheckFramebufferStatus), ENTRY(glGenRenderbuffers), ENTRY(glBindRenderbuffer),
        ENTRY(glRenderbufferStorage), ENTRY(glFramebufferRenderbuffer), ENTRY(glDeleteRenderbuffers)};
    const EntryPoint texture[] = {ENTRY(glFramebufferTexture2D)};
    const EntryPoint* list = index == EXT_WGL_ARB_PBUFFER ? buffer : texture;
    int count = index == EXT_WGL_ARB_PBUFFER ? 9 : 1;
    const char* extensions = glExtensionString(caps);
    if (listNames(extensions, "GL_ARB_framebuffer_object") && fetchEntryPoints(list, count)) return true;
    return listNames(extensions, "GL_EXT_framebuffer_object") && fetchEntryPoints(list, count, "EXT");
}

#undef ENTRY

}  // namespace

void probeDriverStrings(DeviceCaps* caps) {
    std::memset(caps->states, EXTENSION_MISSING, sizeof caps->states);
    caps->states[EXT_WGL_ARB_RENDER_TEXTURE] = EXTENSION_NOT_REQUIRED;
    caps->states[EXT_WGL_ARB_PBUFFER] = EXTENSION_NOT_REQUIRED;
    std::free(caps->glExtensions);
    std::free(caps->windowSystemExtensions);
    caps->glExtensions = nullptr;
    caps->windowSystemExtensions = nullptr;
    // Pointers of an earlier probe must not outlive it.
    std::memset(glEntryPoints(), 0, sizeof(GlEntryPoints));
    copyDriverString(caps->renderer, GL_RENDERER);
    copyDriverString(caps->vendor, GL_VENDOR);
    copyDriverString(caps->version, GL_VERSION);
}

int probeGlExtension(const char* name, DeviceCaps* caps) {
    if (!listNames(glExtensionString(caps), name)) return 0;
    if (std::strcmp(name, "GL_NV_occlusion_query") == 0) return 1;
    for (const GlProbeRow& row : kGlRows) {
        if (std::strcmp(row.name, name) != 0) continue;
        if (row.rule != FOUND_AFTER_FETCH) caps->states[row.index] = EXTENSION_FOUND;
        if (!fetchGlEntryPoints(row.index)) return 0;
        caps->states[row.index] = EXTENSION_FOUND;
        return 1;
    }
    return 0;
}

int probeWglExtension(const char* name, DeviceCaps* caps) {
    if (std::strcmp(name, "WGL_ARB_extensions_string") == 0) {
        const char* text = platformWindowSystemExtensions();
        if (!text) return 0;
        caps->states[EXT_WGL_ARB_EXTENSIONS_STRING] = EXTENSION_FOUND;
        std::free(caps->windowSystemExtensions);
        caps->windowSystemExtensions = strdup(text);
        return 1;
    }
    if (caps->states[EXT_WGL_ARB_EXTENSIONS_STRING] == EXTENSION_MISSING) return 0;
    int index;
    if (std::strcmp(name, "WGL_ARB_pixel_format") == 0) {
        // Pixel formats are chosen through the window system's attributes, always available.
        index = EXT_WGL_ARB_PIXEL_FORMAT;
    } else if (std::strcmp(name, "WGL_ARB_pbuffer") == 0) {
        index = EXT_WGL_ARB_PBUFFER;
        if (!fetchFramebufferEntryPoints(caps, index)) return 0;
    } else if (std::strcmp(name, "WGL_ARB_render_texture") == 0) {
        index = EXT_WGL_ARB_RENDER_TEXTURE;
        if (!fetchFramebufferEntryPoints(caps, index)) return 0;
    } else if (std::strcmp(name, "WGL_ARB_multisample") == 0) {
        index = EXT_WGL_ARB_MULTISAMPLE;
        if (!listNames(caps->windowSystemExtensions, "GLX_ARB_multisample")) return 0;
    } else {
        return 0;
    }
    caps->states[index] = EXTENSION_FOUND;
    return 1;
}

bool softwareRenderer(const DeviceCaps* caps) {
    for (const char* name : {"llvmpipe", "softpipe", "Software Rasterizer", "swrast"})
        if (std::strstr(caps->renderer, name)) return true;
    return false;
}

void probeDeviceCaps(DeviceCaps* caps, Settings* settings) {
    probeDriverStrings(caps);
    const char* const wglNames[] = {"WGL_ARB_extensions_string", "WGL_ARB_pixel_format", "WGL_ARB_pbuffer",
                                    "WGL_ARB_render_texture", "WGL_ARB_multisample"};
    for (const char* name : wglNames) probeWglExtension(name, caps);
    for (const GlProbeRow& row : kGlRows) probeGlExtension(row.name, caps);

    // Limits of extensions the driver lacks are not asked for: the query would leave an error pending.
    if (caps->states[EXT_EXT_TEXTURE_FILTER_ANISOTROPIC] == EXTENSION_FOUND) {
        GLfloat largest = 0;
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &largest);
        settings->maxAnisotropy = static_cast<int32_t>(largest);
    } else {
        settings->maxAnisotropy = 0;
    }
    // A generic compressed format makes a software renderer compress every picture and its mipmaps on
    // the CPU while loading (half of the player's own start on llvmpipe) and decode blocks at every
    // sample: it gets the plain formats, and a GPU the compressed ones as before.
    if (softwareRenderer(caps) && settings->textureMode == 2) settings->textureMode = 0;
    GLint units = 1;
    if (caps->states[EXT_ARB_MULTITEXTURE] == EXTENSION_FOUND) glGetIntegerv(GL_MAX_TEXTURE_UNITS_ARB, &units);
    settings->maxTextureUnits = units;
    GLint imageUnits = units, coords = units;
    const bool programs = caps->states[EXT_ARB_FRAGMENT_PROGRAM] == EXTENSION_FOUND ||
                          caps->states[EXT_ARB_VERTEX_PROGRAM] == EXTENSION_FOUND;
    if (caps->states[EXT_ARB_FRAGMENT_PROGRAM] == EXTENSION_FOUND)
        glGetIntegerv(GL_MAX_TEXTURE_IMAGE_UNITS_ARB, &imageUnits);
    if (programs) glGetIntegerv(GL_MAX_TEXTURE_COORDS_ARB, &coords);
    settings->maxTextureImageUnits = imageUnits > units ? imageUnits : units;
    settings->maxTextureCoords = coords;
    while (glGetError() != GL_NO_ERROR) {
    }
}
