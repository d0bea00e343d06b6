// Colour conversion and chroma replication for the decoder. The coefficients are 16ths: B = Y + 1.5 Cb,
// G = Y - 0.5625 Cb - 0.75 Cr, R = Y + 1.25 Cr, each sum cut to 0..255 after the shift by 4.
#include "formats/jpeg_colour.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

inline uint8_t Clamp16ths(int32_t t) { return t < 0 ? 0 : t >= 4096 ? 255 : (uint8_t)(t >> 4); }

inline uint8_t ClampGrey(int32_t y) { return y < 0 ? 0 : y > 255 ? 255 : (uint8_t)y; }

#if defined(__SSE2__)

inline __m128i Pair(int16_t a, int16_t b) { return _mm_set1_epi32((int32_t)((uint32_t)(uint16_t)a | (uint32_t)(uint16_t)b << 16)); }

// Sum of a 16-bit pair product in 32 bits, shifted by 4 and saturated down to bytes: the same as Clamp16ths.
inline __m128i Channel(__m128i a, __m128i b, __m128i k) {
    const __m128i lo = _mm_srai_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(a, b), k), 4);
    const __m128i hi = _mm_srai_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(a, b), k), 4);
    return _mm_packs_epi32(lo, hi);
}

// Writes eight pixels given as the low 8 bytes of b, g, r: 24 bytes, no more.
inline void StoreEight(__m128i b, __m128i g, __m128i r, uint8_t *dst) {
    const __m128i bg = _mm_unpacklo_epi8(b, g);
    const __m128i r0 = _mm_unpacklo_epi8(r, _mm_setzero_si128());
    const __m128i lo = _mm_unpacklo_epi16(bg, r0), hi = _mm_unpackhi_epi16(bg, r0);
    uint64_t q[4];
    _mm_storeu_si128(reinterpret_cast<__m128i *>(q), lo);
    _mm_storeu_si128(reinterpret_cast<__m128i *>(q + 2), hi);
    // Each 64-bit word holds two BGR0 pixels: squeeze out the zero bytes.
    uint64_t p[4];
    for (int i = 0; i < 4; ++i) p[i] = (q[i] & 0xFFFFFFull) | ((q[i] >> 8) & 0xFFFFFF000000ull);
    const uint64_t w0 = p[0] | p[1] << 48, w1 = p[1] >> 16 | p[2] << 32, w2 = p[2] >> 32 | p[3] << 16;
    memcpy(dst, &w0, 8);
    memcpy(dst + 8, &w1, 8);
    memcpy(dst + 16, &w2, 8);
}

inline void ConvertEight(__m128i y, __m128i cb, __m128i cr, uint8_t *dst) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i b = Channel(y, cb, Pair(16, 24));
    const __m128i r = Channel(y, cr, Pair(16, 20));
    const __m128i gLo = _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(y, cb), Pair(16, -9)),
                                      _mm_madd_epi16(_mm_unpacklo_epi16(cr, zero), Pair(-12, 0)));
    const __m128i gHi = _mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(y, cb), Pair(16, -9)),
                                      _mm_madd_epi16(_mm_unpackhi_epi16(cr, zero), Pair(-12, 0)));
    const __m128i g = _mm_packs_epi32(_mm_srai_epi32(gLo, 4), _mm_srai_epi32(gHi, 4));
    StoreEight(_mm_packus_epi16(b, b), _mm_packus_epi16(g, g), _mm_packus_epi16(r, r), dst);
}

inline __m128i Load8(const int16_t *p) { return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p)); }
// Four chroma samples, each doubled across two pixels.
inline __m128i Load4Doubled(const int16_t *p) {
    const __m128i c = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(p));
    return _mm_unpacklo_epi16(c, c);
}

#endif

} // namespace

void ConvertJpegPixel(int y, int cb, int cr, uint8_t bgr[3]) {
    bgr[0] = Clamp16ths(16 * y + 24 * cb);
    bgr[1] = Clamp16ths(16 * y - 9 * cb - 12 * cr);
    bgr[2] = Clamp16ths(16 * y + 20 * cr);
}

void StoreColourMcu(const int16_t *blocks, int lumaH, int lumaV, uint8_t *dst, ptrdiff_t down, int cols,
                    int rows) {
    const int16_t *cb = blocks + 64 * lumaH * lumaV, *cr = cb + 64;
    for (int py = 0; py < rows; ++py, dst += down) {
        const int16_t *yRow = blocks + 64 * lumaH * (py >> 3) + 8 * (py & 7);
        const int cOff = 8 * (py / lumaV);
        for (int bx = 0; bx < lumaH && 8 * bx < cols; ++bx) {
            const int16_t *y = yRow + 64 * bx;
            const int cBase = cOff + 4 * bx * (lumaH - 1); // a 16-wide MCU's right block uses chroma 4..7
            uint8_t *out = dst + 24 * bx;
            const int n = cols - 8 * bx < 8 ? cols - 8 * bx : 8;
#if defined(__SSE2__)
            if (n == 8) {
                const __m128i c1 = lumaH == 2 ? Load4Doubled(cb + cBase) : Load8(cb + cBase);
                const __m128i c2 = lumaH == 2 ? Load4Doubled(cr + cBase) : Load8(cr + cBase);
                ConvertEight(Load8(y), c1, c2, out);
                continue;
            }
#endif
            for (int i = 0; i < n; ++i) {
                const int c = cBase + i / lumaH;
                ConvertJpegPixel(y[i], cb[c], cr[c], out + 3 * i);
            }
        }
    }
}

void StoreGreyMcu(const int16_t *block, uint8_t *dst, ptrdiff_t down, int cols, int rows) {
    for (int py = 0; py < rows; ++py, dst += down) {
        const int16_t *y = block + 8 * py;
#if defined(__SSE2__)
        if (cols == 8) {
            const __m128i g = _mm_packus_epi16(Load8(y), Load8(y));
            StoreEight(g, g, g, dst);
            continue;
        }
#endif
        for (int i = 0; i < cols; ++i) dst[3 * i] = dst[3 * i + 1] = dst[3 * i + 2] = ClampGrey(y[i]);
    }
}
