// The filter runs work in place: before a row is overwritten its original is kept in a small ring of saved rows,
// so later rows still read original levels and no picture-sized copy is made.
#include "adjust/noise_run.h"

#include <cstring>

#include "adjust/median_filter.h"
#include "adjust/min_variance.h"

namespace {

// Runs the chosen row filter over stored rows first...last (inclusive) and columns `cols`.
int FilterRows(const LockedPicture24 &pic, const NoiseRunSettings &settings, int first, int last, ColumnWindow cols,
               RowProgress *progress) {
    const int reach = settings.kind == kNoiseMinVariance ? 2 : 1;
    const int slots = reach + 1; // the rows reach below r and row r itself
    ScratchBlock ring((size_t)slots * pic.stride);
    if (!ring.get()) return 0;
    auto saved = [&](int row) { return ring.get() + (size_t)(row % slots) * pic.stride; };
    for (int r = first; r <= last; ++r) {
        if (progress) progress->BeforeRow(r);
        memcpy(saved(r), pic.Row(r), pic.stride);
        const unsigned char *rows[5] = {};
        for (int dy = -reach; dy <= reach; ++dy) {
            const int y = r + dy;
            if (y < 0 || y >= pic.height) continue;
            // Rows already rewritten by this run are read from their saved originals.
            rows[dy + reach] = (y >= first && y <= r) ? saved(y) : pic.Row(y);
        }
        unsigned char *out = pic.Row(r);
        switch (settings.kind) {
        case kNoiseMinVariance: MinVarianceRow(rows, out, pic.width, settings.smoothing.channels, cols); break;
        case kNoiseMedian: MedianFilterRow(rows, out, pic.width, cols); break;
        default: NoiseFilterRow(rows, out, pic.width, settings.smoothing, cols); break;
        }
    }
    return 1;
}

} // namespace

int NoiseRun(PackedDib picture, const NoiseRunSettings &settings, bool reportProgress) {
    LockedPicture24 pic(picture);
    if (!pic.ok()) return 0;
    RowProgress progress(reportProgress, kNoiseProgressText, pic.height);
    return FilterRows(pic, settings, 0, pic.height - 1, AllColumns(pic.width), &progress);
}

int FingertipRadius(int magnification) { return magnification >= 4 ? 2 : magnification == 2 ? 5 : 10; }

int FingertipStroke(PackedDib picture, const NoiseRunSettings &settings, int px, int py, int radius) {
    LockedPicture24 pic(picture);
    if (!pic.ok()) return 0;
    if (px < 0 || radius < 0) return 1;
    // Top-down rows py - radius ... py + radius are stored rows H-1-(py+radius) ... H-1-(py-radius).
    int64_t first = (int64_t)pic.height - 1 - ((int64_t)py + radius);
    int64_t last = (int64_t)pic.height - 1 - ((int64_t)py - radius);
    if (first < 0) first = 0;
    if (last > pic.height - 1) last = pic.height - 1;
    const ColumnWindow cols = FingertipColumns(px, radius, pic.width);
    if (first > last || cols.first > cols.last) return 1;
    return FilterRows(pic, settings, (int)first, (int)last, cols, nullptr);
}
