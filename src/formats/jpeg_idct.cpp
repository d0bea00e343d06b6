// The decoder's inverse DCT. Constants are round(64 sqrt2 x C(u)/2 x cos(u pi/16)): 32, 44, 42, 38, 25, 17, 9.
// Each product is a sum of shifted copies, and every shifted copy of x1..x3, x5..x7 is cut to a signed 16-bit
// value before the sum, so large coefficients wrap exactly as the program always has. Only 32 (x0 +- x4) and the
// sums are full 32-bit values.
#include "formats/jpeg_idct.h"

#include <initializer_list>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

inline int32_t Cut16(int32_t v) { return (int16_t)v; }

// The shifted-copy products; x is a 16-bit value.
inline int32_t Times9(int32_t x) { return Cut16(x * 8) + x; }
inline int32_t Times17(int32_t x) { return Cut16(x * 16) + x; }
inline int32_t Times25(int32_t x) { return Cut16(x * 16) + Cut16(x * 8) + x; }
inline int32_t Times38(int32_t x) { return Cut16(x * 32) + Cut16(x * 4) + Cut16(x * 2); }
inline int32_t Times42(int32_t x) { return Cut16(x * 32) + Cut16(x * 8) + Cut16(x * 2); }
inline int32_t Times44(int32_t x) { return Cut16(x * 32) + Cut16(x * 8) + Cut16(x * 4); }

// One 8-point pass over p[0], p[step], ..., p[7 step].
void Idct8(int16_t *p, int step, int shift) {
    const int32_t x0 = p[0], x1 = p[step], x2 = p[2 * step], x3 = p[3 * step];
    const int32_t x4 = p[4 * step], x5 = p[5 * step], x6 = p[6 * step], x7 = p[7 * step];
    const int32_t m = 32 * (x0 + x4), f = 32 * (x0 - x4);
    const int32_t l = Times42(x2) + Times17(x6), e = Times17(x2) - Times42(x6);
    const int32_t ev[4] = {m + l, f + e, f - e, m - l};
    const int32_t od[4] = {
        Times44(x1) + Times38(x3) + Times25(x5) + Times9(x7),
        Times38(x1) - Times9(x3) - Times44(x5) - Times25(x7),
        Times25(x1) - Times44(x3) + Times9(x5) + Times38(x7),
        Times9(x1) - Times25(x3) + Times38(x5) - Times44(x7),
    };
    for (int k = 0; k < 4; ++k) {
        p[k * step] = (int16_t)((ev[k] + od[k]) >> shift);
        p[(7 - k) * step] = (int16_t)((ev[k] - od[k]) >> shift);
    }
}

} // namespace

void JpegIdctPlain(int16_t block[64]) {
    for (int r = 0; r < 8; ++r) Idct8(block + 8 * r, 1, 5);
    for (int c = 0; c < 8; ++c) Idct8(block + c, 8, 8);
}

#if defined(__SSE2__)

namespace {

inline void Transpose(__m128i v[8]) {
    const __m128i a0 = _mm_unpacklo_epi16(v[0], v[1]), a1 = _mm_unpackhi_epi16(v[0], v[1]);
    const __m128i a2 = _mm_unpacklo_epi16(v[2], v[3]), a3 = _mm_unpackhi_epi16(v[2], v[3]);
    const __m128i a4 = _mm_unpacklo_epi16(v[4], v[5]), a5 = _mm_unpackhi_epi16(v[4], v[5]);
    const __m128i a6 = _mm_unpacklo_epi16(v[6], v[7]), a7 = _mm_unpackhi_epi16(v[6], v[7]);
    const __m128i b0 = _mm_unpacklo_epi32(a0, a2), b1 = _mm_unpackhi_epi32(a0, a2);
    const __m128i b2 = _mm_unpacklo_epi32(a1, a3), b3 = _mm_unpackhi_epi32(a1, a3);
    const __m128i b4 = _mm_unpacklo_epi32(a4, a6), b5 = _mm_unpackhi_epi32(a4, a6);
    const __m128i b6 = _mm_unpacklo_epi32(a5, a7), b7 = _mm_unpackhi_epi32(a5, a7);
    v[0] = _mm_unpacklo_epi64(b0, b4);
    v[1] = _mm_unpackhi_epi64(b0, b4);
    v[2] = _mm_unpacklo_epi64(b1, b5);
    v[3] = _mm_unpackhi_epi64(b1, b5);
    v[4] = _mm_unpacklo_epi64(b2, b6);
    v[5] = _mm_unpackhi_epi64(b2, b6);
    v[6] = _mm_unpacklo_epi64(b3, b7);
    v[7] = _mm_unpackhi_epi64(b3, b7);
}

// True when no shifted copy of x1..x3, x5..x7 can leave 16 bits (|x| x 32 fits), so the products are exact
// and a multiply-add gives the same sums as the cut copies.
inline bool CopiesFit(const __m128i v[8]) {
    const __m128i hi = _mm_set1_epi16(1023), lo = _mm_set1_epi16(-1024);
    __m128i bad = _mm_setzero_si128();
    for (int k : {1, 2, 3, 5, 6, 7})
        bad = _mm_or_si128(bad, _mm_or_si128(_mm_cmpgt_epi16(v[k], hi), _mm_cmplt_epi16(v[k], lo)));
    return _mm_movemask_epi8(bad) == 0;
}

inline __m128i Pair(int16_t a, int16_t b) { return _mm_set1_epi32((int32_t)((uint32_t)(uint16_t)a | (uint32_t)(uint16_t)b << 16)); }

// Keeps the low 16 bits of each 32-bit lane as a signed value, then packs: the store's truncation.
inline __m128i PackCut(__m128i lo, __m128i hi) {
    lo = _mm_srai_epi32(_mm_slli_epi32(lo, 16), 16);
    hi = _mm_srai_epi32(_mm_slli_epi32(hi, 16), 16);
    return _mm_packs_epi32(lo, hi);
}

// Eight 8-point passes side by side: v[k] holds input k of each lane's line, and receives output k.
template <int Shift>
inline void PassLanes(__m128i v[8]) {
    const __m128i x04l = _mm_unpacklo_epi16(v[0], v[4]), x04h = _mm_unpackhi_epi16(v[0], v[4]);
    const __m128i x26l = _mm_unpacklo_epi16(v[2], v[6]), x26h = _mm_unpackhi_epi16(v[2], v[6]);
    const __m128i x13l = _mm_unpacklo_epi16(v[1], v[3]), x13h = _mm_unpackhi_epi16(v[1], v[3]);
    const __m128i x57l = _mm_unpacklo_epi16(v[5], v[7]), x57h = _mm_unpackhi_epi16(v[5], v[7]);
    const __m128i cSum = Pair(32, 32), cDiff = Pair(32, -32);
    const __m128i cL = Pair(42, 17), cE = Pair(17, -42);
    const __m128i c0a = Pair(44, 38), c0b = Pair(25, 9);
    const __m128i c1a = Pair(38, -9), c1b = Pair(-44, -25);
    const __m128i c2a = Pair(25, -44), c2b = Pair(9, 38);
    const __m128i c3a = Pair(9, -25), c3b = Pair(38, -44);
    __m128i ev[2][4], od[2][4];
    const __m128i x04[2] = {x04l, x04h}, x26[2] = {x26l, x26h}, x13[2] = {x13l, x13h}, x57[2] = {x57l, x57h};
    for (int h = 0; h < 2; ++h) {
        const __m128i m = _mm_madd_epi16(x04[h], cSum), f = _mm_madd_epi16(x04[h], cDiff);
        const __m128i l = _mm_madd_epi16(x26[h], cL), e = _mm_madd_epi16(x26[h], cE);
        ev[h][0] = _mm_add_epi32(m, l);
        ev[h][1] = _mm_add_epi32(f, e);
        ev[h][2] = _mm_sub_epi32(f, e);
        ev[h][3] = _mm_sub_epi32(m, l);
        od[h][0] = _mm_add_epi32(_mm_madd_epi16(x13[h], c0a), _mm_madd_epi16(x57[h], c0b));
        od[h][1] = _mm_add_epi32(_mm_madd_epi16(x13[h], c1a), _mm_madd_epi16(x57[h], c1b));
        od[h][2] = _mm_add_epi32(_mm_madd_epi16(x13[h], c2a), _mm_madd_epi16(x57[h], c2b));
        od[h][3] = _mm_add_epi32(_mm_madd_epi16(x13[h], c3a), _mm_madd_epi16(x57[h], c3b));
    }
    for (int k = 0; k < 4; ++k) {
        v[k] = PackCut(_mm_srai_epi32(_mm_add_epi32(ev[0][k], od[0][k]), Shift),
                       _mm_srai_epi32(_mm_add_epi32(ev[1][k], od[1][k]), Shift));
        v[7 - k] = PackCut(_mm_srai_epi32(_mm_sub_epi32(ev[0][k], od[0][k]), Shift),
                           _mm_srai_epi32(_mm_sub_epi32(ev[1][k], od[1][k]), Shift));
    }
}

inline void Load(const int16_t *p, __m128i v[8]) {
    for (int r = 0; r < 8; ++r) v[r] = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 8 * r));
}
inline void Store(int16_t *p, const __m128i v[8]) {
    for (int r = 0; r < 8; ++r) _mm_storeu_si128(reinterpret_cast<__m128i *>(p + 8 * r), v[r]);
}

} // namespace

void JpegIdct(int16_t block[64]) {
    __m128i v[8];
    Load(block, v);
    Transpose(v); // v[k] = column k: the row pass works on all eight rows at once
    if (CopiesFit(v)) {
        PassLanes<5>(v);
        Transpose(v); // back to rows: the column pass works on all eight columns at once
    } else {
        for (int r = 0; r < 8; ++r) Idct8(block + 8 * r, 1, 5);
        Load(block, v);
    }
    if (CopiesFit(v)) {
        PassLanes<8>(v);
        Store(block, v);
    } else {
        Store(block, v);
        for (int c = 0; c < 8; ++c) Idct8(block + c, 8, 8);
    }
}

#else

void JpegIdct(int16_t block[64]) { JpegIdctPlain(block); }

#endif
