// Sharpness: an unsharp mask over the 2-3-2 / 3-5-3 / 2-3-2 smoothing.
#pragma once
#include "adjust/adjust_common.h"

// A new picture with every byte v' = v + (v - smoothed) / k, truncated toward zero and clamped to 0...255; k is 1
// when strong, else 2. The smoothing averages every present neighbour (threshold 255, no JPEG mode, all channels),
// whatever the user's noise settings are. Null when the picture is not 24-bit or memory is short (the caller keeps
// its picture). reportProgress: the apply run shows the progress bar, without advancing it.
PackedDib Sharpen(PackedDib picture, bool strong, bool reportProgress);
