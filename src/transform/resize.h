// The edge-preserving resampler: a height pass then a width pass, each reducing by area averaging that keeps
// edges sharp or enlarging by repetition smoothed along the local direction.
#pragma once
#include <cstddef>

#include "image/dib.h"

// Threshold for the edge rules when nobody has chosen one.
constexpr int kDefaultEdgeThreshold = 92;

// The largest difference between a byte and the estimates from its eight neighbour directions (and itself), and
// the first direction (4 + column offset + 3 x row offset, scanned 0,3,6,1,4,7,2,5,8) that reached it. Row and
// column are storage coordinates; a direction counts only where the 3 x 3 block around that neighbour fits.
struct NeighbourEstimateResult {
    int difference;
    int direction;
};
NeighbourEstimateResult NeighbourEstimate(const unsigned char *pixels, size_t stride, int width, int height,
                                          int column, int row, int channel);

// A new width x height picture resampled from source with edge threshold T (0..255), its header a copy of the
// source's with the sizes replaced. The source is never freed or changed; no progress is shown. Null for a size
// below 1, past the size guard, a non-24-bit source or no memory.
PackedDib Resample(PackedDib source, int width, int height, int threshold);

// Resample with progress, as the resize command runs it: the host's bar (0..50 for heights, 50..100 for widths)
// or the caption ("高さ変更 %d%%", "幅変更 %d%%").
PackedDib ResizePicture(PackedDib source, int width, int height, int threshold);
