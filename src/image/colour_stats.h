// Colour statistics of a picture: channel extremes and the raw and scaled histograms, filled into a record the
// caller owns (the window program keeps the last shown picture's in its document state).
#pragma once
#include <cstdint>

#include "image/dib.h"

enum { kHistBlue = 0, kHistGreen = 1, kHistRed = 2 };
enum { kHistSetInternal = 0, kHistSetOther = 1 };

struct ColourStats {
    int maxR, maxG, maxB;
    int minR, minG, minB;
    // [set][channel blue, green, red][level]
    uint32_t raw[2][3][256];
    uint32_t scaled[2][3][256];
};

// Resets the extremes (max 0, min 255) and fills the chosen set from a locked picture of any readable depth.
void CollectColourStats(const void *lockedDib, int set, ColourStats *stats);
// Scales a set's raw counts to 0..255 by the largest count of bins 1..254 (bins 0 and 255 may end above 255).
void ScaleHistogramSet(ColourStats *stats, int set);
