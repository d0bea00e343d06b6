// The 3x3 median: sorted sliding columns against the plain sort, edges, and pictures one pixel wide or high.
#include <gtest/gtest.h>

#include "adjust/median_filter.h"
#include "adjust/noise_run.h"
#include "filter_reference.h"
#include "test_support.h"

namespace {

uint32_t Grey(int v) { return 0x010101u * (uint32_t)v; }

int RunMedian(PackedDib dib) {
    NoiseRunSettings s;
    s.kind = kNoiseMedian;
    s.smoothing.channels.red = false; // the median does not consult the switches
    return NoiseRun(dib, s, false);
}

} // namespace

TEST(Median, MatchesThePlainSortOnRandomPictures) {
    // The last three are wide enough for the row to go in several strips, with a few bytes left after the last.
    const int sizes[][2] = {{1, 1}, {1, 2}, {1, 7}, {2, 1}, {8, 1}, {2, 2}, {2, 9}, {3, 3}, {23, 17}, {70, 5},
                            {344, 3}, {400, 4}, {700, 3}};
    for (const auto &sz : sizes)
        for (int levels : {3, 256}) {
            auto grid = reference::RandomGrid(sz[0], sz[1], (uint32_t)(sz[0] * 7 + sz[1] + levels), levels);
            DibOwner dib(PictureFromRows(grid));
            ASSERT_EQ(RunMedian(dib.get()), 1);
            ASSERT_EQ(RowsOf(dib.get()), reference::Median(grid)) << sz[0] << "x" << sz[1];
            if (sz[0] == 23) RecordPicture("adjust_median_random_" + std::to_string(levels), dib.get());
        }
}

TEST(Median, TopRowTakesTheThirdSmallestOfSix) {
    DibOwner dib(PictureFromRows({{Grey(60), Grey(10), Grey(50), Grey(0)},
                                  {Grey(20), Grey(40), Grey(30), Grey(0)},
                                  {Grey(0), Grey(0), Grey(0), Grey(0)}}));
    ASSERT_EQ(RunMedian(dib.get()), 1);
    auto rows = RowsOf(dib.get());
    EXPECT_EQ(rows[0][1], Grey(30)); // 10 20 30 40 50 60
    EXPECT_EQ(rows[0][0], Grey(20)); // corner: 10 20 40 60, lower middle
}

TEST(Median, OnePixelWidePicturesGiveAPresentValue) {
    // Three present cells give the smallest; two (the ends) also the smallest; one gives itself.
    DibOwner column(PictureFromRows({{Grey(90)}, {Grey(10)}, {Grey(50)}, {Grey(70)}}));
    ASSERT_EQ(RunMedian(column.get()), 1);
    std::vector<std::vector<uint32_t>> want = {{Grey(10)}, {Grey(10)}, {Grey(10)}, {Grey(50)}};
    EXPECT_EQ(RowsOf(column.get()), want) << HexGrid(RowsOf(column.get()));

    DibOwner row(PictureFromRows({{Grey(200), Grey(100)}}));
    ASSERT_EQ(RunMedian(row.get()), 1);
    want = {{Grey(100), Grey(100)}};
    EXPECT_EQ(RowsOf(row.get()), want);

    DibOwner single(PictureFromRows({{0x123456}}));
    ASSERT_EQ(RunMedian(single.get()), 1);
    EXPECT_EQ(RowsOf(single.get())[0][0], 0x123456u);
}

TEST(Median, RowFilterWritesOnlyItsColumnWindow) {
    auto grid = reference::RandomGrid(12, 3, 77, 256);
    DibOwner dib(PictureFromRows(grid));
    BlockLockGuard lock(dib.get());
    unsigned char *px = DibPixels(lock.get());
    const size_t stride = Stride24(12);
    const unsigned char *rows[3] = {px, px + stride, px + 2 * stride};
    std::vector<unsigned char> out(stride, 0xEE);
    MedianFilterRow(rows, out.data(), 12, ColumnWindow{3, 5});
    auto want = reference::Median(grid);
    for (int x = 0; x < 12; ++x)
        for (int ch = 0; ch < 3; ++ch) {
            const int got = out[x * 3 + ch];
            if (x < 3 || x > 5) EXPECT_EQ(got, 0xEE);
            else EXPECT_EQ(got, (int)(want[1][x] >> (8 * ch) & 255));
        }
}
