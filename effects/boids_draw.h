// Drawing the fish of a flock bent along their spines, and the light shafts of the shoal scene.
#pragma once
#include <cstdint>

// Shared by every boids slot of the run; the programs are whole package entries.
#define SHAFT_OBJECT "Demo/SwiatlaPrzezroczyste8.lwo"
#define SHAFT_VERTEX_PROGRAM "Demo/lights.vsh"
#define SHAFT_FRAGMENT_PROGRAM "Demo/lights.psh"
