// Minimum-variance averaging ("noise correction 2") over nine masks of a 5x5 window, as a row filter.
#pragma once
#include "adjust/adjust_common.h"

// The nine masks in evaluation order: offsets (dx, dy) besides the centre, dy in stored rows (+1 = next stored
// row). Mask 8 is the 3x3 square and has eight.
struct MaskCell {
    signed char dx, dy;
};
extern const MaskCell kVarianceMasks[9][8];
inline int VarianceMaskSize(int mask) { return mask == 8 ? 8 : 6; }

// Filters one stored row r: rows[0..4] are the source rows r - 2 ... r + 2 (null outside the picture; rows[2]
// never null), `out` is row r of the output (not one of the rows read); only columns in `cols` are written, channels
// switched off are copied.
// Each channel takes the mean of the mask with the smallest spread (sum of squared deviations, not divided by the
// count); the earlier mask wins ties.
void MinVarianceRow(const unsigned char *const rows[5], unsigned char *out, int width, const ChannelSwitches &channels,
                    ColumnWindow cols);
