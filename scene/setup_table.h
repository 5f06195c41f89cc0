// The per-scene setup table: rendering settings a scene file cannot carry (shadows, fog height,
// colour grading, glow), kept as rows of the package's text file SCENE_SETUP_FILE.
#pragma once

struct SceneSetup;

#define SCENE_SETUP_FILE "Demo/SceneSetup.txt"

// Writes the defaults into setup, then the row whose key equals path exactly, if there is one.
// A row that cannot be read is reported and left out (the defaults stay).
void applySceneSetup(SceneSetup* setup, const char* path);
// Frees the shadow envelopes and the colour operations the setup holds.
void releaseSceneSetup(SceneSetup* setup);
