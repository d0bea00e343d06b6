// The edge map: which neighbours a pixel compares with, the grey result and the borders.
#include <gtest/gtest.h>

#include "adjust/edges.h"
#include "filter_reference.h"
#include "test_host.h"
#include "test_support.h"

namespace {
uint32_t Grey(int v) { return 0x010101u * (uint32_t)v; }
}

TEST(EdgeMap, SingleBrightPixelOnBlack) {
    // Top-down (x, y); stored row = 4 - y. The pixel at (2, 2) compares with (2, 1) (next stored row) and the
    // three pixels of column 3; the pixels that have it as such a neighbour are (1, 1), (1, 2), (1, 3), (2, 3).
    std::vector<std::vector<uint32_t>> rows(5, std::vector<uint32_t>(5, 0));
    rows[2][2] = 0x20C850; // strongest channel 200
    DibOwner dib(PictureFromRows(rows));
    DibOwner map(EdgeMap(dib.get(), false));
    ASSERT_TRUE(map);
    std::vector<std::vector<uint32_t>> want(5, std::vector<uint32_t>(5, 0));
    want[2][2] = want[1][1] = want[2][1] = want[3][1] = want[3][2] = Grey(200);
    EXPECT_EQ(RowsOf(map.get()), want) << HexGrid(RowsOf(map.get()));
    RecordPicture("adjust_edges_single", map.get());
}

TEST(EdgeMap, LastColumnComparesOnlyWithTheNextStoredRow) {
    DibOwner dib(PictureFromRows({{Grey(10), Grey(90)}, {Grey(30), Grey(40)}, {Grey(35), Grey(100)}}));
    DibOwner map(EdgeMap(dib.get(), false));
    ASSERT_TRUE(map);
    auto rows = RowsOf(map.get());
    EXPECT_EQ(rows[0][1], Grey(0));  // top-right: nothing to compare with
    EXPECT_EQ(rows[1][1], Grey(50)); // 40 against 90 above
    EXPECT_EQ(rows[2][1], Grey(60)); // 100 against 40 above
    // Bottom-left: above 30 (5), right 100 (65), above-right 40 (5).
    EXPECT_EQ(rows[2][0], Grey(65));
    // Top-left: right 90 (80), below-right 40 (30); nothing above.
    EXPECT_EQ(rows[0][0], Grey(80));
}

TEST(EdgeMap, UniformPictureIsBlackAndProgressBarIsNotAdvanced) {
    DibOwner dib(PictureFrom(7, 5, [](int, int) { return 0x336699u; }));
    ResetTestHost();
    DibOwner map(EdgeMap(dib.get(), true));
    ASSERT_TRUE(map);
    for (const auto &row : RowsOf(map.get()))
        for (uint32_t p : row) ASSERT_EQ(p, 0u);
    EXPECT_EQ(TestHost().progressBegun, 1);
    EXPECT_EQ(TestHost().progressEnded, 1);
    EXPECT_TRUE(TestHost().progress.empty());
    ResetTestHost();
}

TEST(EdgeMap, PhotoRecordsAndNoMemoryKeepsThePicture) {
    DibOwner dib(PhotoLikePicture(50, 40, 6));
    DibOwner map(EdgeMap(dib.get(), false));
    ASSERT_TRUE(map);
    RecordPicture("adjust_edges_photo", map.get());
    auto before = BytesOf(dib.get());
    BlockFailLargeAllocations(1000, 1);
    EXPECT_EQ(EdgeMap(dib.get(), false), nullptr);
    BlockFailLargeAllocations(0, 0);
    EXPECT_EQ(BytesOf(dib.get()), before);
}

TEST(EdgeMap, MatchesThePlainRuleOnRandomPictures) {
    const int sizes[][2] = {{1, 1}, {2, 3}, {64, 2}, {65, 3}, {66, 4}, {200, 7}};
    for (const auto &sz : sizes)
        for (int levels : {2, 256}) {
            auto grid = reference::RandomGrid(sz[0], sz[1], (uint32_t)(sz[0] * 3 + sz[1] + levels), levels);
            DibOwner dib(PictureFromRows(grid));
            DibOwner map(EdgeMap(dib.get(), false));
            ASSERT_TRUE(map);
            EXPECT_EQ(RowsOf(map.get()), reference::Edges(grid)) << sz[0] << "x" << sz[1];
        }
}
