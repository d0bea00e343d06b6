// The filter runs work in place: before a row is overwritten its original is kept in a small ring of saved rows,
// so later rows still read original levels and no picture-sized copy is made.
#include "adjust/noise_run.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "adjust/median_filter.h"
#include "adjust/min_variance.h"

namespace {

// Chunk starts (rows from the first, ending with count) for `threads` threads. One thread: sixteen equal chunks,
// only for the progress. More: half the rows left per thread, at most a quarter of each thread's share and at
// least a sixty-fourth of it, so the first chunks are long (few cuts to copy) and the last ones short (the threads
// end close together). Every chunk but the last has at least `least` rows.
std::vector<int64_t> ChunkStarts(int64_t count, int threads, int64_t least) {
    std::vector<int64_t> starts;
    const int64_t most = ChunkRowsFor(count, threads, threads <= 1 ? 16 : 4);
    const int64_t fewest = threads <= 1 ? most : ChunkRowsFor(count, threads, 64);
    for (int64_t at = 0; at < count;) {
        starts.push_back(at);
        int64_t rows = (count - at) / (2 * (int64_t)threads);
        if (rows > most) rows = most;
        if (rows < fewest) rows = fewest;
        if (rows < least) rows = least;
        at += rows;
    }
    starts.push_back(count);
    return starts;
}

// Runs the chosen row filter over stored rows first...last (inclusive) and columns `cols`, the rows cut into
// chunks spread over `threads` threads. Each thread keeps the originals of the rows it has rewritten in its own
// ring, which carries over when it takes the chunk right after its last one. With more than one thread the rows
// around each cut between chunks are copied first by whichever of the two chunks beside it starts first, before
// either rewrites any of them, since the chunk on the other side may rewrite them at any moment after.
int FilterRows(const LockedPicture24 &pic, const NoiseRunSettings &settings, int first, int last, ColumnWindow cols,
               RowProgress *progress, int threads) {
    const int reach = settings.kind == kNoiseMinVariance ? 2 : 1;
    const int slots = reach + 1; // the rows reach below r and row r itself
    const int64_t count = (int64_t)last - first + 1;
    if (count < 1) return 1;
    // Every chunk but the last at least reach rows: the rows on either side of a cut then lie in the two chunks
    // beside it (or past the last row, never rewritten).
    const std::vector<int64_t> starts = ChunkStarts(count, threads, reach);
    const int64_t chunks = (int64_t)starts.size() - 1;
    if (threads > chunks) threads = (int)chunks;
    const bool shared = threads > 1;
    const int64_t cuts = shared ? chunks - 1 : 0;
    // Each thread's ring starts on a cache line of its own, a pair of lines past the one before: the rings are
    // rewritten every row, and a line shared between two of them would move from core to core all along the run.
    constexpr size_t kLine = 64;
    const size_t ringBytes = ((size_t)slots * pic.stride + 3 * kLine - 1) / kLine * kLine;
    ScratchBlock ring((size_t)threads * ringBytes + kLine);
    ScratchBlock edges((size_t)cuts * 2 * reach * pic.stride);
    // The work allocator has already been through the shortage policy and told the user: the run changes nothing
    // (trying again with one thread would edit the picture after "グローバルメモリが足りません").
    if (!ring.get() || !edges.get()) return 0;
    unsigned char *const rings = ring.get() + (kLine - (uintptr_t)ring.get() % kLine) % kLine;
    // Cut k (1 ... cuts) lies before row first + starts[k] and keeps the reach rows on either side: 0 not copied
    // yet, 1 being copied, 2 copied.
    std::unique_ptr<std::atomic<int>[]> cutState(new std::atomic<int>[(size_t)cuts + 1]);
    for (int64_t k = 0; k <= cuts; ++k) cutState[k].store(0, std::memory_order_relaxed);
    auto edgeRow = [&](int64_t cut, int64_t y) {
        return edges.get() + (size_t)((cut - 1) * 2 * reach + (y - (first + starts[cut]) + reach)) * pic.stride;
    };
    // Called by the chunks on both sides of the cut before they rewrite a row: both still hold their originals.
    auto saveCut = [&](int64_t cut) {
        std::atomic<int> &state = cutState[cut];
        if (state.load(std::memory_order_acquire) == 2) return;
        int expected = 0;
        if (state.compare_exchange_strong(expected, 1, std::memory_order_acq_rel)) {
            const int64_t at = first + starts[cut];
            for (int64_t y = at - reach; y < at + reach; ++y)
                if (y >= first && y <= last) memcpy(edgeRow(cut, y), pic.Row((int)y), pic.stride);
            state.store(2, std::memory_order_release);
            return;
        }
        while (state.load(std::memory_order_acquire) != 2) std::this_thread::yield(); // a copy of a few rows
    };
    std::vector<int64_t> ringEnd((size_t)threads, -1); // per thread: the row after the last one its ring holds
    std::function<void(int64_t)> before;
    if (progress)
        before = [&](int64_t k) {
            for (int64_t i = starts[k]; i < starts[k + 1]; ++i) progress->BeforeRow((int)(first + i));
        };
    ForEachRowChunk(
        chunks, 1, threads,
        [&](int64_t k, int64_t, int slot) {
            const int c0 = (int)(first + starts[k]), c1 = (int)(first + starts[k + 1]); // rows c0 ... c1 - 1
            if (shared && k > 0) saveCut(k);
            if (shared && k < cuts) saveCut(k + 1);
            const bool ringHoldsAbove = ringEnd[slot] == c0;
            ringEnd[slot] = c1;
            unsigned char *own = rings + (size_t)slot * ringBytes;
            auto saved = [&](int row) { return own + (size_t)((row - first) % slots) * pic.stride; };
            for (int r = c0; r < c1; ++r) {
                memcpy(saved(r), pic.Row(r), pic.stride);
                const unsigned char *rows[5] = {};
                for (int dy = -reach; dy <= reach; ++dy) {
                    const int y = r + dy;
                    if (y < 0 || y >= pic.height) continue;
                    // Rows already rewritten by this thread are read from its ring, rows of the neighbouring
                    // chunks from the copies made at the cuts; rows outside the run were never touched, and with
                    // one thread the rows below the chunk are not touched yet.
                    const unsigned char *p = pic.Row(y);
                    if (y >= c0 && y <= r) p = saved(y);
                    else if (y >= first && y < c0) p = ringHoldsAbove ? saved(y) : edgeRow(k, y);
                    else if (shared && y >= c1 && y <= last) p = edgeRow(k + 1, y);
                    rows[dy + reach] = p;
                }
                unsigned char *out = pic.Row(r);
                switch (settings.kind) {
                case kNoiseMinVariance: MinVarianceRow(rows, out, pic.width, settings.smoothing.channels, cols); break;
                case kNoiseMedian:
                    // The row read after the next one, while it still holds its original levels.
                    MedianFilterRow(rows, out, pic.width, cols,
                                    r + 2 < c1 || (!shared && r + 2 <= last) ? pic.Row(r + 2) : nullptr);
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
