// Edge extraction: a grey map of the largest level difference towards the next column and the next stored row.
#pragma once
#include "adjust/adjust_common.h"

// One output row: for each pixel of `row` the largest difference, over its channels, to the neighbours that
// exist among (x, r+1), (x+1, r-1), (x+1, r), (x+1, r+1); written to all three bytes. below/above are the stored
// rows r - 1 and r + 1, null outside the picture.
void EdgeRow(const unsigned char *below, const unsigned char *row, const unsigned char *above, unsigned char *out,
             int width);

// A new picture holding the edge map; null when the picture is not 24-bit or memory is short (the caller keeps
// its picture). reportProgress: the apply run shows the progress bar, without advancing it.
PackedDib EdgeMap(PackedDib picture, bool reportProgress);
