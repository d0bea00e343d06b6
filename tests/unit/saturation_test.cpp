// Saturation: worked examples, grey at -64, single-precision rounding, and the run's caption text.
#include <gtest/gtest.h>

#include "adjust/saturation.h"
#include "test_host.h"
#include "test_support.h"

namespace {

// Bytes in storage order (blue, green, red).
std::vector<int> Saturated(int b, int g, int r, int s) {
    unsigned char p[3] = {(unsigned char)b, (unsigned char)g, (unsigned char)r};
    SaturatePixel(p, s);
    return {p[0], p[1], p[2]};
}

} // namespace

TEST(Saturation, WorkedExamples) {
    EXPECT_EQ(Saturated(100, 150, 200, 64), (std::vector<int>{50, 150, 250})); // headroom 1.1 -> 1
    EXPECT_EQ(Saturated(0, 128, 255, 64), (std::vector<int>{0, 128, 255}));    // headroom 0
    EXPECT_EQ(Saturated(100, 150, 200, -64), (std::vector<int>{150, 150, 150}));
    EXPECT_EQ(Saturated(0, 128, 255, -64), (std::vector<int>{127, 127, 127}));
    EXPECT_EQ(Saturated(100, 150, 200, -32), (std::vector<int>{125, 150, 175}));
    EXPECT_EQ(Saturated(40, 40, 40, 64), (std::vector<int>{40, 40, 40}));
}

TEST(Saturation, MinusSixtyFourMakesGreyAtTheIntegerMean) {
    DibOwner dib(PhotoLikePicture(40, 30, 8));
    auto before = RowsOf(dib.get());
    ASSERT_EQ(SaturationRun(dib.get(), -200, false), 1); // clamped to -64
    auto after = RowsOf(dib.get());
    for (size_t y = 0; y < before.size(); ++y)
        for (size_t x = 0; x < before[y].size(); ++x) {
            const uint32_t p = before[y][x];
            const uint32_t e = ((p & 255) + (p >> 8 & 255) + (p >> 16)) / 3;
            ASSERT_EQ(after[y][x], e * 0x010101u);
        }
}

TEST(Saturation, RoundsInSinglePrecision) {
    // Pixels where double arithmetic gives another byte.
    EXPECT_EQ(Saturated(10, 84, 162, 32), (std::vector<int>{4, 83, 167}));
    EXPECT_EQ(Saturated(137, 147, 36, 32), (std::vector<int>{144, 157, 17}));
    EXPECT_EQ(Saturated(50, 170, 179, 32), (std::vector<int>{25, 181, 192}));
    EXPECT_EQ(Saturated(56, 192, 215, 40), (std::vector<int>{20, 205, 236}));
    EXPECT_EQ(Saturated(109, 22, 16, 44), (std::vector<int>{129, 12, 5}));
}

TEST(Saturation, PositiveValuesKeepEveryChannelInRangeAndRecord) {
    DibOwner dib(PhotoLikePicture(64, 48, 3));
    auto before = RowsOf(dib.get());
    ASSERT_EQ(SaturationRun(dib.get(), 64, false), 1);
    auto after = RowsOf(dib.get());
    for (size_t y = 0; y < before.size(); ++y)
        for (size_t x = 0; x < before[y].size(); ++x) {
            // The order of the channels (the hue) is kept.
            const uint32_t p = before[y][x], q = after[y][x];
            const int pb = p & 255, pg = p >> 8 & 255, qb = q & 255, qg = q >> 8 & 255;
            ASSERT_EQ(pb < pg, qb < qg || (pb < pg && qb == qg)) << std::hex << p << " " << q;
        }
    RecordPicture("adjust_saturation_plus64", dib.get());
    ASSERT_EQ(SaturationRun(dib.get(), -23, false), 1);
    RecordPicture("adjust_saturation_minus23", dib.get());
}

TEST(Saturation, RowsAgreeWithThePixelRuleEverywhere) {
    // Rows look the headroom up in a table; a wide spread of (level, mean) pairs must give the pixel rule.
    for (int s : {1, 17, 32, 63, 64, -1, -40}) {
        DibOwner dib(PictureFrom(256, 64, [](int x, int y) { return (uint32_t)(x << 16 | (y * 4) << 8 | (255 - x + y) % 256); }));
        auto before = RowsOf(dib.get());
        ASSERT_EQ(SaturationRun(dib.get(), s, false), 1);
        auto after = RowsOf(dib.get());
        for (size_t y = 0; y < before.size(); ++y)
            for (size_t x = 0; x < before[y].size(); ++x) {
                const uint32_t p = before[y][x];
                auto want = Saturated(p & 255, p >> 8 & 255, p >> 16, s);
                ASSERT_EQ(after[y][x], (uint32_t)(want[2] << 16 | want[1] << 8 | want[0])) << s << " " << std::hex << p;
            }
    }
}

TEST(Saturation, CaptionTextWhenTheStatusBarIsHidden) {
    DibOwner dib(PhotoLikePicture(4, 10));
    ResetTestHost();
    TestHost().statusBarShown = false;
    ASSERT_EQ(SaturationRun(dib.get(), 10, true), 1);
    std::vector<std::string> want;
    for (int p = 10; p < 100; p += 10) want.push_back("0:彩度補正 " + std::to_string(p) + "%");
    EXPECT_EQ(TestHost().statusTexts, want);
    ResetTestHost();
}
