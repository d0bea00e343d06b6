// Sharpen smooths one row at a time into a row buffer and combines it with the original straight into the new
// picture; the result equals going through a smoothed and an inverted copy, v + (255 - smoothed + v - 255) / k.
#include "adjust/sharpen.h"

#include "adjust/noise_filter.h"

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
        pic.height, ChunkRowsFor(pic.height, threads, 16), threads,
        [&](int64_t first, int64_t end, int slot) {
            unsigned char *s = smoothed.get() + pic.stride * (size_t)slot;
            for (int r = (int)first; r < (int)end; ++r) {
                const unsigned char *rows[3] = {r > 0 ? pic.Row(r - 1) : nullptr, pic.Row(r),
                                                r + 1 < pic.height ? pic.Row(r + 1) : nullptr};
                NoiseFilterRow(rows, s, pic.width, all, AllColumns(pic.width));
                const unsigned char *v = pic.Row(r);
                unsigned char *d = dst.Row(r);
                for (size_t i = 0; i < bytes; ++i) {
                    const int w = v[i] + (v[i] - s[i]) / divisor; // C division truncates toward zero
                    d[i] = (unsigned char)(w < 0 ? 0 : w > 255 ? 255 : w);
                }
            }
        },
        nullptr);
    return out;
}
