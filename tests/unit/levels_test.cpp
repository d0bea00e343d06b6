// Level stretch selection rules, the popup and automatic levels, and the histogram average.
#include <gtest/gtest.h>

#include <cstring>

#include "adjust/histogram_average.h"
#include "adjust/levels.h"
#include "image/colour_stats.h"
#include "test_support.h"

// The statistics record these tests fill and read.
static ColourStats gStats;

namespace {
uint32_t Grey(int v) { return 0x010101u * (uint32_t)v; }
}

TEST(LevelSelect, AutoRulesStopWhenTheFirstTwoDecide) {
    EXPECT_EQ(ChooseHighlight({200, 220, 250}, kLevelAuto), 220); // R <= B decides; G is not consulted
    EXPECT_EQ(ChooseHighlight({230, 220, 250}, kLevelAuto), 250);
    EXPECT_EQ(ChooseHighlight({230, 220, 210}, kLevelAuto), 230);
    EXPECT_EQ(ChooseShadow({20, 10, 5}, kLevelAuto), 10);
    EXPECT_EQ(ChooseShadow({5, 10, 2}, kLevelAuto), 2);
    EXPECT_EQ(ChooseShadow({5, 10, 8}, kLevelAuto), 5);
    EXPECT_EQ(ChooseHighlight({100, 90, 250}, kLevelPicked), 90);
    EXPECT_EQ(ChooseHighlight({100, 120, 90}, kLevelPicked), 90);
    EXPECT_EQ(ChooseHighlight({100, 120, 130}, kLevelPopup), 100);
    EXPECT_EQ(ChooseShadow({10, 20, 0}, kLevelPicked), 20);
    EXPECT_EQ(ChooseShadow({30, 20, 40}, kLevelPicked), 40);
    // Only the low 16 bits take part in the comparisons.
    EXPECT_EQ(ChooseHighlight({0x10005, 6, 7}, kLevelAuto), 6);
    EXPECT_EQ(ChooseHighlight({0x10009, 6, 7}, kLevelAuto), 0x10009);
}

TEST(LevelStretch, PopupHighlightOf100) {
    DibOwner dib(PictureFromRows({{Grey(0), Grey(50), Grey(100), Grey(101), Grey(255)}}));
    ASSERT_EQ(LevelStretch(dib.get(), {100, 100, 100}, {0, 0, 0}, kLevelPopup), 1);
    std::vector<std::vector<uint32_t>> want = {{Grey(0), Grey(127), Grey(255), Grey(255), Grey(255)}};
    EXPECT_EQ(RowsOf(dib.get()), want) << HexGrid(RowsOf(dib.get()));
}

TEST(LevelStretch, PopupShadowTruncatesTowardZeroAndClamps) {
    DibOwner dib(PictureFromRows({{Grey(10), Grey(50), Grey(51), Grey(52), Grey(200)}}));
    ASSERT_EQ(LevelStretch(dib.get(), {255, 255, 255}, {50, 50, 50}, kLevelPopup), 1);
    // (51 - 50) * 255 / 205 = 1.24, (52 - 50) * 255 / 205 = 2.49, (200 - 50) * 255 / 205 = 186.6.
    std::vector<std::vector<uint32_t>> want = {{Grey(0), Grey(0), Grey(1), Grey(2), Grey(186)}};
    EXPECT_EQ(RowsOf(dib.get()), want) << HexGrid(RowsOf(dib.get()));
}

TEST(LevelStretch, SwitchesLimitOnlyThePopupMode) {
    DibOwner a(PhotoLikePicture(23, 19, 2)), b(PhotoLikePicture(23, 19, 2));
    auto before = RowsOf(a.get());
    ChannelSwitches sw;
    sw.green = false;
    ASSERT_EQ(LevelStretch(a.get(), {180, 180, 180}, {40, 40, 40}, kLevelPopup, sw), 1);
    ASSERT_EQ(LevelStretch(b.get(), {180, 180, 180}, {40, 40, 40}, kLevelPicked, sw), 1);
    auto rowsA = RowsOf(a.get()), rowsB = RowsOf(b.get());
    bool changed = false;
    for (size_t y = 0; y < before.size(); ++y)
        for (size_t x = 0; x < before[y].size(); ++x) {
            ASSERT_EQ(rowsA[y][x] & 0x00FF00, before[y][x] & 0x00FF00);
            changed |= (rowsB[y][x] & 0x00FF00) != (before[y][x] & 0x00FF00);
        }
    EXPECT_TRUE(changed);
    RecordPicture("adjust_levels_popup", a.get());
}

TEST(LevelAuto, HighlightUsesRedBlueGreenOrder) {
    // Largest R 200, B 220, G 250: H = 220, so green above 220 clips.
    DibOwner dib(PictureFromRows({{0xC8FADC, 0x000000, 0x646E6E}}));
    ASSERT_EQ(AutoHighlight(dib.get()), 1);
    // 200*255/220 = 231, 250 -> 255, 220 -> 255; 100*255/220 = 115, 110*255/220 = 127.
    std::vector<std::vector<uint32_t>> want = {{0xE7FFFF, 0x000000, 0x737F7F}};
    EXPECT_EQ(RowsOf(dib.get()), want) << HexGrid(RowsOf(dib.get()));
}

TEST(LevelAuto, FullRangePictureUnchanged) {
    DibOwner dib(PictureFromRows({{0x000000, 0xFFFFFF, 0x123456}}));
    auto before = RowsOf(dib.get());
    ASSERT_EQ(AutoHighlight(dib.get()), 1);
    ASSERT_EQ(AutoShadow(dib.get()), 1);
    EXPECT_EQ(RowsOf(dib.get()), before);
}

TEST(LevelAuto, ShadowUsesThePicturesOwnExtremesAndKeepsSharedStatistics) {
    // The shared statistics describe some other picture (a preview, say); the command must not use them.
    DibOwner other(PictureFromRows({{0x000000, 0xFFFFFF}}));
    {
        BlockLockGuard lock(other.get());
        CollectColourStats(lock.get(), kHistSetOther, &gStats);
    }
    ColourStats before = gStats;
    DibOwner dib(PictureFromRows({{0x283C50, 0xFFFFFF}})); // smallest R 40, G 60, B 80
    ASSERT_EQ(AutoShadow(dib.get()), 1);
    // mode 1 shadow from (40, 80, 60): 40 >= 80 fails, 40 >= 60 fails, so S = 40; 60 -> 23, 80 -> 47.
    std::vector<std::vector<uint32_t>> want = {{0x00172F, 0xFFFFFF}};
    EXPECT_EQ(RowsOf(dib.get()), want) << HexGrid(RowsOf(dib.get()));
    EXPECT_EQ(memcmp(&before, &gStats, sizeof before), 0);
}

TEST(LevelPopup, PanelEdgesGiveOneAnd254) {
    EXPECT_EQ(PopupLevel(100, 100, 355), 1);
    EXPECT_EQ(PopupLevel(355, 100, 355), 254);
    EXPECT_EQ(PopupLevel(227, 100, 355), 127); // (127*253)/255 + 1
    EXPECT_EQ(PopupLevel(50, 50, 50), 1); // a collapsed panel does not divide by zero
}

TEST(HistogramAverage, FewerThan256PixelsMapEverythingToZero) {
    DibOwner dib(PhotoLikePicture(15, 17));
    BlockLockGuard lock(dib.get());
    CollectColourStats(lock.get(), kHistSetInternal, &gStats);
    DibOwner out(HistogramAverage(dib.get(), gStats.raw[kHistSetInternal]));
    ASSERT_TRUE(out);
    for (const auto &row : RowsOf(out.get()))
        for (uint32_t p : row) ASSERT_EQ(p, 0u);
}

TEST(HistogramAverage, EvenHistogramKeepsLevelsAboveZero) {
    // Every level once per column of a 256 x 2 picture: each output level gets exactly its quota.
    DibOwner dib(PictureFrom(256, 2, [](int x, int) { return Grey(x); }));
    BlockLockGuard lock(dib.get());
    CollectColourStats(lock.get(), kHistSetInternal, &gStats);
    DibOwner out(HistogramAverage(dib.get(), gStats.raw[kHistSetInternal]));
    ASSERT_TRUE(out);
    auto rows = RowsOf(out.get());
    for (int x = 0; x < 256; ++x) EXPECT_EQ(rows[0][x], Grey(x == 0 ? 0 : x)) << x;
    RecordPicture("adjust_histogram_average_even", out.get());
}

TEST(HistogramAverage, SkewedPictureSpreadsItsLevels) {
    DibOwner dib(PictureFrom(64, 64, [](int x, int y) { return Grey((x * y) / 32); }));
    BlockLockGuard lock(dib.get());
    CollectColourStats(lock.get(), kHistSetInternal, &gStats);
    DibOwner out(HistogramAverage(dib.get(), gStats.raw[kHistSetInternal]));
    ASSERT_TRUE(out);
    unsigned char table[256];
    BuildAverageTable(gStats.raw[kHistSetInternal][kHistBlue], 64 * 64, table);
    // Dark levels dominate, so they are pulled up; the table never decreases.
    EXPECT_GT(table[10], 10 * 4);
    for (int v = 1; v < 256; ++v) EXPECT_GE(table[v], table[v - 1]) << v;
    auto rows = RowsOf(out.get());
    EXPECT_EQ(rows[10][10] & 255, table[(10 * 10) / 32]);
    RecordPicture("adjust_histogram_average_skewed", out.get());
}

TEST(HistogramAverage, WalkStopsAtLevelZeroForAForeignHistogram) {
    // Counts of nothing against a 25600-pixel picture: the walk runs out of counts and must stop at level 0.
    uint32_t empty[256] = {};
    unsigned char table[256];
    BuildAverageTable(empty, 25600, table);
    for (int v = 0; v < 256; ++v) EXPECT_EQ(table[v], 255) << v;
    uint32_t few[256] = {};
    few[3] = 5;
    BuildAverageTable(few, 256 * 1000, table);
    EXPECT_EQ(table[0], 255);
}

TEST(HistogramAverage, NoMemoryKeepsThePicture) {
    DibOwner dib(PhotoLikePicture(300, 300));
    BlockLockGuard lock(dib.get());
    CollectColourStats(lock.get(), kHistSetInternal, &gStats);
    BlockFailLargeAllocations(100000, 1);
    EXPECT_EQ(HistogramAverage(dib.get(), gStats.raw[kHistSetInternal]), nullptr);
    BlockFailLargeAllocations(0, 0);
}
