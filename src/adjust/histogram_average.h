// Histogram average: spreads each channel's levels so every output level gets about the same number of pixels.
#pragma once
#include <cstdint>

#include "adjust/adjust_common.h"

// The level table one channel's counts give for a picture of `pixelCount` pixels. The walk stops at level 0, so
// counts that do not describe the picture cannot run it past the table; unreached levels map to 0.
void BuildAverageTable(const uint32_t counts[256], int64_t pixelCount, unsigned char table[256]);

// A new picture with each channel mapped through its table; `raw` holds the counts for blue, green and red.
// Null when the picture is not 24-bit or memory is short (the caller keeps the old one).
PackedDib HistogramAverage(PackedDib picture, const uint32_t raw[3][256]);
