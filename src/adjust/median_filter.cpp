// Median of nine: interior pixels sort each column of three once and share it with the next two pixels; the
// median is then the middle of (largest low, middle of middles, smallest high). Border pixels sort their window
// with absent cells as -1 and pick by the edge index rule.
#include "adjust/median_filter.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

inline void Sort2(int &a, int &b) {
    const int lo = a < b ? a : b, hi = a < b ? b : a;
    a = lo;
    b = hi;
}
inline int Max3(int a, int b, int c) { const int m = a > b ? a : b; return m > c ? m : c; }
inline int Min3(int a, int b, int c) { const int m = a < b ? a : b; return m < c ? m : c; }
inline int Mid3(int a, int b, int c) {
    Sort2(a, b);
    Sort2(b, c);
    return a > b ? a : b;
}

// The six cells sorted by a twelve-comparator network: branch-free, as the levels are noise to a predictor.
template <class T, class Sort>
void SortSix(T v[6], Sort sort2) {
    static const int kPairs[12][2] = {{0, 5}, {1, 3}, {2, 4}, {1, 2}, {3, 4}, {0, 3},
                                      {2, 5}, {0, 1}, {2, 3}, {4, 5}, {1, 2}, {3, 4}};
    for (const auto &pair : kPairs) sort2(v[pair[0]], v[pair[1]]);
}

int BorderPixel(const unsigned char *const rows[3], int width, int x, int ch) {
    // Six cells present (a side or the top or bottom row, not a corner): three absent ones sort first and the
    // index rule lands on the third smallest present value.
    if (x > 0 && x < width - 1 && (rows[0] != nullptr) != (rows[2] != nullptr)) {
        const unsigned char *other = rows[0] ? rows[0] : rows[2];
        const size_t i = (size_t)x * 3 + ch;
        int v[6] = {rows[1][i - 3], rows[1][i], rows[1][i + 3], other[i - 3], other[i], other[i + 3]};
        SortSix(v, [](int &a, int &b) { Sort2(a, b); });
        return v[2];
    }
    if ((x == 0 || x == width - 1) && width > 1 && rows[0] && rows[2]) {
        const int near = x == 0 ? 1 : width - 2;
        int v[6];
        for (int dy = 0; dy < 3; ++dy) v[2 * dy] = rows[dy][x * 3 + ch], v[2 * dy + 1] = rows[dy][near * 3 + ch];
        SortSix(v, [](int &a, int &b) { Sort2(a, b); });
        return v[2];
    }
    int v[9], n = 0, present = 0;
    for (int dy = 0; dy < 3; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const int xx = x + dx;
            if (!rows[dy] || xx < 0 || xx >= width) {
                v[n++] = -1;
            } else {
                v[n++] = rows[dy][xx * 3 + ch];
                ++present;
            }
        }
    }
    for (int i = 1; i < 9; ++i) { // insertion sort, ascending
        const int key = v[i];
        int j = i - 1;
        for (; j >= 0 && v[j] > key; --j) v[j + 1] = v[j];
        v[j + 1] = key;
    }
    int index = 4 + (v[1] == -1 ? 1 : 0) + (v[3] == -1 ? 1 : 0);
    if (v[index] == -1) index = 9 - present; // fewer than four present: the smallest present value
    return v[index];
}

void InteriorSpan(const unsigned char *const rows[3], unsigned char *out, int x0, int x1, int ch) {
    const unsigned char *lo = rows[0] + ch, *mi = rows[1] + ch, *hi = rows[2] + ch;
    size_t i = (size_t)x0 * 3;
    int l0 = lo[i - 3], m0 = mi[i - 3], h0 = hi[i - 3];
    Sort2(l0, m0); Sort2(m0, h0); Sort2(l0, m0);
    int l1 = lo[i], m1 = mi[i], h1 = hi[i];
    Sort2(l1, m1); Sort2(m1, h1); Sort2(l1, m1);
    for (int x = x0; x <= x1; ++x, i += 3) {
        int l2 = lo[i + 3], m2 = mi[i + 3], h2 = hi[i + 3];
        Sort2(l2, m2); Sort2(m2, h2); Sort2(l2, m2);
        out[i + ch] = (unsigned char)Mid3(Max3(l0, l1, l2), Mid3(m0, m1, m2), Min3(h0, h1, h2));
        l0 = l1; m0 = m1; h0 = h1;
        l1 = l2; m1 = m2; h1 = h2;
    }
}

#if defined(__SSE2__)
inline void Sort2(__m128i &a, __m128i &b) {
    const __m128i lo = _mm_min_epu8(a, b);
    b = _mm_max_epu8(a, b);
    a = lo;
}
inline __m128i Load16(const unsigned char *p) { return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p)); }
inline void Store16(unsigned char *p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i *>(p), v); }

// The median of nine for the interior bytes j0 ... j1 (inclusive) of a row, sixteen at a time: a byte's
// neighbours lie 3 bytes to either side whatever its channel, so the column rule above runs on byte lanes. The
// row goes in strips: first every column of the strip (and the three on either side) is sorted once into lows,
// middles and highs, then each byte combines its own and its neighbours' columns, instead of sorting each column
// again for all three bytes that use it.
// Returns the first byte not done (fewer than sixteen remain). `ahead` (may be null): a row to be fetched into the
// cache meanwhile, one line per 64 bytes done.
size_t InteriorBytes(const unsigned char *const rows[3], unsigned char *out, size_t j0, size_t j1,
                     const unsigned char *ahead) {
    constexpr size_t kStrip = 1024;
    alignas(16) unsigned char sorted[3][kStrip + 16]; // lows, middles, highs of the columns j - 3 ... j + n + 2
    size_t j = j0;
    while (j + 16 <= j1 + 1) {
        size_t n = (j1 + 1 - j) / 16 * 16;
        if (n > kStrip) n = kStrip;
        const size_t columns = n + 6;
        const unsigned char *lo = rows[0] + j - 3, *mi = rows[1] + j - 3, *hi = rows[2] + j - 3;
        for (size_t i = 0;; i += 16) {
            if (i + 16 > columns) i = columns - 16; // the last sixteen end at the last column, over some done
            __m128i l = Load16(lo + i), m = Load16(mi + i), h = Load16(hi + i);
            Sort2(l, m);
            Sort2(m, h);
            Sort2(l, m);
            Store16(sorted[0] + i, l), Store16(sorted[1] + i, m), Store16(sorted[2] + i, h);
            if (i + 16 == columns) break;
        }
        if (ahead)
            for (size_t i = 0; i < n; i += 64) _mm_prefetch(reinterpret_cast<const char *>(ahead + j + i), _MM_HINT_T1);
        for (size_t i = 0; i < n; i += 16) {
            const unsigned char *l = sorted[0] + i, *m = sorted[1] + i, *h = sorted[2] + i;
            const __m128i lowMax = _mm_max_epu8(_mm_max_epu8(Load16(l), Load16(l + 3)), Load16(l + 6));
            const __m128i highMin = _mm_min_epu8(_mm_min_epu8(Load16(h), Load16(h + 3)), Load16(h + 6));
            __m128i m0 = Load16(m), m1 = Load16(m + 3);
            Sort2(m0, m1);
            const __m128i midMid = _mm_max_epu8(m0, _mm_min_epu8(m1, Load16(m + 6)));
            __m128i a = lowMax, b = midMid;
            Sort2(a, b);
            Store16(out + j + i, _mm_max_epu8(a, _mm_min_epu8(b, highMin)));
        }
        j += n;
    }
    return j;
}
#endif

#if defined(__SSE2__)
// A top or bottom row: every interior byte has six cells (its row and the one neighbour row, three columns), and
// the third smallest is the median by the index rule. Bytes j0 ... j1 (inclusive), sixteen at a time; returns the
// first byte not done.
size_t SixCellBytes(const unsigned char *row, const unsigned char *other, unsigned char *out, size_t j0, size_t j1) {
    size_t j = j0;
    for (; j + 16 <= j1 + 1; j += 16) {
        __m128i v[6] = {Load16(row + j - 3), Load16(row + j), Load16(row + j + 3),
                        Load16(other + j - 3), Load16(other + j), Load16(other + j + 3)};
        SortSix(v, [](__m128i &a, __m128i &b) { Sort2(a, b); });
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + j), v[2]);
    }
    return j;
}
#endif

} // namespace

void MedianFilterRow(const unsigned char *const rows[3], unsigned char *out, int width, ColumnWindow cols,
                     const unsigned char *ahead) {
    const int first = cols.first < 0 ? 0 : cols.first, last = cols.last > width - 1 ? width - 1 : cols.last;
    if (first > last) return;
    const bool fullRows = rows[0] && rows[2];
    const int in0 = first < 1 ? 1 : first, in1 = last > width - 2 ? width - 2 : last;
#if defined(__SSE2__)
    if (fullRows && in0 <= in1) {
        const size_t j0 = (size_t)in0 * 3, j1 = (size_t)in1 * 3 + 2;
        size_t j = InteriorBytes(rows, out, j0, j1, ahead);
        // The few bytes left: one more run of sixteen ending at the last, over bytes already done (the same
        // values again, as `out` is not one of the rows read).
        if (j <= j1 && j1 + 1 - j0 >= 16) j = InteriorBytes(rows, out, j1 + 1 - 16, j1, nullptr);
        for (; j <= j1; ++j)
            out[j] = (unsigned char)BorderPixel(rows, width, (int)(j / 3), (int)(j % 3));
        for (int ch = 0; ch < 3; ++ch) {
            for (int x = first; x < in0; ++x) out[x * 3 + ch] = (unsigned char)BorderPixel(rows, width, x, ch);
            for (int x = in1 + 1; x <= last; ++x) out[x * 3 + ch] = (unsigned char)BorderPixel(rows, width, x, ch);
        }
        return;
    }
    if ((rows[0] != nullptr) != (rows[2] != nullptr) && in0 <= in1) {
        const unsigned char *other = rows[0] ? rows[0] : rows[2];
        const size_t j0 = (size_t)in0 * 3, j1 = (size_t)in1 * 3 + 2;
        size_t j = SixCellBytes(rows[1], other, out, j0, j1);
        if (j <= j1 && j1 + 1 - j0 >= 16) j = SixCellBytes(rows[1], other, out, j1 + 1 - 16, j1);
        for (; j <= j1; ++j) out[j] = (unsigned char)BorderPixel(rows, width, (int)(j / 3), (int)(j % 3));
        for (int ch = 0; ch < 3; ++ch) {
            for (int x = first; x < in0; ++x) out[x * 3 + ch] = (unsigned char)BorderPixel(rows, width, x, ch);
            for (int x = in1 + 1; x <= last; ++x) out[x * 3 + ch] = (unsigned char)BorderPixel(rows, width, x, ch);
        }
        return;
    }
#else
    (void)ahead;
#endif
    for (int ch = 0; ch < 3; ++ch) {
        if (!fullRows || in0 > in1) {
            for (int x = first; x <= last; ++x) out[x * 3 + ch] = (unsigned char)BorderPixel(rows, width, x, ch);
            continue;
        }
        for (int x = first; x < in0; ++x) out[x * 3 + ch] = (unsigned char)BorderPixel(rows, width, x, ch);
        InteriorSpan(rows, out, in0, in1, ch);
        for (int x = in1 + 1; x <= last; ++x) out[x * 3 + ch] = (unsigned char)BorderPixel(rows, width, x, ch);
    }
}
