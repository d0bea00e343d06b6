// Enlargement passes: rows and columns are repeated, and a repeated one is smoothed toward the next source row or
// column where the neighbour estimate points that way and the local difference stays within the threshold.
#include <cstring>

#include "platform/vector_width.h"
#include "platform/workers.h"
#include "transform/resize.h"
#include "transform/resize_passes.h"
#include "transform/scratch.h"

#if defined(__SSE2__)
#include <emmintrin.h>

#include "transform/resize_lanes.h"
#endif

namespace {

// The neighbour estimate for a byte whose 5 x 5 surroundings lie inside the picture, so every direction counts.
// p points at the byte; up and down step one stored row back and forward.
inline NeighbourEstimateResult EstimateInterior(const unsigned char *p, ptrdiff_t up, ptrdiff_t down) {
    const int c = p[0], l = p[-3], r = p[3], u = p[up], d = p[down];
    const int ul = p[up - 3], ur = p[up + 3], dl = p[down - 3], dr = p[down + 3];
    // Scan order 0, 3, 6, 1, 4, 7, 2, 5, 8; only a strictly larger difference takes over.
    const int e[9] = {(u + l) / 2, (ul + l + dl) / 3, (d + l) / 2, (ul + u + ur) / 3, c,
                      (dl + d + dr) / 3, (u + r) / 2, (ur + r + dr) / 3, (d + r) / 2};
    static const int kDirection[9] = {0, 3, 6, 1, 4, 7, 2, 5, 8};
    NeighbourEstimateResult best = {0, 4};
    for (int k = 0; k < 9; ++k) {
        const int diff = c > e[k] ? c - e[k] : e[k] - c;
        if (diff > best.difference) best = {diff, kDirection[k]};
    }
    return best;
}

// The smoothed value (v + h) / 2 of one interior byte. Rows (height pass) lean on the next stored row through
// directions 6, 7 and 8; columns (width pass) on the next column through 2, 5 and 8.
inline unsigned char SmoothByte(const unsigned char *p, ptrdiff_t stride, int threshold, bool rows) {
    const NeighbourEstimateResult e = EstimateInterior(p, -stride, stride);
    const int v = p[0];
    int h = v;
    if (e.difference <= threshold) {
        if (rows) {
            if (e.direction == 6) h = (p[stride] + p[-3]) >> 1;
            else if (e.direction == 7) h = p[stride];
            else if (e.direction == 8) h = (p[stride] + p[3]) >> 1;
        } else {
            if (e.direction == 2) h = (p[-stride] + p[3]) >> 1;
            else if (e.direction == 5) h = p[3];
            else if (e.direction == 8) h = (p[stride] + p[3]) >> 1;
        }
    }
    return (unsigned char)((v + h) / 2);
}

#if defined(__SSE2__)
inline __m128i Load8(const unsigned char *p) {
    return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(p)), _mm_setzero_si128());
}
inline __m128i Select(__m128i mask, __m128i yes, __m128i no) {
    return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}
// x / 3 for 0 <= x <= 765 in 16-bit lanes: x * ceil(2^16 / 3) >> 16 is exact below 32768.
inline __m128i Div3(__m128i x) { return _mm_mulhi_epu16(x, _mm_set1_epi16(21846)); }
#endif

// SmoothByte for bytes k0 .. k1-1 of a row whose bytes are all interior, sixteen or eight at a time where the
// processor allows; the lanes compute exactly what SmoothByte does.
void SmoothInteriorBytes(const unsigned char *row, ptrdiff_t stride, size_t k0, size_t k1, int threshold, bool rows,
                         unsigned char *out) {
    size_t k = k0;
#if defined(__SSE2__)
    const int t = threshold < -1 ? -1 : threshold > 255 ? 255 : threshold;
    const __m128i tv = _mm_set1_epi16((short)t);
    // Sixteen (or, on the 256-bit path, thirty-two) bytes at a time in byte lanes.
    if (t >= 0) {
        if (WideVectors()) k = SmoothBytesWide(row, stride, k, k1, t, rows, out);
        k = resize_lanes::SmoothBytes<Lanes128>(row, stride, k, k1, t, rows, out);
    }
    for (; k + 8 <= k1; k += 8) {
        const unsigned char *p = row + k;
        const __m128i c = Load8(p), l = Load8(p - 3), r = Load8(p + 3), u = Load8(p - stride), d = Load8(p + stride);
        const __m128i ul = Load8(p - stride - 3), ur = Load8(p - stride + 3);
        const __m128i dl = Load8(p + stride - 3), dr = Load8(p + stride + 3);
        const __m128i e[8] = {
            _mm_srli_epi16(_mm_add_epi16(u, l), 1),                  // 0
            Div3(_mm_add_epi16(_mm_add_epi16(ul, l), dl)),           // 3
            _mm_srli_epi16(_mm_add_epi16(d, l), 1),                  // 6
            Div3(_mm_add_epi16(_mm_add_epi16(ul, u), ur)),           // 1
            Div3(_mm_add_epi16(_mm_add_epi16(dl, d), dr)),           // 7 (4 is the byte itself: difference 0)
            _mm_srli_epi16(_mm_add_epi16(u, r), 1),                  // 2
            Div3(_mm_add_epi16(_mm_add_epi16(ur, r), dr)),           // 5
            _mm_srli_epi16(_mm_add_epi16(d, r), 1),                  // 8
        };
        static const short kDirection[8] = {0, 3, 6, 1, 7, 2, 5, 8};
        __m128i best = _mm_setzero_si128(), dir = _mm_set1_epi16(4);
        for (int i = 0; i < 8; ++i) {
            const __m128i diff = _mm_sub_epi16(_mm_max_epi16(c, e[i]), _mm_min_epi16(c, e[i]));
            const __m128i more = _mm_cmpgt_epi16(diff, best);
            best = _mm_max_epi16(best, diff);
            dir = Select(more, _mm_set1_epi16(kDirection[i]), dir);
        }
        const __m128i within = _mm_xor_si128(_mm_cmpgt_epi16(best, tv), _mm_set1_epi16(-1));
        auto is = [&](short direction) { return _mm_and_si128(within, _mm_cmpeq_epi16(dir, _mm_set1_epi16(direction))); };
        __m128i h = c;
        if (rows) {
            h = Select(is(6), e[2], h);
            h = Select(is(7), d, h);
        } else {
            h = Select(is(2), e[5], h);
            h = Select(is(5), r, h);
        }
        h = Select(is(8), e[7], h);
        const __m128i result = _mm_srli_epi16(_mm_add_epi16(c, h), 1);
        _mm_storel_epi64(reinterpret_cast<__m128i *>(out + k), _mm_packus_epi16(result, _mm_setzero_si128()));
    }
#endif
    for (; k < k1; ++k) out[k] = SmoothByte(row + k, stride, threshold, rows);
}

} // namespace

void EnlargeHeight(const PictureView24 &src, const PictureView24 &dst, int threshold, ResizeProgress &progress) {
    const int32_t W = src.width, H = src.height, H2 = dst.height;
    const size_t rowBytes = 3 * (size_t)W;
    const ptrdiff_t stride = (ptrdiff_t)src.stride;
    const float s = (float)H / (float)H2;
    auto row = [&](int32_t r) {
        int64_t y = (int64_t)((float)r * s);
        if (y > H - 1) y = H - 1;
        const unsigned char *in = src.Row((int32_t)y);
        unsigned char *out = dst.Row(r);
        const bool repeated = y != H - 1 && r > 0 && (int64_t)(s * (float)(r - 1)) == y;
        if (!repeated) {
            memcpy(out, in, rowBytes);
            return;
        }
        // A repeated row (never the last source row, so row y + 1 exists): each byte moves halfway toward the
        // prediction from below when the estimate points down.
        const unsigned char *next = in + stride;
        const bool interiorRow = y >= 2 && y <= H - 3;
        const int32_t b0 = interiorRow ? 2 : W, b1 = interiorRow && W > 4 ? W - 2 : 2;
        if (interiorRow && W > 4) SmoothInteriorBytes(in, stride, 3 * (size_t)b0, 3 * (size_t)b1, threshold, true, out);
        for (int32_t b = 0; b < W; ++b) {
            if (b >= b0 && b < b1) {
                b = b1 - 1;
                continue;
            }
            for (int ch = 0; ch < 3; ++ch) {
                const size_t k = 3 * (size_t)b + ch;
                const int v = in[k];
                const NeighbourEstimateResult e = NeighbourEstimate(src.pixels, src.stride, W, H, b, (int)y, ch);
                int h = v;
                if (e.difference <= threshold) {
                    if (e.direction == 6) h = (next[k] + in[k - 3]) >> 1;
                    else if (e.direction == 7) h = next[k];
                    else if (e.direction == 8) h = (next[k] + in[k + 3]) >> 1;
                }
                out[k] = (unsigned char)((v + h) / 2);
            }
        }
    };
    ForEachFreshRow(H2, dst.stride, [&](int64_t r) { row((int32_t)r); }, [&](int64_t r) { progress.Row(r, H2); });
}

void EnlargeWidth(const PictureView24 &src, const PictureView24 &dst, int threshold, ResizeProgress &progress) {
    const int32_t W = src.width, H2 = src.height, W2 = dst.width;
    const ptrdiff_t stride = (ptrdiff_t)src.stride;
    // The smoothed bytes of the current row's interior pixels, worked out once per row with the row kernel; one
    // row per thread.
    const int threads = WorkerThreads();
    Scratch<unsigned char> smoothed(3 * (size_t)W * (size_t)threads);
    const bool haveSmoothed = (bool)smoothed;
    // The source column of each result column, p x W / W2 (64-bit: p x W passes 2^31 for wide pictures), stepped
    // once for all rows instead of divided per pixel.
    Scratch<int32_t> columnOf((size_t)W2);
    if (columnOf) {
        int64_t x = 0, rest = 0; // p x W = x x W2 + rest
        for (int32_t p = 0; p < W2; ++p) {
            columnOf[(size_t)p] = (int32_t)x;
            rest += W;
            while (rest >= W2) rest -= W2, ++x;
        }
    }
    // For the rows whose repeated columns all come from the row kernel (where not near the picture's sides): per
    // result column, the byte offset of its source pixel, marked when it is a repeated one (taken smoothed), or -1
    // for a repeated column near a side, which needs the full estimate.
    constexpr int32_t kSmoothed = 1 << 30;
    Scratch<int32_t> plan(haveSmoothed && columnOf && W > 4 ? (size_t)W2 : 0);
    if (plan) {
        int64_t previous = -1;
        for (int32_t p = 0; p < W2; ++p) {
            const int32_t x = columnOf[(size_t)p];
            const bool repeated = x != 0 && previous == x;
            previous = x;
            plan[(size_t)p] = !repeated ? 3 * x : x >= 2 && x <= W - 3 ? (3 * x) | kSmoothed : -1;
        }
    }
    // One channel of a repeated pixel by the full estimate (near the picture's sides, or without the row kernel).
    auto estimate = [&](const unsigned char *v, int64_t x, int32_t i, unsigned char *out) {
        for (int ch = 0; ch < 3; ++ch) {
            const NeighbourEstimateResult e = NeighbourEstimate(src.pixels, src.stride, W, H2, (int)x, i, ch);
            int g = v[ch];
            if (e.difference <= threshold) {
                if (e.direction == 2) g = (v[ch - stride] + v[ch + 3]) >> 1;
                else if (e.direction == 5) g = v[ch + 3];
                else if (e.direction == 8) g = (v[ch + stride] + v[ch + 3]) >> 1;
            }
            out[ch] = (unsigned char)((v[ch] + g) / 2);
        }
    };
    auto row = [&](int32_t i, unsigned char *smooth) {
        const unsigned char *in = src.Row(i);
        unsigned char *out = dst.Row(i);
        const bool edgeRow = i == 0 || i == H2 - 1;
        const bool interiorRow = haveSmoothed && i >= 2 && i <= H2 - 3 && W > 4;
        if (interiorRow) SmoothInteriorBytes(in, stride, 6, 3 * (size_t)(W - 2), threshold, false, smooth);
        int32_t p = 0;
        if (interiorRow && plan) {
            // Four bytes per pixel, the fourth overwritten by the next pixel; the last pixel of the row is left to
            // the loop below, so nothing past the row is written. Reads may reach one byte past a source pixel:
            // the row after this one exists.
            for (; p + 1 < W2; ++p, out += 3) {
                const int32_t c = plan[(size_t)p];
                if (c < 0) {
                    const int32_t x = columnOf[(size_t)p];
                    estimate(in + 3 * (size_t)x, x, i, out);
                    continue;
                }
                memcpy(out, ((c & kSmoothed) ? smooth : in) + (c & ~kSmoothed), 4);
            }
        }
        int64_t previous = p > 0 ? columnOf[(size_t)p - 1] : -1;
        for (; p < W2; ++p, out += 3) {
            const int64_t x = columnOf ? columnOf[(size_t)p] : (int64_t)p * W / W2;
            const unsigned char *v = in + 3 * (size_t)x;
            const bool repeated = !edgeRow && x != 0 && x != W && previous == x;
            previous = x;
            if (!repeated) {
                out[0] = v[0];
                out[1] = v[1];
                out[2] = v[2];
                continue;
            }
            if (interiorRow && x >= 2 && x <= W - 3) {
                const unsigned char *m = smooth + 3 * (size_t)x;
                out[0] = m[0];
                out[1] = m[1];
                out[2] = m[2];
                continue;
            }
            estimate(v, x, i, out);
        }
    };
    ForEachRowChunk(
        H2, ChunkRowsForFreshRows(H2, threads, dst.stride), threads,
        [&](int64_t first, int64_t end, int slot) {
            unsigned char *smooth = haveSmoothed ? smoothed.get() + 3 * (size_t)W * (size_t)slot : nullptr;
            for (int64_t i = first; i < end; ++i) row((int32_t)i, smooth);
        },
        [&](int64_t i) { progress.Row(i, H2); });
}
