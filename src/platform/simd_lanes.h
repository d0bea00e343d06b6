// Vector operations by width, for kernels whose steps are written once for both: Lanes128 (SSE2) and, in the files
// built for AVX2 (named *_avx2.cpp), Lanes256. Packs, unpacks and byte shifts act within each 128-bit half in both,
// so steps that keep to whole halves give the same bytes either way. Everything here has internal linkage: the
// AVX2 files' copies never stand in for the others'.
#pragma once
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__AVX2__)
#include <immintrin.h>
#endif

namespace {

#if defined(__SSE2__)
struct Lanes128 {
    using F = __m128;  // single precision
    using I = __m128i; // 32-bit lanes, or bytes and 16-bit lanes for the byte operations
    static constexpr int kLanes = 4;      // floats or 32-bit integers
    static constexpr int kByteLanes = 16; // bytes

    static F Set(float v) { return _mm_set1_ps(v); }
    static F Add(F a, F b) { return _mm_add_ps(a, b); }
    static F Sub(F a, F b) { return _mm_sub_ps(a, b); }
    static F Mul(F a, F b) { return _mm_mul_ps(a, b); }
    static F Div(F a, F b) { return _mm_div_ps(a, b); }
    static F Min(F a, F b) { return _mm_min_ps(a, b); }
    static F Less(F a, F b) { return _mm_cmplt_ps(a, b); }
    static F Select(F mask, F a, F b) { return _mm_or_ps(_mm_and_ps(mask, a), _mm_andnot_ps(mask, b)); }
    static F Select(I mask, F a, F b) { return Select(_mm_castsi128_ps(mask), a, b); }
    static F Load(const float *p) { return _mm_loadu_ps(p); }
    static void Store(float *p, F a) { _mm_storeu_ps(p, a); }
    static I Truncate(F a) { return _mm_cvttps_epi32(a); }
    static F ToFloat(I a) { return _mm_cvtepi32_ps(a); }

    static I Set32(int v) { return _mm_set1_epi32(v); }
    static I Add32(I a, I b) { return _mm_add_epi32(a, b); }
    static I Sub32(I a, I b) { return _mm_sub_epi32(a, b); }
    static I Greater32(I a, I b) { return _mm_cmpgt_epi32(a, b); }
    static I Equal32(I a, I b) { return _mm_cmpeq_epi32(a, b); }
    static I Abs32(I a) {
        const __m128i sign = _mm_srai_epi32(a, 31);
        return _mm_sub_epi32(_mm_xor_si128(a, sign), sign);
    }
    template <int n>
    static I ShiftRight32(I a) { return _mm_srli_epi32(a, n); }
    static I And(I a, I b) { return _mm_and_si128(a, b); }
    static I AndNot(I a, I b) { return _mm_andnot_si128(a, b); }
    static I Or(I a, I b) { return _mm_or_si128(a, b); }
    static I Xor(I a, I b) { return _mm_xor_si128(a, b); }
    static I Select(I mask, I a, I b) { return Or(And(mask, a), AndNot(mask, b)); }
    static I LoadInt(const int32_t *p) { return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p)); }
    static void StoreInt(int32_t *p, I a) { _mm_storeu_si128(reinterpret_cast<__m128i *>(p), a); }
    // kLanes bytes into 32-bit lanes, and back (saturated to 0...255).
    static I LoadBytes(const unsigned char *p) {
        int bytes;
        memcpy(&bytes, p, 4);
        const __m128i zero = _mm_setzero_si128();
        return _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(bytes), zero), zero);
    }
    static void StoreBytes(unsigned char *p, I a) {
        const __m128i a16 = _mm_packs_epi32(a, a);
        const int bytes = _mm_cvtsi128_si32(_mm_packus_epi16(a16, a16));
        memcpy(p, &bytes, 4);
    }
    // Four 24-bit pixels as the dwords 0x??RRGGBB, from the twelve bytes at p (sixteen are read).
    static I LoadPixels(const unsigned char *p) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const __m128i pair0 = _mm_unpacklo_epi32(x, _mm_srli_si128(x, 3));
        const __m128i pair1 = _mm_unpacklo_epi32(_mm_srli_si128(x, 6), _mm_srli_si128(x, 9));
        return _mm_unpacklo_epi64(pair0, pair1);
    }
    // Writes exactly the twelve bytes of four pixels from their channels (saturated to 0...255).
    static void StorePixels(unsigned char *p, I b, I g, I r) {
        const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(b, g), _mm_packs_epi32(r, _mm_setzero_si128()));
        const __m128i blueGreen = _mm_unpacklo_epi8(bytes, _mm_srli_si128(bytes, 4));
        const __m128i redZero = _mm_unpacklo_epi8(_mm_srli_si128(bytes, 8), _mm_setzero_si128());
        const __m128i pixels = _mm_unpacklo_epi16(blueGreen, redZero); // dwords 0x00RRGGBB
        const __m128i low = _mm_set_epi32(0, 0xFFFFFF, 0, 0xFFFFFF);
        // Each 64-bit half: its two pixels as six bytes; then all twelve together.
        const __m128i pairs =
            _mm_or_si128(_mm_and_si128(pixels, low), _mm_andnot_si128(low, _mm_srli_epi64(pixels, 8)));
        const __m128i packed = _mm_or_si128(_mm_move_epi64(pairs), _mm_slli_si128(_mm_srli_si128(pairs, 8), 6));
        _mm_storel_epi64(reinterpret_cast<__m128i *>(p), packed);
        const int tail = _mm_cvtsi128_si32(_mm_srli_si128(packed, 8));
        memcpy(p + 8, &tail, 4);
    }
    // sum / 3 for sums below 32768 in 32-bit lanes: sum x ceil(2^16 / 3) >> 16.
    static I DivideBy3(I sum) {
        const __m128i sum16 = _mm_packs_epi32(sum, sum);
        return _mm_unpacklo_epi16(_mm_mulhi_epu16(sum16, _mm_set1_epi16(21846)), _mm_setzero_si128());
    }

    static I LoadByteLanes(const unsigned char *p) { return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p)); }
    static void StoreByteLanes(unsigned char *p, I a) { _mm_storeu_si128(reinterpret_cast<__m128i *>(p), a); }
    static I Set8(int v) { return _mm_set1_epi8((char)v); }
    static I Zero() { return _mm_setzero_si128(); }
    static I Avg8(I a, I b) { return _mm_avg_epu8(a, b); }
    static I Sub8(I a, I b) { return _mm_sub_epi8(a, b); }
    static I SubSat8(I a, I b) { return _mm_subs_epu8(a, b); }
    static I Max8(I a, I b) { return _mm_max_epu8(a, b); }
    static I Equal8(I a, I b) { return _mm_cmpeq_epi8(a, b); }
    static I Low16(I a) { return _mm_unpacklo_epi8(a, _mm_setzero_si128()); }
    static I High16(I a) { return _mm_unpackhi_epi8(a, _mm_setzero_si128()); }
    static I Add16(I a, I b) { return _mm_add_epi16(a, b); }
    static I Third16(I a) { return _mm_mulhi_epu16(a, _mm_set1_epi16(21846)); } // exact below 32768
    static I Pack16(I low, I high) { return _mm_packus_epi16(low, high); }
    // 16-bit and byte lanes, and the moves within each 128-bit half, for kernels working on them.
    static I LoadAny(const void *p) { return _mm_loadu_si128(static_cast<const __m128i *>(p)); }
    static I Set16(int v) { return _mm_set1_epi16((short)v); }
    static I Sub16(I a, I b) { return _mm_sub_epi16(a, b); }
    static I MulHi16(I a, I b) { return _mm_mulhi_epu16(a, b); } // unsigned
    static I MulLo16(I a, I b) { return _mm_mullo_epi16(a, b); }
    static I SubSat16(I a, I b) { return _mm_subs_epu16(a, b); }
    // |a - b| for lanes holding 0 ... 32767.
    static I AbsDiff16(I a, I b) { return _mm_or_si128(_mm_subs_epu16(a, b), _mm_subs_epu16(b, a)); }
    static I Greater16(I a, I b) { return _mm_cmpgt_epi16(a, b); }
    static I Equal16(I a, I b) { return _mm_cmpeq_epi16(a, b); }
    static I Min16(I a, I b) { return _mm_min_epi16(a, b); } // signed
    static I Min8(I a, I b) { return _mm_min_epu8(a, b); }
    static I PackSigned16(I a, I b) { return _mm_packs_epi16(a, b); }
    static I UnpackLow8(I a, I b) { return _mm_unpacklo_epi8(a, b); }
    static I UnpackHigh8(I a, I b) { return _mm_unpackhi_epi8(a, b); }
    template <int n> static I ShiftLeft16(I a) { return _mm_slli_epi16(a, n); }
    template <int n> static I ShiftRight16(I a) { return _mm_srli_epi16(a, n); }
    template <int n> static I ShiftLeftBytes(I a) { return _mm_slli_si128(a, n); }
    template <int imm> static I Shuffle32(I a) { return _mm_shuffle_epi32(a, imm); }
    template <int imm> static I ShuffleLow16(I a) { return _mm_shufflelo_epi16(a, imm); }
    template <int imm> static I ShuffleHigh16(I a) { return _mm_shufflehi_epi16(a, imm); }
    static unsigned Mask8(I a) { return (unsigned)_mm_movemask_epi8(a); }
};
#endif

#if defined(__AVX2__)
struct Lanes256 {
    using F = __m256;
    using I = __m256i;
    static constexpr int kLanes = 8;
    static constexpr int kByteLanes = 32;

    static F Set(float v) { return _mm256_set1_ps(v); }
    static F Add(F a, F b) { return _mm256_add_ps(a, b); }
    static F Sub(F a, F b) { return _mm256_sub_ps(a, b); }
    static F Mul(F a, F b) { return _mm256_mul_ps(a, b); }
    static F Div(F a, F b) { return _mm256_div_ps(a, b); }
    static F Min(F a, F b) { return _mm256_min_ps(a, b); }
    static F Less(F a, F b) { return _mm256_cmp_ps(a, b, _CMP_LT_OQ); }
    static F Select(F mask, F a, F b) { return _mm256_blendv_ps(b, a, mask); }
    static F Select(I mask, F a, F b) { return Select(_mm256_castsi256_ps(mask), a, b); }
    static F Load(const float *p) { return _mm256_loadu_ps(p); }
    static void Store(float *p, F a) { _mm256_storeu_ps(p, a); }
    static I Truncate(F a) { return _mm256_cvttps_epi32(a); }
    static F ToFloat(I a) { return _mm256_cvtepi32_ps(a); }

    static I Set32(int v) { return _mm256_set1_epi32(v); }
    static I Add32(I a, I b) { return _mm256_add_epi32(a, b); }
    static I Sub32(I a, I b) { return _mm256_sub_epi32(a, b); }
    static I Greater32(I a, I b) { return _mm256_cmpgt_epi32(a, b); }
    static I Equal32(I a, I b) { return _mm256_cmpeq_epi32(a, b); }
    static I Abs32(I a) { return _mm256_abs_epi32(a); }
    template <int n>
    static I ShiftRight32(I a) { return _mm256_srli_epi32(a, n); }
    static I And(I a, I b) { return _mm256_and_si256(a, b); }
    static I AndNot(I a, I b) { return _mm256_andnot_si256(a, b); }
    static I Or(I a, I b) { return _mm256_or_si256(a, b); }
    static I Xor(I a, I b) { return _mm256_xor_si256(a, b); }
    static I Select(I mask, I a, I b) { return _mm256_blendv_epi8(b, a, mask); }
    static I LoadInt(const int32_t *p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p)); }
    static void StoreInt(int32_t *p, I a) { _mm256_storeu_si256(reinterpret_cast<__m256i *>(p), a); }
    static I LoadBytes(const unsigned char *p) {
        return _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(p)));
    }
    static void StoreBytes(unsigned char *p, I a) {
        const __m128i a16 = _mm_packs_epi32(_mm256_castsi256_si128(a), _mm256_extracti128_si256(a, 1));
        _mm_storel_epi64(reinterpret_cast<__m128i *>(p), _mm_packus_epi16(a16, a16));
    }
    // Eight pixels, four in each 128-bit half, as Lanes128 holds them.
    static I LoadPixels(const unsigned char *p) {
        return _mm256_set_m128i(Lanes128::LoadPixels(p + 12), Lanes128::LoadPixels(p));
    }
    static void StorePixels(unsigned char *p, I b, I g, I r) {
        Lanes128::StorePixels(p, _mm256_castsi256_si128(b), _mm256_castsi256_si128(g), _mm256_castsi256_si128(r));
        Lanes128::StorePixels(p + 12, _mm256_extracti128_si256(b, 1), _mm256_extracti128_si256(g, 1),
                              _mm256_extracti128_si256(r, 1));
    }
    static I DivideBy3(I sum) {
        const __m256i sum16 = _mm256_packs_epi32(sum, sum);
        return _mm256_unpacklo_epi16(_mm256_mulhi_epu16(sum16, _mm256_set1_epi16(21846)), _mm256_setzero_si256());
    }

    static I LoadByteLanes(const unsigned char *p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p)); }
    static void StoreByteLanes(unsigned char *p, I a) { _mm256_storeu_si256(reinterpret_cast<__m256i *>(p), a); }
    static I Set8(int v) { return _mm256_set1_epi8((char)v); }
    static I Zero() { return _mm256_setzero_si256(); }
    static I Avg8(I a, I b) { return _mm256_avg_epu8(a, b); }
    static I Sub8(I a, I b) { return _mm256_sub_epi8(a, b); }
    static I SubSat8(I a, I b) { return _mm256_subs_epu8(a, b); }
    static I Max8(I a, I b) { return _mm256_max_epu8(a, b); }
    static I Equal8(I a, I b) { return _mm256_cmpeq_epi8(a, b); }
    static I Low16(I a) { return _mm256_unpacklo_epi8(a, _mm256_setzero_si256()); }
    static I High16(I a) { return _mm256_unpackhi_epi8(a, _mm256_setzero_si256()); }
    static I Add16(I a, I b) { return _mm256_add_epi16(a, b); }
    static I Third16(I a) { return _mm256_mulhi_epu16(a, _mm256_set1_epi16(21846)); }
    static I Pack16(I low, I high) { return _mm256_packus_epi16(low, high); }

    static I LoadAny(const void *p) { return _mm256_loadu_si256(static_cast<const __m256i *>(p)); }
    static I Set16(int v) { return _mm256_set1_epi16((short)v); }
    static I Sub16(I a, I b) { return _mm256_sub_epi16(a, b); }
    static I MulHi16(I a, I b) { return _mm256_mulhi_epu16(a, b); }
    static I MulLo16(I a, I b) { return _mm256_mullo_epi16(a, b); }
    static I SubSat16(I a, I b) { return _mm256_subs_epu16(a, b); }
    static I AbsDiff16(I a, I b) { return _mm256_abs_epi16(_mm256_sub_epi16(a, b)); }
    static I Greater16(I a, I b) { return _mm256_cmpgt_epi16(a, b); }
    static I Equal16(I a, I b) { return _mm256_cmpeq_epi16(a, b); }
    static I Min16(I a, I b) { return _mm256_min_epi16(a, b); }
    static I Min8(I a, I b) { return _mm256_min_epu8(a, b); }
    static I PackSigned16(I a, I b) { return _mm256_packs_epi16(a, b); }
    static I UnpackLow8(I a, I b) { return _mm256_unpacklo_epi8(a, b); }
    static I UnpackHigh8(I a, I b) { return _mm256_unpackhi_epi8(a, b); }
    template <int n> static I ShiftLeft16(I a) { return _mm256_slli_epi16(a, n); }
    template <int n> static I ShiftRight16(I a) { return _mm256_srli_epi16(a, n); }
    template <int n> static I ShiftLeftBytes(I a) { return _mm256_bslli_epi128(a, n); }
    template <int imm> static I Shuffle32(I a) { return _mm256_shuffle_epi32(a, imm); }
    template <int imm> static I ShuffleLow16(I a) { return _mm256_shufflelo_epi16(a, imm); }
    template <int imm> static I ShuffleHigh16(I a) { return _mm256_shufflehi_epi16(a, imm); }
    static unsigned Mask8(I a) { return (unsigned)_mm256_movemask_epi8(a); }
};
#endif

} // namespace
