// The stipple kernel and the whole-picture stipple. The palette search works on per-channel differences, found
// once per pixel for each distinct channel value, and for range palettes goes channel by channel; both choose
// exactly the entry the plain search over every entry would (the smallest error, the higher index on ties).
#include "view/stipple.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/host.h"

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

    // One neighbour at a fixed offset, without branches: a distant colour simply weighs 0.
    template <int Weight>
    inline void Take(const unsigned char *s, const unsigned char *d, ptrdiff_t offset, int sb, int sg, int sr) {
        const unsigned char *n = s + offset, *m = d + offset;
        const int w = Abs(sb - n[0]) + Abs(sg - n[1]) + Abs(sr - n[2]) < kEdgeDistance ? Weight : 0;
        b += w * m[0];
        g += w * m[1];
        r += w * m[2];
        h += w;
    }

    // Every neighbour of a pixel at least three rows up and three columns in from the sides: the weight table
    // unrolled, so each weight is a constant.
    inline void TakeAll(const unsigned char *s, const unsigned char *d, ptrdiff_t st, int sb, int sg, int sr) {
        Take<1>(s, d, -3 * st - 6, sb, sg, sr);
        Take<1>(s, d, -3 * st - 3, sb, sg, sr);
        Take<4>(s, d, -3 * st, sb, sg, sr);
        Take<1>(s, d, -3 * st + 3, sb, sg, sr);
        Take<1>(s, d, -3 * st + 6, sb, sg, sr);
        Take<1>(s, d, -2 * st - 9, sb, sg, sr);
        Take<2>(s, d, -2 * st - 6, sb, sg, sr);
        Take<3>(s, d, -2 * st - 3, sb, sg, sr);
        Take<8>(s, d, -2 * st, sb, sg, sr);
        Take<3>(s, d, -2 * st + 3, sb, sg, sr);
        Take<1>(s, d, -2 * st + 6, sb, sg, sr);
        Take<1>(s, d, -st - 9, sb, sg, sr);
        Take<3>(s, d, -st - 6, sb, sg, sr);
        Take<9>(s, d, -st - 3, sb, sg, sr);
        Take<17>(s, d, -st, sb, sg, sr);
        Take<7>(s, d, -st + 3, sb, sg, sr);
        Take<2>(s, d, -st + 6, sb, sg, sr);
        Take<1>(s, d, -st + 9, sb, sg, sr);
        Take<4>(s, d, -9, sb, sg, sr);
        Take<10>(s, d, -6, sb, sg, sr);
        Take<16>(s, d, -3, sb, sg, sr);
    }
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
        if (last <= limit)
            for (int b = 3; b >= 0; --b)
                if (dr[7] + dg[0] + db[b] <= limit) return 252 + b;
        for (int r = 6; r >= 0; --r) {
            if (dr[r] + minG + minB > limit) continue;
            for (int g = 5; g >= 0; --g) {
                const int rg = dr[r] + dg[g];
                if (rg + minB > limit) continue;
                for (int b = 5; b >= 0; --b)
                    if (rg + db[b] <= limit) return 36 * r + 6 * g + b;
            }
        }
        return 0; // not reached: the entry that gave m qualifies
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

// The rows around the current one widened to four 16-bit lanes per pixel (blue, green, red, and 0 for the
// source or 1 for the destination), kept in rings of four so each row is widened once per picture. The
// neighbour sums then take two neighbours per vector operation; a weighted sum stays below 96 x 255, inside
// a signed 16-bit lane, and the destination's constant 1 lane adds up the weights.
class WideRows {
public:
    explicit WideRows(int width)
        : width_(width), data_(static_cast<uint16_t *>(std::calloc(8 * ((size_t)width + 2) * 4, sizeof(uint16_t)))) {}
    ~WideRows() { std::free(data_); }
    WideRows(const WideRows &) = delete;
    WideRows &operator=(const WideRows &) = delete;
    explicit operator bool() const { return data_ != nullptr; }

    // Makes rows row-3 .. row of the source and row-3 .. row-1 of the destination available.
    void Prepare(int row, const unsigned char *srcPixels, const unsigned char *dstPixels, size_t stride) {
        for (int q = row - 3; q <= row; ++q) {
            if (q < 0) continue;
            if (srcRow_[q & 3] != q) Widen(srcPixels + stride * (size_t)q, Src(q), 0), srcRow_[q & 3] = q;
            if (q < row && dstRow_[q & 3] != q) Widen(dstPixels + stride * (size_t)q, Dst(q), 1), dstRow_[q & 3] = q;
        }
        dstRow_[row & 3] = -1; // being written
    }
    void Finish(int row) { dstRow_[row & 3] = row; }

    uint16_t *Src(int q) { return data_ + (size_t)(q & 3) * ((size_t)width_ + 2) * 4; }
    uint16_t *Dst(int q) { return data_ + (size_t)(4 + (q & 3)) * ((size_t)width_ + 2) * 4; }

private:
    void Widen(const unsigned char *in, uint16_t *out, uint16_t fourth) {
        for (int c = 0; c < width_; ++c, in += 3, out += 4) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
            out[3] = fourth;
        }
    }

    int width_;
    uint16_t *data_;
    int srcRow_[4] = {-1, -1, -1, -1}, dstRow_[4] = {-1, -1, -1, -1};
};

#if defined(__SSE2__)
// Two neighbours at columns c + dc and c + dc + 1 of one row pair, weighted w0 and w1 where their source colour is
// near s (both lanes of s hold the current pixel).
inline __m128i TakePair(__m128i acc, __m128i s, const uint16_t *src, const uint16_t *dst, short w0, short w1) {
    const __m128i n = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src));
    const __m128i diff = _mm_sub_epi16(_mm_max_epi16(s, n), _mm_min_epi16(s, n));
    __m128i t = _mm_madd_epi16(diff, _mm_set1_epi16(1));        // (b + g, r) per neighbour
    t = _mm_add_epi32(t, _mm_shuffle_epi32(t, _MM_SHUFFLE(2, 3, 0, 1))); // b + g + r in both halves
    const __m128i near = _mm_cmpgt_epi32(_mm_set1_epi32(kEdgeDistance), t);
    const __m128i w = _mm_and_si128(near, _mm_set_epi16(w1, w1, w1, w1, w0, w0, w0, w0));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i *>(dst));
    return _mm_add_epi16(acc, _mm_mullo_epi16(d, w));
}

inline NeighbourSums WideSumsButLeft(WideRows &rows, int row, int c) {
    const uint16_t *s3 = rows.Src(row - 3) + 4 * (size_t)c, *s2 = rows.Src(row - 2) + 4 * (size_t)c;
    const uint16_t *s1 = rows.Src(row - 1) + 4 * (size_t)c, *s0 = rows.Src(row) + 4 * (size_t)c;
    const uint16_t *d3 = rows.Dst(row - 3) + 4 * (size_t)c, *d2 = rows.Dst(row - 2) + 4 * (size_t)c;
    const uint16_t *d1 = rows.Dst(row - 1) + 4 * (size_t)c, *d0 = rows.Dst(row) + 4 * (size_t)c;
    const __m128i s = _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(s0)),
                                         _mm_loadl_epi64(reinterpret_cast<const __m128i *>(s0)));
    __m128i acc = _mm_setzero_si128();
    acc = TakePair(acc, s, s3 - 8, d3 - 8, 1, 1);
    acc = TakePair(acc, s, s3, d3, 4, 1);
    acc = TakePair(acc, s, s3 + 8, d3 + 8, 1, 0);
    acc = TakePair(acc, s, s2 - 12, d2 - 12, 1, 2);
    acc = TakePair(acc, s, s2 - 4, d2 - 4, 3, 8);
    acc = TakePair(acc, s, s2 + 4, d2 + 4, 3, 1);
    acc = TakePair(acc, s, s1 - 12, d1 - 12, 1, 3);
    acc = TakePair(acc, s, s1 - 4, d1 - 4, 9, 17);
    acc = TakePair(acc, s, s1 + 4, d1 + 4, 7, 2);
    acc = TakePair(acc, s, s1 + 12, d1 + 12, 1, 0);
    acc = TakePair(acc, s, s0 - 12, d0 - 12, 4, 10);
    // The left neighbour (weight 16) was chosen just before this pixel; the caller adds it, so that these sums
    // need not wait for it.
    acc = _mm_add_epi16(acc, _mm_srli_si128(acc, 8));
    NeighbourSums n;
    n.b = _mm_extract_epi16(acc, 0);
    n.g = _mm_extract_epi16(acc, 1);
    n.r = _mm_extract_epi16(acc, 2);
    n.h = kSelfWeight + _mm_extract_epi16(acc, 3);
    return n;
}
#endif

void StippleRowWith(int row, const void *lockedSource, void *lockedDestination, size_t rowStride,
                    const StipplePalette &palette, WideRows *wide) {
    const DibHeader *h = static_cast<const DibHeader *>(lockedSource);
    const int width = h->biWidth;
    if (row < 0 || row >= h->biHeight || width < 1) return;
    const unsigned char *srcRow = DibPixels(lockedSource) + rowStride * (size_t)row;
    unsigned char *dstRow = DibPixels(lockedDestination) + rowStride * (size_t)row;
#if defined(__SSE2__)
    const bool useWide = wide && row >= 3;
    if (useWide) wide->Prepare(row, DibPixels(lockedSource), DibPixels(lockedDestination), rowStride);
    uint16_t *wideOut = useWide ? wide->Dst(row) : nullptr;
#else
    (void)wide;
#endif

    // The neighbours that exist above row 0, as byte offsets valid for both pictures.
    int count = 0;
    ptrdiff_t offset[kWeightCount];
    int dcOf[kWeightCount], weightOf[kWeightCount];
    for (const NeighbourWeight &n : kWeights) {
        if (row + n.dr < 0) continue;
        offset[count] = (ptrdiff_t)n.dr * (ptrdiff_t)rowStride + 3 * n.dc;
        dcOf[count] = n.dc;
        weightOf[count] = n.weight;
        ++count;
    }

    Chooser chooser{palette};
    int last[3] = {0, 0, 0}; // the colour chosen for the previous pixel, blue, green, red
    for (int c = 0; c < width; ++c) {
        const unsigned char *s = srcRow + 3 * (size_t)c;
        unsigned char *d = dstRow + 3 * (size_t)c;
        const int sb = s[0], sg = s[1], sr = s[2];
        NeighbourSums n;
        const bool inside = count == kWeightCount && c >= 3 && c + 3 < width;
#if defined(__SSE2__)
        if (useWide && inside) {
            n = WideSumsButLeft(*wide, row, c);
            const int near = Abs(sb - s[-3]) + Abs(sg - s[-2]) + Abs(sr - s[-1]) < kEdgeDistance ? 16 : 0;
            n.b += near * last[0];
            n.g += near * last[1];
            n.r += near * last[2];
            n.h += near;
        } else
#endif
        if (inside) {
            n.TakeAll(s, d, (ptrdiff_t)rowStride, sb, sg, sr);
        } else {
            for (int i = 0; i < count; ++i) {
                if (c + dcOf[i] < 0 || c + dcOf[i] >= width) continue;
                const unsigned char *p = s + offset[i];
                if (Abs(sb - p[0]) + Abs(sg - p[1]) + Abs(sr - p[2]) >= kEdgeDistance) continue;
                const unsigned char *m = d + offset[i];
                const int w = weightOf[i];
                n.b += w * m[0];
                n.g += w * m[1];
                n.r += w * m[2];
                n.h += w;
            }
        }
        const int sv[3] = {sr, sg, sb}, sums[3] = {n.r, n.g, n.b};
        const PaletteEntryRgb &e = palette.entries[chooser.Choose(sv, sums, n.h)];
        d[0] = last[0] = e.blue;
        d[1] = last[1] = e.green;
        d[2] = last[2] = e.red;
#if defined(__SSE2__)
        if (wideOut) {
            uint16_t *o = wideOut + 4 * (size_t)c;
            o[0] = e.blue;
            o[1] = e.green;
            o[2] = e.red;
            o[3] = 1;
        }
#endif
    }
#if defined(__SSE2__)
    if (useWide) wide->Finish(row);
#endif
}

} // namespace

void StippleRow(int row, const void *lockedSource, void *lockedDestination, size_t rowStride,
                const StipplePalette &palette) {
    WideRows wide(static_cast<const DibHeader *>(lockedSource)->biWidth);
    StippleRowWith(row, lockedSource, lockedDestination, rowStride, palette, wide ? &wide : nullptr);
}

PackedDib StipplePicture(PackedDib source, const StipplePalette &palette) {
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

    BusyCursor(true);
    const bool bar = IsStatusBarShown();
    if (bar) BeginProgress();
    const int height = header.biHeight;
    const size_t stride = Stride24(header.biWidth);
    WideRows wide(header.biWidth);
    int shown = 0;
    for (int i = 0; i < height; ++i) {
        const int step = (int)(20 * (int64_t)i / height);
        if (step > shown) {
            shown = step;
            const int percent = (int)(100 * (int64_t)i / height);
            if (bar) {
                SetProgress(percent);
            } else {
                char text[32];
                snprintf(text, sizeof text, "点描 %d%%", percent);
                ShowStatusText(0, text);
            }
        }
        StippleRowWith(i, src.get(), dst.get(), stride, palette, wide ? &wide : nullptr);
    }
    if (bar) EndProgress();
    RestoreScaleTitle();
    BusyCursor(false);
    return result;
}
