// Selective smoothing: each channel averages the 3x3 neighbours whose level lies within the allowed difference of
// the centre, with weights 2-3-2 / 3-5-3 / 2-3-2. Interior pixels slide a window of three columns (with SSE2, eight
// bytes side by side, since a byte's neighbours lie 3 bytes away whatever its channel); the picture's border takes
// the slow path that checks every cell.
#include "adjust/noise_filter.h"

#include <cstdlib>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Weight of the cell at (dx, dy): corners 2, edge neighbours 3, centre 5.
int CellWeight(int dx, int dy) { return dx == 0 && dy == 0 ? 5 : (dx != 0 && dy != 0) ? 2 : 3; }

int BorderPixel(const unsigned char *const rows[3], int width, int x, int ch, const int allowed[256]) {
    const int c = rows[1][x * 3 + ch], d = allowed[c];
    unsigned sum = 0, weight = 0;
    for (int dy = -1; dy <= 1; ++dy) {
        const unsigned char *row = rows[dy + 1];
        if (!row) continue;
        for (int dx = -1; dx <= 1; ++dx) {
            const int xx = x + dx;
            if (xx < 0 || xx >= width) continue;
            const int g = row[xx * 3 + ch];
            if (abs(c - g) > d) continue;
            const int w = CellWeight(dx, dy);
            sum += (unsigned)(w * g);
            weight += (unsigned)w;
        }
    }
    const unsigned q = DivideByWeight(sum, weight);
    return q > 255 ? 255 : (int)q;
}

// One channel of the interior columns x0...x1 (all three rows present, 1 <= x0, x1 <= width - 2).
void InteriorSpan(const unsigned char *const rows[3], unsigned char *out, int x0, int x1, int ch,
                  const int allowed[256]) {
    const unsigned char *lo = rows[0] + ch, *mi = rows[1] + ch, *hi = rows[2] + ch;
    unsigned char *o = out + ch;
    size_t i = (size_t)x0 * 3;
    int aL = lo[i - 3], bL = mi[i - 3], cL = hi[i - 3];
    int aC = lo[i], bC = mi[i], cC = hi[i];
    for (int x = x0; x <= x1; ++x, i += 3) {
        const int aR = lo[i + 3], bR = mi[i + 3], cR = hi[i + 3];
        const int c = bC;
        const int d = allowed[c];
        const unsigned span = (unsigned)(2 * d);
        unsigned sum = 5u * (unsigned)c, weight = 5;
        // A neighbour counts when c - d <= g <= c + d, tested as one unsigned comparison.
#define ORBEN_CELL(g, w)                                                                                           \
    {                                                                                                              \
        const unsigned in = (unsigned)((g) - c + d) <= span;                                                       \
        sum += in ? (unsigned)((w) * (g)) : 0u;                                                                    \
        weight += in ? (unsigned)(w) : 0u;                                                                         \
    }
        ORBEN_CELL(aL, 2) ORBEN_CELL(aC, 3) ORBEN_CELL(aR, 2)
        ORBEN_CELL(bL, 3) ORBEN_CELL(bR, 3)
        ORBEN_CELL(cL, 2) ORBEN_CELL(cC, 3) ORBEN_CELL(cR, 2)
#undef ORBEN_CELL
        const unsigned q = DivideByWeight(sum, weight);
        o[i] = (unsigned char)(q > 255 ? 255 : q);
        aL = aC; bL = bC; cL = cC;
        aC = aR; bC = bR; cC = cR;
    }
}


#if defined(__SSE2__)
// The interior of a row as one run of bytes: every byte's neighbours sit 3 bytes to either side, whatever its
// channel, so eight bytes are filtered at once in 16-bit lanes. Bytes j0...j1 (inclusive) of the row.
// The quotient goes through single precision: sums stay below 6400 and weights below 26, so the float quotient
// lies within 2^-24 * 256 of the true one while a fraction is at least 1/25 from the next whole number; the
// truncation is therefore exact.
void InteriorBytes(const unsigned char *const rows[3], unsigned char *out, int width, size_t j0, size_t j1,
                   int threshold, bool jpeg, const int allowed[256]) {
    const unsigned char *lo = rows[0], *mi = rows[1], *hi = rows[2];
    const __m128i zero = _mm_setzero_si128();
    const __m128i flatD = _mm_set1_epi16((short)threshold);
    const __m128i t = _mm_set1_epi16((short)threshold);
    const __m128i k126 = _mm_set1_epi16(126), k32 = _mm_set1_epi16(32), k5 = _mm_set1_epi16(5);
    const __m128i w2 = _mm_set1_epi16(2), w3 = _mm_set1_epi16(3);
    auto load = [zero](const unsigned char *p) { return _mm_unpacklo_epi8(_mm_loadl_epi64((const __m128i *)p), zero); };
    size_t j = j0;
    for (; j + 8 <= j1 + 1; j += 8) {
        const __m128i c = load(mi + j);
        __m128i d = flatD;
        if (jpeg) {
            const __m128i diff = _mm_sub_epi16(k126, c);
            const __m128i a = _mm_max_epi16(diff, _mm_sub_epi16(zero, diff));
            const __m128i h = _mm_add_epi16(_mm_srli_epi16(_mm_add_epi16(a, _mm_add_epi16(a, a)), 2), k32);
            d = _mm_srli_epi16(_mm_mullo_epi16(t, h), 7); // t * h <= 255 * 128 fits in 16 bits
        }
        const __m128i low = _mm_sub_epi16(c, d), high = _mm_add_epi16(c, d);
        __m128i sum = _mm_mullo_epi16(c, k5), weight = k5;
        auto cell = [&](const unsigned char *p, __m128i w) {
            const __m128i g = load(p);
            const __m128i outside = _mm_or_si128(_mm_cmpgt_epi16(low, g), _mm_cmpgt_epi16(g, high));
            sum = _mm_add_epi16(sum, _mm_andnot_si128(outside, _mm_mullo_epi16(g, w)));
            weight = _mm_add_epi16(weight, _mm_andnot_si128(outside, w));
        };
        cell(lo + j - 3, w2); cell(lo + j, w3); cell(lo + j + 3, w2);
        cell(mi + j - 3, w3); cell(mi + j + 3, w3);
        cell(hi + j - 3, w2); cell(hi + j, w3); cell(hi + j + 3, w2);
        const __m128 q0 = _mm_div_ps(_mm_cvtepi32_ps(_mm_unpacklo_epi16(sum, zero)),
                                     _mm_cvtepi32_ps(_mm_unpacklo_epi16(weight, zero)));
        const __m128 q1 = _mm_div_ps(_mm_cvtepi32_ps(_mm_unpackhi_epi16(sum, zero)),
                                     _mm_cvtepi32_ps(_mm_unpackhi_epi16(weight, zero)));
        const __m128i q = _mm_packs_epi32(_mm_cvttps_epi32(q0), _mm_cvttps_epi32(q1));
        _mm_storel_epi64((__m128i *)(out + j), _mm_packus_epi16(q, q));
    }
    for (; j <= j1; ++j) out[j] = (unsigned char)BorderPixel(rows, width, (int)(j / 3), (int)(j % 3), allowed);
}
#endif

} // namespace

void BuildAllowedDifferences(const NoiseSettings &settings, int allowed[256]) {
    const int t = settings.threshold < 0 ? 0 : settings.threshold > 255 ? 255 : settings.threshold;
    for (int c = 0; c < 256; ++c) {
        // JPEG mode: 32 at level 126, growing to 126 at level 0 and 128 at level 255.
        const int h = settings.jpeg ? abs(126 - c) * 3 / 4 + 32 : 128;
        allowed[c] = t * h / 128;
    }
}

void NoiseFilterRow(const unsigned char *const rows[3], unsigned char *out, int width, const NoiseSettings &settings,
                    ColumnWindow cols) {
    const int first = cols.first < 0 ? 0 : cols.first, last = cols.last > width - 1 ? width - 1 : cols.last;
    if (first > last) return;
    int allowed[256];
    BuildAllowedDifferences(settings, allowed);
    const bool fullRows = rows[0] && rows[2];
    const int in0 = first < 1 ? 1 : first, in1 = last > width - 2 ? width - 2 : last;
#if defined(__SSE2__)
    if (fullRows && in0 <= in1) {
        const int t = settings.threshold < 0 ? 0 : settings.threshold > 255 ? 255 : settings.threshold;
        InteriorBytes(rows, out, width, (size_t)in0 * 3, (size_t)in1 * 3 + 2, t, settings.jpeg, allowed);
        for (int ch = 0; ch < 3; ++ch) {
            if (!settings.channels.ByteOn(ch)) {
                for (int x = first; x <= last; ++x) out[x * 3 + ch] = rows[1][x * 3 + ch];
                continue;
            }
            for (int x = first; x < in0; ++x) out[x * 3 + ch] = (unsigned char)BorderPixel(rows, width, x, ch, allowed);
            for (int x = in1 + 1; x <= last; ++x)
                out[x * 3 + ch] = (unsigned char)BorderPixel(rows, width, x, ch, allowed);
        }
        return;
    }
#endif
    for (int ch = 0; ch < 3; ++ch) {
        if (!settings.channels.ByteOn(ch)) {
            for (int x = first; x <= last; ++x) out[x * 3 + ch] = rows[1][x * 3 + ch];
            continue;
        }
        if (!fullRows || in0 > in1) {
            for (int x = first; x <= last; ++x) out[x * 3 + ch] = (unsigned char)BorderPixel(rows, width, x, ch, allowed);
            continue;
        }
        for (int x = first; x < in0; ++x) out[x * 3 + ch] = (unsigned char)BorderPixel(rows, width, x, ch, allowed);
        InteriorSpan(rows, out, in0, in1, ch, allowed);
        for (int x = in1 + 1; x <= last; ++x) out[x * 3 + ch] = (unsigned char)BorderPixel(rows, width, x, ch, allowed);
    }
}
