// Density and contrast: per-channel level tables built once, applied to rows in place.
#pragma once
#include "adjust/adjust_common.h"

// The contrast shape's quarter sine, 64 entries rounded to 5 decimals and held as floats.
float ContrastSine(int index);
// The contrast shape of a level: rises to 1 towards 64, falls back to 0 at 127/128 and mirrors below zero.
float ContrastShape(int level);

// One level after a density shift c (any sign); the result never leaves 0...255.
int DensityLevel(int level, int density);
// One level after a contrast change k; no clamping is needed for |k| <= 65.
int ContrastLevel(int level, int contrast);

struct ToneSettings {
    int densityRed = 0, densityGreen = 0, densityBlue = 0;
    int contrast = 0;
    ChannelSwitches channels; // the contrast step only
};

// Level tables in storage order (blue, green, red).
struct ToneTables {
    unsigned char level[3][256];
};
void BuildToneTables(const ToneSettings &settings, ToneTables *tables);

// Rewrites one stored row of `width` pixels in place.
void ToneRow(unsigned char *row, int width, const ToneTables &tables);

// The density run on a whole picture: 1 done, 0 not a 24-bit picture. With reportProgress it shows the progress
// bar while the status bar is shown (no caption text otherwise).
int ToneRun(PackedDib picture, const ToneSettings &settings, bool reportProgress = true);
