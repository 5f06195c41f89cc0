// What "demotool check" expects of the files the effects load. The names, their families and files
// come from the player's own binding table.
#pragma once

#include "effects/boids_draw.h"
#include "effects/effect_binding.h"

// Sizes the checker expects of the light-shaft programs, and what the typing and light-blob
// effects read.
enum { SHAFT_VERTEX_PROGRAM_SIZE = 1146, SHAFT_FRAGMENT_PROGRAM_SIZE = 1496, TYPING_ENTRIES = 527,
       LIGHT_BLOB_MOTIONS = 210 };
