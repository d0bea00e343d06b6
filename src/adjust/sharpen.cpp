// Sharpen smooths one row at a time into a row buffer and combines it with the original straight into the new
// picture; the result equals going through a smoothed and an inverted copy, v + (255 - smoothed + v - 255) / k.
#include "adjust/sharpen.h"

#include "adjust/noise_filter.h"

PackedDib Sharpen(PackedDib picture, bool strong, bool reportProgress) {
    LockedPicture24 pic(picture);
    if (!pic.ok()) return nullptr;
    RowProgress bar(reportProgress, nullptr, pic.height); // shown, never advanced
    ScratchBlock smoothed(pic.stride);
    if (!smoothed.get()) return nullptr;
    PackedDib out = NewBlockLike(picture, pic);
    if (!out) return nullptr;
    LockedPicture24 dst(out);
    NoiseSettings all;
    all.threshold = 255;
    const int divisor = strong ? 1 : 2;
    const size_t bytes = (size_t)pic.width * 3;
    for (int r = 0; r < pic.height; ++r) {
        const unsigned char *rows[3] = {r > 0 ? pic.Row(r - 1) : nullptr, pic.Row(r),
                                        r + 1 < pic.height ? pic.Row(r + 1) : nullptr};
        NoiseFilterRow(rows, smoothed.get(), pic.width, all, AllColumns(pic.width));
        const unsigned char *v = pic.Row(r), *s = smoothed.get();
        unsigned char *d = dst.Row(r);
        for (size_t i = 0; i < bytes; ++i) {
            const int w = v[i] + (v[i] - s[i]) / divisor; // C division truncates toward zero
            d[i] = (unsigned char)(w < 0 ? 0 : w > 255 ? 255 : w);
        }
    }
    return out;
}
