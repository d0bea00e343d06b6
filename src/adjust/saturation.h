// Saturation: moves each pixel away from (or towards) the grey of its integer channel mean, keeping the hue.
#pragma once
#include "adjust/adjust_common.h"

// One pixel in storage order (blue, green, red) with s in -64...64; single-precision arithmetic throughout.
void SaturatePixel(unsigned char *bgr, int s);
// One stored row in place.
void SaturationRow(unsigned char *row, int width, int s);
// The saturation run in place, s clamped to -64...64; channel switches are not consulted. reportProgress: the
// apply run's status-bar progress, or "彩度補正 %d%%" in the caption. 1 done, 0 not a 24-bit picture.
int SaturationRun(PackedDib picture, int s, bool reportProgress);
