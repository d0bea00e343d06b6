// The 256-bit build of the enlargement's smoothing: the same steps as the 128-bit one, thirty-two bytes at a time
// (the 16-bit halves are taken and packed within each 128-bit half, as the 128-bit build does).
#include <immintrin.h>

#include "transform/resize_lanes.h"

namespace {

struct Lanes256 {
    using B = __m256i;
    static constexpr int kLanes = 32;
    static B Load(const unsigned char *p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p)); }
    static void Store(unsigned char *p, B a) { _mm256_storeu_si256(reinterpret_cast<__m256i *>(p), a); }
    static B Set8(int v) { return _mm256_set1_epi8((char)v); }
    static B Zero() { return _mm256_setzero_si256(); }
    static B And(B a, B b) { return _mm256_and_si256(a, b); }
    static B AndNot(B a, B b) { return _mm256_andnot_si256(a, b); }
    static B Or(B a, B b) { return _mm256_or_si256(a, b); }
    static B Xor(B a, B b) { return _mm256_xor_si256(a, b); }
    static B Avg(B a, B b) { return _mm256_avg_epu8(a, b); }
    static B Sub8(B a, B b) { return _mm256_sub_epi8(a, b); }
    static B SubSat(B a, B b) { return _mm256_subs_epu8(a, b); }
    static B Max(B a, B b) { return _mm256_max_epu8(a, b); }
    static B Equal8(B a, B b) { return _mm256_cmpeq_epi8(a, b); }
    static B Low16(B a) { return _mm256_unpacklo_epi8(a, _mm256_setzero_si256()); }
    static B High16(B a) { return _mm256_unpackhi_epi8(a, _mm256_setzero_si256()); }
    static B Add16(B a, B b) { return _mm256_add_epi16(a, b); }
    static B Third16(B a) { return _mm256_mulhi_epu16(a, _mm256_set1_epi16(21846)); }
    static B Pack16(B low, B high) { return _mm256_packus_epi16(low, high); }
};

} // namespace

size_t SmoothBytesWide(const unsigned char *row, ptrdiff_t stride, size_t k0, size_t k1, int threshold, bool rows,
                       unsigned char *out) {
    return resize_lanes::SmoothBytes<Lanes256>(row, stride, k0, k1, threshold, rows, out);
}
