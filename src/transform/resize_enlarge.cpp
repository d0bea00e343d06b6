// Enlargement passes: rows and columns are repeated, and a repeated one is smoothed toward the next source row or
// column where the neighbour estimate points that way and the local difference stays within the threshold.
#include <cstring>

#include "transform/resize.h"
#include "transform/resize_passes.h"
#include "transform/scratch.h"

namespace {

// The neighbour estimate for a byte whose 5 x 5 surroundings lie inside the picture, so every direction counts.
// p points at the byte; up and down step one stored row back and forward.
inline NeighbourEstimateResult EstimateInterior(const unsigned char *p, ptrdiff_t up, ptrdiff_t down) {
    const int c = p[0], l = p[-3], r = p[3], u = p[up], d = p[down];
    const int ul = p[up - 3], ur = p[up + 3], dl = p[down - 3], dr = p[down + 3];
    // Scan order 0, 3, 6, 1, 4, 7, 2, 5, 8; only a strictly larger difference takes over.
    const int e[9] = {(u + l) / 2, (ul + l + dl) / 3, (d + l) / 2, (ul + u + ur) / 3, c,
                      (dl + d + dr) / 3, (u + r) / 2, (ur + r + dr) / 3, (d + r) / 2};
    static const int kDirection[9] = {0, 3, 6, 1, 4, 7, 2, 5, 8};
    NeighbourEstimateResult best = {0, 4};
    for (int k = 0; k < 9; ++k) {
        const int diff = c > e[k] ? c - e[k] : e[k] - c;
        if (diff > best.difference) best = {diff, kDirection[k]};
    }
    return best;
}

} // namespace

void EnlargeHeight(const PictureView24 &src, const PictureView24 &dst, int threshold, ResizeProgress &progress) {
    const int32_t W = src.width, H = src.height, H2 = dst.height;
    const size_t rowBytes = 3 * (size_t)W;
    const ptrdiff_t stride = (ptrdiff_t)src.stride;
    const float s = (float)H / (float)H2;
    for (int32_t r = 0; r < H2; ++r) {
        progress.Row(r, H2);
        int64_t y = (int64_t)((float)r * s);
        if (y > H - 1) y = H - 1;
        const unsigned char *in = src.Row((int32_t)y);
        unsigned char *out = dst.Row(r);
        const bool repeated = y != H - 1 && r > 0 && (int64_t)(s * (float)(r - 1)) == y;
        if (!repeated) {
            memcpy(out, in, rowBytes);
            continue;
        }
        // A repeated row (never the last source row, so row y + 1 exists): each byte moves halfway toward the
        // prediction from below when the estimate points down.
        const unsigned char *next = in + stride;
        const bool interiorRow = y >= 2 && y <= H - 3;
        for (int32_t b = 0; b < W; ++b) {
            const bool interior = interiorRow && b >= 2 && b <= W - 3;
            for (int ch = 0; ch < 3; ++ch) {
                const size_t k = 3 * (size_t)b + ch;
                const int v = in[k];
                const NeighbourEstimateResult e =
                    interior ? EstimateInterior(in + k, -stride, stride)
                             : NeighbourEstimate(src.pixels, src.stride, W, H, b, (int)y, ch);
                int h = v;
                if (e.difference <= threshold) {
                    if (e.direction == 6) h = (next[k] + in[k - 3]) >> 1;
                    else if (e.direction == 7) h = next[k];
                    else if (e.direction == 8) h = (next[k] + in[k + 3]) >> 1;
                }
                out[k] = (unsigned char)((v + h) / 2);
            }
        }
    }
}

void EnlargeWidth(const PictureView24 &src, const PictureView24 &dst, int threshold, ResizeProgress &progress) {
    const int32_t W = src.width, H2 = src.height, W2 = dst.width;
    const ptrdiff_t stride = (ptrdiff_t)src.stride;
    for (int32_t i = 0; i < H2; ++i) {
        progress.Row(i, H2);
        const unsigned char *in = src.Row(i);
        unsigned char *out = dst.Row(i);
        const bool edgeRow = i == 0 || i == H2 - 1;
        const bool interiorRow = i >= 2 && i <= H2 - 3;
        int64_t previous = -1;
        for (int32_t p = 0; p < W2; ++p, out += 3) {
            // 64-bit: p x W passes 2^31 for wide pictures.
            const int64_t x = (int64_t)p * W / W2;
            const unsigned char *v = in + 3 * (size_t)x;
            const bool repeated = !edgeRow && x != 0 && x != W && previous == x;
            previous = x;
            if (!repeated) {
                out[0] = v[0];
                out[1] = v[1];
                out[2] = v[2];
                continue;
            }
            const bool interior = interiorRow && x >= 2 && x <= W - 3;
            for (int ch = 0; ch < 3; ++ch) {
                const NeighbourEstimateResult e =
                    interior ? EstimateInterior(v + ch, -stride, stride)
                             : NeighbourEstimate(src.pixels, src.stride, W, H2, (int)x, i, ch);
                int g = v[ch];
                if (e.difference <= threshold) {
                    if (e.direction == 2) g = (v[ch - stride] + v[ch + 3]) >> 1;
                    else if (e.direction == 5) g = v[ch + 3];
                    else if (e.direction == 8) g = (v[ch + stride] + v[ch + 3]) >> 1;
                }
                out[ch] = (unsigned char)((v[ch] + g) / 2);
            }
        }
    }
}
