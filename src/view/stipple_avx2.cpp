// The 256-bit build of the stipple's neighbourhood sums: the same steps as the 128-bit one, sixteen pixels at a
// time.
#include "view/stipple_sums.h"

namespace stipple_sums {

void UpperSumsWide(const int16_t *const rows[4], size_t span, int c, __m128i out[14]) {
    __m256i v[7];
    UpperSumsAt<SumOps256>(rows, span, c, v);
    for (int k = 0; k < 7; ++k) {
        out[k] = _mm256_castsi256_si128(v[k]);
        out[7 + k] = _mm256_extracti128_si256(v[k], 1);
    }
}

} // namespace stipple_sums
