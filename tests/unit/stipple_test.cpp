// The stipple: worked examples, the tie rule, edges that do not bleed, progress, and the restructured palette
// search against the plain search over every entry.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "image/range_palette.h"
#include "platform/workers.h"
#include "test_host.h"
#include "test_support.h"
#include "view/stipple.h"

namespace {

using Rows = std::vector<std::vector<uint32_t>>;

StipplePalette RangePalette() {
    PaletteEntryRgb e[256];
    MakeRangePaletteEntries(255, 255, 255, 0, 0, 0, e);
    return MakeStipplePalette256(e);
}

// The stipple read literally: every neighbour, every palette entry, three divisions per entry.
Rows ReferenceStipple(const Rows &top, const PaletteEntryRgb *pal, int n) {
    static const int weights[4][7] = {
        {0, 1, 1, 4, 1, 1, 0}, {1, 2, 3, 8, 3, 1, 0}, {1, 3, 9, 17, 7, 2, 1}, {4, 10, 16, 0, 0, 0, 0}};
    const int H = (int)top.size(), W = (int)top[0].size();
    auto src = [&](int row, int col) { return top[H - 1 - row][col]; };
    Rows out(H, std::vector<uint32_t>(W, 0));
    auto dst = [&](int row, int col) -> uint32_t & { return out[H - 1 - row][col]; };
    auto ch = [](uint32_t c, int shift) { return (int)((c >> shift) & 0xFF); };
    for (int r = 0; r < H; ++r)
        for (int c = 0; c < W; ++c) {
            const uint32_t S = src(r, c);
            int h = 40, sumR = 0, sumG = 0, sumB = 0;
            for (int dr = -3; dr <= 0; ++dr)
                for (int dc = -3; dc <= 3; ++dc) {
                    const int w = weights[dr + 3][dc + 3];
                    if ((dr == 0 && dc == 0) || r + dr < 0 || c + dc < 0 || c + dc >= W || w == 0) continue;
                    const uint32_t N = src(r + dr, c + dc);
                    if (std::abs(ch(S, 0) - ch(N, 0)) + std::abs(ch(S, 8) - ch(N, 8)) +
                            std::abs(ch(S, 16) - ch(N, 16)) >= 384)
                        continue;
                    const uint32_t D = dst(r + dr, c + dc);
                    sumR += w * ch(D, 16);
                    sumG += w * ch(D, 8);
                    sumB += w * ch(D, 0);
                    h += w;
                }
            int best = 255, chosen = 0;
            for (int k = 0; k < n; ++k) {
                const int avgR = (sumR + 40 * pal[k].red) / h, avgG = (sumG + 40 * pal[k].green) / h,
                          avgB = (sumB + 40 * pal[k].blue) / h;
                int error = (std::abs(ch(S, 16) - avgR) + std::abs(ch(S, 8) - avgG) + std::abs(ch(S, 0) - avgB)) / 3;
                if (n == 16 && k < 2) error = 2 * (int)(1.5f * error);
                else if (n == 16 && k == 2) error = (int)(1.5f * error);
                if (error <= best) {
                    best = error;
                    chosen = k;
                }
            }
            dst(r, c) = (uint32_t)pal[chosen].red << 16 | pal[chosen].green << 8 | pal[chosen].blue;
        }
    return out;
}

Rows Stippled(PackedDib src, const StipplePalette &palette) {
    DibOwner out(StipplePicture(src, palette));
    EXPECT_TRUE(out);
    return out ? RowsOf(out.get()) : Rows();
}

} // namespace

TEST(Stipple, MatchesThePlainSearchOnPhotoLikePictures) {
    PaletteEntryRgb range[256];
    MakeRangePaletteEntries(255, 255, 255, 0, 0, 0, range);
    // A display palette of another range, and one whose entries are shuffled out of the cube order.
    PaletteEntryRgb other[256], shuffled[256];
    MakeRangePaletteEntries(230, 200, 140, 20, 35, 5, other);
    for (int k = 0; k < 256; ++k) shuffled[k] = range[(k * 97 + 13) % 256];
    const struct { const char *name; StipplePalette palette; const PaletteEntryRgb *entries; int n; } cases[] = {
        {"16", MakeStipplePalette16(), kStippleColours16, 16},
        {"256", MakeStipplePalette256(range), range, 256},
        {"256_other", MakeStipplePalette256(other), other, 256},
        {"256_shuffled", MakeStipplePalette256(shuffled), shuffled, 256},
    };
    EXPECT_TRUE(cases[1].palette.cube);
    EXPECT_TRUE(cases[2].palette.cube);
    EXPECT_FALSE(cases[3].palette.cube);
    for (const auto &c : cases) {
        // 300 columns: more than one block of vector sums, and a tail that is not a multiple of eight.
        for (auto size : {std::pair<int, int>{41, 23}, {2, 9}, {5, 1}, {7, 5}, {300, 8}}) {
            DibOwner src(PhotoLikePicture(size.first, size.second, 11));
            const Rows got = Stippled(src.get(), c.palette);
            EXPECT_EQ(got, ReferenceStipple(RowsOf(src.get()), c.entries, c.n)) << c.name << " " << size.first;
        }
        // Row by row through the public kernel, as the adjustment preview drives it.
        DibOwner src(PhotoLikePicture(19, 11, 4));
        DibOwner rowwise(NewPicture24(19, 11));
        {
            BlockLockGuard a(src.get()), b(rowwise.get());
            for (int row = 0; row < 11; ++row) StippleRow(row, a.get(), b.get(), Stride24(19), c.palette);
        }
        EXPECT_EQ(RowsOf(rowwise.get()), Stippled(src.get(), c.palette)) << c.name;
        DibOwner photo(PhotoLikePicture(64, 48, 5));
        DibOwner out(StipplePicture(photo.get(), c.palette));
        RecordPicture(std::string("stipple_photo_") + c.name, out.get());
    }
}

TEST(Stipple, MatchesThePlainSearchOnNoisyPictures) {
    // Noise, and a few close levels (ties, and edges both ways), in widths around the 128-column steps a row takes
    // and the step the rows going on one thread keep between them, on one thread and on three; the tallest has
    // rows whose steps end at every offset the rows take (they repeat every 16 rows).
    // A narrow range puts a channel's levels within one or two of each other after the division.
    PaletteEntryRgb range[256], narrow[256];
    MakeRangePaletteEntries(255, 255, 255, 0, 0, 0, range);
    MakeRangePaletteEntries(110, 105, 120, 100, 95, 110, narrow);
    const struct { StipplePalette palette; const PaletteEntryRgb *entries; int n; } cases[] = {
        {MakeStipplePalette16(), kStippleColours16, 16},
        {MakeStipplePalette256(range), range, 256},
        {MakeStipplePalette256(narrow), narrow, 256},
    };
    EXPECT_TRUE(cases[2].palette.cube);
    static const uint32_t kLevels[] = {0, 50, 51, 101, 102, 105, 128, 192, 255};
    for (bool few : {false, true})
        for (auto size : {std::pair<int, int>{70, 7}, {141, 6}, {134, 5}, {290, 19}}) {
            uint32_t seed = (uint32_t)size.first;
            DibOwner src(PictureFrom(size.first, size.second, [&](int, int) {
                uint32_t c = 0;
                for (int ch = 0; ch < 3; ++ch) {
                    seed = seed * 1103515245u + 12345u;
                    c = c << 8 | (few ? kLevels[(seed >> 16) % 9] : (seed >> 16) & 255);
                }
                return c;
            }));
            for (const auto &c : cases) {
                const Rows want = ReferenceStipple(RowsOf(src.get()), c.entries, c.n);
                for (int threads : {1, 3}) {
                    SetWorkerThreads(threads);
                    EXPECT_EQ(Stippled(src.get(), c.palette), want) << c.n << " colours, " << size.first << " wide, "
                                                                    << threads << " threads" << (few ? ", few" : "");
                }
                SetWorkerThreads(0);
            }
        }
}

TEST(Stipple, UniformPaletteColoursStay) {
    // Every entry of the 16-colour table, white included despite the penalty on entry 2.
    const StipplePalette p16 = MakeStipplePalette16(), p256 = RangePalette();
    for (int k = 0; k < 16; ++k) {
        const PaletteEntryRgb &e = kStippleColours16[k];
        const uint32_t colour = (uint32_t)e.red << 16 | e.green << 8 | e.blue;
        DibOwner src(PictureFrom(9, 6, [=](int, int) { return colour; }));
        for (const auto &row : Stippled(src.get(), p16))
            for (uint32_t c : row) ASSERT_EQ(c, colour) << "entry " << k;
    }
    // With 256 colours, cube colours whose red level has no wrapped twin (see the tie rule below) stay too.
    for (uint32_t colour : {0xFFFFFFu, 0x000000u, 0x99CC33u, 0xCC0066u}) {
        DibOwner src(PictureFrom(9, 6, [=](int, int) { return colour; }));
        for (const auto &row : Stippled(src.get(), p256))
            for (uint32_t c : row) ASSERT_EQ(c, colour) << std::hex << colour;
    }
}

TEST(Stipple, TiesGoToTheHigherIndex) {
    // Red 51 is cube entry 36, but wrapped entry 216 (red 50) reaches the same error and has the higher index.
    DibOwner src(PictureFrom(8, 5, [](int, int) { return 0x330000u; }));
    for (const auto &row : Stippled(src.get(), RangePalette()))
        for (uint32_t c : row) ASSERT_EQ(c, 0x320000u);
    // The first pixel has no stippled neighbours: 0x808080 with 16 colours is entry 0 (128) with error 0 against
    // entry 1 (192, error 64 -> 192 after its penalty): gray stays gray.
    DibOwner gray(PictureFromRows({{0x808080}}));
    EXPECT_EQ(Stippled(gray.get(), MakeStipplePalette16())[0][0], 0x808080u);
}

TEST(Stipple, DistantColoursDoNotBleedAcrossAnEdge) {
    // Dark red beside bright cyan: the sum of channel differences is far above 384, so each side is stippled as
    // if the other were not there, and stays uniform.
    DibOwner src(PictureFrom(12, 8, [](int x, int) { return x < 6 ? 0x400000u : 0x7FFFFFu; }));
    DibOwner left(PictureFrom(6, 8, [](int, int) { return 0x400000u; }));
    DibOwner right(PictureFrom(6, 8, [](int, int) { return 0x7FFFFFu; }));
    for (int colours : {16, 256}) {
        const StipplePalette p = colours == 16 ? MakeStipplePalette16() : RangePalette();
        const Rows both = Stippled(src.get(), p), l = Stippled(left.get(), p), r = Stippled(right.get(), p);
        for (size_t y = 0; y < both.size(); ++y)
            for (size_t x = 0; x < 12; ++x) ASSERT_EQ(both[y][x], x < 6 ? l[y][x] : r[y][x - 6]) << colours;
    }
}

TEST(Stipple, ReportsProgressInFiveCentSteps) {
    DibOwner src(PhotoLikePicture(7, 50, 1));
    ResetTestHost();
    TestHost().statusBarShown = false;
    DibOwner out(StipplePicture(src.get(), MakeStipplePalette16()));
    const auto &texts = TestHost().statusTexts;
    ASSERT_EQ(texts.size(), 19u);
    EXPECT_EQ(texts.front(), "0:点描 6%"); // row 3 of 50 is the first in step 1
    EXPECT_EQ(texts.back(), "0:点描 96%");
    EXPECT_EQ(TestHost().busyDepth, 0);
    EXPECT_EQ(TestHost().titleRestored, 1);

    ResetTestHost();
    DibOwner again(StipplePicture(src.get(), RangePalette()));
    EXPECT_EQ(TestHost().progressBegun, 1);
    EXPECT_EQ(TestHost().progressEnded, 1);
    EXPECT_EQ(TestHost().progress.size(), 19u);

    // The adjustment preview's road: the same steps and pixels through its own callback, and nothing shown by the
    // host.
    ResetTestHost();
    std::vector<int> steps;
    DibOwner own(StippleRows(src.get(), MakeStipplePalette16(), [&steps](int percent) { steps.push_back(percent); }));
    ASSERT_EQ(steps.size(), 19u);
    EXPECT_EQ(steps.front(), 6);
    EXPECT_EQ(steps.back(), 96);
    EXPECT_EQ(RowsOf(own.get()), RowsOf(out.get()));
    EXPECT_TRUE(TestHost().statusTexts.empty());
    EXPECT_EQ(TestHost().progressBegun, 0);
    EXPECT_EQ(TestHost().busyDepth, 0);
}

TEST(Stipple, RefusesWhatIsNotAWholeTrueColourPicture) {
    const StipplePalette p = MakeStipplePalette16();
    EXPECT_EQ(StipplePicture(nullptr, p), nullptr);
    PackedDib bad = BlockAlloc(40 + 12);
    {
        BlockLockGuard lock(bad);
        DibHeader h = MakeHeader24(2, 1000); // far more rows than the block holds
        memcpy(lock.get(), &h, sizeof h);
    }
    DibOwner owner(bad);
    EXPECT_EQ(StipplePicture(bad, p), nullptr);
    {
        BlockLockGuard lock(bad);
        DibHeader h = MakeHeader24(1, 1);
        h.biBitCount = 8;
        memcpy(lock.get(), &h, sizeof h);
    }
    EXPECT_EQ(StipplePicture(bad, p), nullptr);
}
