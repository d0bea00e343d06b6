// The statistics pass that runs on every refresh of the display image, kept close to memory speed.
#include "image/colour_stats.h"

#include <cstring>
#include <vector>

#include "platform/workers.h"

namespace {

// Four interleaved tables per channel so consecutive equal levels do not stall on the same counter.
struct Counters {
    uint32_t c[3][4][256];
};

void Count24(const unsigned char *pixels, int width, int firstRow, int endRow, size_t stride, Counters *k) {
    for (int row = firstRow; row < endRow; ++row) {
        const unsigned char *p = pixels + stride * row;
        int x = 0;
        for (; x + 4 <= width; x += 4, p += 12) {
            ++k->c[0][0][p[0]]; ++k->c[1][0][p[1]]; ++k->c[2][0][p[2]];
            ++k->c[0][1][p[3]]; ++k->c[1][1][p[4]]; ++k->c[2][1][p[5]];
            ++k->c[0][2][p[6]]; ++k->c[1][2][p[7]]; ++k->c[2][2][p[8]];
            ++k->c[0][3][p[9]]; ++k->c[1][3][p[10]]; ++k->c[2][3][p[11]];
        }
        for (; x < width; ++x, p += 3) {
            ++k->c[0][0][p[0]]; ++k->c[1][0][p[1]]; ++k->c[2][0][p[2]];
        }
    }
}

void CountAny(const void *lockedDib, int width, int height, Counters *k) {
    for (int row = 0; row < height; ++row) {
        for (int x = 0; x < width; ++x) {
            PixelColour c = GetDibColor(lockedDib, row, x);
            ++k->c[0][0][c & 0xFF];
            ++k->c[1][0][(c >> 8) & 0xFF];
            ++k->c[2][0][(c >> 16) & 0xFF];
        }
    }
}

void Extremes(const uint32_t *hist, int *maxOut, int *minOut) {
    int lo = 255, hi = 0;
    for (int v = 0; v < 256; ++v)
        if (hist[v]) { lo = v; break; }
    for (int v = 255; v >= 0; --v)
        if (hist[v]) { hi = v; break; }
    *maxOut = hi;
    *minOut = lo;
}

} // namespace

void CollectColourStats(const void *lockedDib, int set, ColourStats *stats) {
    ColourStats &s = *stats;
    s.maxR = s.maxG = s.maxB = 0;
    s.minR = s.minG = s.minB = 255;
    memset(s.scaled[set], 0, sizeof s.scaled[set]);
    const DibHeader *h = static_cast<const DibHeader *>(lockedDib);
    // One set of counters per thread, added up at the end: the counts do not depend on how rows were shared.
    int threads = WorkerThreads();
    std::vector<Counters> k;
    try {
        k.resize((size_t)threads);
    } catch (...) {
        threads = 1;
        k.resize(1); // 12 KiB; past this the program could not have shown the picture
    }
    memset(k.data(), 0, k.size() * sizeof(Counters));
    if (h->biWidth > 0 && h->biHeight > 0) {
        if (h->biBitCount == 24) {
            const unsigned char *pixels = DibPixels(lockedDib);
            const size_t stride = (size_t)DibRowStride(h->biWidth, 24);
            const int width = h->biWidth;
            ForEachRowChunk(
                h->biHeight, ChunkRowsFor(h->biHeight, threads, 8), threads,
                [&](int64_t first, int64_t end, int slot) {
                    Count24(pixels, width, (int)first, (int)end, stride, &k[(size_t)slot]);
                },
                nullptr);
        } else {
            CountAny(lockedDib, h->biWidth, h->biHeight, &k[0]);
        }
    }
    for (int ch = 0; ch < 3; ++ch)
        for (int v = 0; v < 256; ++v) {
            uint32_t total = 0;
            for (const Counters &t : k) total += t.c[ch][0][v] + t.c[ch][1][v] + t.c[ch][2][v] + t.c[ch][3][v];
            s.raw[set][ch][v] = total;
        }
    // The extremes are exactly the outermost occupied levels of the histograms.
    Extremes(s.raw[set][kHistBlue], &s.maxB, &s.minB);
    Extremes(s.raw[set][kHistGreen], &s.maxG, &s.minG);
    Extremes(s.raw[set][kHistRed], &s.maxR, &s.minR);
    ScaleHistogramSet(stats, set);
}

void ScaleHistogramSet(ColourStats *stats, int set) {
    ColourStats &s = *stats;
    uint32_t top = 0;
    for (int ch = 0; ch < 3; ++ch)
        for (int v = 1; v < 255; ++v)
            if (s.raw[set][ch][v] > top) top = s.raw[set][ch][v];
    if (top == 0) top = 1;
    for (int ch = 0; ch < 3; ++ch)
        for (int v = 0; v < 256; ++v)
            s.scaled[set][ch][v] = (uint32_t)((uint64_t)s.raw[set][ch][v] * 255 / top);
}
