// Reduction passes: edge-aware area averaging. A sample that differs from the running average by more than the
// threshold is not mixed in; the average carries on with its weight, or the sample takes over while less than
// one whole source line has been gathered. Ratios and weights are single precision and truncated, as the
// program has always computed them.
#include <cstdlib>
#include <cstring>

#include "platform/vector_width.h"
#include "platform/workers.h"
#include "transform/resize_passes.h"
#include "transform/scratch.h"

#if defined(__SSE2__)
#include <emmintrin.h>

#include "transform/resize_reduce_lanes.h"
#endif

namespace {

inline unsigned char Cap255(int v) { return (unsigned char)(v > 255 ? 255 : v); }

// The weights of one source line (row or column) against the result lines. They do not depend on the pixels, so
// the width pass works them out once for all rows.
struct LineStep {
    bool straddles; // the line reaches into result line target + 1
    float q;        // weight gathered before this line
    float w, x, v;  // straddling: share for the next line, share for this one, and q + x
    int64_t target;
};

// Walks source lines 1..n into m result lines; calls step(line index from 0, LineStep) and returns the final
// weight and target through *qEnd and *targetEnd.
template <class Fn>
void WalkLines(int64_t n, int64_t m, Fn step, float *qEnd, int64_t *targetEnd) {
    const float s = (float)n / (float)m;
    float q = 0;
    int64_t c = 0;
    for (int64_t y = 1; y <= n; ++y) {
        const float u = (float)y / s;
        LineStep st;
        st.q = q;
        st.target = c;
        if ((float)(c + 1) > u) {
            st.straddles = false;
            st.w = st.x = st.v = 0;
            q = q + 1;
        } else {
            st.straddles = true;
            st.w = (float)y - s * (float)(c + 1);
            st.x = 1 - st.w;
            st.v = q + st.x;
            q = st.w;
        }
        step(y - 1, st);
        c = (int64_t)u;
    }
    *qEnd = q;
    *targetEnd = c;
}

} // namespace

bool ReduceHeight(const PictureView24 &src, const PictureView24 &dst, int threshold, ResizeProgress &progress) {
    const int32_t H = src.height, H2 = dst.height;
    const size_t n = 3 * (size_t)src.width;
    Scratch<LineStep> steps((size_t)H);
    // Segment k is source lines bounds[k] .. bounds[k + 1] - 1: lines gathered into one result row, the last of
    // them straddling into the next (or, for the final segment, the rest of the picture). A straddling line
    // leaves the accumulators depending on its own levels only, so the segments can run on any thread.
    Scratch<int64_t> bounds((size_t)H + 2);
    const int threads = WorkerThreads();
    // 32-bit accumulators, one row per thread: a 16-bit sum wraps once more than 257 rows feed one result row.
    Scratch<int32_t> acc(n * (size_t)threads);
    if (!steps || !bounds || !acc) return false;
    float qEnd;
    int64_t cEnd;
    WalkLines(
        H, H2, [&](int64_t line, const LineStep &st) { steps[(size_t)line] = st; }, &qEnd, &cEnd);
    int64_t segments = 0;
    bounds[0] = 0;
    for (int64_t line = 0; line < H; ++line)
        if (steps[(size_t)line].straddles) bounds[(size_t)++segments] = line + 1;
    bounds[(size_t)++segments] = H; // the final segment, possibly empty
    const int T = threshold;
    auto segment = [&](int64_t seg, int32_t *A) {
        const int64_t begin = bounds[(size_t)seg], end = bounds[(size_t)seg + 1];
        if (begin == 0) {
            for (size_t k = 0; k < n; ++k) A[k] = 0;
        } else {
            const unsigned char *v = src.Row((int32_t)(begin - 1));
            const float w = steps[(size_t)begin - 1].w;
            for (size_t k = 0; k < n; ++k) A[k] = (int)(w * (float)v[k]);
        }
        for (int64_t row = begin; row < end; ++row) {
            const LineStep &st = steps[(size_t)row];
            const unsigned char *v = src.Row((int32_t)row);
            const float q = st.q;
            if (!st.straddles) {
                if (q == 0) {
                    for (size_t k = 0; k < n; ++k) A[k] = v[k];
                    continue;
                }
                const float q1 = q + 1;
                size_t k = 0;
#if defined(__SSE2__)
                const ReduceRowWeights weights = {q, 0, 0, 0, T};
                if (WideVectors()) k = GatherRowWide(A, v, n, weights);
                k += reduce_lanes::GatherRow<Lanes128>(A + k, v + k, n - k, weights);
#endif
                for (; k < n; ++k) {
                    const float a = (float)A[k] / q;
                    if (std::abs((int)a - v[k]) > T) A[k] = q >= 1 ? (int)(a * q1) : (int)(q1 * (float)v[k]);
                    else A[k] += v[k];
                }
                continue;
            }
            // Float rounding of the ratio could push the last target one past the picture: not written.
            unsigned char *out = st.target < H2 ? dst.Row((int32_t)st.target) : nullptr;
            const float x = st.x, V = st.v, w = st.w;
            size_t k = 0;
#if defined(__SSE2__)
            const ReduceRowWeights weights = {q, x, V, w, T};
            if (WideVectors()) k = StraddleRowWide(A, v, out, n, weights);
            k += reduce_lanes::StraddleRow<Lanes128>(A + k, v + k, out ? out + k : nullptr, n - k, weights);
#endif
            for (; k < n; ++k) {
                int o;
                // With nothing gathered yet (q = 0) there is no average to compare with.
                const float a = q != 0 ? (float)A[k] / q : 0.0f;
                if (q != 0 && std::abs((int)a - v[k]) > T) o = q >= x ? (int)(a * V) : (int)((float)v[k] * V);
                else o = A[k] + (int)(x * (float)v[k]);
                if (out) out[k] = V > 0 ? Cap255((int)((float)o / V)) : v[k];
                A[k] = (int)(w * (float)v[k]);
            }
        }
        if (seg == segments - 1 && qEnd != 0 && cEnd < H2) {
            unsigned char *out = dst.Row((int32_t)cEnd);
            for (size_t k = 0; k < n; ++k) out[k] = Cap255((int)((float)A[k] / qEnd));
        }
    };
    int64_t shown = 0; // source lines whose progress has been reported
    ForEachRowChunk(
        segments, ChunkRowsFor(segments, threads, 16), threads,
        [&](int64_t first, int64_t end, int slot) {
            for (int64_t seg = first; seg < end; ++seg) segment(seg, acc.get() + n * (size_t)slot);
        },
        [&](int64_t seg) {
            for (; shown < bounds[(size_t)seg + 1]; ++shown) progress.Row(shown, H);
        });
    return true;
}

bool ReduceWidth(const PictureView24 &src, const PictureView24 &dst, int threshold, ResizeProgress &progress) {
    const int32_t W = src.width, H2 = src.height, W2 = dst.width;
    Scratch<LineStep> steps((size_t)W);
    if (!steps) return false;
    float qEnd;
    int64_t cEnd;
    WalkLines(
        W, W2, [&](int64_t column, const LineStep &st) { steps[(size_t)column] = st; }, &qEnd, &cEnd);
    auto row = [&](int32_t i) {
        const unsigned char *v = src.Row(i);
        unsigned char *out = dst.Row(i);
        // Locals, so the byte stores below cannot be taken to change them.
        const LineStep *step = steps.get();
        const int32_t W = src.width, W2 = dst.width;
        const int T = threshold;
        int32_t A[3] = {0, 0, 0};
        for (int32_t j = 0; j < W; ++j, v += 3) {
            const LineStep &st = step[(size_t)j];
            const float q = st.q;
            if (!st.straddles) {
                if (q == 0) {
                    A[0] = v[0], A[1] = v[1], A[2] = v[2];
                    continue;
                }
                float a[3];
                bool edge = false;
                for (int ch = 0; ch < 3; ++ch) {
                    a[ch] = (float)A[ch] / q;
                    if (std::abs((int)a[ch] - v[ch]) > T) edge = true;
                }
                // One channel over the threshold sends all three down the edge branch.
                const float q1 = q + 1;
                for (int ch = 0; ch < 3; ++ch) {
                    if (!edge) A[ch] += v[ch];
                    else A[ch] = q >= 1 ? (int)(a[ch] * q1) : (int)(q1 * (float)v[ch]);
                }
                continue;
            }
            float a[3] = {0, 0, 0};
            bool edge = false;
            if (q != 0) {
                for (int ch = 0; ch < 3; ++ch) {
                    a[ch] = (float)A[ch] / q;
                    // Here the difference is truncated after subtracting.
                    if (std::abs((int)(a[ch] - (float)v[ch])) > T) edge = true;
                }
            }
            unsigned char *o = st.target < W2 ? out + 3 * (size_t)st.target : nullptr;
            for (int ch = 0; ch < 3; ++ch) {
                int sum;
                if (edge) sum = q >= st.x ? (int)(a[ch] * st.v) : (int)((float)v[ch] * st.v);
                else sum = A[ch] + (int)(st.x * (float)v[ch]);
                if (o) o[ch] = st.v > 0 ? Cap255((int)((float)sum / st.v)) : v[ch];
                A[ch] = (int)(st.w * (float)v[ch]);
            }
        }
        if (qEnd != 0 && cEnd < W2) {
            unsigned char *o = out + 3 * (size_t)cEnd;
            for (int ch = 0; ch < 3; ++ch) o[ch] = Cap255((int)((float)A[ch] / qEnd));
        }
    };
    ForEachFreshRow(H2, dst.stride, [&](int64_t i) { row((int32_t)i); }, [&](int64_t i) { progress.Row(i, H2); });
    return true;
}
