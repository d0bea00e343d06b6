// The stipple's vector palette searches, written once over the vector operations of platform/simd_lanes.h:
// StippleOps128 runs one row's pixel per 128-bit vector, StippleOps256 (in the file built for AVX2) two rows' pixels
// per 256-bit vector, one in each half. Every operation keeps to its half, so a half computes exactly what the
// 128-bit form does.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/simd_lanes.h"

// Data shared by the search files; the code that works on it has internal linkage (below), so the AVX2 file's
// copies never stand in for the others'.
namespace stipple_lanes {

// Columns per step: a row tells the rows after it how far it has got after each step, and the vector searches
// keep one step's per-pixel inputs in the first-level cache.
constexpr int kStep = 128;
// The total weight h ranges over 40 .. 40 + the sum of all weights (96).
constexpr int kMaxWeight = 136;

enum class LaneKind { kNone, kFixed16, kCube };

// What the vector searches share for one palette; read only, so every thread uses the same. A chosen colour
// travels as a code, a byte offset (times the search's scale) into tables of every entry's colour times one
// left neighbour's weight: from one pixel's choice to the next pixel's sums is then a load and an add.
struct LaneTables {
    LaneKind kind = LaneKind::kNone; // kNone: the scalar search (another palette, or no memory for the tables)
    // n / h in 16-bit lanes as (n x m) >> k with m = ceil(2^k / h) < 2^16: k = 21 up to h = 64, 22 up to 128,
    // 23 above. Every n the search divides is at most 255 h (h - 40 weights of values up to 255, plus 40 x a
    // level), and then the quotient is exact: n m / 2^k = n / h + n e / (h 2^k) with e = m h - 2^k < h, and
    // n e < 255 h^2 <= 2^k keeps the excess below 1 / h, too little to reach the next whole number.
    int16_t recip[kMaxWeight + 1][8] = {}; // m, in every lane
    int64_t shift[kMaxWeight + 1][2] = {}; // k - 16, as a shift count
    int16_t scale[kMaxWeight + 1][8] = {}; // 2^(32 - k): the high half of q x scale is q >> (k - 16)
    int16_t level[3][8] = {};              // 40 x the palette level each lane stands for
    // Four tables of the same size: zeros (for a left neighbour across an edge), then the colours times 4, 10
    // and 16, the weights of the neighbours at (0, -3), (0, -2) and (0, -1).
    const unsigned char *left = nullptr;
    uint16_t slot[3] = {}; // offsets of the weighted tables from `left`
    // Each code's colour as blue | green << 8 | red << 16, by code >> 2 (the fixed table) or code / 48 (cubes).
    uint32_t colour[256] = {};
    void *block = nullptr; // what `left` lies in
};

// One step's per-pixel inputs to a vector search.
struct LaneStep {
    int16_t base[3][kStep][8];   // the sums over the rows before, plus 40 x each lane's level
    int16_t source[3][kStep][8]; // the source value each lane is compared with
    int16_t h[kStep];            // the total weight (the left neighbours' weights need only the source)
    uint16_t off[3][kStep];      // per left neighbour (c - 3, c - 2, c - 1): its table, or the zeros
    // The codes chosen for the three pixels before the step (put there before it runs), then for its pixels:
    // pixel j's is code[j + 3], and the codes it reads of c - 2 and c - 3 were stored a while before.
    uint16_t code[kStep + 3];
};

// Runs the chains of choices over a step of each of `count` rows (up to four; n[i] pixels of steps[i], a multiple
// of 8; the steps side by side, so that one address reaches them all), two rows to a 256-bit vector (the AVX2
// build).
void RunChainsWide(const LaneTables &t, LaneStep *steps, const int n[], int count);
// The searches' inputs for the 16 pixels from column c of the row whose planes (and those of the three rows before
// it) are `rows`, into step columns j .. j + 15, with 256-bit vectors (the AVX2 build).
void LaneInputsWide(const LaneTables &t, const int16_t *const rows[4], size_t span, int c, int j, LaneStep *step);
// The colours of a step's n codes (a multiple of 8) into the picture's bytes from `bytes` and the destination
// planes from b, g and r (the AVX2 build).
void LaneEmitWide(const LaneTables &t, const LaneStep &step, int n, unsigned char *bytes, int16_t *b, int16_t *g,
                  int16_t *r);
// A row of 24-bit pixels into three 16-bit planes, 16 pixels at a time; returns the pixels done (the AVX2 build).
int WidenWide(const unsigned char *in, int width, int16_t *b, int16_t *g, int16_t *r);

} // namespace stipple_lanes

namespace {

using stipple_lanes::LaneStep;
using stipple_lanes::LaneTables;

#if defined(__SSE2__)
// One row's pixel per vector.
struct StippleOps128 : Lanes128 {
    static constexpr int kRows = 1;
    static I Load(const void *const p[1]) { return LoadAny(p[0]); }
    static I Wide(__m128i v) { return v; }
    static int Low(I a, int) { return _mm_cvtsi128_si32(a); } // the first dword of the row's half
    // n / h for the row's h, exact for every n the search divides (see LaneTables::recip).
    static I Divide(I n, const LaneTables &t, const int h[1]) {
        return _mm_srl_epi16(MulHi16(n, LoadAny(t.recip[h[0]])), LoadAny(t.shift[h[0]]));
    }
};
#endif

#if defined(__AVX2__)
// Two rows' pixels per vector, one in each 128-bit half.
struct StippleOps256 : Lanes256 {
    static constexpr int kRows = 2;
    static I Load(const void *const p[2]) {
        return _mm256_loadu2_m128i(static_cast<const __m128i *>(p[1]), static_cast<const __m128i *>(p[0]));
    }
    static I Wide(__m128i v) { return _mm256_broadcastsi128_si256(v); }
    static int Low(I a, int row) {
        return row == 0 ? _mm256_cvtsi256_si32(a) : _mm_cvtsi128_si32(_mm256_extracti128_si256(a, 1));
    }
    // The two halves divide by different h, so the shift, which would take one count for both, is a multiply
    // whose high half is the same shift.
    static I Divide(I n, const LaneTables &t, const int h[2]) {
        const void *m[2] = {t.recip[h[0]], t.recip[h[1]]}, *s[2] = {t.scale[h[0]], t.scale[h[1]]};
        return MulHi16(MulHi16(n, Load(m)), Load(s));
    }
};
#endif

#if defined(__SSE2__)
// The row inputs at step column j, one pointer per row.
template <class O> struct StepInputs {
    const LaneStep *step[O::kRows];
    const unsigned char *p3[O::kRows], *p2[O::kRows], *p1[O::kRows]; // the left neighbours' table rows
    int h[O::kRows];
    int j;

    __attribute__((always_inline)) typename O::I Source(int ch) const {
        const void *p[O::kRows];
        for (int i = 0; i < O::kRows; ++i) p[i] = step[i]->source[ch][j];
        return O::Load(p);
    }
    // Channel ch's base lanes plus the three left neighbours' lanes at byte 16 ch of their table rows.
    __attribute__((always_inline)) typename O::I Sums(int ch) const {
        const void *s[O::kRows], *a[O::kRows], *b[O::kRows], *c[O::kRows];
        for (int i = 0; i < O::kRows; ++i)
            s[i] = step[i]->base[ch][j], a[i] = p3[i] + 16 * ch, b[i] = p2[i] + 16 * ch, c[i] = p1[i] + 16 * ch;
        return O::Add16(O::Add16(O::Add16(O::Load(s), O::Load(a)), O::Load(b)), O::Load(c));
    }
};

// Rows' inputs at column j of their steps (steps[0 .. O::kRows - 1]); c1: each row's code chosen at c - 1.
template <class O, int kScale>
__attribute__((always_inline)) inline StepInputs<O> InputsAt(const LaneTables &t, const LaneStep *steps,
                                                             const size_t c1[], int j) {
    StepInputs<O> in;
    in.j = j;
    for (int i = 0; i < O::kRows; ++i) {
        const LaneStep &s = steps[i];
        in.step[i] = &s;
        in.p3[i] = t.left + s.off[0][j] + (size_t)s.code[j] * kScale;
        in.p2[i] = t.left + s.off[1][j] + (size_t)s.code[j + 1] * kScale;
        in.p1[i] = t.left + s.off[2][j] + c1[i] * kScale;
        in.h[i] = s.h[j];
    }
    return in;
}

// The fixed table. Lane layout: d1 = the differences to red levels 0, 128, 192, 255 then to green's, d2 = to
// blue's, twice. Entries 3, 0, 1, 2 have one level in all three channels; the other twelve come as three quads
// that pair two channels at levels (0, 0, 1, 3) with the third at (1, 3, 0, 0), so every entry's sum is a few
// shuffles and adds away. o1 holds entries 3, 0, 1, 2, 4, 5, 14, 15 and o2 entries 6, 7, 12, 13, 8, 9, 10, 11.
struct Fixed16Search {
    static constexpr int kScale = 8; // code = 4 x (15 - k): its table rows are 32 bytes
    static int Code(int k) { return 4 * (15 - k); }
    static int Entry(int code) { return 15 - (code >> 2); }

    // The next code of each of O::kRows rows at step column j.
    template <class O>
    __attribute__((always_inline)) static inline void Next(const LaneTables &t, const LaneStep *steps,
                                                           const size_t c1[], int j, size_t out[]) {
        using V = typename O::I;
        const StepInputs<O> in = InputsAt<O, kScale>(t, steps, c1, j);
        const V q1 = O::Divide(in.Sums(0), t, in.h), q2 = O::Divide(in.Sums(1), t, in.h);
        const V s1 = in.Source(0), s2 = in.Source(1);
        const V d1 = O::Or(O::SubSat16(s1, q1), O::SubSat16(q1, s1));
        const V d2 = O::Or(O::SubSat16(s2, q2), O::SubSat16(q2, s2));
        constexpr int kP = 0xD0, kQ = 0x0D; // a quad's lanes (0, 0, 1, 3) and (1, 3, 0, 0)
        const V sw = O::template Shuffle32<0x4E>(d1); // green | red
        const V x = O::Add16(d1, d2), y = O::Add16(d1, sw);
        const V o1 = O::Add16(O::template ShuffleHigh16<kP>(y), O::template ShuffleHigh16<kQ>(d2));
        const V o2 = O::Add16(O::template ShuffleHigh16<kP>(O::template ShuffleLow16<kP>(x)),
                            O::template ShuffleHigh16<kQ>(O::template ShuffleLow16<kQ>(sw)));
        // error = sum / 3 (x 21846 >> 16, exact below 32768); entries 0 to 2 (lanes 1 to 3 of o1) add half of it,
        // which is sum / 6, and the two grays then double. The key, error x 64 + 4 (15 - k) offset by 2^15 so
        // that the signed minimum orders it as unsigned, is smallest for the smallest error and then the
        // highest entry.
        const V third = O::Set16(21846);
        const V sixth = O::Wide(_mm_setr_epi16(0, 10923, 10923, 10923, 0, 0, 0, 0));
        const V grays = O::Wide(_mm_setr_epi16(0, -1, -1, 0, 0, 0, 0, 0));
        const V j1 = O::Wide(_mm_setr_epi16(48 - 32768, 60 - 32768, 56 - 32768, 52 - 32768, 44 - 32768, 40 - 32768,
                                            4 - 32768, 0 - 32768));
        const V j2 = O::Wide(_mm_setr_epi16(36 - 32768, 32 - 32768, 12 - 32768, 8 - 32768, 28 - 32768, 24 - 32768,
                                            20 - 32768, 16 - 32768));
        const V t1 = O::template ShiftLeft16<6>(O::Add16(O::MulHi16(o1, third), O::MulHi16(o1, sixth)));
        const V k1 = O::Add16(O::Add16(t1, j1), O::And(t1, grays));
        const V k2 = O::Add16(O::template ShiftLeft16<6>(O::MulHi16(o2, third)), j2);
        V mn = O::Min16(k1, k2);
        mn = O::Min16(mn, O::template Shuffle32<0x4E>(mn));
        mn = O::Min16(mn, O::template Shuffle32<0xB1>(mn));
        mn = O::Min16(mn, O::template ShuffleLow16<0xB1>(mn));
        for (int i = 0; i < O::kRows; ++i) out[i] = (size_t)(O::Low(mn, i) & 0x3C);
    }
};

// Range palettes: lanes hold red levels 0 .. 7, green and blue levels 0 .. 5. An entry qualifies when its sum is
// at most 3E + 2 for the smallest error E; each of its channels is then within 2 of that channel's part of the
// smallest sum, so the slack left after red (0, 1 or 2) picks the highest green, and what green leaves of it the
// highest blue.
struct CubeSearch {
    static constexpr int kScale = 1; // code = 48 k: its table rows are 48 bytes
    static int Code(int k) { return 48 * k; }
    static int Entry(int code) { return code / 48; }

    static inline int Top(unsigned bits) { return __builtin_clz(bits) ^ 31; }

    template <class O>
    __attribute__((always_inline)) static inline void Next(const LaneTables &t, const LaneStep *steps,
                                                           const size_t c1[], int j, size_t out[]) {
        using V = typename O::I;
        const StepInputs<O> in = InputsAt<O, kScale>(t, steps, c1, j);
        V d[3];
#pragma GCC unroll 3
        for (int ch = 0; ch < 3; ++ch) {
            const V q = O::Divide(in.Sums(ch), t, in.h), v = in.Source(ch);
            d[ch] = O::Or(O::SubSat16(v, q), O::SubSat16(q, v));
        }
        const V dR = d[0], dG = d[1], dB = d[2], zero = O::Zero();
        // Green's and blue's differences as bytes in the two halves, their levels 6 and 7 out of reach.
        const V pad = O::Wide(_mm_setr_epi8(0, 0, 0, 0, 0, 0, -1, -1, 0, 0, 0, 0, 0, 0, -1, -1));
        const V gb = O::Or(O::Pack16(dG, dB), pad);
        // Minima in each half by halving: pairs, quads (blue's first four levels are red level 7's), all.
        V mins = O::Min8(gb, O::Or(O::template ShiftLeft16<8>(gb), O::template ShiftRight16<8>(gb)));
        mins = O::Min8(mins, O::template ShuffleHigh16<0xB1>(O::template ShuffleLow16<0xB1>(mins)));
        const V minB4 = O::UnpackHigh8(mins, zero); // in words 0 .. 3
        mins = O::Min8(mins, O::template Shuffle32<0xB1>(mins));
        const V minGB = O::Add16(O::UnpackLow8(mins, zero), O::UnpackHigh8(mins, zero));
        // Per red level its smallest sum; level 7 (entries 252 .. 255) has only green level 0 and blue 0 .. 3.
        const V best = O::Add16(O::Add16(dR, O::template ShiftLeftBytes<14>(O::Add16(dG, minB4))),
                              O::And(minGB, O::Wide(_mm_setr_epi16(-1, -1, -1, -1, -1, -1, -1, 0))));
        // The smallest sum: red's smallest over levels 0 .. 6 plus green's and blue's, or red level 7's best.
        V minR = O::Or(dR, O::Wide(_mm_setr_epi16(0, 0, 0, 0, 0, 0, 0, 0x400)));
        minR = O::Min16(minR, O::template Shuffle32<0x4E>(minR));
        minR = O::Min16(minR, O::template Shuffle32<0xB1>(minR));
        minR = O::Min16(minR, O::template ShuffleHigh16<0xB1>(O::template ShuffleLow16<0xB1>(minR)));
        const V least =
            O::Min16(O::Add16(minR, minGB), O::template Shuffle32<0xFF>(O::template ShuffleHigh16<0xFF>(best)));
        const V third = O::Set16(21846); // x / 3 = (x * 21846) >> 16 for x < 32768
        const V qualifies = O::Equal16(O::MulHi16(best, third), O::MulHi16(least, third));
        // best mod 3: the low half of best x 21846 is 21846 (best mod 3) + 2 (best / 3), so its top two bits.
        const V mod = O::template ShiftRight16<14>(O::MulLo16(best, third));
        // Excess over the minimum, as bytes: green | blue, and blue over its first four levels | red's mod 3.
        const V excessGB = O::Or(O::SubSat8(gb, mins), pad);
        const V excessF = O::Or(O::Pack16(O::Sub16(dB, minB4), mod),
                                O::Wide(_mm_setr_epi8(0, 0, 0, 0, -1, -1, -1, -1, 0, 0, 0, 0, 0, 0, 0, 0)));
        const V one = O::Set8(1), two = O::Set8(2);
        unsigned gbWithin[3], fWithin[3]; // the bytes within slack 0, 1, 2, each row's in its 16 bits
        gbWithin[0] = O::Mask8(O::Equal8(excessGB, zero));
        gbWithin[1] = O::Mask8(O::Equal8(O::SubSat8(excessGB, one), zero));
        gbWithin[2] = O::Mask8(O::Equal8(O::SubSat8(excessGB, two), zero));
        fWithin[0] = O::Mask8(O::Equal8(excessF, zero));
        fWithin[1] = O::Mask8(O::Equal8(O::SubSat8(excessF, one), zero));
        fWithin[2] = O::Mask8(O::Equal8(O::SubSat8(excessF, two), zero));
        const unsigned red = O::Mask8(O::PackSigned16(qualifies, qualifies));
#pragma GCC unroll 2
        for (int i = 0; i < O::kRows; ++i) {
            const int at = 16 * i;
            // The highest qualifying red level and the slack left there (2 - its best mod 3); the highest green
            // within it, and the highest blue within what green leaves (the slack less green's excess, which
            // counts the slacks below 2 that do not hold that green).
            const unsigned g0 = gbWithin[0] >> at, g1 = gbWithin[1] >> at, g2 = gbWithin[2] >> at;
            const unsigned f0 = fWithin[0] >> at, f1 = fWithin[1] >> at, f2 = fWithin[2] >> at;
            const int r = Top((red >> at) & 255);
            const int slack = (int)((f0 >> (8 + r)) & 1) + (int)((f1 >> (8 + r)) & 1);
            const unsigned gs[3] = {g0, g1, g2}, fs[3] = {f0, f1, f2};
            const int g = Top(gs[slack] & 255);
            const int blue = (int)((g0 >> g) & 1) + (int)((g1 >> g) & 1) + slack - 2;
            const int b = Top((gs[blue] >> 8) & 255);
            // Red level 7: blue within the slack over its first four levels.
            const int b7 = Top(fs[slack] & 15);
            int seven = -(int)(r == 7); // hidden from the compiler: a branch on it would be mispredicted
            __asm__("" : "+r"(seven));
            const int inside = 288 * g + 48 * b, top = 48 * b7;
            out[i] = (size_t)(1728 * r + (inside ^ ((inside ^ top) & seven)));
        }
    }
};

// Chains side by side: rows [0, wide x O::kRows) O::kRows to a vector, the rest one to a 128-bit vector, pixel by
// pixel while every chain has pixels left; then each chain's remainder on its own.
template <class Search, class O, int kWide, int kNarrow>
void RunChains(const LaneTables &t, LaneStep *steps, const int n[]) {
    constexpr int kCount = kWide * O::kRows + kNarrow;
    int together = n[0];
    for (int i = 1; i < kCount; ++i) together = n[i] < together ? n[i] : together;
    size_t c1[kCount];
    for (int i = 0; i < kCount; ++i) c1[i] = steps[i].code[2];
    for (int j = 0; j < together; ++j) {
        size_t next[kCount];
        // Unrolled, so that the chains' steps interleave.
#pragma GCC unroll 4
        for (int w = 0; w < kWide; ++w) {
            const int k = w * O::kRows;
            Search::template Next<O>(t, steps + k, c1 + k, j, next + k);
        }
#pragma GCC unroll 4
        for (int k = kWide * O::kRows; k < kCount; ++k)
            Search::template Next<StippleOps128>(t, steps + k, c1 + k, j, next + k);
#pragma GCC unroll 4
        for (int i = 0; i < kCount; ++i) steps[i].code[j + 3] = (uint16_t)(c1[i] = next[i]);
    }
    for (int i = 0; i < kCount; ++i)
        for (int j = together; j < n[i]; ++j) {
            size_t next[1];
            Search::template Next<StippleOps128>(t, steps + i, c1 + i, j, next);
            steps[i].code[j + 3] = (uint16_t)(c1[i] = next[0]);
        }
}
#endif

} // namespace
