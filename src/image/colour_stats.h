// Colour statistics of the last picture shown: channel extremes and the raw and scaled histograms.
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

extern ColourStats gStats;

// Resets the extremes (max 0, min 255) and fills the chosen set from a locked picture of any readable depth.
void CollectColourStats(const void *lockedDib, int set);
// Scales a set's raw counts to 0..255 by the largest count of bins 1..254 (bins 0 and 255 may end above 255).
void ScaleHistogramSet(int set);
