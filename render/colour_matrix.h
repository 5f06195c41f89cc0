// The colour-grading matrix of a scene's colour operation list.
#pragma once
#include <cstdint>

struct ColourOperation;

// The grading matrix at the time as four rows (row-major): rows 0, 1 and 2 give the new red, green
// and blue as dot products with (r, g, b, 1). Each operation multiplies the product so far on the
// right, as the GL matrix stack does, so the list's last operation acts first on a colour. An
// empty list gives the identity.
void buildColourMatrix(const ColourOperation* operations, int32_t timeMs, float rows[16]);
