// The stipple's neighbourhood and its vector sums over the three rows before the current one, written once over
// the vector operations of platform/simd_lanes.h: 8 pixels per 128-bit vector, or 16 per 256-bit vector in the file
// built for AVX2. Every operation is per 16-bit lane, so both give the same sums.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/simd_lanes.h"

namespace {

// Neighbourhood weights by (row offset, column offset); the current pixel itself weighs kSelfWeight.
struct NeighbourWeight {
    int dr, dc, weight;
};
constexpr NeighbourWeight kWeights[] = {
    {-3, -2, 1}, {-3, -1, 1}, {-3, 0, 4}, {-3, 1, 1}, {-3, 2, 1},
    {-2, -3, 1}, {-2, -2, 2}, {-2, -1, 3}, {-2, 0, 8}, {-2, 1, 3}, {-2, 2, 1},
    {-1, -3, 1}, {-1, -2, 3}, {-1, -1, 9}, {-1, 0, 17}, {-1, 1, 7}, {-1, 2, 2}, {-1, 3, 1},
    {0, -3, 4}, {0, -2, 10}, {0, -1, 16},
};
constexpr int kWeightCount = sizeof kWeights / sizeof kWeights[0];
constexpr int kSelfWeight = 40;
// Neighbours whose source colours differ by this much (sum over channels) are on the other side of an edge.
constexpr int kEdgeDistance = 384;
// kWeights[0 .. kUpperCount - 1] lie in the three rows before the current one, the rest to its left.
constexpr int kUpperCount = 18;

#if defined(__SSE2__)
// For the pixels from column c (as many as a vector has lanes) of the row whose planes (and those of the three
// rows before it) are `rows`, each row's six planes span 16-bit values apart: the sums over the neighbours in the
// rows before (out[0 .. 2] blue, green, red; out[3] their weight) and the weights of the three left neighbours
// (out[4 .. 6]; 0 across an edge). Weighted sums stay below 96 x 255 in 16-bit lanes.
template <class O>
__attribute__((always_inline)) inline void UpperSumsAt(const int16_t *const rows[4], size_t span, int c,
                                                       typename O::I out[7]) {
    using V = typename O::I;
    // Plane ch of row row - 3 + dr, column c + dc, as a row base plus a per-plane index plus a constant.
    const ptrdiff_t x = 2 * (ptrdiff_t)c, stride = 2 * (ptrdiff_t)span;
    const ptrdiff_t at[6] = {x, x + stride, x + 2 * stride, x + 3 * stride, x + 4 * stride, x + 5 * stride};
    auto plane = [&](int dr, int ch, int dc) {
        return O::LoadAny(reinterpret_cast<const char *>(rows[dr]) + at[ch] + 2 * dc);
    };
    const V sb = plane(3, 0, 0), sg = plane(3, 1, 0), sr = plane(3, 2, 0);
    const V edge = O::Set16(kEdgeDistance);
    // Near (source colours closer than kEdgeDistance) as a mask, for the neighbour at (dr - 3, dc).
    auto near = [&](int dr, int dc) {
        const V nb = plane(dr, 0, dc), ng = plane(dr, 1, dc), nr = plane(dr, 2, dc);
        const V dist = O::Add16(O::Add16(O::AbsDiff16(sb, nb), O::AbsDiff16(sg, ng)), O::AbsDiff16(sr, nr));
        return O::Greater16(edge, dist);
    };
    V b = O::Zero(), g = O::Zero(), r = O::Zero(), h = O::Zero();
#pragma GCC unroll 18
    for (int i = 0; i < kUpperCount; ++i) {
        const NeighbourWeight &n = kWeights[i];
        const V mask = near(3 + n.dr, n.dc);
        const V db = plane(3 + n.dr, 3, n.dc), dg = plane(3 + n.dr, 4, n.dc), dr = plane(3 + n.dr, 5, n.dc);
        if (n.weight == 1) {
            b = O::Add16(b, O::And(mask, db));
            g = O::Add16(g, O::And(mask, dg));
            r = O::Add16(r, O::And(mask, dr));
            h = O::Sub16(h, mask);
        } else {
            const V w = O::And(mask, O::Set16((short)n.weight));
            b = O::Add16(b, O::MulLo16(w, db));
            g = O::Add16(g, O::MulLo16(w, dg));
            r = O::Add16(r, O::MulLo16(w, dr));
            h = O::Add16(h, w);
        }
    }
    out[0] = b, out[1] = g, out[2] = r, out[3] = h;
#pragma GCC unroll 3
    for (int k = 0; k < 3; ++k) {
        const NeighbourWeight &lw = kWeights[kUpperCount + k]; // (0, -3), (0, -2), (0, -1)
        out[4 + k] = O::And(near(3, lw.dc), O::Set16((short)lw.weight));
    }
}
#endif

} // namespace

#if defined(__SSE2__)
namespace stipple_sums {
// UpperSumsAt for the 16 pixels from column c with 256-bit vectors (the AVX2 build): out[0 .. 6] for the first
// eight, out[7 .. 13] for the next.
void UpperSumsWide(const int16_t *const rows[4], size_t span, int c, __m128i out[14]);
} // namespace stipple_sums
#endif
