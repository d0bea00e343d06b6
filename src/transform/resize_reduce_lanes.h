// The height reduction's per-byte steps for one source row, several bytes at a time in 32-bit lanes: the same
// single-precision operations in the same order as the plain loops, so the 128-bit and the 256-bit builds (each
// with its vector operations V) and the plain loops give the same bytes.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/simd_lanes.h"

// The weights one source row brings: q gathered before it; straddling rows also x (its share for this result
// row), v = q + x and w (its share for the next).
struct ReduceRowWeights {
    float q, x, v, w;
    int threshold;
};

// The 256-bit paths (resize_reduce_avx2.cpp): only to be called when WideVectors() is true; return the bytes done.
size_t GatherRowWide(int32_t *A, const unsigned char *v, size_t n, const ReduceRowWeights &r);
size_t StraddleRowWide(int32_t *A, const unsigned char *v, unsigned char *out, size_t n, const ReduceRowWeights &r);

namespace {

namespace reduce_lanes {

// A row that does not straddle, q != 0: a byte far from the running average A / q restarts it, else adds in.
template <class V>
size_t GatherRow(int32_t *A, const unsigned char *v, size_t n, const ReduceRowWeights &r) {
    using I = typename V::I;
    using F = typename V::F;
    const F q = V::Set(r.q), q1 = V::Set(r.q + 1);
    const I t = V::Set32(r.threshold);
    const bool fromAverage = r.q >= 1;
    size_t k = 0;
    for (; k + V::kLanes <= n; k += V::kLanes) {
        const I acc = V::LoadInt(A + k), level = V::LoadBytes(v + k);
        const F a = V::Div(V::ToFloat(acc), q);
        const I edge = V::Greater32(V::Abs32(V::Sub32(V::Truncate(a), level)), t);
        const I restart = V::Truncate(fromAverage ? V::Mul(a, q1) : V::Mul(q1, V::ToFloat(level)));
        V::StoreInt(A + k, V::Select(edge, restart, V::Add32(acc, level)));
    }
    return k;
}

// A straddling row: finishes result row `out` (null past the picture) and starts the next one's accumulators.
template <class V>
size_t StraddleRow(int32_t *A, const unsigned char *v, unsigned char *out, size_t n, const ReduceRowWeights &r) {
    using I = typename V::I;
    using F = typename V::F;
    const F q = V::Set(r.q), x = V::Set(r.x), vv = V::Set(r.v), w = V::Set(r.w);
    const I t = V::Set32(r.threshold);
    const bool average = r.q != 0, fromAverage = r.q >= r.x;
    size_t k = 0;
    for (; k + V::kLanes <= n; k += V::kLanes) {
        const I acc = V::LoadInt(A + k), level = V::LoadBytes(v + k);
        const F fl = V::ToFloat(level);
        I o = V::Add32(acc, V::Truncate(V::Mul(x, fl)));
        if (average) { // with nothing gathered yet (q = 0) there is no average to compare with
            const F a = V::Div(V::ToFloat(acc), q);
            const I edge = V::Greater32(V::Abs32(V::Sub32(V::Truncate(a), level)), t);
            o = V::Select(edge, V::Truncate(fromAverage ? V::Mul(a, vv) : V::Mul(fl, vv)), o);
        }
        if (out) V::StoreBytes(out + k, r.v > 0 ? V::Truncate(V::Div(V::ToFloat(o), vv)) : level);
        V::StoreInt(A + k, V::Truncate(V::Mul(w, fl)));
    }
    return k;
}

} // namespace reduce_lanes

} // namespace
