// Whole-picture operations on 24-bit PackedDibs: make, cut out a rectangle, put one into another, resample.
#pragma once
#include <cstdint>

#include "image/dib.h"

// A zero-filled picture with the ten header values given (planes in the low half of planesAndBits, bit count in
// the high half). The pixel size is recomputed from the dimensions; a header that cannot work gives null.
PackedDib MakePicture(uint32_t biSize, int32_t width, int32_t height, uint32_t planesAndBits, uint32_t compression,
                      uint32_t sizeImage, int32_t xPels, int32_t yPels, uint32_t clrUsed, uint32_t clrImportant);

// The rectangle (top-down, right and bottom exclusive) of a 24-bit picture as a new 24-bit picture, or null.
// The rectangle is clipped to the picture; an empty result is null.
PackedDib CopyDibRect(PackedDib picture, int left, int top, int right, int bottom);

// Copies source into destination with its top-left corner at (x, y) top-down; the source wins, and whatever
// falls outside the destination is left out.
void PutPicture(PackedDib destination, PackedDib source, int x, int y);

// Nearest-neighbour resampling of source into destination (whose size is the target size). 1 done, 0 refused
// (no memory, or a size below 1).
int ResampleInto(PackedDib destination, PackedDib source);
