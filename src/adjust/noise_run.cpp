// The filter runs work in place: before a row is overwritten its original is kept in a small ring of saved rows,
// so later rows still read original levels and no picture-sized copy is made.
#include "adjust/noise_run.h"

#include <cstring>

#include "adjust/median_filter.h"
#include "adjust/min_variance.h"

namespace {

// Runs the chosen row filter over stored rows first...last (inclusive) and columns `cols`, the rows cut into
// chunks spread over `threads` threads. Each chunk keeps the originals of the rows it has rewritten in its own
// ring; the rows around each cut between chunks are saved before any thread starts, since the chunk on the other
// side may rewrite them at any moment.
int FilterRows(const LockedPicture24 &pic, const NoiseRunSettings &settings, int first, int last, ColumnWindow cols,
               RowProgress *progress, int threads) {
    const int reach = settings.kind == kNoiseMinVariance ? 2 : 1;
    const int slots = reach + 1; // the rows reach below r and row r itself
    const int64_t count = (int64_t)last - first + 1;
    const int64_t chunkRows = ChunkRowsFor(count, threads, 16);
    const int64_t cuts = (count + chunkRows - 1) / chunkRows - 1;
    ScratchBlock ring((size_t)threads * slots * pic.stride);
    ScratchBlock edges((size_t)cuts * 2 * reach * pic.stride);
    // The work allocator has already been through the shortage policy and told the user: the run changes nothing
    // (trying again with one thread would edit the picture after "グローバルメモリが足りません").
    if (!ring.get() || !edges.get()) return 0;
    // Cut k (1 ... cuts) lies before row first + k * chunkRows and keeps the reach rows on either side.
    auto edgeRow = [&](int64_t cut, int64_t y) {
        return edges.get() + (size_t)((cut - 1) * 2 * reach + (y - (first + cut * chunkRows) + reach)) * pic.stride;
    };
    for (int64_t cut = 1; cut <= cuts; ++cut)
        for (int64_t y = first + cut * chunkRows - reach; y < first + cut * chunkRows + reach; ++y)
            if (y >= first && y <= last) memcpy(edgeRow(cut, y), pic.Row((int)y), pic.stride);
    std::function<void(int64_t)> before;
    if (progress) before = [&](int64_t i) { progress->BeforeRow((int)(first + i)); };
    ForEachRowChunk(
        count, chunkRows, threads,
        [&](int64_t i0, int64_t i1, int slot) {
            const int c0 = (int)(first + i0), c1 = (int)(first + i1); // this chunk's rows c0 ... c1 - 1
            const int64_t cut = i0 / chunkRows;
            unsigned char *own = ring.get() + (size_t)slot * slots * pic.stride;
            auto saved = [&](int row) { return own + (size_t)((row - c0) % slots) * pic.stride; };
            for (int r = c0; r < c1; ++r) {
                memcpy(saved(r), pic.Row(r), pic.stride);
                const unsigned char *rows[5] = {};
                for (int dy = -reach; dy <= reach; ++dy) {
                    const int y = r + dy;
                    if (y < 0 || y >= pic.height) continue;
                    // Rows already rewritten by this chunk are read from its ring, rows of the neighbouring
                    // chunks from the copies made at the cuts; rows outside the run were never touched.
                    const unsigned char *p = pic.Row(y);
                    if (y >= c0 && y <= r) p = saved(y);
                    else if (y >= first && y < c0) p = edgeRow(cut, y);
                    else if (y >= c1 && y <= last) p = edgeRow(cut + 1, y);
                    rows[dy + reach] = p;
                }
                unsigned char *out = pic.Row(r);
                switch (settings.kind) {
                case kNoiseMinVariance: MinVarianceRow(rows, out, pic.width, settings.smoothing.channels, cols); break;
                case kNoiseMedian:
                    // The row read after the next one, while it is still this chunk's own original.
                    MedianFilterRow(rows, out, pic.width, cols, r + 2 < c1 ? pic.Row(r + 2) : nullptr);
                    break;
                default: NoiseFilterRow(rows, out, pic.width, settings.smoothing, cols); break;
                }
            }
        },
        before);
    return 1;
}

} // namespace

int NoiseRun(PackedDib picture, const NoiseRunSettings &settings, bool reportProgress) {
    LockedPicture24 pic(picture);
    if (!pic.ok()) return 0;
    RowProgress progress(reportProgress, kNoiseProgressText, pic.height);
    return FilterRows(pic, settings, 0, pic.height - 1, AllColumns(pic.width), &progress, WorkerThreads());
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
    return FilterRows(pic, settings, (int)first, (int)last, cols, nullptr, 1); // a few rows: not worth a thread
}
