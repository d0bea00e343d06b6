// The selective 3x3 smoothing ("noise correction 1") as a row filter; also the smoothing step of sharpen.
#pragma once
#include "adjust/adjust_common.h"

struct NoiseSettings {
    int threshold = 0;  // largest level difference a neighbour may have to be averaged in, 0...255
    bool jpeg = false;  // level-dependent tolerance: tight near 126, loose towards black and white
    ChannelSwitches channels;
};

// The allowed difference for each centre level (threshold clamped to 0...255).
void BuildAllowedDifferences(const NoiseSettings &settings, int allowed[256]);

// Filters one stored row r. rows[0], rows[1], rows[2] are the source rows r - 1, r, r + 1 (null outside the
// picture; rows[1] never null), `out` is row r of the output. Only columns in `cols` are written; channels whose
// switch is off are copied from rows[1].
void NoiseFilterRow(const unsigned char *const rows[3], unsigned char *out, int width, const NoiseSettings &settings,
                    ColumnWindow cols);

// Exact quotient of a weighted sum by a weight total of 1...25 (sum <= 255 * weight), without a division.
inline unsigned DivideByWeight(unsigned sum, unsigned weight) {
    // ceil(2^18 / w): the error stays below one part in 2^18 / 25 for sums below 6376, so the floor is exact.
    static const unsigned kReciprocal[26] = {0, 262144, 131072, 87382, 65536, 52429, 43691, 37450, 32768, 29128,
                                             26215, 23832, 21846, 20165, 18725, 17477, 16384, 15421, 14564, 13798,
                                             13108, 12484, 11916, 11398, 10923, 10486};
    return (sum * kReciprocal[weight]) >> 18;
}
