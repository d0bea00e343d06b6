// Minimum variance: interior pixels build, once per column, the partial sums and sums of squares that the masks
// are made of (three-row runs, pairs and single cells), so each mask costs two or three additions; a mask's
// spread then follows from its sums as sq - 2*mean*sum + n*mean^2, which equals the sum of squared deviations
// exactly in integers. Border pixels evaluate every present cell.
#include "adjust/min_variance.h"

#include <cstring>

#include "platform/vector_width.h"

#if defined(__SSE2__)
#include <emmintrin.h>

#include "adjust/min_variance_lanes.h"
#endif

const MaskCell kVarianceMasks[9][8] = {
    {{-2, -1}, {-2, 0}, {-2, 1}, {-1, -1}, {-1, 0}, {-1, 1}},
    {{-2, 1}, {-1, 0}, {-1, 1}, {-1, 2}, {0, 1}, {0, 2}},
    {{-1, 1}, {-1, 2}, {0, 1}, {0, 2}, {1, 1}, {1, 2}},
    {{0, 1}, {1, 0}, {1, 1}, {1, 2}, {2, 0}, {2, 1}},
    {{1, -1}, {1, 0}, {1, 1}, {2, -1}, {2, 0}, {2, 1}},
    {{0, -2}, {0, -1}, {1, -2}, {1, -1}, {1, 0}, {2, -1}},
    {{-1, -2}, {-1, -1}, {0, -2}, {0, -1}, {1, -2}, {1, -1}},
    {{-2, -1}, {-2, 0}, {-1, -2}, {-1, -1}, {-1, 0}, {0, -1}},
    {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}},
};

namespace {

int BorderPixel(const unsigned char *const rows[5], int width, int x, int ch) {
    const int c = rows[2][x * 3 + ch];
    int64_t best = -1;
    int bestMean = c;
    for (int m = 0; m < 9; ++m) {
        int n = 1, sum = c, sq = c * c;
        for (int k = 0; k < VarianceMaskSize(m); ++k) {
            const int xx = x + kVarianceMasks[m][k].dx;
            const unsigned char *row = rows[2 + kVarianceMasks[m][k].dy];
            if (!row || xx < 0 || xx >= width) continue;
            const int g = row[xx * 3 + ch];
            ++n;
            sum += g;
            sq += g * g;
        }
        const int mean = sum / n;
        const int64_t spread = (int64_t)sq - 2 * (int64_t)mean * sum + (int64_t)n * mean * mean;
        if (best < 0 || spread < best) {
            best = spread;
            bestMean = mean;
        }
    }
    return bestMean;
}

// Per-column runs of one channel, named by the stored-row offsets they cover.
struct ColumnSums {
    int mid3;   // -1..1
    int up3;    //  0..2
    int down3;  // -2..0
    int up2;    //  1..2
    int down2;  // -2..-1
    int pairUp; //  0..1
    int pairDn; // -1..0
    int one;    // +1
    int minus1; // -1
};

inline void MakeColumn(const unsigned char *const rows[5], size_t i, ColumnSums *s, ColumnSums *q) {
    const int g0 = rows[0][i], g1 = rows[1][i], g2 = rows[2][i], g3 = rows[3][i], g4 = rows[4][i];
    const int s0 = g0 * g0, s1 = g1 * g1, s2 = g2 * g2, s3 = g3 * g3, s4 = g4 * g4;
    s->mid3 = g1 + g2 + g3;  q->mid3 = s1 + s2 + s3;
    s->up3 = g2 + g3 + g4;   q->up3 = s2 + s3 + s4;
    s->down3 = g0 + g1 + g2; q->down3 = s0 + s1 + s2;
    s->up2 = g3 + g4;        q->up2 = s3 + s4;
    s->down2 = g0 + g1;      q->down2 = s0 + s1;
    s->pairUp = g2 + g3;     q->pairUp = s2 + s3;
    s->pairDn = g1 + g2;     q->pairDn = s1 + s2;
    s->one = g3;             q->one = s3;
    s->minus1 = g1;          q->minus1 = s1;
}

constexpr int kBlock = 128;

// One channel of the interior columns x0...x1 (all five rows present, 2 <= x0, x1 <= width - 3).
void InteriorSpan(const unsigned char *const rows[5], unsigned char *out, int x0, int x1, int ch) {
    ColumnSums s[kBlock + 4], q[kBlock + 4];
    const unsigned char *r[5] = {rows[0] + ch, rows[1] + ch, rows[2] + ch, rows[3] + ch, rows[4] + ch};
    for (int b0 = x0; b0 <= x1; b0 += kBlock) {
        const int b1 = b0 + kBlock - 1 < x1 ? b0 + kBlock - 1 : x1;
        // Columns b0 - 2 ... b1 + 2 sit at indexes 0 ... b1 - b0 + 4.
        for (int x = b0 - 2, k = 0; x <= b1 + 2; ++x, ++k) MakeColumn(r, (size_t)x * 3, &s[k], &q[k]);
        for (int x = b0, k = 2; x <= b1; ++x, ++k) {
            const int c = r[2][(size_t)x * 3], cc = c * c;
            const ColumnSums &sL2 = s[k - 2], &sL1 = s[k - 1], &sC = s[k], &sR1 = s[k + 1], &sR2 = s[k + 2];
            const ColumnSums &qL2 = q[k - 2], &qL1 = q[k - 1], &qC = q[k], &qR1 = q[k + 1], &qR2 = q[k + 2];
            int bestSpread = 0, bestMean = 0;
            // Masks 0-7 hold seven cells, mask 8 nine.
#define ORBEN_MASK(sumExpr, sqExpr, n, first)                                                                      \
    {                                                                                                              \
        const int sum = (sumExpr), sq = (sqExpr), mean = sum / (n);                                                \
        const int spread = sq - mean * (2 * sum - (n) * mean);                                                     \
        const bool better = (first) || spread < bestSpread; /* selects, no branch to mispredict */               \
        bestSpread = better ? spread : bestSpread;                                                                 \
        bestMean = better ? mean : bestMean;                                                                       \
    }
            ORBEN_MASK(sL2.mid3 + sL1.mid3 + c, qL2.mid3 + qL1.mid3 + cc, 7, true)
            ORBEN_MASK(sL2.one + sL1.up3 + sC.up3, qL2.one + qL1.up3 + qC.up3, 7, false)
            ORBEN_MASK(sL1.up2 + sC.up2 + sR1.up2 + c, qL1.up2 + qC.up2 + qR1.up2 + cc, 7, false)
            ORBEN_MASK(sC.pairUp + sR1.up3 + sR2.pairUp, qC.pairUp + qR1.up3 + qR2.pairUp, 7, false)
            ORBEN_MASK(sR1.mid3 + sR2.mid3 + c, qR1.mid3 + qR2.mid3 + cc, 7, false)
            ORBEN_MASK(sC.down3 + sR1.down3 + sR2.minus1, qC.down3 + qR1.down3 + qR2.minus1, 7, false)
            ORBEN_MASK(sL1.down2 + sC.down2 + sR1.down2 + c, qL1.down2 + qC.down2 + qR1.down2 + cc, 7, false)
            ORBEN_MASK(sL2.pairDn + sL1.down3 + sC.pairDn, qL2.pairDn + qL1.down3 + qC.pairDn, 7, false)
            ORBEN_MASK(sL1.mid3 + sC.mid3 + sR1.mid3, qL1.mid3 + qC.mid3 + qR1.mid3, 9, false)
#undef ORBEN_MASK
            out[(size_t)x * 3 + ch] = (unsigned char)bestMean;
        }
    }
}


#if defined(__SSE2__)
void InteriorBytes(const unsigned char *const rows[5], unsigned char *out, int width, size_t j0, size_t j1) {
    size_t j = j0;
    if (WideVectors()) j = MinVarianceInteriorWide(rows, out, j0, j1);
    if (j <= j1) j = min_variance_lanes::InteriorLanes<Lanes128>(rows, out, j, j1);
    // The few bytes left: one more run of four ending at the last, over bytes already done (the same values
    // again, as `out` is not one of the rows read).
    if (j <= j1 && j1 + 1 - j0 >= 4) j = min_variance_lanes::InteriorLanes<Lanes128>(rows, out, j1 + 1 - 4, j1);
    for (; j <= j1; ++j) out[j] = (unsigned char)BorderPixel(rows, width, (int)(j / 3), (int)(j % 3));
}
#endif

} // namespace

void MinVarianceRow(const unsigned char *const rows[5], unsigned char *out, int width, const ChannelSwitches &channels,
                    ColumnWindow cols) {
    const int first = cols.first < 0 ? 0 : cols.first, last = cols.last > width - 1 ? width - 1 : cols.last;
    if (first > last) return;
    const bool fullRows = rows[0] && rows[1] && rows[3] && rows[4];
    const int in0 = first < 2 ? 2 : first, in1 = last > width - 3 ? width - 3 : last;
#if defined(__SSE2__)
    if (fullRows && in0 <= in1) {
        InteriorBytes(rows, out, width, (size_t)in0 * 3, (size_t)in1 * 3 + 2);
        for (int ch = 0; ch < 3; ++ch) {
            if (!channels.ByteOn(ch)) {
                for (int x = first; x <= last; ++x) out[x * 3 + ch] = rows[2][x * 3 + ch];
                continue;
            }
            for (int x = first; x < in0; ++x) out[x * 3 + ch] = (unsigned char)BorderPixel(rows, width, x, ch);
            for (int x = in1 + 1; x <= last; ++x) out[x * 3 + ch] = (unsigned char)BorderPixel(rows, width, x, ch);
        }
        return;
    }
#endif
    for (int ch = 0; ch < 3; ++ch) {
        if (!channels.ByteOn(ch)) {
            for (int x = first; x <= last; ++x) out[x * 3 + ch] = rows[2][x * 3 + ch];
            continue;
        }
        if (!fullRows || in0 > in1) {
            for (int x = first; x <= last; ++x) out[x * 3 + ch] = (unsigned char)BorderPixel(rows, width, x, ch);
            continue;
        }
        for (int x = first; x < in0; ++x) out[x * 3 + ch] = (unsigned char)BorderPixel(rows, width, x, ch);
        InteriorSpan(rows, out, in0, in1, ch);
        for (int x = in1 + 1; x <= last; ++x) out[x * 3 + ch] = (unsigned char)BorderPixel(rows, width, x, ch);
    }
}
