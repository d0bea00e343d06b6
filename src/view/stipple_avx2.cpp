// The 256-bit build of the stipple's vector steps: the same steps as the 128-bit ones, sixteen pixels of a row to
// a vector for the neighbourhood sums, and two rows' pixels to a vector (one in each half) for the searches.
#include "view/stipple_lanes.h"
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

namespace stipple_lanes {

namespace {
template <class Search> void RunWide(const LaneTables &t, LaneStep *steps, const int n[], int count) {
    switch (count) {
    case 1: RunChains<Search, StippleOps256, 0, 1>(t, steps, n); break;
    case 2: RunChains<Search, StippleOps256, 1, 0>(t, steps, n); break;
    case 3: RunChains<Search, StippleOps256, 1, 1>(t, steps, n); break;
    default: RunChains<Search, StippleOps256, 2, 0>(t, steps, n); break;
    }
}
} // namespace

void RunChainsWide(const LaneTables &t, LaneStep *steps, const int n[], int count) {
    if (t.kind == LaneKind::kFixed16) RunWide<Fixed16Search>(t, steps, n, count);
    else RunWide<CubeSearch>(t, steps, n, count);
}

} // namespace stipple_lanes
