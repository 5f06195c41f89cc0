// Drawing the fish of a flock bent along their spines, and the light shafts of the shoal scene.
#pragma once
#include <cstdint>

#include "scene/scene.h"

struct Boid;
struct FlockSet;

// Shared by every boids slot of the run; the programs are whole package entries.
#define SHAFT_OBJECT "Demo/SwiatlaPrzezroczyste8.lwo"
#define SHAFT_VERTEX_PROGRAM "Demo/lights.vsh"
#define SHAFT_FRAGMENT_PROGRAM "Demo/lights.psh"
// The scene whose boids swim through light shafts.
#define SHAFT_SCENE "Lawica"

enum { SHAFT_COUNT = 40 };

struct BoidsState {
    FlockSet* flock;
    SceneItem fish;  // the fish object, loaded for this slot
};

struct LightShaft {
    float position[3];
    float baseX;
    float sway;
};

// The fish vertex program (locals 4..7 the body curve, 8..11 the reference curve) and its lit
// fragment program, stored in the surface instance.
void buildFishPrograms(const Scene* scene, SurfaceInstance* instance);
// Body curve P0..P3 = the spine (head first); reference curve Q = each spine point moved by the
// z axis turned onto its segment. w = 1.
void fishControlPoints(const Boid* boid, float p[4][4], float q[4][4]);
// How far a shaft (hanging down from height 60, at most 70 long) reaches before the first fish of
// the flock that swims through it.
float shaftLength(const FlockSet* set, const LightShaft& shaft);
