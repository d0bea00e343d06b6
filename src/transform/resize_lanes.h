// The smoothing of repeated rows and columns for bytes whose 5 x 5 surroundings lie inside the picture, in byte
// lanes (only the thirds need 16-bit sums); the 128-bit and the 256-bit builds instantiate the same steps with
// their own vector operations V, so they give the same bytes.
#pragma once
#include <cstddef>

#include "platform/simd_lanes.h"

// The 256-bit path (resize_enlarge_avx2.cpp): only to be called when WideVectors() is true.
size_t SmoothBytesWide(const unsigned char *row, ptrdiff_t stride, size_t k0, size_t k1, int threshold, bool rows,
                       unsigned char *out);

namespace {

namespace resize_lanes {

// Bytes k0 .. k1-1 as far as whole vectors go, for a threshold 0 ... 255; returns the first byte left.
template <class V>
size_t SmoothBytes(const unsigned char *row, ptrdiff_t stride, size_t k0, size_t k1, int threshold, bool rows,
                   unsigned char *out) {
    using B = typename V::I;
    const B t8 = V::Set8(threshold), zero = V::Zero(), one = V::Set8(1);
    // (a + b) >> 1: the rounded-up average less the lost bit.
    auto half = [one](B a, B b) { return V::Sub8(V::Avg8(a, b), V::And(V::Xor(a, b), one)); };
    auto third = [](B a, B b, B c) {
        const B lo = V::Add16(V::Add16(V::Low16(a), V::Low16(b)), V::Low16(c));
        const B hi = V::Add16(V::Add16(V::High16(a), V::High16(b)), V::High16(c));
        return V::Pack16(V::Third16(lo), V::Third16(hi));
    };
    auto pick = [](B mask, B yes, B no) { return V::Or(V::And(mask, yes), V::AndNot(mask, no)); };
    size_t k = k0;
    for (; k + V::kByteLanes <= k1; k += V::kByteLanes) {
        const unsigned char *p = row + k;
        auto at = [p](ptrdiff_t offset) { return V::LoadByteLanes(p + offset); };
        const B c = at(0), l = at(-3), r = at(3), u = at(-stride), d = at(stride);
        const B ul = at(-stride - 3), ur = at(-stride + 3), dl = at(stride - 3), dr = at(stride + 3);
        const B e[8] = {half(u, l), third(ul, l, dl), half(d, l), third(ul, u, ur),
                        third(dl, d, dr), half(u, r), third(ur, r, dr), half(d, r)};
        // Scan order 0, 3, 6, 1, 7, 2, 5, 8 (4, the byte itself, never wins); a strictly larger difference takes
        // over. The winner is kept as its place in that order.
        B best = zero, place = V::Set8(8);
        for (int i = 0; i < 8; ++i) {
            const B diff = V::Or(V::SubSat8(c, e[i]), V::SubSat8(e[i], c));
            const B notMore = V::Equal8(V::SubSat8(diff, best), zero);
            best = V::Max8(best, diff);
            place = pick(notMore, place, V::Set8(i));
        }
        const B within = V::Equal8(V::SubSat8(best, t8), zero);
        auto is = [&](int i) { return V::And(within, V::Equal8(place, V::Set8(i))); };
        B h = c;
        if (rows) {
            h = pick(is(2), e[2], h); // direction 6
            h = pick(is(4), d, h);    // direction 7
        } else {
            h = pick(is(5), e[5], h); // direction 2
            h = pick(is(6), r, h);    // direction 5
        }
        h = pick(is(7), e[7], h); // direction 8
        V::StoreByteLanes(out + k, half(c, h));
    }
    return k;
}

} // namespace resize_lanes

} // namespace
