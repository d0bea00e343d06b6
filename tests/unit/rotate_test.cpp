// Quarter turns and rotation by any angle: worked examples, exact copies at right angles, the shown degrees,
// refusals, the portable trigonometry, and the matrix form against the per-pixel polar form.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "test_host.h"
#include "test_support.h"
#include "transform/portable_trig.h"
#include "transform/rotate.h"

namespace {

const double kDeg = 3.14159265358979323846 / 180;

using Rows = std::vector<std::vector<uint32_t>>;

DibHeader HeaderOf(PackedDib dib) {
    DibHeader h{};
    DibInfo(dib, &h);
    return h;
}

// The rotation exactly as first described: polar angle and radius per sample, the platform's maths library.
// `near` counts result pixels where some sample coordinate lies within 1e-6 of an integer, the only places
// where rounding may tip a truncation either way.
Rows ReferenceRotate(const Rows &src, double theta, bool fast, int *near) {
    const int H = (int)src.size(), W = (int)src[0].size();
    const double w = W, h = H, pi = 3.14159265358979323846;
    auto t = [](double v) { return (long long)v; };
    const long long x1 = t(h * std::cos(theta + pi / 2)), y1 = t(h * std::sin(theta + pi / 2));
    const long long x2 = t(w * std::cos(theta)), y2 = t(w * std::sin(theta));
    const double d = std::sqrt(w * w + h * h), a3 = theta + std::atan2(h, w);
    const long long x3 = t(d * std::cos(a3)), y3 = t(d * std::sin(a3));
    const long long W2 = std::max({x1, x2, x3}) - std::min({x1, x2, x3, 0LL}) + 2;
    const long long H2 = std::max({y1, y2, y3}) - std::min({y1, y2, y3, 0LL});
    Rows out(H2, std::vector<uint32_t>(W2, 0));
    const double off[5][2] = {{0, 0}, {0.3, 0}, {-0.3, 0}, {0, -0.3}, {0, 0.3}};
    *near = 0;
    for (long long y = 0; y < H2; ++y)
        for (long long x = 0; x < W2; ++x) {
            unsigned sum[3] = {0, 0, 0}, n = 0;
            bool close = false;
            for (int k = 0; k < (fast ? 1 : 5); ++k) {
                const double u = (double)(x - W2 / 2) + off[k][0], v = (double)(y - H2 / 2) + off[k][1];
                const double phi = std::atan2(v, u), r = std::sqrt(u * u + v * v);
                const double fx = r * std::cos(phi - theta), fy = r * std::sin(phi - theta);
                close |= std::fabs(fx - std::round(fx)) < 1e-6 || std::fabs(fy - std::round(fy)) < 1e-6;
                const long long sx = t(fx) + W / 2, sy = t(fy) + H / 2;
                if (sx < 0 || sx >= W || sy < 0 || sy >= H) continue;
                for (int c = 0; c < 3; ++c) sum[c] += (src[sy][sx] >> (8 * c)) & 0xFF;
                ++n;
            }
            if (n) out[y][x] = (sum[0] / n) | (sum[1] / n) << 8 | (sum[2] / n) << 16;
            *near += close;
        }
    return out;
}


// The matrix form written out pixel by pixel and sample by sample, with the snapped truncation.
Rows MatrixRotate(const Rows &src, double theta, bool fast) {
    const long long H = (long long)src.size(), W = (long long)src[0].size();
    int64_t boundW, boundH;
    RotatedBounds(theta, W, H, &boundW, &boundH);
    const long long W2 = boundW + 2, H2 = boundH;
    const double c = PortableCos(theta), s = PortableSin(theta);
    auto snapTrunc = [](double f) {
        const long long t = (long long)f;
        const double frac = f - (double)t;
        return t + (frac > 1.0 - 1e-9) - (frac < -(1.0 - 1e-9));
    };
    Rows out(H2, std::vector<uint32_t>(W2, 0));
    for (long long y = 0; y < H2; ++y)
        for (long long x = 0; x < W2; ++x) {
            const double u0 = (double)(x - W2 / 2), v0 = (double)(y - H2 / 2);
            const double fxy[5][2] = {{u0 * c + v0 * s, v0 * c - u0 * s},
                                      {(u0 + 0.3) * c + v0 * s, v0 * c - (u0 + 0.3) * s},
                                      {(u0 - 0.3) * c + v0 * s, v0 * c - (u0 - 0.3) * s},
                                      {u0 * c + (v0 - 0.3) * s, (v0 - 0.3) * c - u0 * s},
                                      {u0 * c + (v0 + 0.3) * s, (v0 + 0.3) * c - u0 * s}};
            unsigned sum[3] = {0, 0, 0}, n = 0;
            for (int k = 0; k < (fast ? 1 : 5); ++k) {
                const long long sx = snapTrunc(fxy[k][0]) + W / 2, sy = snapTrunc(fxy[k][1]) + H / 2;
                if (sx < 0 || sx >= W || sy < 0 || sy >= H) continue;
                for (int ch = 0; ch < 3; ++ch) sum[ch] += (src[sy][sx] >> (8 * ch)) & 0xFF;
                ++n;
            }
            if (n) out[y][x] = (sum[0] / n) | (sum[1] / n) << 8 | (sum[2] / n) << 16;
        }
    return out;
}

} // namespace

TEST(QuarterTurn, ThreeByTwoTurnedRightAndLeft) {
    DibOwner src(PictureFromRows({{1, 2, 3}, {4, 5, 6}}));
    DibOwner right(RotateQuarterTurn(src.get(), kTurnRight));
    // The top row becomes the right-hand column, read from top to bottom.
    Rows want = {{4, 1}, {5, 2}, {6, 3}};
    EXPECT_EQ(RowsOf(right.get()), want) << HexGrid(RowsOf(right.get()));
    DibOwner left(RotateQuarterTurn(src.get(), kTurnLeft));
    want = {{3, 6}, {2, 5}, {1, 4}};
    EXPECT_EQ(RowsOf(left.get()), want) << HexGrid(RowsOf(left.get()));
    const DibHeader h = HeaderOf(right.get());
    EXPECT_EQ(h.biWidth, 2);
    EXPECT_EQ(h.biHeight, 3);
    EXPECT_EQ(h.biSizeImage, 8u * 3);
}

TEST(QuarterTurn, RightThenLeftGivesThePictureBack) {
    // Sizes that cross the tiles and leave odd row padding.
    for (auto size : {std::pair<int, int>{1, 1}, {70, 131}, {129, 5}}) {
        DibOwner src(PhotoLikePicture(size.first, size.second, 7));
        DibOwner right(RotateQuarterTurn(src.get(), kTurnRight));
        DibOwner back(RotateQuarterTurn(right.get(), kTurnLeft));
        ASSERT_TRUE(back);
        EXPECT_EQ(BytesOf(back.get()), BytesOf(src.get()));
        DibOwner r2(RotateQuarterTurn(right.get(), kTurnRight));
        DibOwner r3(RotateQuarterTurn(r2.get(), kTurnRight));
        DibOwner l1(RotateQuarterTurn(src.get(), kTurnLeft));
        EXPECT_EQ(RowsOf(r3.get()), RowsOf(l1.get()));
    }
    DibOwner big(PhotoLikePicture(70, 131, 7));
    DibOwner turned(RotateQuarterTurn(big.get(), kTurnRight));
    RecordPicture("transform_quarter_right", turned.get());
}

TEST(RotateByAngle, ZeroDegreesAddsTwoColumns) {
    DibOwner src(PictureFromRows({{0x101010, 0x202020, 0x303030}, {0x404040, 0x505050, 0x606060}}));
    DibOwner fast(RotateByAngle(src.get(), 0, true));
    // Fast mode: the picture unchanged between two black columns.
    Rows want = {{0, 0x101010, 0x202020, 0x303030, 0}, {0, 0x404040, 0x505050, 0x606060, 0}};
    EXPECT_EQ(RowsOf(fast.get()), want) << HexGrid(RowsOf(fast.get()));
    // Quality mode: the 0.3 offsets truncate toward zero into the picture, so the extra columns repeat the edge
    // columns; above and left of the centre a +0.3 sample reaches one row lower or one column further right.
    DibOwner quality(RotateByAngle(src.get(), 0, false));
    want = {{0x101010, 0x1C1C1C, 0x292929, 0x363636, 0x303030}, {0x404040, 0x434343, 0x505050, 0x5C5C5C, 0x606060}};
    EXPECT_EQ(RowsOf(quality.get()), want) << HexGrid(RowsOf(quality.get()));
    RecordPicture("transform_rotate_zero_quality", quality.get());
}

TEST(RotateByAngle, RightAnglesInFastModeAreExactCopies) {
    // cos 90 degrees and sin 180 degrees are not exactly 0 in double precision; unsnapped, that noise would tip
    // truncations and shift whole rows. Each result pixel must be the source pixel at the exactly turned integer
    // position about (W / 2, H / 2), or black outside.
    for (auto size : {std::pair<int, int>{6, 4}, {7, 5}, {8, 9}}) {
        const int W = size.first, H = size.second;
        DibOwner src(PictureFrom(W, H, [](int x, int y) { return 0x010101u * (uint32_t)(10 + x + 8 * y); }));
        const Rows in = RowsOf(src.get());
        for (int degrees : {0, 90, -90, 180, -180, 270}) {
            DibOwner out(RotateByAngle(src.get(), degrees * kDeg, true));
            ASSERT_TRUE(out);
            const Rows got = RowsOf(out.get());
            const int W2 = (int)got[0].size(), H2 = (int)got.size();
            const int turns = ((degrees / 90) % 4 + 4) % 4;
            EXPECT_EQ(W2, (turns % 2 ? H : W) + 2) << degrees;
            EXPECT_EQ(H2, turns % 2 ? W : H) << degrees;
            for (int y = 0; y < H2; ++y)
                for (int x = 0; x < W2; ++x) {
                    const int dx = x - W2 / 2, dy = y - H2 / 2;
                    // (u cos + v sin, v cos - u sin) at exact right angles.
                    const int c = turns == 0 ? 1 : turns == 2 ? -1 : 0, s = turns == 1 ? 1 : turns == 3 ? -1 : 0;
                    const int sx = dx * c + dy * s + W / 2, sy = dy * c - dx * s + H / 2;
                    const uint32_t want = sx >= 0 && sx < W && sy >= 0 && sy < H ? in[sy][sx] : 0;
                    ASSERT_EQ(got[y][x], want) << degrees << " at " << x << "," << y << "\n" << HexGrid(got);
                }
            RecordPicture("transform_rotate_fast_" + std::to_string(W) + "_" + std::to_string(degrees), out.get());
        }
    }
}

TEST(RotateByAngle, FastTakesSourcePixelsAndQualityAverages) {
    DibOwner src(PictureFrom(9, 7, [](int x, int y) { return (x + y) % 2 ? 0xFFFFFFu : 0x000000u; }));
    DibOwner fast(RotateByAngle(src.get(), 23 * kDeg, true));
    for (const auto &row : RowsOf(fast.get()))
        for (uint32_t c : row) ASSERT_TRUE(c == 0 || c == 0xFFFFFF) << std::hex << c;
    DibOwner quality(RotateByAngle(src.get(), 23 * kDeg, false));
    int mixed = 0;
    for (const auto &row : RowsOf(quality.get()))
        for (uint32_t c : row) {
            const uint32_t b = c & 0xFF;
            // Averages of up to five samples of 0 and 255: k x 255 / n.
            bool possible = false;
            for (unsigned n = 1; n <= 5; ++n)
                for (unsigned k = 0; k <= n; ++k) possible |= b == k * 255 / n;
            ASSERT_TRUE(possible) << b;
            ASSERT_EQ(c, b * 0x010101u);
            mixed += b != 0 && b != 255;
        }
    EXPECT_GT(mixed, 10);
}

TEST(RotateByAngle, MatchesThePolarFormExceptAtRoundingTies) {
    DibOwner src(PhotoLikePicture(23, 17, 3));
    const Rows rows = RowsOf(src.get());
    for (double degrees : {17.0, 30.0, -45.0, 123.4, 200.0, -300.5}) {
        for (bool fast : {true, false}) {
            DibOwner out(RotateByAngle(src.get(), degrees * kDeg, fast));
            ASSERT_TRUE(out);
            int near = 0;
            const Rows want = ReferenceRotate(rows, degrees * kDeg, fast, &near);
            const Rows got = RowsOf(out.get());
            ASSERT_EQ(got.size(), want.size()) << degrees;
            ASSERT_EQ(got[0].size(), want[0].size()) << degrees;
            int differ = 0;
            for (size_t y = 0; y < got.size(); ++y)
                for (size_t x = 0; x < got[0].size(); ++x) differ += got[y][x] != want[y][x];
            // Differences may only come from samples that sit on an integer coordinate, and those are rare.
            EXPECT_LE(differ, near) << degrees << (fast ? " fast" : " quality");
            EXPECT_LE(near, (int)(got.size() * got[0].size() / 8)) << degrees;
            RecordPicture("transform_rotate_" + std::to_string((int)(degrees * 10)) + (fast ? "_fast" : "_quality"),
                          out.get());
        }
    }
}

TEST(RotateByAngle, EveryPixelAsTheMatrixFormGivesIt) {
    // Right angles give exact integer positions, the snap's whole reason, with and without a last-bit nudge;
    // the others cross every octant. Widths of 4n leave no row padding, so the last source byte ends the block.
    std::vector<double> radians;
    for (double degrees : {0.0, 90.0, 180.0, 270.0, -90.0, 360.0})
        for (double nudge : {0.0, 1e-15, -1e-15, 1e-10, -1e-10}) radians.push_back(degrees * kDeg + nudge);
    for (double degrees = -350; degrees < 360; degrees += 23.7) radians.push_back(degrees * kDeg);
    radians.push_back(45 * kDeg);
    radians.push_back(1e5);
    const int sizes[][2] = {{1, 1}, {2, 1}, {1, 3}, {4, 2}, {5, 7}, {8, 8}, {13, 6}, {32, 19}};
    for (const auto &size : sizes) {
        DibOwner src(PhotoLikePicture(size[0], size[1], (uint32_t)(size[0] * 31 + size[1])));
        const Rows rows = RowsOf(src.get());
        for (double theta : radians)
            for (bool fast : {true, false}) {
                DibOwner out(RotateByAngle(src.get(), theta, fast));
                const Rows want = MatrixRotate(rows, theta, fast);
                // A tiny picture's truncated corners can leave no rows: no picture at all then.
                ASSERT_EQ(!out, want.empty()) << size[0] << "x" << size[1] << " at " << theta;
                if (out)
                    ASSERT_EQ(RowsOf(out.get()), want)
                        << size[0] << "x" << size[1] << " at " << theta << (fast ? " fast" : " quality");
            }
    }
}

TEST(RotateByAngle, ShowsWholeDegreesTruncatedTowardZero) {
    EXPECT_EQ(RotationDegrees(30 * kDeg), 29); // the rounded constant is above pi
    EXPECT_EQ(RotationDegrees(-29.9 * kDeg), -29);
    EXPECT_EQ(RotationDegrees(45 * kDeg), 44);
    EXPECT_EQ(RotationDegrees(0), 0);

    DibOwner src(PhotoLikePicture(30, 25, 2));
    ResetTestHost();
    TestHost().statusBarShown = false;
    DibOwner out(RotateByAngle(src.get(), 30 * kDeg, true));
    const auto &texts = TestHost().statusTexts;
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts.front(), "0:29 度回転 (0%)");
    EXPECT_LE(texts.size(), 20u);
    for (size_t i = 1; i < texts.size(); ++i) EXPECT_EQ(texts[i], "0:29 度回転 (" + std::to_string(5 * i) + "%)");
    EXPECT_EQ(TestHost().titleRestored, 1);

    ResetTestHost();
    DibOwner again(RotateByAngle(src.get(), -29.9 * kDeg, false));
    EXPECT_EQ(TestHost().progressBegun, 1);
    EXPECT_EQ(TestHost().progressEnded, 1);
    EXPECT_EQ(TestHost().progress.size(), 19u);
    EXPECT_EQ(TestHost().statusTexts.back(), "0:-29 度回転 (95%)");
}

TEST(RotateByAngle, WideResultsAreNotTruncatedAndHugeOnesAreRefused) {
    int64_t w, h;
    RotatedBounds(1 * kDeg, 70000, 10, &w, &h);
    EXPECT_GT(w, 65535); // no 16-bit widths
    EXPECT_EQ(w, 69989);
    EXPECT_EQ(h, 1231);

    // A 100000 x 1 strip turned by 45 degrees needs about 15 GB: refused, caption restored, source kept.
    DibOwner strip(PictureFrom(100000, 1, [](int x, int) { return (uint32_t)x; }));
    ResetTestHost();
    EXPECT_EQ(RotateByAngle(strip.get(), 45 * kDeg, true), nullptr);
    EXPECT_EQ(TestHost().titleRestored, 1);
    EXPECT_EQ(RotateByAngle(strip.get(), NAN, true), nullptr);
    EXPECT_EQ(RotateByAngle(strip.get(), INFINITY, false), nullptr);
    EXPECT_EQ(RotateByAngle(nullptr, 1, false), nullptr);
    EXPECT_EQ(RotateQuarterTurn(nullptr, kTurnRight), nullptr);
    EXPECT_EQ(RotateQuarterTurn(strip.get(), 7), nullptr);

    // A header that claims more rows than its block holds is not read.
    PackedDib bad = BlockAlloc(40 + 12);
    {
        BlockLockGuard lock(bad);
        DibHeader hdr = MakeHeader24(2, 1000);
        memcpy(lock.get(), &hdr, sizeof hdr);
    }
    DibOwner badOwner(bad);
    EXPECT_EQ(RotateQuarterTurn(bad, kTurnLeft), nullptr);
    EXPECT_EQ(RotateByAngle(bad, 0.5, false), nullptr);
}

TEST(PortableTrig, AgreesWithTheMathsLibrary) {
    for (int i = -2000; i <= 2000; ++i) {
        const double x = i * 0.0123456789;
        EXPECT_NEAR(PortableSin(x), std::sin(x), 4e-16 * std::max(1.0, std::fabs(x) / 8)) << x;
        EXPECT_NEAR(PortableCos(x), std::cos(x), 4e-16 * std::max(1.0, std::fabs(x) / 8)) << x;
        const double y = std::sin(i * 0.7) * (1 + i % 7), z = std::cos(i * 1.3) * (1 + i % 5);
        EXPECT_NEAR(PortableAtan2(y, z), std::atan2(y, z), 5e-16) << y << "," << z;
    }
    EXPECT_EQ(PortableCos(0), 1.0);
    EXPECT_EQ(PortableSin(0), 0.0);
    EXPECT_NEAR(PortableAtan2(1, 1), kPi / 4, 1e-16);
    EXPECT_NEAR(PortableAtan2(0, -1), kPi, 1e-15);
    EXPECT_TRUE(std::isnan(PortableSin(INFINITY)));
    // Recorded so the native and Windows runs can be compared bit for bit.
    double values[6] = {PortableSin(0.5), PortableCos(0.5), PortableSin(30 * kDeg), PortableCos(1e5),
                        PortableAtan2(3000, 4000), PortableSin(-2.5)};
    RecordOutput("transform_portable_trig", values, sizeof values);
}
