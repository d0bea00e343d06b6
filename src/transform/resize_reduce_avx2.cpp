// The 256-bit build of the height reduction's steps: the same operations as the 128-bit one, eight bytes at a time.
#include <immintrin.h>

#include "transform/resize_reduce_lanes.h"

namespace {

struct Lanes256 {
    using I = __m256i;
    using F = __m256;
    static constexpr int kLanes = 8;
    static I LoadInt(const int32_t *p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p)); }
    static void StoreInt(int32_t *p, I a) { _mm256_storeu_si256(reinterpret_cast<__m256i *>(p), a); }
    static I LoadBytes(const unsigned char *p) {
        return _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(p)));
    }
    static void StoreBytes(unsigned char *p, I a) {
        const __m128i a16 = _mm_packs_epi32(_mm256_castsi256_si128(a), _mm256_extracti128_si256(a, 1));
        _mm_storel_epi64(reinterpret_cast<__m128i *>(p), _mm_packus_epi16(a16, a16));
    }
    static I Set32(int v) { return _mm256_set1_epi32(v); }
    static I Add32(I a, I b) { return _mm256_add_epi32(a, b); }
    static I Sub32(I a, I b) { return _mm256_sub_epi32(a, b); }
    static I Abs32(I a) { return _mm256_abs_epi32(a); }
    static I Greater32(I a, I b) { return _mm256_cmpgt_epi32(a, b); }
    static I Select(I mask, I a, I b) { return _mm256_blendv_epi8(b, a, mask); }
    static I Truncate(F a) { return _mm256_cvttps_epi32(a); }
    static F ToFloat(I a) { return _mm256_cvtepi32_ps(a); }
    static F Set(float v) { return _mm256_set1_ps(v); }
    static F Mul(F a, F b) { return _mm256_mul_ps(a, b); }
    static F Div(F a, F b) { return _mm256_div_ps(a, b); }
};

} // namespace

size_t GatherRowWide(int32_t *A, const unsigned char *v, size_t n, const ReduceRowWeights &r) {
    return reduce_lanes::GatherRow<Lanes256>(A, v, n, r);
}

size_t StraddleRowWide(int32_t *A, const unsigned char *v, unsigned char *out, size_t n, const ReduceRowWeights &r) {
    return reduce_lanes::StraddleRow<Lanes256>(A, v, out, n, r);
}
