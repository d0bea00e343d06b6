// Rotation by any angle. Each result pixel's source position comes from the rotation matrix built once from
// cos and sin of the angle, the same mapping as turning the pixel's polar angle back by theta, but exact at
// 0 degrees and independent of per-pixel maths-library rounding.
#include <cmath>
#include <cstdio>

#include "platform/host.h"
#include "platform/progress.h"
#include "platform/workers.h"
#include "transform/picture_view.h"
#include "transform/portable_trig.h"
#include "transform/rotate.h"

namespace {

// Angles beyond this many radians are refused: they mean nothing for a picture and would overflow the degrees.
constexpr double kMaxTheta = 1.0e6;
// A source coordinate this close to an integer is that integer: cos 90 degrees is not exactly 0 in double
// precision, and that noise must not shift pixels across a boundary.
constexpr double kSnap = 1e-9;

inline int64_t SnapTrunc(double f) {
    const int64_t t = (int64_t)f; // |f| stays far below 2^52, so t and f - t are exact
    const double frac = f - (double)t;
    return t + (frac > 1.0 - kSnap) - (frac < -(1.0 - kSnap));
}

struct SourceSampler {
    const unsigned char *top; // storage row H-1: picture row 0
    int64_t negStride;        // step from one picture row to the next (down the picture)
    int64_t width, height, halfW, halfH;

    // Adds the source pixel under (fx, fy), measured from the picture's centre, if it lies inside.
    inline void Add(double fx, double fy, unsigned &b, unsigned &g, unsigned &r, unsigned &n) const {
        const int64_t sx = SnapTrunc(fx) + halfW, sy = SnapTrunc(fy) + halfH;
        if ((uint64_t)sx >= (uint64_t)width || (uint64_t)sy >= (uint64_t)height) return;
        const unsigned char *p = top + negStride * sy + 3 * sx;
        b += p[0];
        g += p[1];
        r += p[2];
        ++n;
    }
};

// "%d 度回転 (%d%%)" in 5 % steps, to status part 0 even while the bar shows; the 0 % text comes first where
// there is no bar. The title with the scale comes back at the end in any case.
class RotationProgress {
public:
    explicit RotationProgress(int degrees)
        : scope_(Format(degrees), {ProgressRule::kStepOfFive, TitleAfter::kAlways, true}) {
        scope_.AnnounceWithoutBar(0);
    }
    void Row(int64_t y, int64_t height) { scope_.BeforeRow(y, height); }

private:
    const char *Format(int degrees) {
        snprintf(format_, sizeof format_, "%d 度回転 (%%d%%%%)", degrees);
        return format_;
    }
    char format_[48];
    ProgressScope scope_;
};

// One result row y: each pixel averages the source pixels under its samples (black where none lands).
void RotateRow(const SourceSampler &shared, double c, double s, int64_t y, int64_t W2, int64_t halfW2, int64_t halfH2,
               bool fast, unsigned char *d) {
    const SourceSampler sampler = shared; // a local copy: the byte stores below cannot be taken to change it
    // Per row: the v terms of u*c + v*s and v*c - u*s for the offsets 0, -0.3 and +0.3.
    const double v0 = (double)(y - halfH2), vm = v0 - 0.3, vp = v0 + 0.3;
    const double v0s = v0 * s, v0c = v0 * c, vms = vm * s, vmc = vm * c, vps = vp * s, vpc = vp * c;
    for (int64_t x = 0; x < W2; ++x, d += 3) {
        unsigned b = 0, g = 0, r = 0, n = 0;
        const double u0 = (double)(x - halfW2);
        const double u0c = u0 * c, u0s = u0 * s;
        sampler.Add(u0c + v0s, v0c - u0s, b, g, r, n);
        if (!fast) {
            const double up = u0 + 0.3, um = u0 - 0.3;
            sampler.Add(up * c + v0s, v0c - up * s, b, g, r, n);
            sampler.Add(um * c + v0s, v0c - um * s, b, g, r, n);
            sampler.Add(u0c + vms, vmc - u0s, b, g, r, n);
            sampler.Add(u0c + vps, vpc - u0s, b, g, r, n);
        }
        if (n) {
            d[0] = (unsigned char)(b / n);
            d[1] = (unsigned char)(g / n);
            d[2] = (unsigned char)(r / n);
        }
    }
}

} // namespace

PackedDib RotateByAngle(PackedDib source, double theta, bool fast) {
    if (!source || !std::isfinite(theta) || std::fabs(theta) > kMaxTheta) return nullptr;
    BlockLockGuard srcLock(source);
    PictureView24 src;
    if (!srcLock || !ViewPicture24(srcLock.get(), BlockSize(source), &src)) return nullptr;
    const int degrees = RotationDegrees(theta);

    int64_t boundW, boundH;
    RotatedBounds(theta, src.width, src.height, &boundW, &boundH);
    // Two extra columns, none in height; widths stay 32-bit and the size guard refuses what cannot be stored.
    const int64_t W2 = boundW + 2, H2 = boundH;
    PackedDib result = NewPictureLike(src.header, W2, H2);
    if (!result) {
        RestoreScaleTitle();
        return nullptr;
    }
    BlockLockGuard dstLock(result);
    PictureView24 dst;
    if (!dstLock || !ViewPicture24(dstLock.get(), BlockSize(result), &dst)) {
        BlockFree(result);
        RestoreScaleTitle();
        return nullptr;
    }

    const double c = PortableCos(theta), s = PortableSin(theta);
    SourceSampler sampler;
    sampler.width = src.width;
    sampler.height = src.height;
    sampler.halfW = src.width / 2;
    sampler.halfH = src.height / 2;
    sampler.top = src.Row(src.height - 1);
    sampler.negStride = -(int64_t)src.stride;
    const int64_t halfW2 = W2 / 2, halfH2 = H2 / 2;

    RotationProgress progress(degrees);
    ForEachRow(
        H2, [&](int64_t y) { RotateRow(sampler, c, s, y, W2, halfW2, halfH2, fast, dst.Row((int32_t)(H2 - 1 - y))); },
        [&](int64_t y) { progress.Row(y, H2); });
    return result;
}
