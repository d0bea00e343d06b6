// Selective smoothing: the windowed kernel against the plain rule, worked examples, switches, the fingertip square
// and the run's progress.
#include <gtest/gtest.h>

#include "adjust/noise_run.h"
#include "platform/workers.h"
#include "filter_reference.h"
#include "test_host.h"
#include "test_support.h"

namespace {

uint32_t Grey(int v) { return 0x010101u * (uint32_t)v; }

NoiseRunSettings Smoothing(int threshold, bool jpeg = false) {
    NoiseRunSettings s;
    s.smoothing.threshold = threshold;
    s.smoothing.jpeg = jpeg;
    return s;
}

} // namespace

TEST(NoiseDivide, ReciprocalIsExactForEveryWeightedMean) {
    for (unsigned w = 1; w <= 25; ++w)
        for (unsigned s = 0; s <= 255 * w; ++s) ASSERT_EQ(DivideByWeight(s, w), s / w) << s << "/" << w;
}

TEST(NoiseFilter, MatchesThePlainRuleOnRandomPictures) {
    const int sizes[][2] = {{1, 1}, {1, 5}, {6, 1}, {2, 2}, {3, 3}, {17, 11}, {40, 9}};
    const bool all[3] = {true, true, true};
    int n = 0;
    for (const auto &sz : sizes)
        for (int threshold : {0, 7, 40, 100, 255})
            for (bool jpeg : {false, true}) {
                auto grid = reference::RandomGrid(sz[0], sz[1], (uint32_t)(sz[0] * 31 + threshold), 24);
                DibOwner dib(PictureFromRows(grid));
                ASSERT_EQ(NoiseRun(dib.get(), Smoothing(threshold, jpeg), false), 1);
                auto want = reference::Noise(grid, threshold, jpeg, all);
                ASSERT_EQ(RowsOf(dib.get()), want)
                    << sz[0] << "x" << sz[1] << " t=" << threshold << " jpeg=" << jpeg << HexGrid(RowsOf(dib.get()));
                if (sz[0] == 40) RecordPicture("adjust_noise_random_" + std::to_string(n++), dib.get());
            }
}

TEST(NoiseFilter, ThresholdZeroKeepsEveryPixel) {
    DibOwner dib(PhotoLikePicture(33, 21, 4));
    auto before = RowsOf(dib.get());
    ASSERT_EQ(NoiseRun(dib.get(), Smoothing(0), false), 1);
    EXPECT_EQ(RowsOf(dib.get()), before);
    ASSERT_EQ(NoiseRun(dib.get(), Smoothing(0, true), false), 1);
    EXPECT_EQ(RowsOf(dib.get()), before);
}

TEST(NoiseFilter, FullThresholdTurnsASpikeIntoItsWeightedMean) {
    reference::Grid g(5, std::vector<uint32_t>(5, Grey(100)));
    g[2][2] = Grey(200);
    DibOwner dib(PictureFromRows(g));
    ASSERT_EQ(NoiseRun(dib.get(), Smoothing(255), false), 1);
    auto rows = RowsOf(dib.get());
    EXPECT_EQ(rows[2][2], Grey((5 * 200 + 20 * 100) / 25)); // 120
    EXPECT_EQ(rows[1][1], Grey((2 * 200 + 23 * 100) / 25)); // a corner neighbour: 108
    EXPECT_EQ(rows[2][1], Grey((3 * 200 + 22 * 100) / 25)); // an edge neighbour: 112
    EXPECT_EQ(rows[0][0], Grey(100));
}

TEST(NoiseFilter, JpegToleranceFollowsTheCentreLevel) {
    NoiseSettings s;
    s.threshold = 100;
    s.jpeg = true;
    int allowed[256];
    BuildAllowedDifferences(s, allowed);
    EXPECT_EQ(allowed[126], 25);
    EXPECT_EQ(allowed[0], 98);
    EXPECT_EQ(allowed[255], 100);
    s.jpeg = false;
    BuildAllowedDifferences(s, allowed);
    EXPECT_EQ(allowed[126], 100);

    // At level 126 a neighbour 25 away is averaged in, one 26 away is not.
    DibOwner near(PictureFromRows({{Grey(126), Grey(151)}}));
    DibOwner far(PictureFromRows({{Grey(126), Grey(152)}}));
    ASSERT_EQ(NoiseRun(near.get(), Smoothing(100, true), false), 1);
    ASSERT_EQ(NoiseRun(far.get(), Smoothing(100, true), false), 1);
    EXPECT_EQ(RowsOf(near.get())[0][0], Grey((5 * 126 + 3 * 151) / 8));
    EXPECT_EQ(RowsOf(far.get())[0][0], Grey(126));
    // At level 0 the window reaches 98 levels.
    DibOwner dark(PictureFromRows({{Grey(0), Grey(98), Grey(99)}}));
    ASSERT_EQ(NoiseRun(dark.get(), Smoothing(100, true), false), 1);
    EXPECT_EQ(RowsOf(dark.get())[0][0], Grey(3 * 98 / 8));
}

TEST(NoiseFilter, SwitchedOffChannelsStayByteEqual) {
    for (int mask = 0; mask < 8; ++mask) {
        auto grid = reference::RandomGrid(19, 13, (uint32_t)mask + 50, 256);
        DibOwner dib(PictureFromRows(grid));
        NoiseRunSettings s = Smoothing(90, mask & 1);
        s.smoothing.channels.blue = mask & 1;
        s.smoothing.channels.green = mask & 2;
        s.smoothing.channels.red = mask & 4;
        ASSERT_EQ(NoiseRun(dib.get(), s, false), 1);
        const bool on[3] = {(mask & 1) != 0, (mask & 2) != 0, (mask & 4) != 0};
        EXPECT_EQ(RowsOf(dib.get()), reference::Noise(grid, 90, mask & 1, on)) << mask;
    }
}

TEST(NoiseFilter, UniformPicturesUnchangedByEverySmoothingFilter) {
    for (uint32_t colour : {0x000000u, 0xFFFFFFu, 0x7E3A91u}) {
        DibOwner dib(PictureFrom(9, 7, [&](int, int) { return colour; }));
        auto before = RowsOf(dib.get());
        NoiseRunSettings s = Smoothing(255);
        ASSERT_EQ(NoiseRun(dib.get(), s, false), 1);
        s.smoothing.jpeg = true;
        ASSERT_EQ(NoiseRun(dib.get(), s, false), 1);
        s.kind = kNoiseMinVariance;
        ASSERT_EQ(NoiseRun(dib.get(), s, false), 1);
        s.kind = kNoiseMedian;
        ASSERT_EQ(NoiseRun(dib.get(), s, false), 1);
        EXPECT_EQ(RowsOf(dib.get()), before);
    }
}

TEST(NoiseFingertip, SmoothsOnlyTheSquareAroundThePoint) {
    auto grid = reference::RandomGrid(30, 26, 9, 32);
    const bool all[3] = {true, true, true};
    auto full = reference::Noise(grid, 255, false, all);
    // A point 1 pixel from the top-left corner with radius 10: top-down rows and columns 0...11.
    DibOwner dib(PictureFromRows(grid));
    ASSERT_EQ(FingertipStroke(dib.get(), Smoothing(255), 1, 1, 10), 1);
    auto rows = RowsOf(dib.get());
    for (int y = 0; y < 26; ++y)
        for (int x = 0; x < 30; ++x)
            ASSERT_EQ(rows[y][x], (x <= 11 && y <= 11) ? full[y][x] : grid[y][x]) << x << "," << y;
    // A square in the middle, and one wholly outside the picture.
    DibOwner mid(PictureFromRows(grid));
    ASSERT_EQ(FingertipStroke(mid.get(), Smoothing(255), 15, 13, 2), 1);
    rows = RowsOf(mid.get());
    for (int y = 0; y < 26; ++y)
        for (int x = 0; x < 30; ++x)
            ASSERT_EQ(rows[y][x], (x >= 13 && x <= 17 && y >= 11 && y <= 15) ? full[y][x] : grid[y][x]);
    DibOwner outside(PictureFromRows(grid));
    ASSERT_EQ(FingertipStroke(outside.get(), Smoothing(255), 100, 100, 10), 1);
    EXPECT_EQ(RowsOf(outside.get()), grid);
    EXPECT_EQ(FingertipRadius(1), 10);
    EXPECT_EQ(FingertipRadius(2), 5);
    EXPECT_EQ(FingertipRadius(4), 2);
}

TEST(NoiseRun, ProgressBarOrCaptionOnlyForApplyRuns) {
    DibOwner dib(PhotoLikePicture(8, 20));
    ResetTestHost();
    ASSERT_EQ(NoiseRun(dib.get(), Smoothing(30), false), 1);
    EXPECT_EQ(TestHost().progressBegun, 0);
    EXPECT_TRUE(TestHost().statusTexts.empty());

    ASSERT_EQ(NoiseRun(dib.get(), Smoothing(30), true), 1);
    EXPECT_EQ(TestHost().progressBegun, 1);
    EXPECT_EQ(TestHost().progressEnded, 1);
    ASSERT_EQ(TestHost().progress.size(), 19u);
    EXPECT_EQ(TestHost().progress.front(), 5);
    EXPECT_EQ(TestHost().progress.back(), 95);

    ResetTestHost();
    TestHost().statusBarShown = false;
    ASSERT_EQ(NoiseRun(dib.get(), Smoothing(30), true), 1);
    ASSERT_EQ(TestHost().statusTexts.size(), 19u);
    EXPECT_EQ(TestHost().statusTexts.front(), "0:ﾉｲｽﾞ補正 5%");
    EXPECT_EQ(TestHost().statusTexts.back(), "0:ﾉｲｽﾞ補正 95%");
    EXPECT_EQ(TestHost().titleRestored, 1);
    ResetTestHost();
}

TEST(NoiseRun, RefusesWhatIsNotA24BitPicture) {
    EXPECT_EQ(NoiseRun(nullptr, Smoothing(10), true), 0);
    DibOwner tiny(BlockAlloc(20)); // shorter than a header
    EXPECT_EQ(NoiseRun(tiny.get(), Smoothing(10), true), 0);
    DibOwner lying(NewPicture24(4, 4));
    {
        BlockLockGuard lock(lying.get());
        reinterpret_cast<DibHeader *>(lock.get())->biHeight = 4000; // rows the block does not hold
    }
    EXPECT_EQ(NoiseRun(lying.get(), Smoothing(10), true), 0);
}

TEST(NoiseRun, NoMemoryForTheSavedRowsChangesNothingAtAnyThreadCount) {
    // The work allocator has reported the shortage by then; a retry with fewer threads must not edit the picture.
    for (int threads : {1, 2, 7}) {
        SetWorkerThreads(threads);
        DibOwner dib(PhotoLikePicture(300, 40, 4));
        const auto before = RowsOf(dib.get());
        BlockFailLargeAllocations(1000, 1); // the first scratch block only
        EXPECT_EQ(NoiseRun(dib.get(), Smoothing(200), false), 0) << threads;
        BlockFailLargeAllocations(0, 0);
        EXPECT_EQ(RowsOf(dib.get()), before) << threads;
    }
    SetWorkerThreads(0);
}
