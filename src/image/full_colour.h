// Conversion of 1-, 4- and 8-bit pictures to the 24-bit form the program edits.
#pragma once
#include "image/dib.h"

// A new 24-bit picture (40-byte header, no table, positive height) or null; the source is not freed.
// Only depth 24 is accepted as the wanted depth.
PackedDib ToFullColour(PackedDib source, int depth);
