// The edge map, computed row by row into a fresh picture.
#include "adjust/edges.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

inline int Diff(int a, int b) { return a > b ? a - b : b - a; }
inline int Max(int a, int b) { return a > b ? a : b; }

// Strength of pixel x with every neighbour present; channel differences are taken byte for byte.
inline int FullStrength(const unsigned char *below, const unsigned char *row, const unsigned char *above, size_t i) {
    int m = 0;
    for (int ch = 0; ch < 3; ++ch) {
        const int v = row[i + ch];
        m = Max(m, Diff(v, above[i + ch]));
        m = Max(m, Diff(v, below[i + 3 + ch]));
        m = Max(m, Diff(v, row[i + 3 + ch]));
        m = Max(m, Diff(v, above[i + 3 + ch]));
    }
    return m;
}

#if defined(__SSE2__)
inline __m128i Load16(const unsigned char *p) { return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p)); }
inline __m128i AbsDiff(__m128i a, __m128i b) { return _mm_or_si128(_mm_subs_epu8(a, b), _mm_subs_epu8(b, a)); }

// Pixels x0 ... x0 + 63 with every neighbour present (x0 + 64 < width): per byte the largest difference to its
// four neighbours, sixteen bytes at a time, then the largest of each pixel's three bytes.
void FullStrengthBlock(const unsigned char *below, const unsigned char *row, const unsigned char *above,
                       unsigned char *out, size_t x0) {
    alignas(16) unsigned char d[192];
    const size_t i0 = 3 * x0;
    for (size_t k = 0; k < 192; k += 16) {
        const size_t i = i0 + k;
        const __m128i v = Load16(row + i);
        const __m128i m = _mm_max_epu8(_mm_max_epu8(AbsDiff(v, Load16(above + i)), AbsDiff(v, Load16(below + i + 3))),
                                       _mm_max_epu8(AbsDiff(v, Load16(row + i + 3)), AbsDiff(v, Load16(above + i + 3))));
        _mm_store_si128(reinterpret_cast<__m128i *>(d + k), m);
    }
    unsigned char *o = out + i0;
    for (int p = 0; p < 64; ++p, o += 3) {
        const unsigned char m = (unsigned char)Max(Max(d[3 * p], d[3 * p + 1]), d[3 * p + 2]);
        o[0] = o[1] = o[2] = m;
    }
}
#endif

} // namespace

void EdgeRow(const unsigned char *below, const unsigned char *row, const unsigned char *above, unsigned char *out,
             int width) {
    int x = 0;
    if (below && above) {
#if defined(__SSE2__)
        for (; x + 64 < width; x += 64) FullStrengthBlock(below, row, above, out, (size_t)x);
#endif
        for (size_t i = 3 * (size_t)x; x < width - 1; ++x, i += 3) {
            const unsigned char m = (unsigned char)FullStrength(below, row, above, i);
            out[i] = out[i + 1] = out[i + 2] = m;
        }
    }
    for (; x < width; ++x) {
        const size_t i = (size_t)x * 3;
        const bool right = x + 1 < width;
        int m = 0;
        for (int ch = 0; ch < 3; ++ch) {
            const int v = row[i + ch];
            if (above) m = Max(m, Diff(v, above[i + ch]));
            if (right && below) m = Max(m, Diff(v, below[i + 3 + ch]));
            if (right) m = Max(m, Diff(v, row[i + 3 + ch]));
            if (right && above) m = Max(m, Diff(v, above[i + 3 + ch]));
        }
        out[i] = out[i + 1] = out[i + 2] = (unsigned char)m;
    }
}

PackedDib EdgeMap(PackedDib picture, bool reportProgress) {
    LockedPicture24 pic(picture);
    if (!pic.ok()) return nullptr;
    RowProgress bar(reportProgress, nullptr, pic.height); // shown, never advanced
    PackedDib out = NewBlockLike(picture, pic);
    if (!out) return nullptr;
    LockedPicture24 dst(out);
    const int threads = WorkerThreads();
    ForEachRowChunk(
        pic.height, ChunkRowsForFreshRows(pic.height, threads, pic.stride), threads,
        [&](int64_t first, int64_t end, int) {
            for (int r = (int)first; r < (int)end; ++r)
                EdgeRow(r > 0 ? pic.Row(r - 1) : nullptr, pic.Row(r), r + 1 < pic.height ? pic.Row(r + 1) : nullptr,
                        dst.Row(r), pic.width);
        },
        nullptr);
    return out;
}
