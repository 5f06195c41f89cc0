// What "demotool check" expects of the files the effects load. The names, their families and files
// come from the player's own binding table.
#pragma once

#include "effects/boids/boids_draw.h"
#include "effects/effect_binding.h"

// What the typing and light-blob effects read.
enum { TYPING_ENTRIES = 527, LIGHT_BLOB_MOTIONS = 210 };
