// The 256-bit build of the minimum-variance interior: the same steps as the 128-bit one, eight bytes at a time.
#include <immintrin.h>

#include <cstring>

#include "adjust/min_variance_lanes.h"

namespace {

struct Lanes256 {
    using F = __m256;
    static constexpr int kLanes = 8;
    static F Set(float v) { return _mm256_set1_ps(v); }
    static F Add(F a, F b) { return _mm256_add_ps(a, b); }
    static F Sub(F a, F b) { return _mm256_sub_ps(a, b); }
    static F Mul(F a, F b) { return _mm256_mul_ps(a, b); }
    static F Min(F a, F b) { return _mm256_min_ps(a, b); }
    static F Less(F a, F b) { return _mm256_cmp_ps(a, b, _CMP_LT_OQ); }
    static F Select(F mask, F a, F b) { return _mm256_blendv_ps(b, a, mask); }
    static F Trunc(F a) { return _mm256_cvtepi32_ps(_mm256_cvttps_epi32(a)); }
    static F Load(const float *p) { return _mm256_loadu_ps(p); }
    static void Store(float *p, F a) { _mm256_storeu_ps(p, a); }
    static F Bytes(const unsigned char *p) {
        return _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(p))));
    }
    static void StoreBytes(unsigned char *p, F means) {
        const __m256i m32 = _mm256_cvttps_epi32(means);
        const __m128i m16 = _mm_packs_epi32(_mm256_castsi256_si128(m32), _mm256_extracti128_si256(m32, 1));
        _mm_storel_epi64(reinterpret_cast<__m128i *>(p), _mm_packus_epi16(m16, m16));
    }
};

} // namespace

size_t MinVarianceInteriorWide(const unsigned char *const rows[5], unsigned char *out, size_t j0, size_t j1) {
    return min_variance_lanes::InteriorLanes<Lanes256>(rows, out, j0, j1);
}
