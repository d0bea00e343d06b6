// Density and contrast tables, the channel switch rule and the density run's progress.
#include <gtest/gtest.h>

#include <cmath>

#include "adjust/tone.h"
#include "test_host.h"
#include "test_support.h"

TEST(ToneSine, TableHoldsRoundedQuarterSine) {
    EXPECT_EQ(ContrastSine(0), 0.0f);
    EXPECT_EQ(ContrastSine(32), 0.70711f);
    EXPECT_EQ(ContrastSine(63), 0.99970f);
    for (int i = 0; i < 64; ++i) EXPECT_NEAR(ContrastSine(i), std::sin(i * 3.14159265358979323846 / 128), 0.5e-5 + 1e-7) << i;
    EXPECT_EQ(ContrastShape(63), ContrastShape(64));
    EXPECT_EQ(ContrastShape(191), ContrastShape(192));
    EXPECT_EQ(ContrastShape(200), -ContrastSine(55));
}

TEST(ToneDensity, WorkedExamples) {
    EXPECT_EQ(DensityLevel(64, 64), 112);
    EXPECT_EQ(DensityLevel(128, 64), 192);
    EXPECT_EQ(DensityLevel(192, 64), 240);
    EXPECT_EQ(DensityLevel(64, -64), 16);
    EXPECT_EQ(DensityLevel(128, -64), 64);
    EXPECT_EQ(DensityLevel(192, -64), 144);
    for (int c = -65; c <= 65; ++c) {
        EXPECT_EQ(DensityLevel(0, c), 0) << c;
        EXPECT_EQ(DensityLevel(128, c), 128 + c) << c; // the shift at mid-grey equals c
        for (int v = 0; v < 256; ++v) {
            const int out = DensityLevel(v, c);
            EXPECT_TRUE(out >= 0 && out <= 255) << v << " " << c;
        }
    }
}

TEST(ToneDensity, WhiteDropsOnlyFromMinus33Down) {
    // The two truncations cancel for small negative values; the worked example's "255 -> 254" holds from -33.
    for (int c = -1; c >= -32; --c) EXPECT_EQ(DensityLevel(255, c), 255) << c;
    for (int c = -33; c >= -65; --c) EXPECT_EQ(DensityLevel(255, c), 254) << c;
    for (int c = 1; c <= 65; ++c) EXPECT_EQ(DensityLevel(255, c), 255) << c;
}

TEST(ToneContrast, WorkedExamplesAndFixedLevels) {
    EXPECT_EQ(ContrastLevel(64, 64), 24);
    EXPECT_EQ(ContrastLevel(192, 64), 231);
    EXPECT_EQ(ContrastLevel(64, -64), 103);
    EXPECT_EQ(ContrastLevel(192, -64), 152);
    EXPECT_EQ(ContrastLevel(63, 64), 63 - (64 - 24));
    EXPECT_EQ(ContrastLevel(191, 64), 191 + (231 - 192));
    for (int k = -65; k <= 65; ++k) {
        for (int v : {0, 127, 128, 255}) EXPECT_EQ(ContrastLevel(v, k), v) << v << " " << k;
        for (int v = 0; v < 256; ++v) {
            const int out = ContrastLevel(v, k);
            EXPECT_TRUE(out >= 0 && out <= 255) << v << " " << k;
        }
    }
}

TEST(ToneRun, SwitchedOffChannelGetsDensityButNoContrast) {
    DibOwner dib(PictureFromRows({{0x404040, 0xC0C0C0}}));
    ToneSettings s;
    s.densityBlue = 64;
    s.contrast = 64;
    s.channels.blue = false;
    ASSERT_EQ(ToneRun(dib.get(), s), 1);
    // Red and green: contrast only (64 -> 24, 192 -> 231). Blue: density only (64 -> 112, 192 -> 240).
    std::vector<std::vector<uint32_t>> want = {{0x181870, 0xE7E7F0}};
    EXPECT_EQ(RowsOf(dib.get()), want) << HexGrid(RowsOf(dib.get()));
}

TEST(ToneRun, MatchesTablesOnPhotoAndRecords) {
    DibOwner dib(PhotoLikePicture(61, 37, 5));
    auto before = RowsOf(dib.get());
    ToneSettings s;
    s.densityRed = 30;
    s.densityGreen = -20;
    s.densityBlue = -65;
    s.contrast = -40;
    s.channels.green = false;
    ASSERT_EQ(ToneRun(dib.get(), s), 1);
    auto after = RowsOf(dib.get());
    for (size_t y = 0; y < before.size(); ++y) {
        for (size_t x = 0; x < before[y].size(); ++x) {
            const uint32_t p = before[y][x], q = after[y][x];
            ASSERT_EQ((int)(q >> 16), ContrastLevel(DensityLevel(p >> 16, 30), -40));
            ASSERT_EQ((int)(q >> 8 & 255), DensityLevel(p >> 8 & 255, -20));
            ASSERT_EQ((int)(q & 255), ContrastLevel(DensityLevel(p & 255, -65), -40));
        }
    }
    RecordPicture("adjust_tone_photo", dib.get());
}

TEST(ToneRun, ProgressInFivePercentStepsOnlyWithStatusBar) {
    DibOwner dib(PhotoLikePicture(8, 40));
    ToneSettings s;
    s.contrast = 10;
    ResetTestHost();
    ASSERT_EQ(ToneRun(dib.get(), s), 1);
    std::vector<int> want;
    for (int p = 5; p < 100; p += 5) want.push_back(p);
    EXPECT_EQ(TestHost().progress, want);
    EXPECT_EQ(TestHost().progressBegun, 1);
    EXPECT_EQ(TestHost().progressEnded, 1);

    ResetTestHost();
    TestHost().statusBarShown = false;
    ASSERT_EQ(ToneRun(dib.get(), s), 1);
    EXPECT_TRUE(TestHost().statusTexts.empty());
    EXPECT_EQ(TestHost().progressBegun, 0);
    ResetTestHost();
}
