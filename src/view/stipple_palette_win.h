// The 256-colour stipple palette as the screen shows it: the entries of the document's display palette.
#pragma once
#include "view/stipple.h"

// The display palette's 256 entries read as plain red, green and blue bytes (missing entries stay black).
StipplePalette DisplayStipplePalette256();
