// The edge-preserving resampler: worked examples, the edge rules, hostile sizes, and the restructured kernels
// against a plain reading of the algorithm on random pictures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "test_host.h"
#include "test_support.h"
#include "transform/resize.h"

namespace {

// Storage-order bytes of a picture (row 0 = bottom), without padding.
struct Plain {
    int w = 0, h = 0;
    std::vector<int> px;
    int &at(int k, int row) { return px[(size_t)row * 3 * w + k]; } // k = byte column 0..3w-1
    int at(int k, int row) const { return px[(size_t)row * 3 * w + k]; }
};

Plain PlainOf(PackedDib dib) {
    auto rows = RowsOf(dib);
    Plain p;
    p.h = (int)rows.size();
    p.w = (int)rows[0].size();
    p.px.resize((size_t)p.w * p.h * 3);
    for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x) {
            const uint32_t c = rows[y][x];
            const int row = p.h - 1 - y;
            p.at(3 * x, row) = c & 0xFF;
            p.at(3 * x + 1, row) = (c >> 8) & 0xFF;
            p.at(3 * x + 2, row) = (c >> 16) & 0xFF;
        }
    return p;
}

// Reduction along one line of n samples into m, the accumulator rule read literally; `edge` decides per step
// whether the sample is an edge, given the running averages (or none when nothing is gathered).
template <class Get, class Put, class IsEdge>
void ReferenceReduceLine(int n, int m, int channels, Get get, Put put, IsEdge isEdge) {
    const float s = (float)n / (float)m;
    int A[3] = {0, 0, 0};
    float q = 0;
    int C = 0;
    for (int y = 1; y <= n; ++y) {
        const float u = (float)y / s;
        float a[3];
        int v[3];
        for (int ch = 0; ch < channels; ++ch) {
            v[ch] = get(y - 1, ch);
            a[ch] = q != 0 ? (float)A[ch] / q : 0;
        }
        if ((float)(C + 1) > u) {
            const bool edge = q != 0 && isEdge(a, v, false);
            for (int ch = 0; ch < channels; ++ch) {
                if (q == 0) A[ch] = v[ch];
                else if (edge) A[ch] = q >= 1 ? (int)(a[ch] * (q + 1)) : (int)((q + 1) * v[ch]);
                else A[ch] += v[ch];
            }
            q = q + 1;
        } else {
            const float w = (float)y - s * (float)(C + 1), x = 1 - w, V = q + x;
            const bool edge = q != 0 && isEdge(a, v, true);
            for (int ch = 0; ch < channels; ++ch) {
                const int o = edge ? (q >= x ? (int)(a[ch] * V) : (int)(v[ch] * V)) : A[ch] + (int)(x * v[ch]);
                if (C < m) put(C, ch, std::min(255, (int)(o / V)));
                A[ch] = (int)(w * v[ch]);
            }
            q = w;
        }
        C = (int)u;
    }
    if (q != 0 && C < m)
        for (int ch = 0; ch < channels; ++ch) put(C, ch, std::min(255, (int)(A[ch] / q)));
}

// The whole resampler, pass by pass and byte by byte.
Plain ReferenceResample(const Plain &src, int W2, int H2, int T) {
    const int W = src.w, H = src.h;
    Plain mid{W, H2, std::vector<int>((size_t)W * H2 * 3)};
    if (H2 < H) {
        for (int k = 0; k < 3 * W; ++k)
            ReferenceReduceLine(
                H, H2, 1, [&](int y, int) { return src.at(k, y); }, [&](int c, int, int v) { mid.at(k, c) = v; },
                [&](const float *a, const int *v, bool) { return std::abs((int)a[0] - v[0]) > T; });
    } else {
        const float s = (float)H / (float)H2;
        std::vector<unsigned char> bytes(src.px.begin(), src.px.end());
        for (int r = 0; r < H2; ++r) {
            const int y = (int)((float)r * s);
            const bool repeated = y != H - 1 && r > 0 && (int)(s * (float)(r - 1)) == y;
            for (int k = 0; k < 3 * W; ++k) {
                const int v = src.at(k, y);
                int h = v;
                if (repeated) {
                    auto e = NeighbourEstimate(bytes.data(), 3 * (size_t)W, W, H, k / 3, y, k % 3);
                    if (e.difference <= T && e.direction == 6) h = (src.at(k, y + 1) + src.at(k - 3, y)) >> 1;
                    if (e.difference <= T && e.direction == 7) h = src.at(k, y + 1);
                    if (e.difference <= T && e.direction == 8) h = (src.at(k, y + 1) + src.at(k + 3, y)) >> 1;
                }
                mid.at(k, r) = repeated ? (v + h) / 2 : v;
            }
        }
    }
    Plain out{W2, H2, std::vector<int>((size_t)W2 * H2 * 3)};
    if (W2 < W) {
        for (int i = 0; i < H2; ++i)
            ReferenceReduceLine(
                W, W2, 3, [&](int j, int ch) { return mid.at(3 * j + ch, i); },
                [&](int c, int ch, int v) { out.at(3 * c + ch, i) = v; },
                [&](const float *a, const int *v, bool straddle) {
                    for (int ch = 0; ch < 3; ++ch)
                        if (std::abs(straddle ? (int)(a[ch] - v[ch]) : (int)a[ch] - v[ch]) > T) return true;
                    return false;
                });
    } else {
        std::vector<unsigned char> bytes(mid.px.begin(), mid.px.end());
        for (int i = 0; i < H2; ++i)
            for (int p = 0; p < W2; ++p) {
                const int x = (int)((long long)p * W / W2);
                const bool repeated =
                    i != 0 && i != H2 - 1 && x != 0 && x != W && (int)((long long)(p - 1) * W / W2) == x;
                for (int ch = 0; ch < 3; ++ch) {
                    const int v = mid.at(3 * x + ch, i);
                    int g = v;
                    if (repeated) {
                        auto e = NeighbourEstimate(bytes.data(), 3 * (size_t)W, W, H2, x, i, ch);
                        if (e.difference <= T && e.direction == 2)
                            g = (mid.at(3 * x + ch, i - 1) + mid.at(3 * x + 3 + ch, i)) >> 1;
                        if (e.difference <= T && e.direction == 5) g = mid.at(3 * x + 3 + ch, i);
                        if (e.difference <= T && e.direction == 8)
                            g = (mid.at(3 * x + ch, i + 1) + mid.at(3 * x + 3 + ch, i)) >> 1;
                    }
                    out.at(3 * p + ch, i) = repeated ? (v + g) / 2 : v;
                }
            }
    }
    return out;
}

// A picture with flat areas, sharp edges and noise, so both edge branches and the smoothing are exercised.
PackedDib MixedPicture(int w, int h, uint32_t seed) {
    return PictureFrom(w, h, [=](int x, int y) {
        uint32_t s = (uint32_t)(x * 7919 + y * 104729) * 2654435761u + seed;
        s ^= s >> 13;
        const int region = ((x * 3 / w) + (y * 2 / h)) % 3;
        const int base = region == 0 ? 30 : region == 1 ? 200 : 120;
        const int n = (int)(s & 31) - 16;
        const int r = std::min(255, std::max(0, base + n)), g = std::min(255, std::max(0, 255 - base + n / 2));
        const int b = (s >> 8) & 0xFF;
        return (uint32_t)((r << 16) | (g << 8) | (region == 2 ? b : base));
    });
}

} // namespace

TEST(Resize, MatchesThePlainAlgorithmOnRandomPictures) {
    const struct { int w, h, w2, h2, t; } cases[] = {
        {17, 13, 8, 6, 92},  {17, 13, 40, 29, 92}, {23, 19, 23, 19, 92}, {30, 20, 11, 47, 40},
        {30, 20, 53, 7, 0},  {9, 31, 5, 10, 255},  {64, 48, 21, 16, 92}, {12, 12, 25, 25, 20},
        {40, 3, 7, 2, 92},   {3, 40, 2, 7, 60},  {64, 48, 130, 97, 30}, {50, 40, 101, 81, 92},
        {45, 20, 91, 41, 255}, {45, 20, 91, 41, 0},
    };
    for (const auto &c : cases) {
        DibOwner src(MixedPicture(c.w, c.h, (uint32_t)(c.w * 31 + c.h)));
        DibOwner out(Resample(src.get(), c.w2, c.h2, c.t));
        ASSERT_TRUE(out);
        const Plain got = PlainOf(out.get()), want = ReferenceResample(PlainOf(src.get()), c.w2, c.h2, c.t);
        EXPECT_EQ(got.px, want.px) << c.w << "x" << c.h << " -> " << c.w2 << "x" << c.h2 << " T=" << c.t;
        RecordPicture("transform_resize_" + std::to_string(c.w2) + "x" + std::to_string(c.h2) + "_t" +
                          std::to_string(c.t), out.get());
    }
}

TEST(Resize, HalvingAveragesPairsAndKeepsTheFirstAcrossAnEdge) {
    // Top-down rows; storage order is bottom first, so each result row pairs storage rows (0,1) and (2,3).
    DibOwner src(PictureFromRows({{0x0A1464}, {0x0C1000}, {0x102040}, {0x203000}}));
    DibOwner out(Resample(src.get(), 1, 2, 92));
    ASSERT_TRUE(out);
    auto rows = RowsOf(out.get());
    // Green and red average; blue differs by 100 > 92 in the top pair, where the first stored row (the lower
    // one, blue 0x00) wins, and by 64 in the bottom pair, which averages.
    std::vector<std::vector<uint32_t>> want = {{0x0B1200}, {0x182820}};
    EXPECT_EQ(rows, want) << HexGrid(rows);

    DibOwner plain(Resample(src.get(), 1, 2, 255)); // no edges: plain averages throughout
    want = {{0x0B1232}, {0x182820}};
    EXPECT_EQ(RowsOf(plain.get()), want) << HexGrid(RowsOf(plain.get()));

    DibOwner strict(Resample(src.get(), 1, 2, 0)); // every differing sample keeps the running value
    want = {{0x0C1000}, {0x203000}};
    EXPECT_EQ(RowsOf(strict.get()), want) << HexGrid(RowsOf(strict.get()));
}

TEST(Resize, HalvingWidthTreatsThePixelAsOne) {
    // Only red jumps; with the per-pixel edge test green and blue follow red down the edge branch.
    DibOwner src(PictureFromRows({{0x001020, 0xF01424, 0x101010, 0x202020}}));
    DibOwner out(Resample(src.get(), 2, 1, 92));
    auto rows = RowsOf(out.get());
    std::vector<std::vector<uint32_t>> want = {{0x001020, 0x181818}};
    EXPECT_EQ(rows, want) << HexGrid(rows);
}

TEST(Resize, DoublingRepeatsAndEqualSizeCopies) {
    DibOwner src(MixedPicture(9, 7, 5));
    DibOwner same(Resample(src.get(), 9, 7, 92));
    EXPECT_EQ(RowsOf(same.get()), RowsOf(src.get()));

    // In a 2 x 2 picture no neighbour direction fits, so every row and column simply repeats.
    DibOwner sharp(PictureFromRows({{0x102030, 0x405060}, {0x708090, 0xA0B0C0}}));
    DibOwner twice(Resample(sharp.get(), 4, 4, 0));
    std::vector<std::vector<uint32_t>> want = {{0x102030, 0x102030, 0x405060, 0x405060},
                                               {0x102030, 0x102030, 0x405060, 0x405060},
                                               {0x708090, 0x708090, 0xA0B0C0, 0xA0B0C0},
                                               {0x708090, 0x708090, 0xA0B0C0, 0xA0B0C0}};
    EXPECT_EQ(RowsOf(twice.get()), want) << HexGrid(RowsOf(twice.get()));
    RecordPicture("transform_resize_double_sharp", twice.get());
}

TEST(Resize, FlatPicturesStayFlat) {
    // Enlargement and whole-number reductions keep a flat colour exactly. Fractional reductions truncate each
    // share (twice per pass), so a flat colour may come out a few levels darker, never lighter.
    DibOwner flat(PictureFrom(36, 24, [](int, int) { return 0x7F3A11u; }));
    const struct { int w, h; bool exact; } sizes[] = {{12, 8, true}, {90, 61, true}, {36, 60, true}, {18, 24, true},
                                                      {5, 4, false}, {80, 7, false}, {35, 23, false}};
    for (const auto &size : sizes) {
        DibOwner out(Resample(flat.get(), size.w, size.h, 92));
        ASSERT_TRUE(out);
        for (const auto &row : RowsOf(out.get()))
            for (uint32_t c : row) {
                if (size.exact) {
                    ASSERT_EQ(c, 0x7F3A11u) << size.w << "x" << size.h;
                    continue;
                }
                for (int shift : {0, 8, 16}) {
                    const int got = (c >> shift) & 0xFF, want = (0x7F3A11 >> shift) & 0xFF;
                    ASSERT_LE(got, want) << size.w << "x" << size.h;
                    ASSERT_GE(got, want - 4) << size.w << "x" << size.h;
                }
            }
    }
}

TEST(Resize, ManyRowsIntoOneDoNotWrapTheAccumulator) {
    // 300 white rows feed each result row: a 16-bit sum would wrap and darken the result.
    DibOwner strip(PictureFrom(1, 600, [](int, int) { return 0xFFFFFFu; }));
    DibOwner out(Resample(strip.get(), 1, 2, 92));
    std::vector<std::vector<uint32_t>> want = {{0xFFFFFF}, {0xFFFFFF}};
    EXPECT_EQ(RowsOf(out.get()), want) << HexGrid(RowsOf(out.get()));
}

TEST(Resize, RefusesHostileSizesAndKeepsTheSource) {
    DibOwner src(MixedPicture(6, 5, 1));
    const auto before = BytesOf(src.get());
    EXPECT_EQ(Resample(src.get(), 0, 5, 92), nullptr);
    EXPECT_EQ(Resample(src.get(), -5, 5, 92), nullptr);
    EXPECT_EQ(Resample(src.get(), 99999999, 99999999, 92), nullptr);
    EXPECT_EQ(Resample(src.get(), 40000, 20000, 92), nullptr); // 2.4 GB
    EXPECT_EQ(Resample(nullptr, 5, 5, 92), nullptr);
    BlockFailLargeAllocations(40, 1); // the intermediate cannot be had
    EXPECT_EQ(Resample(src.get(), 3, 3, 92), nullptr);
    BlockFailLargeAllocations(0, 0);
    EXPECT_EQ(BytesOf(src.get()), before); // never freed, never changed
    DibOwner ok(Resample(src.get(), 3, 3, 92));
    EXPECT_TRUE(ok);
}

TEST(Resize, ReportsHeightThenWidthInTwentySteps) {
    DibOwner src(MixedPicture(50, 40, 3));
    ResetTestHost();
    TestHost().statusBarShown = true;
    DibOwner out(ResizePicture(src.get(), 30, 80, 92));
    ASSERT_TRUE(out);
    const auto &bar = TestHost().progress;
    EXPECT_EQ(TestHost().progressBegun, 1);
    EXPECT_EQ(TestHost().progressEnded, 1);
    ASSERT_FALSE(bar.empty());
    EXPECT_EQ(bar.front(), 2); // 5 x 1 / 2: nothing is shown for step 0
    EXPECT_EQ(bar.back(), 97);
    for (size_t i = 1; i < bar.size(); ++i) EXPECT_GT(bar[i], bar[i - 1]);

    ResetTestHost();
    TestHost().statusBarShown = false;
    DibOwner again(ResizePicture(src.get(), 30, 80, 92));
    const auto &texts = TestHost().statusTexts;
    ASSERT_EQ(texts.size(), 38u); // steps 1..19 of each pass
    EXPECT_EQ(texts.front(), "0:高さ変更 5%");
    EXPECT_EQ(texts[18], "0:高さ変更 95%");
    EXPECT_EQ(texts[19], "0:幅変更 5%");
    EXPECT_EQ(TestHost().titleRestored, 1);
}

TEST(NeighbourEstimate, ScansInOrderAndSkipsDirectionsThatDoNotFit) {
    // 5 x 5, blue channel: one bright byte below-left of the centre (storage row 3, column 1).
    std::vector<unsigned char> px(5 * 15, 100);
    px[15 * 3 + 3 * 1] = 220;
    auto e = NeighbourEstimate(px.data(), 15, 5, 5, 2, 2, 0);
    // Directions 3 and 7 both predict (100 + 100 + 220) / 3 = 140; 3 comes first in the scan.
    EXPECT_EQ(e.difference, 40);
    EXPECT_EQ(e.direction, 3);

    std::vector<unsigned char> flat(5 * 15, 50);
    e = NeighbourEstimate(flat.data(), 15, 5, 5, 2, 2, 0);
    EXPECT_EQ(e.difference, 0);
    EXPECT_EQ(e.direction, 4);
    // At column 0 only directions 2, 5 and 8 fit; 2 predicts (50 + 0) / 2 and comes before 8's equal estimate.
    flat[15 * 2 + 3] = 0;
    e = NeighbourEstimate(flat.data(), 15, 5, 5, 0, 2, 0);
    EXPECT_EQ(e.difference, 25);
    EXPECT_EQ(e.direction, 2);
}
