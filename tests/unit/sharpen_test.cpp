// Sharpen: overshoot at a step edge, truncation toward zero, and a clean abandon when memory is short.
#include <gtest/gtest.h>

#include "adjust/sharpen.h"
#include "filter_reference.h"
#include "test_host.h"
#include "test_support.h"

namespace {
uint32_t Grey(int v) { return 0x010101u * (uint32_t)v; }
}

TEST(Sharpen, StepEdgeOvershootsByTheFullOrHalfDifference) {
    // Three rows of 50 50 50 | 150 150 150. Middle row at the step: smoothed 78 and 122 (weights 7/11/7 of 25);
    // top and bottom rows: 1400/18 = 77 and 2200/18 = 122.
    DibOwner dib(PictureFrom(6, 3, [](int x, int) { return Grey(x < 3 ? 50 : 150); }));
    DibOwner strong(Sharpen(dib.get(), true, false));
    DibOwner soft(Sharpen(dib.get(), false, false));
    ASSERT_TRUE(strong);
    ASSERT_TRUE(soft);
    auto s = RowsOf(strong.get()), w = RowsOf(soft.get());
    EXPECT_EQ(s[1][2], Grey(22));  // 50 + (50 - 78)
    EXPECT_EQ(s[1][3], Grey(178)); // 150 + (150 - 122)
    EXPECT_EQ(w[1][2], Grey(36));  // 50 + (-28) / 2
    EXPECT_EQ(w[1][3], Grey(164));
    EXPECT_EQ(s[0][2], Grey(23));
    EXPECT_EQ(w[0][2], Grey(37)); // 50 + (-27) / 2: -13.5 truncates toward zero
    EXPECT_EQ(w[2][3], Grey(164));
    EXPECT_EQ(s[1][0], Grey(50)); // away from the step nothing moves
    RecordPicture("adjust_sharpen_step_strong", strong.get());
    RecordPicture("adjust_sharpen_step_soft", soft.get());
}

TEST(Sharpen, MatchesSmoothingThenCombiningOnRandomPictures) {
    // Widths around the eight-byte groups of the inside and the pixels left over at either end.
    const bool all[3] = {true, true, true};
    for (int w : {1, 2, 3, 4, 5, 6, 9, 17, 40})
        for (int levels : {2, 256}) {
            auto grid = reference::RandomGrid(w, 4, (uint32_t)(w * 7 + levels), levels);
            const auto smooth = reference::Noise(grid, 255, false, all);
            DibOwner dib(PictureFromRows(grid));
            for (int divisor : {1, 2}) {
                DibOwner out(Sharpen(dib.get(), divisor == 1, false));
                ASSERT_TRUE(out);
                auto want = grid;
                for (size_t y = 0; y < grid.size(); ++y)
                    for (int x = 0; x < w; ++x)
                        for (int ch = 0; ch < 3; ++ch) {
                            const int v = reference::Level(grid, x, (int)y, ch);
                            const int q = v + (v - reference::Level(smooth, x, (int)y, ch)) / divisor;
                            want[y][x] = reference::Put(want[y][x], ch, q < 0 ? 0 : q > 255 ? 255 : q);
                        }
                ASSERT_EQ(RowsOf(out.get()), want) << w << " wide, levels " << levels << ", divisor " << divisor;
            }
        }
}

TEST(Sharpen, ClampsAndLeavesUniformPicturesAlone) {
    DibOwner dib(PictureFromRows({{Grey(0), Grey(255), Grey(0)}, {Grey(255), Grey(0), Grey(255)}}));
    DibOwner out(Sharpen(dib.get(), true, false));
    ASSERT_TRUE(out);
    std::vector<std::vector<uint32_t>> want = {{Grey(0), Grey(255), Grey(0)}, {Grey(255), Grey(0), Grey(255)}};
    EXPECT_EQ(RowsOf(out.get()), want);
    DibOwner flat(PictureFrom(5, 4, [](int, int) { return 0x80FF01u; }));
    DibOwner same(Sharpen(flat.get(), false, false));
    ASSERT_TRUE(same);
    EXPECT_EQ(RowsOf(same.get()), RowsOf(flat.get()));
}

TEST(Sharpen, PhotoRecordsAndProgressBarIsNotAdvanced) {
    DibOwner dib(PhotoLikePicture(45, 33, 2));
    ResetTestHost();
    DibOwner out(Sharpen(dib.get(), false, true));
    ASSERT_TRUE(out);
    EXPECT_EQ(TestHost().progressBegun, 1);
    EXPECT_EQ(TestHost().progressEnded, 1);
    EXPECT_TRUE(TestHost().progress.empty());
    ResetTestHost();
    RecordPicture("adjust_sharpen_photo", out.get());
}

TEST(Sharpen, NoMemoryAbandonsCleanly) {
    DibOwner dib(PhotoLikePicture(200, 100));
    auto before = BytesOf(dib.get());
    ResetTestHost();
    BlockFailLargeAllocations(50000, 1);
    EXPECT_EQ(Sharpen(dib.get(), true, true), nullptr);
    BlockFailLargeAllocations(0, 0);
    EXPECT_EQ(BytesOf(dib.get()), before);
    EXPECT_EQ(TestHost().progressBegun, TestHost().progressEnded);
    ResetTestHost();
}
