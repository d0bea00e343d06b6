// The 3x3 median ("noise correction 2") as a row filter.
#pragma once
#include "adjust/adjust_common.h"

// Filters one stored row r: rows[0..2] are the source rows r - 1, r, r + 1 (null outside the picture; rows[1]
// never null), `out` is row r of the output (not one of the rows read); only columns in `cols` are written. Every
// channel is filtered. `ahead` (may be null) is a row the caller reads next: its lines are fetched into the cache
// while this row is filtered, as left to the hardware the loads of a fresh row often wait on memory.
// Along an edge the lower middle of the present values is taken; on pictures one pixel wide or high, where the
// usual index would fall on an absent cell, the smallest present value is taken.
void MedianFilterRow(const unsigned char *const rows[3], unsigned char *out, int width, ColumnWindow cols,
                     const unsigned char *ahead = nullptr);
