// The stipple kernel and the whole-picture stipple. The palette search works on per-channel differences, found
// once per pixel for each distinct channel value, and for range palettes goes channel by channel; both choose
// exactly the entry the plain search over every entry would (the smallest error, the higher index on ties).
#include "view/stipple.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <thread>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/host.h"
#include "platform/progress.h"
#include "platform/workers.h"

const PaletteEntryRgb kStippleColours16[16] = {
    {128, 128, 128, 0}, {192, 192, 192, 0}, {255, 255, 255, 0}, {0, 0, 0, 0},     {0, 0, 128, 0},   {0, 0, 255, 0},
    {0, 128, 0, 0},     {0, 255, 0, 0},     {128, 0, 0, 0},     {255, 0, 0, 0},   {0, 128, 128, 0}, {0, 255, 255, 0},
    {128, 0, 128, 0},   {255, 0, 255, 0},   {128, 128, 0, 0},   {255, 255, 0, 0},
};

namespace {

// Neighbourhood weights by (row offset, column offset); the current pixel itself weighs kSelfWeight.
struct NeighbourWeight {
    int dr, dc, weight;
};
const NeighbourWeight kWeights[] = {
    {-3, -2, 1}, {-3, -1, 1}, {-3, 0, 4}, {-3, 1, 1}, {-3, 2, 1},
    {-2, -3, 1}, {-2, -2, 2}, {-2, -1, 3}, {-2, 0, 8}, {-2, 1, 3}, {-2, 2, 1},
    {-1, -3, 1}, {-1, -2, 3}, {-1, -1, 9}, {-1, 0, 17}, {-1, 1, 7}, {-1, 2, 2}, {-1, 3, 1},
    {0, -3, 4}, {0, -2, 10}, {0, -1, 16},
};
constexpr int kWeightCount = sizeof kWeights / sizeof kWeights[0];
constexpr int kSelfWeight = 40;
// Neighbours whose source colours differ by this much (sum over channels) are on the other side of an edge.
constexpr int kEdgeDistance = 384;
// h ranges over 40 .. 40 + the sum of all weights (96).
constexpr int kMaxWeight = 136;

// n / h for n < 2^16 and h <= kMaxWeight as (n x ceil(2^32 / h)) >> 32: the error stays below 1 / h, so the
// result is the exact quotient.
struct Reciprocals {
    uint64_t r[kMaxWeight + 1];
    Reciprocals() {
        r[0] = 0;
        for (int h = 1; h <= kMaxWeight; ++h) r[h] = ((1ull << 32) + h - 1) / h;
    }
};
const Reciprocals kRecip;

inline int Abs(int v) { return v < 0 ? -v : v; }

// Weighted destination sums of the neighbours whose source colour is near the current pixel's.
struct NeighbourSums {
    int b = 0, g = 0, r = 0, h = kSelfWeight;
};

void FindLevels(StipplePalette *p) {
    for (int ch = 0; ch < 3; ++ch) {
        int count = 0;
        for (int k = 0; k < p->size; ++k) {
            const PaletteEntryRgb &e = p->entries[k];
            const int value = ch == 0 ? e.red : ch == 1 ? e.green : e.blue;
            int at = 0;
            while (at < count && p->levels[ch][at] != value) ++at;
            if (at == count) p->levels[ch][count++] = value;
            p->levelOf[ch][k] = (unsigned char)at;
        }
        p->levelCount[ch] = count;
    }
}

// The colour chosen for source colour (sr, sg, sb) with neighbour sums and total weight h.
struct Chooser {
    const StipplePalette &pal;
    uint64_t recip = 0;

    // |S - (sum + 40 P) / h| for one channel value P.
    inline int Difference(int s, int sum, int level) const {
        const uint32_t avg = (uint32_t)(((uint64_t)(uint32_t)(sum + kSelfWeight * level) * recip) >> 32);
        return Abs(s - (int)avg);
    }

    int Choose(const int s[3], const int sum[3], int h) {
        recip = kRecip.r[h];
        if (pal.fixed16) return ChooseFixed16(s, sum);
        if (pal.size == 16 && pal.levelCount[0] == 4 && pal.levelCount[1] == 4 && pal.levelCount[2] == 4)
            return Choose16(s, sum);
        if (pal.cube) return ChooseCube(s, sum);
        return ChooseAny(s, sum);
    }

    // The smallest error wins and the higher index breaks ties: one key, error x 256 + (255 - k), whose minimum
    // picks the same entry as walking the entries upward with "error <= best". Errors above 255 (only the
    // penalised grays reach them) lose to the starting best of 255, leaving entry 0.
    static inline int Key(int error, int k) { return (error << 8) | (255 - k); }
    static inline int Chosen(int key) { return (key >> 8) > 255 ? 0 : 255 - (key & 255); }

    // The fixed table: entries 0 to 2 (the grays and white) carry a 1.5 penalty, doubled for the two grays.
    int Choose16(const int s[3], const int sum[3]) const {
        int d[3][4];
        for (int ch = 0; ch < 3; ++ch)
            for (int l = 0; l < 4; ++l) d[ch][l] = Difference(s[ch], sum[ch], pal.levels[ch][l]);
        int best = 1 << 30;
#pragma GCC unroll 16
        for (int k = 0; k < 16; ++k) {
            int error = (d[0][pal.levelOf[0][k]] + d[1][pal.levelOf[1][k]] + d[2][pal.levelOf[2][k]]) / 3;
            if (k < 2) error = 2 * (int)(1.5f * (float)error);
            else if (k == 2) error = (int)(1.5f * (float)error);
            const int key = Key(error, k);
            best = key < best ? key : best;
        }
        return Chosen(best);
    }

    // The fixed table with its levels as constants: each entry's error is a sum of three of the twelve channel
    // differences. 1.5 x error truncated is (3 x error) >> 1 exactly, errors being small whole numbers.
    int ChooseFixed16(const int s[3], const int sum[3]) const {
        int d[3][4]; // levels 0, 128, 192, 255
        static const int kLevel[4] = {0, 128, 192, 255};
        for (int ch = 0; ch < 3; ++ch)
            for (int l = 0; l < 4; ++l) d[ch][l] = Difference(s[ch], sum[ch], kLevel[l]);
        const int *r = d[0], *g = d[1], *b = d[2];
#if defined(__SSE2__)
        // Sixteen errors in two vectors; the smallest and then the highest entry holding it.
        const __m128i sum0 = _mm_setr_epi16((short)(r[1] + g[1] + b[1]), (short)(r[2] + g[2] + b[2]),
                                            (short)(r[3] + g[3] + b[3]), (short)(r[0] + g[0] + b[0]),
                                            (short)(r[0] + g[0] + b[1]), (short)(r[0] + g[0] + b[3]),
                                            (short)(r[0] + g[1] + b[0]), (short)(r[0] + g[3] + b[0]));
        const __m128i sum1 = _mm_setr_epi16((short)(r[1] + g[0] + b[0]), (short)(r[3] + g[0] + b[0]),
                                            (short)(r[0] + g[1] + b[1]), (short)(r[0] + g[3] + b[3]),
                                            (short)(r[1] + g[0] + b[1]), (short)(r[3] + g[0] + b[3]),
                                            (short)(r[1] + g[1] + b[0]), (short)(r[3] + g[3] + b[0]));
        const __m128i third = _mm_set1_epi16(21846); // x / 3 = x * ceil(2^16 / 3) >> 16 for x < 32768
        __m128i e0 = _mm_mulhi_epu16(sum0, third);
        const __m128i e1 = _mm_mulhi_epu16(sum1, third);
        const __m128i half = _mm_srli_epi16(_mm_mullo_epi16(e0, _mm_set1_epi16(3)), 1);
        const __m128i grays = _mm_setr_epi16(-1, -1, 0, 0, 0, 0, 0, 0), white = _mm_setr_epi16(0, 0, -1, 0, 0, 0, 0, 0);
        e0 = _mm_or_si128(_mm_andnot_si128(_mm_or_si128(grays, white), e0),
                          _mm_or_si128(_mm_and_si128(grays, _mm_add_epi16(half, half)), _mm_and_si128(white, half)));
        __m128i m = _mm_min_epi16(e0, e1); // only lane 0 is read: the shifted-in zeros never reach it
        m = _mm_min_epi16(m, _mm_srli_si128(m, 8));
        m = _mm_min_epi16(m, _mm_srli_si128(m, 4));
        m = _mm_min_epi16(m, _mm_srli_si128(m, 2));
        const int smallest = _mm_cvtsi128_si32(m) & 0xFFFF;
        if (smallest > 255) return 0;
        const __m128i all = _mm_set1_epi16((short)smallest);
        const int holders = _mm_movemask_epi8(_mm_packs_epi16(_mm_cmpeq_epi16(e0, all), _mm_cmpeq_epi16(e1, all)));
        return 31 - __builtin_clz((unsigned)holders);
#else
        const int e0 = (r[1] + g[1] + b[1]) / 3, e1 = (r[2] + g[2] + b[2]) / 3, e2 = (r[3] + g[3] + b[3]) / 3;
        const int error[16] = {
            2 * ((3 * e0) >> 1),          2 * ((3 * e1) >> 1),          (3 * e2) >> 1,
            (r[0] + g[0] + b[0]) / 3,     (r[0] + g[0] + b[1]) / 3,     (r[0] + g[0] + b[3]) / 3,
            (r[0] + g[1] + b[0]) / 3,     (r[0] + g[3] + b[0]) / 3,     (r[1] + g[0] + b[0]) / 3,
            (r[3] + g[0] + b[0]) / 3,     (r[0] + g[1] + b[1]) / 3,     (r[0] + g[3] + b[3]) / 3,
            (r[1] + g[0] + b[1]) / 3,     (r[3] + g[0] + b[3]) / 3,     (r[1] + g[1] + b[0]) / 3,
            (r[3] + g[3] + b[0]) / 3,
        };
        int best = 1 << 30;
        for (int k = 0; k < 16; ++k) {
            const int key = Key(error[k], k);
            best = key < best ? key : best;
        }
        return Chosen(best);
#endif
    }

    int ChooseAny(const int s[3], const int sum[3]) const {
        int d[3][256];
        for (int ch = 0; ch < 3; ++ch)
            for (int l = 0; l < pal.levelCount[ch]; ++l) d[ch][l] = Difference(s[ch], sum[ch], pal.levels[ch][l]);
        int best = 1 << 30;
        for (int k = 0; k < pal.size; ++k) {
            int error = (d[0][pal.levelOf[0][k]] + d[1][pal.levelOf[1][k]] + d[2][pal.levelOf[2][k]]) / 3;
            if (pal.size == 16 && k < 2) error = 2 * (int)(1.5f * (float)error);
            else if (pal.size == 16 && k == 2) error = (int)(1.5f * (float)error);
            const int key = Key(error, k);
            best = key < best ? key : best;
        }
        return Chosen(best);
    }

    // Range palettes: entry k = 36 r + 6 g + b, with r up to 7 (entries 252..255 have g = 0 and b <= 3).
    // The smallest error E = floor(M / 3) for the smallest channel sum M; the chosen entry is the highest k
    // whose sum is at most 3E + 2 (its error is then E too), found by walking r, g, b downward with bounds.
    int ChooseCube(const int s[3], const int sum[3]) const {
        int dr[8], dg[6], db[6];
        for (int l = 0; l < 8; ++l) dr[l] = Difference(s[0], sum[0], pal.cubeLevel[0][l]);
        for (int l = 0; l < 6; ++l) dg[l] = Difference(s[1], sum[1], pal.cubeLevel[1][l]);
        for (int l = 0; l < 6; ++l) db[l] = Difference(s[2], sum[2], pal.cubeLevel[2][l]);
        int minR = dr[0], minG = dg[0], minB = db[0], minB4 = db[0];
        for (int l = 1; l < 7; ++l) minR = dr[l] < minR ? dr[l] : minR;
        for (int l = 1; l < 6; ++l) {
            minG = dg[l] < minG ? dg[l] : minG;
            minB = db[l] < minB ? db[l] : minB;
            if (l < 4) minB4 = db[l] < minB4 ? db[l] : minB4;
        }
        const int last = dr[7] + dg[0] + minB4; // the best of entries 252..255
        int m = minR + minG + minB;
        if (last < m) m = last;
        const int limit = 3 * (m / 3) + 2;
        // The highest qualifying entry, channel by channel, by selects rather than branches (which the pixels'
        // noise would mispredict): the highest red level with any qualifying entry, then green, then blue.
        int lastB = -1;
        for (int b = 0; b < 4; ++b) lastB = dr[7] + dg[0] + db[b] <= limit ? b : lastB;
        if (lastB >= 0) return 252 + lastB;
        int r = 0, g = 0, b = 0;
        for (int l = 1; l < 7; ++l) r = dr[l] + minG + minB <= limit ? l : r;
        for (int l = 1; l < 6; ++l) g = dr[r] + dg[l] + minB <= limit ? l : g;
        for (int l = 1; l < 6; ++l) b = dr[r] + dg[g] + db[l] <= limit ? l : b;
        return 36 * r + 6 * g + b;
    }
};

} // namespace

StipplePalette MakeStipplePalette16() {
    StipplePalette p;
    p.size = 16;
    for (int k = 0; k < 16; ++k) p.entries[k] = kStippleColours16[k];
    FindLevels(&p);
    p.fixed16 = true;
    return p;
}

StipplePalette MakeStipplePalette256(const PaletteEntryRgb entries[256]) {
    StipplePalette p;
    p.size = 256;
    for (int k = 0; k < 256; ++k) p.entries[k] = entries[k];
    FindLevels(&p);
    for (int l = 0; l < 8; ++l) p.cubeLevel[0][l] = entries[36 * l].red;
    for (int l = 0; l < 6; ++l) p.cubeLevel[1][l] = entries[6 * l].green;
    for (int l = 0; l < 6; ++l) p.cubeLevel[2][l] = entries[l].blue;
    p.cube = true;
    for (int k = 0; k < 256 && p.cube; ++k)
        p.cube = entries[k].red == p.cubeLevel[0][k / 36] && entries[k].green == p.cubeLevel[1][k / 6 % 6] &&
                 entries[k].blue == p.cubeLevel[2][k % 6];
    return p;
}

namespace {

// Padding after each plane row: the vector loops may read up to ten columns past the last pixel of a row.
constexpr int kPlanePad = 16;
// Columns per block: a row tells the rows after it how far it has got after each block.
constexpr int kBlock = 256;
// kWeights[0 .. kUpperCount - 1] lie in the three rows before the current one, the rest to its left.
constexpr int kUpperCount = 18;

// Source and destination rows as 16-bit planes (blue, green, red) in a ring of rows, so that the sums over the
// neighbours in the rows before the current one are taken for eight pixels at a time. Those do not depend on
// the current row's choices; only the three left neighbours do, and they are added pixel by pixel.
class StipplePlanes {
public:
    StipplePlanes(int width, int slots)
        : width_(width), slots_(slots), span_((size_t)width + kPlanePad),
          data_(static_cast<int16_t *>(std::calloc((size_t)slots * 6 * span_, sizeof(int16_t)))) {}
    ~StipplePlanes() { std::free(data_); }
    StipplePlanes(const StipplePlanes &) = delete;
    StipplePlanes &operator=(const StipplePlanes &) = delete;
    explicit operator bool() const { return data_ != nullptr; }

    int16_t *Src(int row, int ch) const { return data_ + ((size_t)(row % slots_) * 6 + (size_t)ch) * span_; }
    int16_t *Dst(int row, int ch) const { return data_ + ((size_t)(row % slots_) * 6 + 3 + (size_t)ch) * span_; }
    void Widen(const unsigned char *in, int row, bool destination) const {
        int16_t *b = destination ? Dst(row, 0) : Src(row, 0), *g = destination ? Dst(row, 1) : Src(row, 1),
                *r = destination ? Dst(row, 2) : Src(row, 2);
        for (int c = 0; c < width_; ++c, in += 3) b[c] = in[0], g[c] = in[1], r[c] = in[2];
    }

private:
    int width_, slots_;
    size_t span_;
    int16_t *data_;
};

// One stored row. done (null when rows simply go in order on one thread) counts, per row, the columns already
// final: a block waits until the row before has passed its last column + 3 (the rows before that are then
// further still) and publishes its own progress when it ends.
class RowStippler {
public:
    RowStippler(int row, int width, const unsigned char *srcPixels, unsigned char *dstPixels, size_t stride,
                const StipplePalette &palette, const StipplePlanes *planes, std::atomic<int> *done)
        : row_(row), width_(width), src_(srcPixels + stride * (size_t)row), dst_(dstPixels + stride * (size_t)row),
          planes_(planes), done_(done), palette_(palette), chooser_{palette} {
        for (const NeighbourWeight &n : kWeights) {
            if (row + n.dr < 0) continue;
            offset_[count_] = (ptrdiff_t)n.dr * (ptrdiff_t)stride + 3 * n.dc;
            dcOf_[count_] = n.dc;
            weightOf_[count_] = n.weight;
            ++count_;
        }
    }

    void Run() {
        if (planes_) planes_->Widen(src_, row_, false);
        // Pixels with all their neighbours: rows from 3 on, columns 3 ... width - 4.
        const bool planar = planes_ && count_ == kWeightCount && width_ > 6;
        if (!planar) {
            WaitAbove(width_);
            for (int c = 0; c < width_; ++c) Emit(c, ChooseAnyPixel(c));
            Publish(width_);
            return;
        }
        WaitAbove(6);
        for (int c = 0; c < 3; ++c) Emit(c, ChooseAnyPixel(c));
        Publish(3);
        for (int a = 3; a < width_ - 3; a += kBlock) {
            const int b = a + kBlock < width_ - 3 ? a + kBlock : width_ - 3;
            WaitAbove(b + 3);
            int c = a;
#if defined(__SSE2__)
            const int n = (b - a) & ~7;
            UpperSums(a, n);
            ChooseInsideRun(a, n);
            c = a + n;
#endif
            for (; c < b; ++c) Emit(c, ChooseAnyPixel(c));
            Publish(b);
        }
        WaitAbove(width_);
        for (int c = width_ - 3; c < width_; ++c) Emit(c, ChooseAnyPixel(c));
        Publish(width_);
    }

private:
    void WaitAbove(int columns) const {
        if (!done_ || row_ == 0) return;
        if (columns > width_) columns = width_;
        while (done_[row_ - 1].load(std::memory_order_acquire) < columns) std::this_thread::yield();
    }
    void Publish(int columns) const {
        if (done_) done_[row_].store(columns, std::memory_order_release);
    }

    void Emit(int c, int k) {
        const PaletteEntryRgb &e = palette_.entries[k];
        unsigned char *d = dst_ + 3 * (size_t)c;
        d[0] = e.blue;
        d[1] = e.green;
        d[2] = e.red;
        if (planes_) {
            planes_->Dst(row_, 0)[c] = e.blue;
            planes_->Dst(row_, 1)[c] = e.green;
            planes_->Dst(row_, 2)[c] = e.red;
        }
        for (int ch = 0; ch < 3; ++ch) {
            left_[2][ch] = left_[1][ch];
            left_[1][ch] = left_[0][ch];
        }
        left_[0][0] = e.blue, left_[0][1] = e.green, left_[0][2] = e.red;
    }

    // Any pixel: every neighbour that exists, from the pictures' bytes.
    int ChooseAnyPixel(int c) {
        const unsigned char *s = src_ + 3 * (size_t)c;
        const unsigned char *d = dst_ + 3 * (size_t)c;
        const int sb = s[0], sg = s[1], sr = s[2];
        NeighbourSums n;
        for (int i = 0; i < count_; ++i) {
            if (c + dcOf_[i] < 0 || c + dcOf_[i] >= width_) continue;
            const unsigned char *p = s + offset_[i];
            if (Abs(sb - p[0]) + Abs(sg - p[1]) + Abs(sr - p[2]) >= kEdgeDistance) continue;
            const unsigned char *m = d + offset_[i];
            const int w = weightOf_[i];
            n.b += w * m[0];
            n.g += w * m[1];
            n.r += w * m[2];
            n.h += w;
        }
        const int sv[3] = {sr, sg, sb}, sums[3] = {n.r, n.g, n.b};
        return chooser_.Choose(sv, sums, n.h);
    }

#if defined(__SSE2__)
    // The sums over the neighbours in the rows before this one, and the weights of the three left neighbours,
    // for the n pixels from column a (n a multiple of 8). Weighted sums stay below 96 x 255 in 16-bit lanes.
    void UpperSums(int a, int n) {
        const int16_t *cur[3] = {planes_->Src(row_, 0), planes_->Src(row_, 1), planes_->Src(row_, 2)};
        const int16_t *ns[kUpperCount][3], *nd[kUpperCount][3];
        for (int i = 0; i < kUpperCount; ++i)
            for (int ch = 0; ch < 3; ++ch) {
                ns[i][ch] = planes_->Src(row_ + kWeights[i].dr, ch) + kWeights[i].dc;
                nd[i][ch] = planes_->Dst(row_ + kWeights[i].dr, ch) + kWeights[i].dc;
            }
        auto load = [](const int16_t *p) { return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p)); };
        const __m128i edge = _mm_set1_epi16(kEdgeDistance);
        for (int j = 0; j < n; j += 8) {
            const int c = a + j;
            const __m128i sb = load(cur[0] + c), sg = load(cur[1] + c), sr = load(cur[2] + c);
            // The weight of a neighbour whose source colour is near this pixel's, else 0.
            auto weight = [&](const int16_t *const p[3], int w) {
                const __m128i nb = load(p[0] + c), ng = load(p[1] + c), nr = load(p[2] + c);
                const __m128i dist = _mm_add_epi16(
                    _mm_add_epi16(_mm_sub_epi16(_mm_max_epi16(sb, nb), _mm_min_epi16(sb, nb)),
                                  _mm_sub_epi16(_mm_max_epi16(sg, ng), _mm_min_epi16(sg, ng))),
                    _mm_sub_epi16(_mm_max_epi16(sr, nr), _mm_min_epi16(sr, nr)));
                return _mm_and_si128(_mm_cmpgt_epi16(edge, dist), _mm_set1_epi16((short)w));
            };
            __m128i accB = _mm_setzero_si128(), accG = accB, accR = accB, accH = accB;
            for (int i = 0; i < kUpperCount; ++i) {
                const __m128i w = weight(ns[i], kWeights[i].weight);
                accB = _mm_add_epi16(accB, _mm_mullo_epi16(w, load(nd[i][0] + c)));
                accG = _mm_add_epi16(accG, _mm_mullo_epi16(w, load(nd[i][1] + c)));
                accR = _mm_add_epi16(accR, _mm_mullo_epi16(w, load(nd[i][2] + c)));
                accH = _mm_add_epi16(accH, w);
            }
            auto store = [](int16_t *p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i *>(p), v); };
            store(upper_.b + j, accB);
            store(upper_.g + j, accG);
            store(upper_.r + j, accR);
            store(upper_.h + j, accH);
            for (int k = 0; k < 3; ++k) {
                const NeighbourWeight &lw = kWeights[kUpperCount + k]; // (0, -3), (0, -2), (0, -1)
                const int16_t *p[3] = {cur[0] + lw.dc, cur[1] + lw.dc, cur[2] + lw.dc};
                store(upper_.left[k] + j, weight(p, lw.weight));
            }
        }
    }

    // The n pixels from column a, all with every neighbour, from the block's upper sums and the colours just
    // chosen to their left. The left colours live in locals here: the byte stores into the picture could
    // otherwise alias them and force a reload on every pixel.
    void ChooseInsideRun(int a, int n) {
        int l1b = left_[0][0], l1g = left_[0][1], l1r = left_[0][2];
        int l2b = left_[1][0], l2g = left_[1][1], l2r = left_[1][2];
        int l3b = left_[2][0], l3g = left_[2][1], l3r = left_[2][2];
        int16_t *planeB = planes_->Dst(row_, 0), *planeG = planes_->Dst(row_, 1), *planeR = planes_->Dst(row_, 2);
        for (int j = 0; j < n; ++j) {
            const int c = a + j;
            const unsigned char *s = src_ + 3 * (size_t)c;
            const int w3 = upper_.left[0][j], w2 = upper_.left[1][j], w1 = upper_.left[2][j];
            const int sumB = upper_.b[j] + w3 * l3b + w2 * l2b + w1 * l1b;
            const int sumG = upper_.g[j] + w3 * l3g + w2 * l2g + w1 * l1g;
            const int sumR = upper_.r[j] + w3 * l3r + w2 * l2r + w1 * l1r;
            const int sv[3] = {s[2], s[1], s[0]}, sums[3] = {sumR, sumG, sumB};
            const PaletteEntryRgb &e = palette_.entries[chooser_.Choose(sv, sums, kSelfWeight + upper_.h[j] + w3 + w2 + w1)];
            l3b = l2b, l3g = l2g, l3r = l2r;
            l2b = l1b, l2g = l1g, l2r = l1r;
            l1b = e.blue, l1g = e.green, l1r = e.red;
            unsigned char *d = dst_ + 3 * (size_t)c;
            d[0] = (unsigned char)l1b;
            d[1] = (unsigned char)l1g;
            d[2] = (unsigned char)l1r;
            planeB[c] = (int16_t)l1b;
            planeG[c] = (int16_t)l1g;
            planeR[c] = (int16_t)l1r;
        }
        left_[0][0] = l1b, left_[0][1] = l1g, left_[0][2] = l1r;
        left_[1][0] = l2b, left_[1][1] = l2g, left_[1][2] = l2r;
        left_[2][0] = l3b, left_[2][1] = l3g, left_[2][2] = l3r;
    }

    struct UpperBlock {
        alignas(16) int16_t b[kBlock], g[kBlock], r[kBlock], h[kBlock], left[3][kBlock];
    } upper_;
#endif

    int row_, width_;
    const unsigned char *src_;
    unsigned char *dst_;
    const StipplePlanes *planes_;
    std::atomic<int> *done_;
    const StipplePalette &palette_;
    Chooser chooser_;
    int count_ = 0;
    ptrdiff_t offset_[kWeightCount];
    int dcOf_[kWeightCount], weightOf_[kWeightCount];
    int left_[3][3] = {}; // colours (blue, green, red) chosen at c - 1, c - 2, c - 3
};

} // namespace

void StippleRow(int row, const void *lockedSource, void *lockedDestination, size_t rowStride,
                const StipplePalette &palette) {
    const DibHeader *h = static_cast<const DibHeader *>(lockedSource);
    const int width = h->biWidth;
    if (row < 0 || row >= h->biHeight || width < 1) return;
    const unsigned char *src = DibPixels(lockedSource);
    unsigned char *dst = DibPixels(lockedDestination);
    StipplePlanes planes(width, 4);
    if (planes)
        for (int q = row - 3; q < row; ++q) {
            if (q < 0) continue;
            planes.Widen(src + rowStride * (size_t)q, q, false);
            planes.Widen(dst + rowStride * (size_t)q, q, true);
        }
    RowStippler(row, width, src, dst, rowStride, palette, planes ? &planes : nullptr, nullptr).Run();
}

namespace {

// A zero-filled picture with the source's header for its stipple, or null for a source that is not a whole 24-bit
// picture or when memory runs out (the host's work allocator has then told the user).
PackedDib NewStippleTarget(PackedDib source, const StipplePalette &palette) {
    if (!source || (palette.size != 16 && palette.size != 256)) return nullptr;
    BlockLockGuard src(source);
    if (!src || BlockSize(source) < sizeof(DibHeader)) return nullptr;
    DibHeader header;
    memcpy(&header, src.get(), sizeof header);
    if (header.biBitCount != 24 || header.biSize != kDibHeaderSize) return nullptr;
    const int64_t bytes = DibBlockBytes(header.biWidth, header.biHeight, 24);
    if (bytes < 0 || (int64_t)BlockSize(source) < bytes) return nullptr;
    PackedDib result = AllocWorkBlock((size_t)bytes);
    if (!result) return nullptr;
    BlockLockGuard dst(result);
    if (!dst) {
        BlockFree(result);
        return nullptr;
    }
    header.biClrUsed = 0;
    header.biSizeImage = (uint32_t)(bytes - kDibHeaderSize);
    memcpy(dst.get(), &header, sizeof header);
    return result;
}

// Stipples every row of `source` into `target` (made by NewStippleTarget). Rows run as a wavefront: each thread
// takes the next row and follows the row before it a block behind; the ring holds every row a running row may read
// (at most `threads` rows run at once, each reading three back). beforeRow is called on the calling thread, once
// per row in order.
template <class BeforeRow>
void StippleInto(PackedDib source, PackedDib target, const StipplePalette &palette, BeforeRow beforeRow) {
    BlockLockGuard src(source), dst(target);
    if (!src || !dst) return;
    const DibHeader *header = reinterpret_cast<const DibHeader *>(dst.get());
    const int height = header->biHeight, width = header->biWidth;
    const size_t stride = Stride24(width);
    int threads = WorkerThreads();
    StipplePlanes planes(width, threads + 4);
    std::vector<std::atomic<int>> done((size_t)height);
    for (std::atomic<int> &d : done) d.store(0);
    if (!planes) threads = 1;
    const unsigned char *srcPixels = DibPixels(src.get());
    unsigned char *dstPixels = DibPixels(dst.get());
    ForEachRowChunk(
        height, 1, threads,
        [&](int64_t first, int64_t end, int) {
            for (int64_t i = first; i < end; ++i)
                RowStippler((int)i, width, srcPixels, dstPixels, stride, palette, planes ? &planes : nullptr,
                            done.data())
                    .Run();
        },
        [&](int64_t i) { beforeRow(i, (int64_t)height); });
}

} // namespace

PackedDib StippleRows(PackedDib source, const StipplePalette &palette, const StippleProgress &report) {
    PackedDib result = NewStippleTarget(source, palette);
    if (!result) return nullptr;
    int64_t shown = 0;
    StippleInto(source, result, palette, [&](int64_t i, int64_t height) {
        const int64_t step = 20 * i / height;
        if (step <= shown) return;
        shown = step;
        if (report) report((int)(100 * i / height));
    });
    return result;
}

PackedDib StipplePicture(PackedDib source, const StipplePalette &palette) {
    PackedDib result = NewStippleTarget(source, palette);
    if (!result) return nullptr;
    BusyCursor(true);
    {
        ProgressScope progress("点描 %d%%", {ProgressRule::kStepPercent, TitleAfter::kAlways});
        StippleInto(source, result, palette, [&](int64_t i, int64_t height) { progress.BeforeRow(i, height); });
    }
    BusyCursor(false);
    return result;
}
