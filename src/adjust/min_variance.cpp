// Minimum variance: interior pixels build, once per column, the partial sums and sums of squares that the masks
// are made of (three-row runs, pairs and single cells), so each mask costs two or three additions; a mask's
// spread then follows from its sums as sq - 2*mean*sum + n*mean^2, which equals the sum of squared deviations
// exactly in integers. Border pixels evaluate every present cell.
#include "adjust/min_variance.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
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
// The interior as one run of bytes, four at a time in single precision: every byte's masks reach 3 and 6 bytes
// to either side whatever its channel. All values are whole numbers below 2^24 (squares sum to at most 585225,
// mean x (2 sum - n mean) to at most 255 x 4590), so every sum, product and comparison is exact. The mean
// sum / n is taken as trunc(sum * (1/n) + 1/64): the product is within 1e-4 of the true quotient, whose
// fraction is 0 or at least 1/9 from the next whole number.
enum { kMid3, kUp3, kDown3, kUp2, kDown2, kPairUp, kPairDn, kOne, kMinus1, kCentre, kRuns };
constexpr size_t kSpan = 240; // bytes per block, a multiple of 4 and 3

void InteriorBytes(const unsigned char *const rows[5], unsigned char *out, int width, size_t j0, size_t j1) {
    alignas(16) float sums[kRuns][kSpan + 16], squares[kRuns][kSpan + 16];
    const __m128 inv7 = _mm_set1_ps(1.0f / 7), inv9 = _mm_set1_ps(1.0f / 9), bias = _mm_set1_ps(1.0f / 64);
    const __m128 n7 = _mm_set1_ps(7), n9 = _mm_set1_ps(9);
    for (size_t b0 = j0; b0 <= j1; b0 += kSpan) {
        const size_t b1 = b0 + kSpan - 1 < j1 ? b0 + kSpan - 1 : j1;
        const size_t base = b0 - 6; // byte of index 0 in the run arrays
        size_t k = 0, j = base;
        auto load4 = [](const unsigned char *p) {
            int v;
            memcpy(&v, p, 4);
            const __m128i zero = _mm_setzero_si128();
            return _mm_cvtepi32_ps(_mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(v), zero), zero));
        };
        for (; j + 3 <= b1 + 6; k += 4, j += 4) {
            const __m128 g0 = load4(rows[0] + j), g1 = load4(rows[1] + j), g2 = load4(rows[2] + j),
                         g3 = load4(rows[3] + j), g4 = load4(rows[4] + j);
            const __m128 s0 = _mm_mul_ps(g0, g0), s1 = _mm_mul_ps(g1, g1), s2 = _mm_mul_ps(g2, g2),
                         s3 = _mm_mul_ps(g3, g3), s4 = _mm_mul_ps(g4, g4);
            const __m128 g12 = _mm_add_ps(g1, g2), g23 = _mm_add_ps(g2, g3);
            const __m128 s12 = _mm_add_ps(s1, s2), s23 = _mm_add_ps(s2, s3);
            _mm_store_ps(&sums[kMid3][k], _mm_add_ps(g12, g3));   _mm_store_ps(&squares[kMid3][k], _mm_add_ps(s12, s3));
            _mm_store_ps(&sums[kUp3][k], _mm_add_ps(g23, g4));    _mm_store_ps(&squares[kUp3][k], _mm_add_ps(s23, s4));
            _mm_store_ps(&sums[kDown3][k], _mm_add_ps(g0, g12));  _mm_store_ps(&squares[kDown3][k], _mm_add_ps(s0, s12));
            _mm_store_ps(&sums[kUp2][k], _mm_add_ps(g3, g4));     _mm_store_ps(&squares[kUp2][k], _mm_add_ps(s3, s4));
            _mm_store_ps(&sums[kDown2][k], _mm_add_ps(g0, g1));   _mm_store_ps(&squares[kDown2][k], _mm_add_ps(s0, s1));
            _mm_store_ps(&sums[kPairUp][k], g23);                 _mm_store_ps(&squares[kPairUp][k], s23);
            _mm_store_ps(&sums[kPairDn][k], g12);                 _mm_store_ps(&squares[kPairDn][k], s12);
            _mm_store_ps(&sums[kOne][k], g3);                     _mm_store_ps(&squares[kOne][k], s3);
            _mm_store_ps(&sums[kMinus1][k], g1);                  _mm_store_ps(&squares[kMinus1][k], s1);
            _mm_store_ps(&sums[kCentre][k], g2);                  _mm_store_ps(&squares[kCentre][k], s2);
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
        j = b0;
        for (; j + 4 <= b1 + 1; j += 4) {
            k = j - base;
            auto S = [&](int run, int off) { return _mm_loadu_ps(&sums[run][k + off]); };
            auto Q = [&](int run, int off) { return _mm_loadu_ps(&squares[run][k + off]); };
            const __m128 c = S(kCentre, 0), cc = Q(kCentre, 0);
            __m128 bestSpread = _mm_setzero_ps(), bestMean = _mm_setzero_ps();
            auto mask = [&](__m128 sum, __m128 sq, __m128 n, __m128 inv, bool first) {
                const __m128 mean = _mm_cvtepi32_ps(_mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(sum, inv), bias)));
                const __m128 t = _mm_sub_ps(_mm_add_ps(sum, sum), _mm_mul_ps(n, mean));
                const __m128 spread = _mm_sub_ps(sq, _mm_mul_ps(mean, t));
                if (first) {
                    bestSpread = spread;
                    bestMean = mean;
                    return;
                }
                const __m128 better = _mm_cmplt_ps(spread, bestSpread); // ties keep the earlier mask
                bestSpread = _mm_min_ps(spread, bestSpread);
                bestMean = _mm_or_ps(_mm_and_ps(better, mean), _mm_andnot_ps(better, bestMean));
            };
            mask(_mm_add_ps(_mm_add_ps(S(kMid3, -6), S(kMid3, -3)), c),
                 _mm_add_ps(_mm_add_ps(Q(kMid3, -6), Q(kMid3, -3)), cc), n7, inv7, true);
            mask(_mm_add_ps(_mm_add_ps(S(kOne, -6), S(kUp3, -3)), S(kUp3, 0)),
                 _mm_add_ps(_mm_add_ps(Q(kOne, -6), Q(kUp3, -3)), Q(kUp3, 0)), n7, inv7, false);
            mask(_mm_add_ps(_mm_add_ps(_mm_add_ps(S(kUp2, -3), S(kUp2, 0)), S(kUp2, 3)), c),
                 _mm_add_ps(_mm_add_ps(_mm_add_ps(Q(kUp2, -3), Q(kUp2, 0)), Q(kUp2, 3)), cc), n7, inv7, false);
            mask(_mm_add_ps(_mm_add_ps(S(kPairUp, 0), S(kUp3, 3)), S(kPairUp, 6)),
                 _mm_add_ps(_mm_add_ps(Q(kPairUp, 0), Q(kUp3, 3)), Q(kPairUp, 6)), n7, inv7, false);
            mask(_mm_add_ps(_mm_add_ps(S(kMid3, 3), S(kMid3, 6)), c),
                 _mm_add_ps(_mm_add_ps(Q(kMid3, 3), Q(kMid3, 6)), cc), n7, inv7, false);
            mask(_mm_add_ps(_mm_add_ps(S(kDown3, 0), S(kDown3, 3)), S(kMinus1, 6)),
                 _mm_add_ps(_mm_add_ps(Q(kDown3, 0), Q(kDown3, 3)), Q(kMinus1, 6)), n7, inv7, false);
            mask(_mm_add_ps(_mm_add_ps(_mm_add_ps(S(kDown2, -3), S(kDown2, 0)), S(kDown2, 3)), c),
                 _mm_add_ps(_mm_add_ps(_mm_add_ps(Q(kDown2, -3), Q(kDown2, 0)), Q(kDown2, 3)), cc), n7, inv7, false);
            mask(_mm_add_ps(_mm_add_ps(S(kPairDn, -6), S(kDown3, -3)), S(kPairDn, 0)),
                 _mm_add_ps(_mm_add_ps(Q(kPairDn, -6), Q(kDown3, -3)), Q(kPairDn, 0)), n7, inv7, false);
            mask(_mm_add_ps(_mm_add_ps(S(kMid3, -3), S(kMid3, 0)), S(kMid3, 3)),
                 _mm_add_ps(_mm_add_ps(Q(kMid3, -3), Q(kMid3, 0)), Q(kMid3, 3)), n9, inv9, false);
            const __m128i m32 = _mm_cvttps_epi32(bestMean);
            const __m128i m16 = _mm_packs_epi32(m32, m32);
            const int bytes = _mm_cvtsi128_si32(_mm_packus_epi16(m16, m16));
            memcpy(out + j, &bytes, 4);
        }
        for (; j <= b1; ++j) out[j] = (unsigned char)BorderPixel(rows, width, (int)(j / 3), (int)(j % 3));
    }
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
