// The files each effect name of the binding table loads, and what the effects expect of them, for
// "demotool check".
#pragma once

enum EffectFamily {
    FAMILY_FRACTAL,
    FAMILY_PICTURE,
    FAMILY_BLUR,
    FAMILY_TYPING,
    FAMILY_SOFT_BODY,
    FAMILY_LIGHT_BLOB,
    FAMILY_METABALLS,
    FAMILY_SWIMMING,
    FAMILY_BOIDS,
    FAMILY_ELECTRO_SURFACE,
    FAMILY_ELECTRO_RIBBON,
    FAMILY_BUBBLES,
    FAMILY_COUNT
};

struct EffectRow {
    const char* name;
    EffectFamily family;
    // The slot's file: an object, a scene, a picture or a text; for the "Bubbles_Nos1" emitter the
    // prefix of its three envelope files (PREFIX "X.env", "Y.env", "Z.env"). Empty: none.
    const char* file;
    float bodyLength;  // boids: the preset's fish length
    // Soft bodies: where the body starts and whether its box follows the null.
    float centre[3];
    float scale;
    bool follow;
};

// The row of an effect name (exact, case-sensitive), or null.
const EffectRow* findEffectRow(const char* name);
const EffectRow* effectRows(int* count);
const char* effectFamilyName(EffectFamily family);
// Files every instance of the family loads besides its own (null-terminated list).
const char* const* familyFiles(EffectFamily family);

// Sizes the boids read of their light-shaft programs.
enum { SHAFT_VERTEX_PROGRAM_SIZE = 1146, SHAFT_FRAGMENT_PROGRAM_SIZE = 1496, TYPING_ENTRIES = 527,
       LIGHT_BLOB_MOTIONS = 210 };
#define SHAFT_OBJECT "Demo/SwiatlaPrzezroczyste8.lwo"
#define SHAFT_VERTEX_PROGRAM "Demo/lights.vsh"
#define SHAFT_FRAGMENT_PROGRAM "Demo/lights.psh"
