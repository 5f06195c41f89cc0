// The per-scene setup table: rendering settings a scene file cannot carry (shadows, fog height,
// colour grading, glow), kept as rows of the package's text file SCENE_SETUP_FILE.
#pragma once
#include <cstdint>

struct SceneSetup;

#define SCENE_SETUP_FILE "Demo/SceneSetup.txt"

enum { SETUP_FILE_NAME_LENGTH = 256, SETUP_COLOUR_OPERATIONS = 16 };

// The files behind an applied setup, for tools that show it: the setup itself keeps only their curves.
struct SceneSetupFiles {
    bool rowFound;  // a usable row for the path was applied
    char shadowEnvelopes[4][SETUP_FILE_NAME_LENGTH];  // empty unless all four were loaded
    // Per operation the row added (the whole list of a fresh setup), in order: the envelope file,
    // empty for constants.
    char operations[SETUP_COLOUR_OPERATIONS][SETUP_FILE_NAME_LENGTH];
};

// Writes the defaults into setup, then the row whose key equals path exactly, if there is one.
// A row that cannot be read is reported and left out (the defaults stay). files, when given, receives
// the names of the envelope files in use.
void applySceneSetup(SceneSetup* setup, const char* path, SceneSetupFiles* files = nullptr);
// Frees the shadow envelopes and the colour operations the setup holds.
void releaseSceneSetup(SceneSetup* setup);
// The row's word for a colour operation kind ("contrast", "brightness", "hue", "saturation", "scale").
const char* colourOperationName(uint8_t kind);
