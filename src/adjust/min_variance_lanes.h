// The interior of a minimum-variance row as one run of bytes, several at a time in single precision; the 128-bit
// and the 256-bit builds instantiate the same steps with their own vector operations V, so they give the same
// bytes. Every byte's masks reach 3 and 6 bytes to either side whatever its channel. All values are whole numbers
// below 2^24 (squares sum to at most 585225, mean x (2 sum - n mean) to at most 255 x 4590), so every sum,
// product and comparison is exact. The mean sum / n is taken as trunc(sum * (1/n) + 1/64): the product is within
// 1e-4 of the true quotient, whose fraction is 0 or at least 1/9 from the next whole number.
#pragma once
#include <cstddef>

#include "platform/simd_lanes.h"

// The 256-bit path (min_variance_avx2.cpp): only to be called when WideVectors() is true.
size_t MinVarianceInteriorWide(const unsigned char *const rows[5], unsigned char *out, size_t j0, size_t j1);

namespace {

namespace min_variance_lanes {

enum { kMid3, kUp3, kDown3, kUp2, kDown2, kPairUp, kPairDn, kOne, kMinus1, kCentre, kRuns };
constexpr size_t kSpan = 240; // bytes per block, a multiple of 3 and of every lane count

// Writes out[j] for the interior bytes j0 <= j <= j1 of stored row rows[2] (all five rows present, whole pixels
// 2 ... width - 3) as far as whole vectors go, and returns the first byte left to the caller.
template <class V>
size_t InteriorLanes(const unsigned char *const rows[5], unsigned char *out, size_t j0, size_t j1) {
    using F = typename V::F;
    constexpr int kLanes = V::kLanes;
    alignas(32) float sums[kRuns][kSpan + 16], squares[kRuns][kSpan + 16];
    const F inv7 = V::Set(1.0f / 7), inv9 = V::Set(1.0f / 9), bias = V::Set(1.0f / 64);
    const F n7 = V::Set(7), n9 = V::Set(9);
    for (size_t b0 = j0; b0 <= j1; b0 += kSpan) {
        const size_t b1 = b0 + kSpan - 1 < j1 ? b0 + kSpan - 1 : j1;
        const size_t base = b0 - 6; // byte of index 0 in the run arrays
        size_t k = 0, j = base;
        for (; j + kLanes - 1 <= b1 + 6; k += kLanes, j += kLanes) {
            auto bytes = [j](const unsigned char *row) { return V::ToFloat(V::LoadBytes(row + j)); };
            const F g0 = bytes(rows[0]), g1 = bytes(rows[1]), g2 = bytes(rows[2]), g3 = bytes(rows[3]),
                    g4 = bytes(rows[4]);
            const F s0 = V::Mul(g0, g0), s1 = V::Mul(g1, g1), s2 = V::Mul(g2, g2), s3 = V::Mul(g3, g3),
                    s4 = V::Mul(g4, g4);
            const F g12 = V::Add(g1, g2), g23 = V::Add(g2, g3), s12 = V::Add(s1, s2), s23 = V::Add(s2, s3);
            V::Store(&sums[kMid3][k], V::Add(g12, g3));  V::Store(&squares[kMid3][k], V::Add(s12, s3));
            V::Store(&sums[kUp3][k], V::Add(g23, g4));   V::Store(&squares[kUp3][k], V::Add(s23, s4));
            V::Store(&sums[kDown3][k], V::Add(g0, g12)); V::Store(&squares[kDown3][k], V::Add(s0, s12));
            V::Store(&sums[kUp2][k], V::Add(g3, g4));    V::Store(&squares[kUp2][k], V::Add(s3, s4));
            V::Store(&sums[kDown2][k], V::Add(g0, g1));  V::Store(&squares[kDown2][k], V::Add(s0, s1));
            V::Store(&sums[kPairUp][k], g23);            V::Store(&squares[kPairUp][k], s23);
            V::Store(&sums[kPairDn][k], g12);            V::Store(&squares[kPairDn][k], s12);
            V::Store(&sums[kOne][k], g3);                V::Store(&squares[kOne][k], s3);
            V::Store(&sums[kMinus1][k], g1);             V::Store(&squares[kMinus1][k], s1);
            V::Store(&sums[kCentre][k], g2);             V::Store(&squares[kCentre][k], s2);
        }
        for (; j <= b1 + 6; ++k, ++j) {
            const float g0 = rows[0][j], g1 = rows[1][j], g2 = rows[2][j], g3 = rows[3][j], g4 = rows[4][j];
            const float s0 = g0 * g0, s1 = g1 * g1, s2 = g2 * g2, s3 = g3 * g3, s4 = g4 * g4;
            sums[kMid3][k] = g1 + g2 + g3;   squares[kMid3][k] = s1 + s2 + s3;
            sums[kUp3][k] = g2 + g3 + g4;    squares[kUp3][k] = s2 + s3 + s4;
            sums[kDown3][k] = g0 + g1 + g2;  squares[kDown3][k] = s0 + s1 + s2;
            sums[kUp2][k] = g3 + g4;         squares[kUp2][k] = s3 + s4;
            sums[kDown2][k] = g0 + g1;       squares[kDown2][k] = s0 + s1;
            sums[kPairUp][k] = g2 + g3;      squares[kPairUp][k] = s2 + s3;
            sums[kPairDn][k] = g1 + g2;      squares[kPairDn][k] = s1 + s2;
            sums[kOne][k] = g3;              squares[kOne][k] = s3;
            sums[kMinus1][k] = g1;           squares[kMinus1][k] = s1;
            sums[kCentre][k] = g2;           squares[kCentre][k] = s2;
        }
        for (j = b0; j + kLanes <= b1 + 1; j += kLanes) {
            k = j - base;
#define ORBEN_S(run, off) V::Load(&sums[run][k + (off)])
#define ORBEN_Q(run, off) V::Load(&squares[run][k + (off)])
            const F c = ORBEN_S(kCentre, 0), cc = ORBEN_Q(kCentre, 0);
            F bestSpread = V::Set(0), bestMean = V::Set(0);
            // One mask: its mean and spread; a smaller spread replaces the best, ties keep the earlier mask.
#define ORBEN_MASK(sumExpr, sqExpr, n, inv, first)                                                                  \
    {                                                                                                              \
        const F sum = (sumExpr), sq = (sqExpr);                                                                    \
        const F mean = V::ToFloat(V::Truncate(V::Add(V::Mul(sum, inv), bias)));                                                   \
        const F spread = V::Sub(sq, V::Mul(mean, V::Sub(V::Add(sum, sum), V::Mul(n, mean))));                      \
        if (first) {                                                                                               \
            bestSpread = spread;                                                                                   \
            bestMean = mean;                                                                                       \
        } else {                                                                                                   \
            bestMean = V::Select(V::Less(spread, bestSpread), mean, bestMean);                                     \
            bestSpread = V::Min(spread, bestSpread);                                                               \
        }                                                                                                          \
    }
            ORBEN_MASK(V::Add(V::Add(ORBEN_S(kMid3, -6), ORBEN_S(kMid3, -3)), c),
                       V::Add(V::Add(ORBEN_Q(kMid3, -6), ORBEN_Q(kMid3, -3)), cc), n7, inv7, true)
            ORBEN_MASK(V::Add(V::Add(ORBEN_S(kOne, -6), ORBEN_S(kUp3, -3)), ORBEN_S(kUp3, 0)),
                       V::Add(V::Add(ORBEN_Q(kOne, -6), ORBEN_Q(kUp3, -3)), ORBEN_Q(kUp3, 0)), n7, inv7, false)
            ORBEN_MASK(V::Add(V::Add(V::Add(ORBEN_S(kUp2, -3), ORBEN_S(kUp2, 0)), ORBEN_S(kUp2, 3)), c),
                       V::Add(V::Add(V::Add(ORBEN_Q(kUp2, -3), ORBEN_Q(kUp2, 0)), ORBEN_Q(kUp2, 3)), cc), n7, inv7,
                       false)
            ORBEN_MASK(V::Add(V::Add(ORBEN_S(kPairUp, 0), ORBEN_S(kUp3, 3)), ORBEN_S(kPairUp, 6)),
                       V::Add(V::Add(ORBEN_Q(kPairUp, 0), ORBEN_Q(kUp3, 3)), ORBEN_Q(kPairUp, 6)), n7, inv7, false)
            ORBEN_MASK(V::Add(V::Add(ORBEN_S(kMid3, 3), ORBEN_S(kMid3, 6)), c),
                       V::Add(V::Add(ORBEN_Q(kMid3, 3), ORBEN_Q(kMid3, 6)), cc), n7, inv7, false)
            ORBEN_MASK(V::Add(V::Add(ORBEN_S(kDown3, 0), ORBEN_S(kDown3, 3)), ORBEN_S(kMinus1, 6)),
                       V::Add(V::Add(ORBEN_Q(kDown3, 0), ORBEN_Q(kDown3, 3)), ORBEN_Q(kMinus1, 6)), n7, inv7, false)
            ORBEN_MASK(V::Add(V::Add(V::Add(ORBEN_S(kDown2, -3), ORBEN_S(kDown2, 0)), ORBEN_S(kDown2, 3)), c),
                       V::Add(V::Add(V::Add(ORBEN_Q(kDown2, -3), ORBEN_Q(kDown2, 0)), ORBEN_Q(kDown2, 3)), cc), n7,
                       inv7, false)
            ORBEN_MASK(V::Add(V::Add(ORBEN_S(kPairDn, -6), ORBEN_S(kDown3, -3)), ORBEN_S(kPairDn, 0)),
                       V::Add(V::Add(ORBEN_Q(kPairDn, -6), ORBEN_Q(kDown3, -3)), ORBEN_Q(kPairDn, 0)), n7, inv7, false)
            ORBEN_MASK(V::Add(V::Add(ORBEN_S(kMid3, -3), ORBEN_S(kMid3, 0)), ORBEN_S(kMid3, 3)),
                       V::Add(V::Add(ORBEN_Q(kMid3, -3), ORBEN_Q(kMid3, 0)), ORBEN_Q(kMid3, 3)), n9, inv9, false)
#undef ORBEN_MASK
#undef ORBEN_Q
#undef ORBEN_S
            V::StoreBytes(out + j, V::Truncate(bestMean));
        }
        if (j <= b1) return j;
    }
    return j1 + 1;
}

} // namespace min_variance_lanes

} // namespace
