// What each program.env and program.local slot carries, and the named parameters of the NV material
// programs: the program texts read them, the passes set them. Slot 2 of both targets is never set.
#pragma once

enum VertexEnvSlot {
    VERTEX_ENV_CAMERA = 0,         // camera position in scene coordinates (x, y, z, 0)
    VERTEX_ENV_CAMERA_TURNED = 1,  // the same in the render frame, turned about Y: (-x, y, -z, 0)
    VERTEX_ENV_CAUSTICS = 3,       // (c, c, 0, 1), c the scene's caustics scale
    VERTEX_ENV_SHADOW_DEPTH = 4,   // (d, d, d, d), the shadow depth scale, while shadows are on
    VERTEX_ENV_SHADOW_VOLUME = 5,  // the four shadow envelopes (X, Y, Z, W), while shadows are on
    VERTEX_ENV_FOG = 6,            // (fogA, fogB, fogC, 0)
};

enum FragmentEnvSlot {
    FRAGMENT_ENV_CAMERA = 0,
    FRAGMENT_ENV_CAMERA_TURNED = 1,
    FRAGMENT_ENV_SHADOW_OFFSET = 4,   // (X / 2W + 0.5, Z / 2W + 0.5, 0, 0)
    FRAGMENT_ENV_SHADOW_SCALE = 5,    // (k, k, 0, 1), k = 1 / (2 W c)
    FRAGMENT_ENV_SHADOW_SHADING = 6,  // (shadowSoftness, shadowAmbient, 0, 1)
};

enum LocalSlot {
    LOCAL_BONE_ROWS = 0,          // skinned vertex program: row r of bone b in slot 4b + r
    LOCAL_ROWS_PER_BONE = 4,
    LOCAL_BONE_SLOTS = 200,       // 50 bones
    LOCAL_GLOW = 0,               // ARB material fragment program: (glow, 0, 0, 1)
    LOCAL_GLOW_COLOUR = 1,        // glow composite: (r, g, b, a)
    LOCAL_COLOUR_MATRIX_ROW0 = 2, // glow composite: rows 0, 1, 2 of the colour-grading matrix in 2, 3, 4
};

// NV material programs: light i's diffuse product is the parameter named by one lower-case letter,
// its specular product by the upper-case one; the rest by these names.
inline char nvDiffuseProductName(int light) { return char('a' + light); }
inline char nvSpecularProductName(int light) { return char('A' + light); }
inline constexpr const char* kNvShininess = "shininess";  // (exponent, base alpha, 0, 0)
inline constexpr const char* kNvGlow = "glow";
inline constexpr const char* kNvFogColour = "fog_color";
inline constexpr const char* kNvShadowOffset = "shadow4";
inline constexpr const char* kNvShadowScale = "shadow5";
inline constexpr const char* kNvShadowShading = "env6";
