// The 256-bit build of saturation: the same steps as the 128-bit one, eight pixels at a time (each 128-bit half
// holds four, as the 128-bit build does).
#include <immintrin.h>

#include <cstring>

#include "adjust/saturation_lanes.h"

namespace {

struct Lanes256 {
    using I = __m256i;
    using F = __m256;
    static constexpr int kLanes = 8;
    static __m128i LoadFour(const unsigned char *p) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const __m128i pair0 = _mm_unpacklo_epi32(x, _mm_srli_si128(x, 3));
        const __m128i pair1 = _mm_unpacklo_epi32(_mm_srli_si128(x, 6), _mm_srli_si128(x, 9));
        return _mm_unpacklo_epi64(pair0, pair1);
    }
    static I LoadPixels(const unsigned char *p) { return _mm256_set_m128i(LoadFour(p + 12), LoadFour(p)); }
    static void StoreChannels(unsigned char *p, I b, I g, I r) {
        const __m256i bytes =
            _mm256_packus_epi16(_mm256_packs_epi32(b, g), _mm256_packs_epi32(r, _mm256_setzero_si256()));
        const __m256i blueGreen = _mm256_unpacklo_epi8(bytes, _mm256_srli_si256(bytes, 4));
        const __m256i redZero = _mm256_unpacklo_epi8(_mm256_srli_si256(bytes, 8), _mm256_setzero_si256());
        const __m256i pixels = _mm256_unpacklo_epi16(blueGreen, redZero); // dwords 0x00RRGGBB
        const __m256i low = _mm256_set_epi32(0, 0xFFFFFF, 0, 0xFFFFFF, 0, 0xFFFFFF, 0, 0xFFFFFF);
        const __m256i pairs = _mm256_or_si256(_mm256_and_si256(pixels, low),
                                              _mm256_andnot_si256(low, _mm256_srli_epi64(pixels, 8)));
        // Each 128-bit half: its four pixels as twelve bytes.
        const __m256i packed = _mm256_or_si256(_mm256_blend_epi32(pairs, _mm256_setzero_si256(), 0xCC),
                                               _mm256_slli_si256(_mm256_srli_si256(pairs, 8), 6));
        const __m128i first = _mm256_castsi256_si128(packed), second = _mm256_extracti128_si256(packed, 1);
        _mm_storel_epi64(reinterpret_cast<__m128i *>(p), first);
        int tail = _mm_cvtsi128_si32(_mm_srli_si128(first, 8));
        memcpy(p + 8, &tail, 4);
        _mm_storel_epi64(reinterpret_cast<__m128i *>(p + 12), second);
        tail = _mm_cvtsi128_si32(_mm_srli_si128(second, 8));
        memcpy(p + 20, &tail, 4);
    }
    static I DivideBy3(I sum) {
        const __m256i sum16 = _mm256_packs_epi32(sum, sum);
        return _mm256_unpacklo_epi16(_mm256_mulhi_epu16(sum16, _mm256_set1_epi16(21846)), _mm256_setzero_si256());
    }
    static I Set32(int v) { return _mm256_set1_epi32(v); }
    static I And(I a, I b) { return _mm256_and_si256(a, b); }
    static I AndNot(I a, I b) { return _mm256_andnot_si256(a, b); }
    static I Or(I a, I b) { return _mm256_or_si256(a, b); }
    static I Xor(I a, I b) { return _mm256_xor_si256(a, b); }
    static I Shift8(I a) { return _mm256_srli_epi32(a, 8); }
    static I Shift16(I a) { return _mm256_srli_epi32(a, 16); }
    static I Add32(I a, I b) { return _mm256_add_epi32(a, b); }
    static I Sub32(I a, I b) { return _mm256_sub_epi32(a, b); }
    static I Greater32(I a, I b) { return _mm256_cmpgt_epi32(a, b); }
    static I Equal32(I a, I b) { return _mm256_cmpeq_epi32(a, b); }
    static I Truncate(F a) { return _mm256_cvttps_epi32(a); }
    static F ToFloat(I a) { return _mm256_cvtepi32_ps(a); }
    static F Set(float v) { return _mm256_set1_ps(v); }
    static F Add(F a, F b) { return _mm256_add_ps(a, b); }
    static F Sub(F a, F b) { return _mm256_sub_ps(a, b); }
    static F Mul(F a, F b) { return _mm256_mul_ps(a, b); }
    static F Div(F a, F b) { return _mm256_div_ps(a, b); }
    static F Min(F a, F b) { return _mm256_min_ps(a, b); }
    static F Select(I mask, F a, F b) { return _mm256_blendv_ps(b, a, _mm256_castsi256_ps(mask)); }
};

} // namespace

int SaturateRowWide(unsigned char *row, int width, int s) {
    return saturation_lanes::SaturateRowLanes<Lanes256>(row, width, s);
}
