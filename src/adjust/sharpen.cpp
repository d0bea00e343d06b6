// Sharpen smooths one row at a time into a row buffer and combines it with the original straight into the new
// picture; the result equals going through a smoothed and an inverted copy, v + (255 - smoothed + v - 255) / k.
// Inside the picture every neighbour counts (the allowed difference is 255), so there the smoothing is the fixed
// 2-3-2 / 3-5-3 / 2-3-2 sum over 25, and both steps are done eight bytes at a time.
#include "adjust/sharpen.h"

#include "adjust/noise_filter.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

inline void Combine(const unsigned char *v, const unsigned char *s, unsigned char *d, size_t from, size_t to,
                    int divisor) {
    for (size_t i = from; i < to; ++i) {
        const int w = v[i] + (v[i] - s[i]) / divisor; // C division truncates toward zero
        d[i] = (unsigned char)(w < 0 ? 0 : w > 255 ? 255 : w);
    }
}

#if defined(__SSE2__)
// Bytes j0 <= j < j1 of a row with rows above and below (every byte's neighbours 3 bytes to either side, whatever
// its channel), as far as whole groups of eight go; returns the first byte not done. The sum is at most 25 x 255,
// where sum / 25 = (sum x ceil(2^18 / 25)) >> 18 exactly.
size_t SharpenInterior(const unsigned char *lo, const unsigned char *mi, const unsigned char *hi, unsigned char *d,
                       size_t j0, size_t j1, int divisor) {
    const __m128i zero = _mm_setzero_si128(), k5 = _mm_set1_epi16(5), k3 = _mm_set1_epi16(3);
    const __m128i reciprocal = _mm_set1_epi16(10486);
    auto load = [zero](const unsigned char *p) {
        return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(p)), zero);
    };
    size_t j = j0;
    for (; j + 8 <= j1; j += 8) {
        const __m128i c = load(mi + j);
        const __m128i edges = _mm_add_epi16(_mm_add_epi16(load(lo + j), load(hi + j)),
                                            _mm_add_epi16(load(mi + j - 3), load(mi + j + 3)));
        const __m128i corners = _mm_add_epi16(_mm_add_epi16(load(lo + j - 3), load(lo + j + 3)),
                                              _mm_add_epi16(load(hi + j - 3), load(hi + j + 3)));
        const __m128i sum = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(c, k5), _mm_mullo_epi16(edges, k3)),
                                          _mm_add_epi16(corners, corners));
        const __m128i smoothed = _mm_srli_epi16(_mm_mulhi_epu16(sum, reciprocal), 2);
        __m128i step = _mm_sub_epi16(c, smoothed);
        if (divisor == 2) step = _mm_srai_epi16(_mm_add_epi16(step, _mm_srli_epi16(step, 15)), 1); // toward zero
        const __m128i w = _mm_add_epi16(c, step);
        _mm_storel_epi64(reinterpret_cast<__m128i *>(d + j), _mm_packus_epi16(w, w)); // clamps to 0...255
    }
    return j;
}
#endif

} // namespace

PackedDib Sharpen(PackedDib picture, bool strong, bool reportProgress) {
    LockedPicture24 pic(picture);
    if (!pic.ok()) return nullptr;
    RowProgress bar(reportProgress, nullptr, pic.height); // shown, never advanced
    // One smoothed row per worker thread, taken here because only the calling thread may ask the host for memory.
    const int threads = WorkerThreads();
    ScratchBlock smoothed(pic.stride * (size_t)threads);
    if (!smoothed.get()) return nullptr;
    PackedDib out = NewBlockLike(picture, pic);
    if (!out) return nullptr;
    LockedPicture24 dst(out);
    NoiseSettings all;
    all.threshold = 255;
    const int divisor = strong ? 1 : 2;
    const size_t bytes = (size_t)pic.width * 3;
    ForEachRowChunk(
        pic.height, ChunkRowsForFreshRows(pic.height, threads, pic.stride), threads,
        [&](int64_t first, int64_t end, int slot) {
            unsigned char *s = smoothed.get() + pic.stride * (size_t)slot;
            for (int r = (int)first; r < (int)end; ++r) {
                const unsigned char *rows[3] = {r > 0 ? pic.Row(r - 1) : nullptr, pic.Row(r),
                                                r + 1 < pic.height ? pic.Row(r + 1) : nullptr};
                const unsigned char *v = pic.Row(r);
                unsigned char *d = dst.Row(r);
                size_t done = 0; // bytes 3 ... done - 1 are final
#if defined(__SSE2__)
                if (rows[0] && rows[2] && pic.width >= 3)
                    done = SharpenInterior(rows[0], v, rows[2], d, 3, bytes - 3, divisor);
#endif
                if (done <= 3) {
                    NoiseFilterRow(rows, s, pic.width, all, AllColumns(pic.width));
                    Combine(v, s, d, 0, bytes, divisor);
                    continue;
                }
                // The first pixel, and the pixels from the one holding byte `done` on.
                const int from = (int)(done / 3);
                NoiseFilterRow(rows, s, pic.width, all, {0, 0});
                NoiseFilterRow(rows, s, pic.width, all, {from, pic.width - 1});
                Combine(v, s, d, 0, 3, divisor);
                Combine(v, s, d, (size_t)from * 3, bytes, divisor);
            }
        },
        nullptr);
    return out;
}
