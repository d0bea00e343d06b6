// The stipple kernel and the whole-picture stipple. The palette search works on per-channel differences, found
// once per pixel for each distinct channel value, and for range palettes goes channel by channel; both choose
// exactly the entry the plain search over every entry would (the smallest error, the higher index on ties).
#include "view/stipple.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <memory>
#include <new>
#include <optional>
#include <thread>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/host.h"
#include "platform/vector_width.h"
#include "platform/progress.h"
#include "platform/workers.h"
#include "view/stipple_lanes.h"
#include "view/stipple_sums.h"

const PaletteEntryRgb kStippleColours16[16] = {
    {128, 128, 128, 0}, {192, 192, 192, 0}, {255, 255, 255, 0}, {0, 0, 0, 0},     {0, 0, 128, 0},   {0, 0, 255, 0},
    {0, 128, 0, 0},     {0, 255, 0, 0},     {128, 0, 0, 0},     {255, 0, 0, 0},   {0, 128, 128, 0}, {0, 255, 255, 0},
    {128, 0, 128, 0},   {255, 0, 255, 0},   {128, 128, 0, 0},   {255, 255, 0, 0},
};

namespace {

using stipple_lanes::kMaxWeight;
using stipple_lanes::kStep;
using stipple_lanes::LaneKind;

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

    // A row's six planes lie span() apart: source blue, green, red, then destination blue, green, red.
    int16_t *Planes(int row) const { return data_ + (size_t)(row % slots_) * 6 * span_; }
    size_t span() const { return span_; }
    int16_t *Src(int row, int ch) const { return data_ + ((size_t)(row % slots_) * 6 + (size_t)ch) * span_; }
    int16_t *Dst(int row, int ch) const { return data_ + ((size_t)(row % slots_) * 6 + 3 + (size_t)ch) * span_; }
    void Widen(const unsigned char *in, int row, bool destination) const {
        int16_t *b = destination ? Dst(row, 0) : Src(row, 0), *g = destination ? Dst(row, 1) : Src(row, 1),
                *r = destination ? Dst(row, 2) : Src(row, 2);
        int c = 0;
#if defined(__SSE2__)
        if (WideVectors()) c = stipple_lanes::WidenWide(in, width_, b, g, r);
        in += 3 * (size_t)c;
#endif
        for (; c < width_; ++c, in += 3) b[c] = in[0], g[c] = in[1], r[c] = in[2];
    }

private:
    int width_, slots_;
    size_t span_;
    int16_t *data_;
};

#if defined(__SSE2__)
inline __m128i Load(const void *p) { return _mm_loadu_si128(static_cast<const __m128i *>(p)); }
inline void Store(void *p, __m128i v) { _mm_storeu_si128(static_cast<__m128i *>(p), v); }

// The vector searches' tables for palette p (the block they lie in is the caller's to free).
void BuildLaneTables(const StipplePalette &p, LaneTables *t) {
    for (int h = kSelfWeight; h <= kMaxWeight; ++h) {
        const int k = h <= 64 ? 21 : h <= 128 ? 22 : 23;
        const uint32_t m = (uint32_t)(((1ull << k) + (unsigned)h - 1) / (unsigned)h);
        for (int i = 0; i < 8; ++i) t->recip[h][i] = (int16_t)(uint16_t)m, t->scale[h][i] = (int16_t)(1 << (32 - k));
        t->shift[h][0] = k - 16;
    }
    const int n = p.fixed16 ? 16 : p.size == 256 && p.cube ? 256 : 0;
    if (n == 0) return;
    const size_t row = n == 16 ? 32 : 48, table = (size_t)n * row;
    t->block = std::calloc(4 * table + 15, 1);
    if (!t->block) return;
    unsigned char *base = reinterpret_cast<unsigned char *>(((uintptr_t)t->block + 15) & ~(uintptr_t)15);
    t->left = base;
    for (int s = 0; s < 3; ++s) {
        t->slot[s] = (uint16_t)((size_t)(s + 1) * table);
        const int w = kWeights[kUpperCount + s].weight;
        for (int k = 0; k < n; ++k) {
            const PaletteEntryRgb &e = p.entries[k];
            int16_t v[24];
            if (n == 16) // red in four lanes then green in four, blue in eight
                for (int i = 0; i < 8; ++i)
                    v[i] = (int16_t)(w * (i < 4 ? e.red : e.green)), v[8 + i] = (int16_t)(w * e.blue);
            else
                for (int i = 0; i < 8; ++i)
                    v[i] = (int16_t)(w * e.red), v[8 + i] = (int16_t)(w * e.green), v[16 + i] = (int16_t)(w * e.blue);
            memcpy(base + t->slot[s] + (n == 16 ? 32 * (15 - k) : 48 * k), v, row);
        }
    }
    for (int k = 0; k < n; ++k) {
        const PaletteEntryRgb &e = p.entries[n == 16 ? 15 - k : k];
        t->colour[k] = (uint32_t)e.blue | (uint32_t)e.green << 8 | (uint32_t)e.red << 16;
    }
    if (n == 16) {
        static const int kLevel[4] = {0, 128, 192, 255};
        for (int i = 0; i < 8; ++i) t->level[0][i] = t->level[1][i] = (int16_t)(kSelfWeight * kLevel[i % 4]);
        t->kind = LaneKind::kFixed16;
    } else {
        for (int i = 0; i < 8; ++i) {
            t->level[0][i] = (int16_t)(kSelfWeight * p.cubeLevel[0][i]);
            t->level[1][i] = (int16_t)(i < 6 ? kSelfWeight * p.cubeLevel[1][i] : 0);
            t->level[2][i] = (int16_t)(i < 6 ? kSelfWeight * p.cubeLevel[2][i] : 0);
        }
        t->kind = LaneKind::kCube;
    }
}

// [v x 4 | w x 4] for pixel I of four whose (v, w) pairs are the dwords of vw.
template <int I> inline __m128i SpreadPair(__m128i vw) {
    return _mm_shufflehi_epi16(_mm_shufflelo_epi16(_mm_shuffle_epi32(vw, I * 0x55), 0x00), 0x55);
}
// v x 8 for pixel I of four whose values stand twice in the dwords of vv.
template <int I> inline __m128i Spread(__m128i vv) { return _mm_shuffle_epi32(vv, I * 0x55); }
#endif

// One stored row. done (null when rows simply go in order on one thread) counts, per row, the columns already
// final: a step waits until the row before has passed its last column + 3 (the rows before that are then
// further still) and publishes its own progress when it ends.
class RowStippler {
public:
    RowStippler(int row, int width, const unsigned char *srcPixels, unsigned char *dstPixels, size_t stride,
                const StipplePalette &palette, const StipplePlanes *planes, std::atomic<int> *done,
                const void *lanes, LaneStep *step)
        : row_(row), width_(width), src_(srcPixels + stride * (size_t)row), dst_(dstPixels + stride * (size_t)row),
          planes_(planes), done_(done), palette_(palette), chooser_{palette} {
        for (const NeighbourWeight &n : kWeights) {
            if (row + n.dr < 0) continue;
            offset_[count_] = (ptrdiff_t)n.dr * (ptrdiff_t)stride + 3 * n.dc;
            dcOf_[count_] = n.dc;
            weightOf_[count_] = n.weight;
            ++count_;
        }
        // Pixels with all their neighbours: rows from 3 on, columns 3 ... width - 4.
        planar_ = planes_ && count_ == kWeightCount && width_ > 6;
#if defined(__SSE2__)
        lanes_ = static_cast<const LaneTables *>(lanes);
        step_ = step;
        kind_ = planar_ && lanes_ && step_ ? lanes_->kind : LaneKind::kNone;
        wide_ = planar_ && WideVectors();
#endif
    }

    // Whole rows: the single-row kernel and rows that run alone.
    void Run() {
        Begin();
        while (!Finished()) {
            WaitAbove(Need());
            RunStep();
        }
    }

    // Rows that one thread keeps going together, each as far behind the row before it as its steps read
    // (three columns past their end): their pixel chains do not depend on each other, so the steps of those that
    // can go run side by side, pixel by pixel, and the processor overlaps them.
    static constexpr int kMostRows = 4;

    // Before the first step. A row's steps end 8 (row mod 16) columns before the first row's, so a row's step
    // can go as soon as the row before it has ended the step that ends at or past it, beside that row's next.
    void Start() {
        shortFirst_ = 8 * (row_ % 16);
        Begin();
    }
    bool Finished() const { return cursor_ >= width_; }
    int row() const { return row_; }

    // One round over rows (unfinished, in row order): a ready row's border step on its own, or else a step of
    // every ready row side by side, their inputs in steps[0 .. count - 1]. False when none was ready (the rows
    // before them are on other threads).
    static bool RunReady(RowStippler *const rows[], int count, bool wide, LaneStep *steps) {
        RowStippler *group[kMostRows];
        int g = 0;
        for (int i = 0; i < count; ++i) {
            RowStippler &r = *rows[i];
            if (!r.Ready()) continue;
#if defined(__SSE2__)
            if (r.InsideNext() && r.kind_ != LaneKind::kNone) {
                group[g++] = &r;
                continue;
            }
#endif
            r.RunStep(); // the border columns, or a palette without vector search
            return true;
        }
        if (g == 0) return false;
#if defined(__SSE2__)
        RunInsideTogether(group, g, wide, steps);
#else
        (void)wide, (void)steps;
#endif
        return true;
    }

private:
    void Begin() {
        if (planes_) planes_->Widen(src_, row_, false);
#if defined(__SSE2__)
        if (planar_) {
            for (int dr = 0; dr < 4; ++dr) rows_[dr] = planes_->Planes(row_ - 3 + dr);
            span_ = planes_->span();
        }
#endif
    }
    // The end of the next step: all at once without the planes, else the three left columns, steps of the
    // inside, and the three right columns.
    int StepEnd() const {
        if (!planar_) return width_;
        if (cursor_ < 3) return 3;
        if (cursor_ >= width_ - 3) return width_;
        const int step = cursor_ == 3 ? kStep - shortFirst_ : kStep;
        return cursor_ + step < width_ - 3 ? cursor_ + step : width_ - 3;
    }
    bool InsideNext() const { return planar_ && cursor_ >= 3 && cursor_ < width_ - 3; }
    // Columns of the row before that the next step reads.
    int Need() const { return StepEnd() + 3 < width_ ? StepEnd() + 3 : width_; }
    bool Ready() const {
        return !done_ || row_ == 0 || done_[row_ - 1].load(std::memory_order_acquire) >= Need();
    }
    void WaitAbove(int columns) const {
        if (!done_ || row_ == 0) return;
        while (done_[row_ - 1].load(std::memory_order_acquire) < columns) std::this_thread::yield();
    }
    void Publish(int columns) const {
        if (done_) done_[row_].store(columns, std::memory_order_release);
    }

    void RunStep() {
        const int a = cursor_, b = StepEnd();
        int c = a;
#if defined(__SSE2__)
        if (InsideNext()) {
            const int n = (b - a) & ~7;
            if (kind_ == LaneKind::kNone) {
                UpperSums(a, n);
                ChooseInsideRun(a, n);
            } else {
                LaneInputs(a, n);
                StartChain();
                if (kind_ == LaneKind::kFixed16) RunChains<Fixed16Search, StippleOps128, 1, 0>(*lanes_, step_, &n);
                else RunChains<CubeSearch, StippleOps128, 1, 0>(*lanes_, step_, &n);
                EndChain(n);
                LaneEmit(a, n);
            }
            c = a + n;
        }
#endif
        for (; c < b; ++c) Emit(c, ChooseAnyPixel(c));
        cursor_ = b;
        Publish(b);
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
#if defined(__SSE2__)
        if (kind_ != LaneKind::kNone) {
            code_[2] = code_[1];
            code_[1] = code_[0];
            code_[0] = (size_t)(kind_ == LaneKind::kFixed16 ? Fixed16Search::Code(k) : CubeSearch::Code(k));
        }
#endif
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
    // For the eight pixels from column c: the sums over the neighbours in the rows before this one, and the
    // weights of the three left neighbours (0 across an edge). Weighted sums stay below 96 x 255 in 16-bit lanes.
    struct GroupSums {
        __m128i b, g, r, h, left[3];
    };
    static GroupSums GroupOf(const __m128i v[7]) { return GroupSums{v[0], v[1], v[2], v[3], {v[4], v[5], v[6]}}; }
    // fn(j, sums) for the groups of eight pixels from column a + j, j = j0, j0 + 8, ... below n (a multiple of 8):
    // sixteen at a time on 256-bit vectors where the processor has them.
    template <class Fn> void ForEachGroup(int a, int n, Fn fn, int j0 = 0) const {
        int j = j0;
        if (wide_)
            for (; j + 16 <= n; j += 16) {
                __m128i v[14];
                stipple_sums::UpperSumsWide(rows_, span_, a + j, v);
                fn(j, GroupOf(v));
                fn(j + 8, GroupOf(v + 7));
            }
        for (; j < n; j += 8) {
            __m128i v[7];
            UpperSumsAt<Lanes128>(rows_, span_, a + j, v);
            fn(j, GroupOf(v));
        }
    }

    // The generic palettes: the upper sums and left weights for the n pixels from column a (n a multiple of 8).
    void UpperSums(int a, int n) {
        ForEachGroup(a, n, [this](int j, const GroupSums &s) {
            Store(upper_.b + j, s.b);
            Store(upper_.g + j, s.g);
            Store(upper_.r + j, s.r);
            Store(upper_.h + j, s.h);
            for (int k = 0; k < 3; ++k) Store(upper_.left[k] + j, s.left[k]);
        });
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

    // The vector searches' inputs for the n pixels from column a (n a multiple of 8), in their lane layouts.
    void LaneInputs(int a, int n) {
        int j0 = 0;
        if (wide_)
            for (; j0 + 16 <= n; j0 += 16) stipple_lanes::LaneInputsWide(*lanes_, rows_, span_, a + j0, j0, step_);
        if (j0 == n) return;
        const bool fixed16 = kind_ == LaneKind::kFixed16;
        const __m128i l0 = Load(lanes_->level[0]), l1 = Load(lanes_->level[1]), l2 = Load(lanes_->level[2]);
        const __m128i self = _mm_set1_epi16(kSelfWeight);
        __m128i slot[3];
        for (int k = 0; k < 3; ++k) slot[k] = _mm_set1_epi16((short)lanes_->slot[k]);
        ForEachGroup(a, n, [&](int j, const GroupSums &s) {
            const int c = a + j;
            const __m128i left = _mm_add_epi16(_mm_add_epi16(s.left[0], s.left[1]), s.left[2]);
            Store(step_->h + j, _mm_add_epi16(_mm_add_epi16(self, s.h), left));
            for (int k = 0; k < 3; ++k)
                Store(step_->off[k] + j, _mm_and_si128(_mm_cmpgt_epi16(s.left[k], _mm_setzero_si128()), slot[k]));
            const int16_t *cur = rows_[3] + c;
            const __m128i sb = Load(cur), sg = Load(cur + span_), sr = Load(cur + 2 * span_);
            if (fixed16) {
                const __m128i rg[2] = {_mm_unpacklo_epi16(s.r, s.g), _mm_unpackhi_epi16(s.r, s.g)};
                const __m128i bb[2] = {_mm_unpacklo_epi16(s.b, s.b), _mm_unpackhi_epi16(s.b, s.b)};
                const __m128i vrg[2] = {_mm_unpacklo_epi16(sr, sg), _mm_unpackhi_epi16(sr, sg)};
                const __m128i vbb[2] = {_mm_unpacklo_epi16(sb, sb), _mm_unpackhi_epi16(sb, sb)};
                for (int half = 0; half < 2; ++half) {
                    const int p = j + 4 * half;
                    PutFixed16<0>(p, rg[half], bb[half], vrg[half], vbb[half], l0, l1);
                    PutFixed16<1>(p, rg[half], bb[half], vrg[half], vbb[half], l0, l1);
                    PutFixed16<2>(p, rg[half], bb[half], vrg[half], vbb[half], l0, l1);
                    PutFixed16<3>(p, rg[half], bb[half], vrg[half], vbb[half], l0, l1);
                }
            } else {
                const __m128i v[2][6] = {
                    {_mm_unpacklo_epi16(s.r, s.r), _mm_unpacklo_epi16(s.g, s.g), _mm_unpacklo_epi16(s.b, s.b),
                     _mm_unpacklo_epi16(sr, sr), _mm_unpacklo_epi16(sg, sg), _mm_unpacklo_epi16(sb, sb)},
                    {_mm_unpackhi_epi16(s.r, s.r), _mm_unpackhi_epi16(s.g, s.g), _mm_unpackhi_epi16(s.b, s.b),
                     _mm_unpackhi_epi16(sr, sr), _mm_unpackhi_epi16(sg, sg), _mm_unpackhi_epi16(sb, sb)}};
                for (int half = 0; half < 2; ++half) {
                    const int p = j + 4 * half;
                    PutCube<0>(p, v[half], l0, l1, l2);
                    PutCube<1>(p, v[half], l0, l1, l2);
                    PutCube<2>(p, v[half], l0, l1, l2);
                    PutCube<3>(p, v[half], l0, l1, l2);
                }
            }
        }, j0);
    }
    template <int I>
    void PutFixed16(int p, __m128i rg, __m128i bb, __m128i vrg, __m128i vbb, __m128i l0, __m128i l1) {
        Store(step_->base[0][p + I], _mm_add_epi16(SpreadPair<I>(rg), l0));
        Store(step_->base[1][p + I], _mm_add_epi16(Spread<I>(bb), l1));
        Store(step_->source[0][p + I], SpreadPair<I>(vrg));
        Store(step_->source[1][p + I], Spread<I>(vbb));
    }
    template <int I> void PutCube(int p, const __m128i v[6], __m128i l0, __m128i l1, __m128i l2) {
        Store(step_->base[0][p + I], _mm_add_epi16(Spread<I>(v[0]), l0));
        Store(step_->base[1][p + I], _mm_add_epi16(Spread<I>(v[1]), l1));
        Store(step_->base[2][p + I], _mm_add_epi16(Spread<I>(v[2]), l2));
        Store(step_->source[0][p + I], Spread<I>(v[3]));
        Store(step_->source[1][p + I], Spread<I>(v[4]));
        Store(step_->source[2][p + I], Spread<I>(v[5]));
    }

    // The codes of the three pixels before a step into it, and after it those of its last three.
    void StartChain() {
        step_->code[0] = (uint16_t)code_[2], step_->code[1] = (uint16_t)code_[1], step_->code[2] = (uint16_t)code_[0];
    }
    void EndChain(int n) { code_[0] = step_->code[n + 2], code_[1] = step_->code[n + 1], code_[2] = step_->code[n]; }

    // A step of each row in `rows` (all inside, with the same vector search), their chains side by side: two rows
    // to a 256-bit vector where the processor has them, else one to a 128-bit vector.
    static void RunInsideTogether(RowStippler *const rows[], int count, bool wide, LaneStep *steps) {
        int start[kMostRows] = {}, end[kMostRows] = {}, n[kMostRows] = {};
        for (int i = 0; i < count; ++i) {
            RowStippler &r = *rows[i];
            r.step_ = steps + i; // a step's inputs last only the step
            start[i] = r.cursor_, end[i] = r.StepEnd();
            n[i] = (end[i] - start[i]) & ~7;
            r.LaneInputs(start[i], n[i]);
            r.StartChain();
        }
        const LaneTables &t = *rows[0]->lanes_;
        if (wide && count > 1) stipple_lanes::RunChainsWide(t, steps, n, count);
        else if (rows[0]->kind_ == LaneKind::kFixed16) RunNarrow<Fixed16Search>(t, steps, n, count);
        else RunNarrow<CubeSearch>(t, steps, n, count);
        for (int i = 0; i < count; ++i) {
            RowStippler &r = *rows[i];
            r.EndChain(n[i]);
            r.LaneEmit(start[i], n[i]);
            for (int c = start[i] + n[i]; c < end[i]; ++c) r.Emit(c, r.ChooseAnyPixel(c));
            r.cursor_ = end[i];
            r.Publish(end[i]);
        }
    }
    template <class Search> static void RunNarrow(const LaneTables &t, LaneStep *steps, const int n[], int count) {
        switch (count) {
        case 1: RunChains<Search, StippleOps128, 1, 0>(t, steps, n); break;
        case 2: RunChains<Search, StippleOps128, 2, 0>(t, steps, n); break;
        case 3: RunChains<Search, StippleOps128, 3, 0>(t, steps, n); break;
        default: RunChains<Search, StippleOps128, 4, 0>(t, steps, n); break;
        }
    }

    // The step's chosen colours into the picture and the planes.
    void LaneEmit(int a, int n) {
        int16_t *planeB = planes_->Dst(row_, 0), *planeG = planes_->Dst(row_, 1), *planeR = planes_->Dst(row_, 2);
        if (wide_)
            return stipple_lanes::LaneEmitWide(*lanes_, *step_, n, dst_ + 3 * (size_t)a, planeB + a, planeG + a,
                                               planeR + a);
        const bool fixed16 = kind_ == LaneKind::kFixed16;
        for (int j = 0; j < n; ++j) {
            const int c = a + j, code = step_->code[j + 3];
            const PaletteEntryRgb &e = palette_.entries[fixed16 ? Fixed16Search::Entry(code) : CubeSearch::Entry(code)];
            unsigned char *d = dst_ + 3 * (size_t)c;
            d[0] = e.blue;
            d[1] = e.green;
            d[2] = e.red;
            planeB[c] = e.blue;
            planeG[c] = e.green;
            planeR[c] = e.red;
        }
    }

    struct UpperBlock {
        alignas(16) int16_t b[kStep], g[kStep], r[kStep], h[kStep], left[3][kStep];
    } upper_;
    const LaneTables *lanes_ = nullptr;
    LaneKind kind_ = LaneKind::kNone;
    bool wide_ = false; // the steps' sums, inputs and colours on 256-bit vectors
    const int16_t *rows_[4] = {}; // the planes of rows row - 3 .. row
    size_t span_ = 0;
    size_t code_[3] = {0, 0, 0}; // codes of the colours chosen at c - 1, c - 2, c - 3
    LaneStep *step_ = nullptr; // the vector searches' inputs and choices for a step
#endif

    int row_, width_;
    const unsigned char *src_;
    unsigned char *dst_;
    const StipplePlanes *planes_;
    std::atomic<int> *done_;
    const StipplePalette &palette_;
    Chooser chooser_;
    bool planar_ = false;
    int cursor_ = 0; // columns done
    int shortFirst_ = 0; // columns fewer in the first step inside (a multiple of 8)
    int count_ = 0;
    ptrdiff_t offset_[kWeightCount];
    int dcOf_[kWeightCount], weightOf_[kWeightCount];
    int left_[3][3] = {}; // colours (blue, green, red) chosen at c - 1, c - 2, c - 3
};

} // namespace

namespace {

// The vector searches' tables for a palette where the processor has them; get() is what RowStippler takes.
class PaletteLanes {
public:
    explicit PaletteLanes(const StipplePalette &palette) {
#if defined(__SSE2__)
        BuildLaneTables(palette, &tables_);
#else
        (void)palette;
#endif
    }
    ~PaletteLanes() { std::free(tables_.block); }
    PaletteLanes(const PaletteLanes &) = delete;
    PaletteLanes &operator=(const PaletteLanes &) = delete;
#if defined(__SSE2__)
    const void *get() const { return &tables_; }
#else
    const void *get() const { return nullptr; }
#endif
    // Whether rows may share 256-bit vectors, two to a vector.
    bool wide() const { return tables_.kind != LaneKind::kNone && WideVectors(); }

private:
    LaneTables tables_;
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
    const PaletteLanes lanes(palette);
    const void *lanePtr = lanes.get();
    std::unique_ptr<LaneStep> step(new (std::nothrow) LaneStep);
    RowStippler(row, width, src, dst, rowStride, palette, planes ? &planes : nullptr, nullptr, lanePtr, step.get())
        .Run();
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
// keeps a few rows going (four where two share a vector, else two), each a step behind the row before it, and
// takes the next row not yet taken whenever one of them ends. Rows end in order, so the rows going are always
// consecutive and the ring holds every row a running row may read. beforeRow is called on the calling thread,
// once per row in order, as rows are taken.
template <class BeforeRow>
void StippleInto(PackedDib source, PackedDib target, const StipplePalette &palette, BeforeRow beforeRow) {
    BlockLockGuard src(source), dst(target);
    if (!src || !dst) return;
    const DibHeader *header = reinterpret_cast<const DibHeader *>(dst.get());
    const int height = header->biHeight, width = header->biWidth;
    const size_t stride = Stride24(width);
    int threads = WorkerThreads();
    const PaletteLanes lanes(palette);
    const void *lanePtr = lanes.get();
    const bool wide = lanes.wide();
    const int groupRows = wide ? 4 : 2;
    StipplePlanes planes(width, groupRows * threads + 4);
    std::vector<std::atomic<int>> done((size_t)height);
    for (std::atomic<int> &d : done) d.store(0);
    if (!planes) threads = 1;
    std::unique_ptr<LaneStep[]> steps(new (std::nothrow) LaneStep[(size_t)threads * groupRows]);
    const unsigned char *srcPixels = DibPixels(src.get());
    unsigned char *dstPixels = DibPixels(dst.get());
    std::atomic<int> nextRow{0};
    int64_t reported = 0;
    // One chunk per thread; a thread that gets a second (one that started late) finds every row taken.
    ForEachRowChunk(
        threads, 1, threads,
        [&](int64_t, int64_t, int slot) {
            const StipplePlanes *p = planes ? &planes : nullptr;
            LaneStep *own = steps ? &steps[(size_t)slot * groupRows] : nullptr;
            std::optional<RowStippler> held[RowStippler::kMostRows];
            bool more = true;
            for (;;) {
                for (int k = 0; k < groupRows && more; ++k) {
                    if (held[k]) continue;
                    const int row = nextRow.fetch_add(1);
                    if (row >= height) {
                        more = false;
                        break;
                    }
                    if (slot == 0)
                        for (; reported <= row; ++reported) beforeRow(reported, (int64_t)height);
                    held[k].emplace(row, width, srcPixels, dstPixels, stride, palette, p, done.data(), lanePtr,
                                    own ? own + k : nullptr);
                    held[k]->Start();
                }
                RowStippler *going[RowStippler::kMostRows];
                int count = 0;
                for (int k = 0; k < groupRows; ++k) {
                    if (!held[k]) continue;
                    int at = count++; // in row order
                    for (; at > 0 && going[at - 1]->row() > held[k]->row(); --at) going[at] = going[at - 1];
                    going[at] = &*held[k];
                }
                if (count == 0) return;
                if (!RowStippler::RunReady(going, count, wide, own)) std::this_thread::yield();
                for (int k = 0; k < groupRows; ++k)
                    if (held[k] && held[k]->Finished()) held[k].reset();
            }
        },
        nullptr);
    for (; reported < height; ++reported) beforeRow(reported, (int64_t)height);
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
