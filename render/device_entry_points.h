// The extension entry points the engine calls, fetched once by the device probe.
// A pointer is null when its extension is missing or the probe has not run; an extension whose
// state is EXTENSION_FOUND has all of its pointers (GL_ARB_multitexture, GL_ARB_multisample and
// GL_EXT_blend_func_separate excepted: their state is set before their entry points are fetched).
#pragma once
#include <GL/gl.h>
#include <GL/glext.h>

struct GlEntryPoints {
    // GL_ARB_multitexture
    PFNGLMULTITEXCOORD2FARBPROC glMultiTexCoord2fARB;
    PFNGLMULTITEXCOORD3FARBPROC glMultiTexCoord3fARB;
    PFNGLMULTITEXCOORD4FARBPROC glMultiTexCoord4fARB;
    PFNGLACTIVETEXTUREARBPROC glActiveTextureARB;
    PFNGLCLIENTACTIVETEXTUREARBPROC glClientActiveTextureARB;
    // GL_ARB_multisample
    PFNGLSAMPLECOVERAGEARBPROC glSampleCoverageARB;
    // GL_ARB_texture_compression
    PFNGLCOMPRESSEDTEXIMAGE2DARBPROC glCompressedTexImage2DARB;
    PFNGLGETCOMPRESSEDTEXIMAGEARBPROC glGetCompressedTexImageARB;
    // GL_ARB_vertex_program (shared with GL_ARB_fragment_program)
    PFNGLGENPROGRAMSARBPROC glGenProgramsARB;
    PFNGLDELETEPROGRAMSARBPROC glDeleteProgramsARB;
    PFNGLBINDPROGRAMARBPROC glBindProgramARB;
    PFNGLPROGRAMSTRINGARBPROC glProgramStringARB;
    PFNGLPROGRAMENVPARAMETER4FARBPROC glProgramEnvParameter4fARB;
    PFNGLENABLEVERTEXATTRIBARRAYARBPROC glEnableVertexAttribArrayARB;
    PFNGLDISABLEVERTEXATTRIBARRAYARBPROC glDisableVertexAttribArrayARB;
    PFNGLPROGRAMLOCALPARAMETER4FVARBPROC glProgramLocalParameter4fvARB;
    PFNGLVERTEXATTRIBPOINTERARBPROC glVertexAttribPointerARB;
    PFNGLGETPROGRAMENVPARAMETERFVARBPROC glGetProgramEnvParameterfvARB;
    // GL_ARB_vertex_buffer_object
    PFNGLBINDBUFFERARBPROC glBindBufferARB;
    PFNGLDELETEBUFFERSARBPROC glDeleteBuffersARB;
    PFNGLGENBUFFERSARBPROC glGenBuffersARB;
    PFNGLISBUFFERARBPROC glIsBufferARB;
    PFNGLBUFFERDATAARBPROC glBufferDataARB;
    PFNGLBUFFERSUBDATAARBPROC glBufferSubDataARB;
    PFNGLGETBUFFERSUBDATAARBPROC glGetBufferSubDataARB;
    PFNGLMAPBUFFERARBPROC glMapBufferARB;
    PFNGLUNMAPBUFFERARBPROC glUnmapBufferARB;
    PFNGLGETBUFFERPARAMETERIVARBPROC glGetBufferParameterivARB;
    PFNGLGETBUFFERPOINTERVARBPROC glGetBufferPointervARB;
    // GL_EXT_blend_func_separate
    PFNGLBLENDFUNCSEPARATEEXTPROC glBlendFuncSeparateEXT;
    // GL_EXT_texture3D
    PFNGLTEXIMAGE3DEXTPROC glTexImage3DEXT;
    PFNGLTEXSUBIMAGE3DEXTPROC glTexSubImage3DEXT;
    // GL_NV_fragment_program (with the GL_NV_vertex_program calls it is driven through)
    PFNGLBINDPROGRAMNVPROC glBindProgramNV;
    PFNGLEXECUTEPROGRAMNVPROC glExecuteProgramNV;
    PFNGLGENPROGRAMSNVPROC glGenProgramsNV;
    PFNGLAREPROGRAMSRESIDENTNVPROC glAreProgramsResidentNV;
    PFNGLREQUESTRESIDENTPROGRAMSNVPROC glRequestResidentProgramsNV;
    PFNGLLOADPROGRAMNVPROC glLoadProgramNV;
    PFNGLPROGRAMPARAMETER4FNVPROC glProgramParameter4fNV;
    PFNGLPROGRAMPARAMETER4FVNVPROC glProgramParameter4fvNV;
    PFNGLPROGRAMPARAMETERS4FVNVPROC glProgramParameters4fvNV;
    PFNGLVERTEXATTRIBPOINTERNVPROC glVertexAttribPointerNV;
    PFNGLTRACKMATRIXNVPROC glTrackMatrixNV;
    PFNGLPROGRAMNAMEDPARAMETER4FNVPROC glProgramNamedParameter4fNV;
    PFNGLPROGRAMNAMEDPARAMETER4FVNVPROC glProgramNamedParameter4fvNV;
    // Framebuffer objects (GL_ARB_framebuffer_object, or the same calls of GL_EXT_framebuffer_object):
    // the off-screen buffer that replaces the pbuffer and render-texture pair.
    PFNGLGENFRAMEBUFFERSPROC glGenFramebuffers;
    PFNGLBINDFRAMEBUFFERPROC glBindFramebuffer;
    PFNGLDELETEFRAMEBUFFERSPROC glDeleteFramebuffers;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC glCheckFramebufferStatus;
    PFNGLGENRENDERBUFFERSPROC glGenRenderbuffers;
    PFNGLBINDRENDERBUFFERPROC glBindRenderbuffer;
    PFNGLRENDERBUFFERSTORAGEPROC glRenderbufferStorage;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC glFramebufferRenderbuffer;
    PFNGLDELETERENDERBUFFERSPROC glDeleteRenderbuffers;
    PFNGLFRAMEBUFFERTEXTURE2DPROC glFramebufferTexture2D;
};

// The process's one table, filled by the device probe.
GlEntryPoints* glEntryPoints();
