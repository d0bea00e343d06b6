// Minimum-variance averaging: shared column sums against the per-mask rule, ties, switches, and the borders.
#include <gtest/gtest.h>

#include "adjust/noise_run.h"
#include "filter_reference.h"
#include "test_support.h"

namespace {

uint32_t Grey(int v) { return 0x010101u * (uint32_t)v; }

int RunMinVariance(PackedDib dib, ChannelSwitches sw = ChannelSwitches()) {
    NoiseRunSettings s;
    s.kind = kNoiseMinVariance;
    s.smoothing.channels = sw;
    return NoiseRun(dib, s, false);
}

} // namespace

TEST(MinVariance, MatchesThePerMaskRuleOnRandomPictures) {
    const int sizes[][2] = {{1, 1}, {1, 6}, {7, 1}, {2, 3}, {4, 4}, {5, 5}, {6, 9}, {31, 14}, {97, 6}}; // 97: past a block
    const bool all[3] = {true, true, true};
    for (const auto &sz : sizes)
        for (int levels : {2, 5, 256}) { // few levels make equal spreads common
            auto grid = reference::RandomGrid(sz[0], sz[1], (uint32_t)(sz[0] * 13 + sz[1] * 3 + levels), levels);
            DibOwner dib(PictureFromRows(grid));
            ASSERT_EQ(RunMinVariance(dib.get()), 1);
            ASSERT_EQ(RowsOf(dib.get()), reference::MinVariance(grid, all))
                << sz[0] << "x" << sz[1] << " levels " << levels << HexGrid(RowsOf(dib.get()));
            if (sz[0] == 31) RecordPicture("adjust_minvar_random_" + std::to_string(levels), dib.get());
        }
}

TEST(MinVariance, EarlierMaskWinsEqualSpreads) {
    // Around the centre, mask 4 (mean 21) and mask 6 (mean 31) share the smallest spread, 487.
    // Top-down rows; the bottom row here is stored row 0.
    const int g[5][5] = {{10, 30, 10, 30, 40}, {20, 40, 10, 10, 20}, {40, 40, 40, 20, 20},
                         {10, 40, 30, 20, 20}, {20, 20, 30, 40, 10}};
    reference::Grid grid(5, std::vector<uint32_t>(5));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) grid[y][x] = Grey(g[y][x]);
    DibOwner dib(PictureFromRows(grid));
    ASSERT_EQ(RunMinVariance(dib.get()), 1);
    EXPECT_EQ(RowsOf(dib.get())[2][2], Grey(21));
}

TEST(MinVariance, UniformAreaKeepsItsLevelAndALoneCentreCanWin) {
    DibOwner flat(PictureFrom(6, 6, [](int, int) { return Grey(77); }));
    ASSERT_EQ(RunMinVariance(flat.get()), 1);
    for (const auto &row : RowsOf(flat.get()))
        for (uint32_t p : row) ASSERT_EQ(p, Grey(77));
    // A corner pixel: its masks hold 1 to 4 present cells. Mask 0 keeps only the centre (spread 0, mean 200),
    // although the full square would average the three dark neighbours in.
    DibOwner corner(PictureFromRows({{Grey(200), Grey(0)}, {Grey(0), Grey(0)}}));
    ASSERT_EQ(RunMinVariance(corner.get()), 1);
    EXPECT_EQ(RowsOf(corner.get())[0][0], Grey(200));
}

TEST(MinVariance, SwitchedOffChannelsStayByteEqual) {
    auto grid = reference::RandomGrid(21, 11, 5, 256);
    for (int mask = 0; mask < 8; ++mask) {
        ChannelSwitches sw;
        sw.blue = mask & 1;
        sw.green = mask & 2;
        sw.red = mask & 4;
        DibOwner dib(PictureFromRows(grid));
        ASSERT_EQ(RunMinVariance(dib.get(), sw), 1);
        const bool on[3] = {sw.blue, sw.green, sw.red};
        EXPECT_EQ(RowsOf(dib.get()), reference::MinVariance(grid, on)) << mask;
    }
}
