// Rotation by any angle. Each result pixel's source position comes from the rotation matrix built once from
// cos and sin of the angle, the same mapping as turning the pixel's polar angle back by theta, but exact at
// 0 degrees and independent of per-pixel maths-library rounding.
#include <cmath>
#include <cstdio>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Edge pixels divide their sums (at most 5 x 255) by the count n = 1 ... 5 as (sum * kInverse[n]) >> 16.
constexpr unsigned kInverse[6] = {0, 65536, 32768, 21846, 16384, 13108};
constexpr bool InversesAreExact() {
    for (unsigned n = 1; n <= 5; ++n)
        for (unsigned sum = 0; sum <= 5 * 255; ++sum)
            if ((sum * kInverse[n]) >> 16 != sum / n) return false;
    return true;
}
static_assert(InversesAreExact(), "the multiply-shift must divide exactly");

struct SourceSampler {
    const unsigned char *top;    // storage row H-1: picture row 0
    const unsigned char *centre; // the pixel at (halfW, halfH)
    int64_t negStride;           // step from one picture row to the next (down the picture)
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

// The samples of a result pixel, offsets (du, dv) from its centre: the centre, right, left, up, down.
constexpr int kSamples = 5;
constexpr double kDu[kSamples] = {0, 0.3, -0.3, 0, 0};
constexpr double kDv[kSamples] = {0, 0, 0, -0.3, 0.3};

// The source positions of one result row's samples: (u*c + v*s, v*c - u*s) from the source's centre, with u
// and v the sample's offsets from the result's centre. In double, w + 0.0 is w and w - 0.3 is w + -0.3, so
// every sample rounds as the per-pixel form written out sample by sample does.
struct RowGeometry {
    double c, s;
    double vs[kSamples], vc[kSamples]; // v*s and v*c per sample
    int64_t halfW2;
    int samples; // 1 in fast mode

    double U(int k, int64_t x) const { return (double)(x - halfW2) + kDu[k]; }
    double Fx(int k, int64_t x) const { return U(k, x) * c + vs[k]; }
    double Fy(int k, int64_t x) const { return vc[k] - U(k, x) * s; }
};

// Each pixel averages the source pixels under its samples; black (left as it is) where none lands.
void CheckedPixel(const RowGeometry &row, const SourceSampler &src, int64_t x, unsigned char *d) {
    unsigned b = 0, g = 0, r = 0, n = 0;
    for (int k = 0; k < row.samples; ++k) src.Add(row.Fx(k, x), row.Fy(k, x), b, g, r, n);
    if (n) {
        d[0] = (unsigned char)((b * kInverse[n]) >> 16);
        d[1] = (unsigned char)((g * kInverse[n]) >> 16);
        d[2] = (unsigned char)((r * kInverse[n]) >> 16);
    }
}

// The first of the pixels 0 ... n where `rises` holds, pixel n counting as holding; rises must fail up to some
// pixel and hold from there on. The search starts at the guess and widens in doubling steps.
template <class Pred>
int64_t FirstHolding(int64_t n, double guess, Pred rises) {
    const int64_t g = guess > 0 ? (guess < (double)n ? (int64_t)guess : n) : 0;
    auto holds = [&](int64_t x) { return x >= n || rises(x); };
    int64_t below, above; // holds(below) fails or below is -1; holds(above)
    if (holds(g)) {
        above = g;
        for (int64_t step = 1;; step *= 2) {
            below = above - step;
            if (below < 0) {
                below = -1;
                break;
            }
            if (!holds(below)) break;
            above = below;
        }
    } else {
        below = g;
        for (int64_t step = 1;; step *= 2) {
            above = below + step;
            if (above >= n) {
                above = n;
                break;
            }
            if (holds(above)) break;
            below = above;
        }
    }
    while (above - below > 1) {
        const int64_t mid = below + (above - below) / 2;
        if (holds(mid)) above = mid;
        else below = mid;
    }
    return above;
}

// Narrows the pixels [*first, *end) of a row of n to where a snapped coordinate at(x) lies in [lo, hi). The
// coordinate never falls along the row (dir > 0), never rises (dir < 0) or stays put (dir == 0): rounding and
// the snapped truncation keep the order of the exact values. f0 + slope * x, its unsnapped value near pixel x,
// only guides the search.
template <class At>
void KeepInside(At at, int dir, double f0, double slope, int64_t lo, int64_t hi, int64_t n, int64_t *first,
                int64_t *end) {
    int64_t a = 0, e = n;
    if (dir == 0) {
        const int64_t v = at(0);
        if (v < lo || v >= hi) e = 0;
    } else {
        auto guess = [&](int64_t bound) { return ((double)bound - f0) / slope; };
        if (dir > 0) {
            a = FirstHolding(n, guess(lo), [&](int64_t x) { return at(x) >= lo; });
            e = FirstHolding(n, guess(hi), [&](int64_t x) { return at(x) >= hi; });
        } else {
            a = FirstHolding(n, guess(hi), [&](int64_t x) { return at(x) < hi; });
            e = FirstHolding(n, guess(lo), [&](int64_t x) { return at(x) < lo; });
        }
    }
    if (a > *first) *first = a;
    if (e < *end) *end = e;
    if (*end < *first) *end = *first;
}

#if defined(__SSE2__)
// {SnapTrunc(fx[0]), SnapTrunc(fx[1]), SnapTrunc(fy[0]), SnapTrunc(fy[1])} for |f| < 2^31: the same
// truncation, difference and comparisons as SnapTrunc.
inline __m128i SnapTrunc4(__m128d fx, __m128d fy) {
    const __m128i tx = _mm_cvttpd_epi32(fx), ty = _mm_cvttpd_epi32(fy);
    const __m128d rx = _mm_sub_pd(fx, _mm_cvtepi32_pd(tx)), ry = _mm_sub_pd(fy, _mm_cvtepi32_pd(ty));
    const __m128d up = _mm_set1_pd(1.0 - kSnap), down = _mm_set1_pd(-(1.0 - kSnap));
    // One 32-bit half of each 64-bit comparison mask: -1 where the test holds.
    const __m128i ups = _mm_castps_si128(_mm_shuffle_ps(_mm_castpd_ps(_mm_cmpgt_pd(rx, up)),
                                                        _mm_castpd_ps(_mm_cmpgt_pd(ry, up)), _MM_SHUFFLE(2, 0, 2, 0)));
    const __m128i downs = _mm_castps_si128(_mm_shuffle_ps(
        _mm_castpd_ps(_mm_cmplt_pd(rx, down)), _mm_castpd_ps(_mm_cmplt_pd(ry, down)), _MM_SHUFFLE(2, 0, 2, 0)));
    return _mm_add_epi32(_mm_sub_epi32(_mm_unpacklo_epi64(tx, ty), ups), downs);
}

// Four bytes from the byte before a source pixel: the pixel's b, g, r in bytes 1 ... 3. The view's pixels follow
// the header in the same block, so that byte is always readable, where the byte after the last pixel may not be.
inline __m128i PixelAfter(const unsigned char *p) {
    int32_t v;
    memcpy(&v, p - 1, 4);
    return _mm_cvtsi32_si128(v);
}

// The source pixels under one sample of two result pixels, from u*c and u*s for its two u and the row's v*s
// and v*c.
struct PixelPair {
    const unsigned char *p0, *p1;
};
inline PixelPair Pointers(const SourceSampler &src, __m128d uc, __m128d us, __m128d vs, __m128d vc) {
    alignas(16) int32_t v[4]; // sx0, sx1, sy0, sy1
    _mm_store_si128(reinterpret_cast<__m128i *>(v), SnapTrunc4(_mm_add_pd(uc, vs), _mm_sub_pd(vc, us)));
    return {src.centre + src.negStride * v[2] + 3 * (int64_t)v[0],
            src.centre + src.negStride * v[3] + 3 * (int64_t)v[1]};
}

// Writes the two pixels {any, b, g, r, any, b, g, r} of bgr as six bytes, or eight when the two bytes after them
// are written later anyway.
inline void StorePair(__m128i bgr, unsigned char *d, bool spill) {
    const __m128i first = _mm_and_si128(_mm_srli_epi64(bgr, 8), _mm_set_epi32(0, 0, 0, 0xFFFFFF));
    const __m128i second = _mm_and_si128(_mm_srli_epi64(bgr, 16), _mm_set_epi32(0, 0, 0xFFFF, (int)0xFF000000));
    const __m128i both = _mm_or_si128(first, second);
    if (spill) {
        _mm_storel_epi64(reinterpret_cast<__m128i *>(d), both);
    } else {
        const int32_t lo = _mm_cvtsi128_si32(both), hi = _mm_cvtsi128_si32(_mm_srli_epi64(both, 32));
        memcpy(d, &lo, 4);
        memcpy(d + 4, &hi, 2);
    }
}

// Pixels x, x + 2, ... below end of a row where every sample of every pixel lands inside the source (so its
// coordinates stay below 2^31), two at a time: the positions in vector form with the same operations as
// RowGeometry, the five sums divided by 5 as (sum * 13108) >> 16. Returns the first pixel not done (end, or
// end - 1 for an odd count).
int64_t InteriorPairs(const RowGeometry &row, const SourceSampler &src, int64_t x, int64_t end, unsigned char *d) {
    const __m128d c = _mm_set1_pd(row.c), s = _mm_set1_pd(row.s), two = _mm_set1_pd(2.0);
    __m128d u0 = _mm_set_pd((double)(x + 1 - row.halfW2), (double)(x - row.halfW2)); // exact: whole numbers
    d += 3 * x;
    if (row.samples == 1) {
        const __m128d vs = _mm_set1_pd(row.vs[0]), vc = _mm_set1_pd(row.vc[0]);
        for (; x + 2 <= end; x += 2, d += 6, u0 = _mm_add_pd(u0, two)) {
            const PixelPair p = Pointers(src, _mm_mul_pd(u0, c), _mm_mul_pd(u0, s), vs, vc);
            StorePair(_mm_unpacklo_epi32(PixelAfter(p.p0), PixelAfter(p.p1)), d, x + 2 < end);
        }
        return x;
    }
    __m128d vs[kSamples], vc[kSamples];
    for (int k = 0; k < kSamples; ++k) vs[k] = _mm_set1_pd(row.vs[k]), vc[k] = _mm_set1_pd(row.vc[k]);
    const __m128i zero = _mm_setzero_si128(), fifth = _mm_set1_epi16(13108);
    const __m128d right = _mm_set1_pd(kDu[1]), left = _mm_set1_pd(kDu[2]);
    for (; x + 2 <= end; x += 2, d += 6, u0 = _mm_add_pd(u0, two)) {
        const __m128d u0c = _mm_mul_pd(u0, c), u0s = _mm_mul_pd(u0, s);
        const __m128d ur = _mm_add_pd(u0, right), ul = _mm_add_pd(u0, left);
        const PixelPair p0 = Pointers(src, u0c, u0s, vs[0], vc[0]);
        const PixelPair p1 = Pointers(src, _mm_mul_pd(ur, c), _mm_mul_pd(ur, s), vs[1], vc[1]);
        const PixelPair p2 = Pointers(src, _mm_mul_pd(ul, c), _mm_mul_pd(ul, s), vs[2], vc[2]);
        const PixelPair p3 = Pointers(src, u0c, u0s, vs[3], vc[3]);
        const PixelPair p4 = Pointers(src, u0c, u0s, vs[4], vc[4]);
        // Samples 0 ... 3 of each pixel as 16-bit lanes, folded to one sum per channel, then sample 4.
        const __m128i a = _mm_unpacklo_epi64(_mm_unpacklo_epi32(PixelAfter(p0.p0), PixelAfter(p1.p0)),
                                             _mm_unpacklo_epi32(PixelAfter(p2.p0), PixelAfter(p3.p0)));
        const __m128i b = _mm_unpacklo_epi64(_mm_unpacklo_epi32(PixelAfter(p0.p1), PixelAfter(p1.p1)),
                                             _mm_unpacklo_epi32(PixelAfter(p2.p1), PixelAfter(p3.p1)));
        const __m128i sa = _mm_add_epi16(_mm_unpacklo_epi8(a, zero), _mm_unpackhi_epi8(a, zero));
        const __m128i sb = _mm_add_epi16(_mm_unpacklo_epi8(b, zero), _mm_unpackhi_epi8(b, zero));
        __m128i sum = _mm_add_epi16(_mm_unpacklo_epi64(sa, sb), _mm_unpackhi_epi64(sa, sb));
        sum = _mm_add_epi16(sum, _mm_unpacklo_epi8(_mm_unpacklo_epi32(PixelAfter(p4.p0), PixelAfter(p4.p1)), zero));
        const __m128i mean = _mm_mulhi_epu16(sum, fifth);
        StorePair(_mm_packus_epi16(mean, mean), d, x + 2 < end);
    }
    return x;
}
#endif

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

// One result row y. Per sample, the pixels whose sample lands inside the source form one run: each snapped
// source coordinate moves one way along the row. Outside every run the row stays black; where all runs overlap
// no bounds are checked; the few pixels between are checked one by one.
void RotateRow(const SourceSampler &shared, double c, double s, int64_t y, int64_t W2, int64_t halfW2, int64_t halfH2,
               bool fast, unsigned char *d) {
    const SourceSampler src = shared; // a local copy: the byte stores below cannot be taken to change it
    RowGeometry row;
    row.c = c;
    row.s = s;
    row.halfW2 = halfW2;
    row.samples = fast ? 1 : kSamples;
    const double v0 = (double)(y - halfH2);
    for (int k = 0; k < kSamples; ++k) {
        const double v = v0 + kDv[k];
        row.vs[k] = v * s;
        row.vc[k] = v * c;
    }
    const int dirX = (c > 0) - (c < 0), dirY = (s < 0) - (s > 0);
    int64_t innerFirst = 0, innerEnd = W2, outerFirst = W2, outerEnd = 0;
    for (int k = 0; k < row.samples; ++k) {
        int64_t first = 0, end = W2;
        KeepInside([&](int64_t x) { return SnapTrunc(row.Fx(k, x)); }, dirX, row.Fx(k, 0), c, -src.halfW,
                   src.width - src.halfW, W2, &first, &end);
        KeepInside([&](int64_t x) { return SnapTrunc(row.Fy(k, x)); }, dirY, row.Fy(k, 0), -s, -src.halfH,
                   src.height - src.halfH, W2, &first, &end);
        if (first > innerFirst) innerFirst = first;
        if (end < innerEnd) innerEnd = end;
        if (first < end) {
            if (first < outerFirst) outerFirst = first;
            if (end > outerEnd) outerEnd = end;
        }
    }
    if (outerFirst >= outerEnd) return;
    if (innerFirst >= innerEnd) innerFirst = innerEnd = outerEnd;
    int64_t x = outerFirst;
    for (; x < innerFirst; ++x) CheckedPixel(row, src, x, d + 3 * x);
#if defined(__SSE2__)
    x = InteriorPairs(row, src, x, innerEnd, d);
#endif
    for (; x < outerEnd; ++x) CheckedPixel(row, src, x, d + 3 * x);
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
    sampler.centre = sampler.top + sampler.negStride * sampler.halfH + 3 * sampler.halfW;
    const int64_t halfW2 = W2 / 2, halfH2 = H2 / 2;

    RotationProgress progress(degrees);
    ForEachFreshRow(
        H2, dst.stride, [&](int64_t y) { RotateRow(sampler, c, s, y, W2, halfW2, halfH2, fast, dst.Row((int32_t)(H2 - 1 - y))); },
        [&](int64_t y) { progress.Row(y, H2); });
    return result;
}
