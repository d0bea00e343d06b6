// The decoder's arithmetic kernels: the inverse DCT with its 16-bit cuts and the colour store, each with known
// answers and with the vector paths held to the plain statement on extreme values.
#include <gtest/gtest.h>

#include <cstring>

#include "formats/jpeg_colour.h"
#include "formats/jpeg_idct.h"
#include "test_support.h"

namespace {

uint32_t gSeed = 12345;
int16_t RandomValue(int range) {
    gSeed = gSeed * 1103515245u + 12345u;
    const int v = (int)((gSeed >> 8) % (uint32_t)(2 * range + 1)) - range;
    return (int16_t)v;
}

} // namespace

TEST(JpegIdct, DcOnlyBlockIsFlatAtDcOverEight) {
    for (int dc : {1024, 1023, -9, 0, 32767, -32768}) {
        int16_t b[64] = {};
        b[0] = (int16_t)dc;
        JpegIdct(b);
        for (int i = 0; i < 64; ++i) ASSERT_EQ(b[i], (int16_t)(dc >> 3)) << dc;
    }
}

TEST(JpegIdct, ShiftedCopiesAreCutTo16BitsBeforeTheSum) {
    // x1 = 1024 in row 0: 32 x 1024 = 32768 becomes -32768, so 44 x1 is -32768 + 8192 + 4096 = -20480, not 45056.
    int16_t b[64] = {};
    b[1] = 1024;
    int16_t plain[64];
    memcpy(plain, b, sizeof b);
    JpegIdctPlain(plain);
    EXPECT_EQ(plain[0], (32 * (-20480 >> 5)) >> 8); // the row pass gives -640; the column pass 32 x -640 >> 8
    JpegIdct(b);
    EXPECT_EQ(memcmp(b, plain, sizeof b), 0);
    // The same input one step smaller is exact: 44 x 1023 >> 5 = 1406, then 32 x 1406 >> 8 = 175.
    int16_t c[64] = {};
    c[1] = 1023;
    JpegIdct(c);
    EXPECT_EQ(c[0], 175);
}

TEST(JpegIdct, VectorPathMatchesThePlainStatementOnEveryRange) {
    // Small values (no cut happens), values around the cut threshold, and the full 16-bit range.
    for (int range : {60, 900, 1030, 1200, 4000, 32767}) {
        for (int trial = 0; trial < 400; ++trial) {
            int16_t a[64], b[64];
            for (int i = 0; i < 64; ++i) a[i] = (trial & 1) && i > 10 ? 0 : RandomValue(range);
            memcpy(b, a, sizeof a);
            JpegIdct(a);
            JpegIdctPlain(b);
            ASSERT_EQ(memcmp(a, b, sizeof a), 0) << "range " << range << " trial " << trial;
        }
    }
}

TEST(JpegColour, PixelRuleKnownAnswers) {
    uint8_t p[3];
    ConvertJpegPixel(128, 0, 0, p);
    EXPECT_EQ((std::vector<int>{p[0], p[1], p[2]}), (std::vector<int>{128, 128, 128}));
    ConvertJpegPixel(100, 20, -10, p); // B 1600+480, G 1600-180+120, R 1600-200
    EXPECT_EQ((std::vector<int>{p[0], p[1], p[2]}), (std::vector<int>{130, 96, 87}));
    ConvertJpegPixel(255, 1, 1, p); // 4080 + 24 reaches 4096: 255; G 4080 - 21 = 4059 >> 4 = 253
    EXPECT_EQ((std::vector<int>{p[0], p[1], p[2]}), (std::vector<int>{255, 253, 255}));
    ConvertJpegPixel(0, -1, 1, p); // below 0 gives 0
    EXPECT_EQ((std::vector<int>{p[0], p[1], p[2]}), (std::vector<int>{0, 0, 1}));
}

TEST(JpegColour, StoredMcusMatchThePixelRuleForEveryLayout) {
    // Extreme decoded values through the vector path (8 columns) and the tail path (fewer), with replication.
    for (int h = 1; h <= 2; ++h) {
        for (int v = 1; v <= 2; ++v) {
            const int n = h * v + 2;
            std::vector<int16_t> blocks(64 * n);
            for (auto &x : blocks) x = RandomValue(gSeed & 1 ? 400 : 32767);
            for (int cols : {8 * h, 8 * h - 3}) {
                const int w = 8 * h, rows = 8 * v;
                std::vector<uint8_t> out(3 * w * rows, 0xAA);
                StoreColourMcu(blocks.data(), h, v, out.data(), 3 * w, cols, rows);
                for (int y = 0; y < rows; ++y) {
                    for (int x = 0; x < w; ++x) {
                        const uint8_t *got = &out[3 * (w * y + x)];
                        if (x >= cols) {
                            EXPECT_EQ(got[0], 0xAA) << "stored beyond the columns";
                            continue;
                        }
                        const int yv = blocks[64 * ((y / 8) * h + x / 8) + 8 * (y % 8) + x % 8];
                        const int ci = 8 * (y / v) + x / h;
                        uint8_t want[3];
                        ConvertJpegPixel(yv, blocks[64 * h * v + ci], blocks[64 * (h * v + 1) + ci], want);
                        ASSERT_EQ(memcmp(got, want, 3), 0) << h << "x" << v << " x=" << x << " y=" << y;
                    }
                }
            }
        }
    }
}

TEST(JpegColour, GreyIsClampedIntoAllThreeBytes) {
    int16_t b[64];
    for (int i = 0; i < 64; ++i) b[i] = (int16_t)(i * 9 - 200);
    for (int cols : {8, 5}) {
        std::vector<uint8_t> out(24 * 8, 0xAA);
        StoreGreyMcu(b, out.data(), 24, cols, 8);
        for (int i = 0; i < 64; ++i) {
            const int x = i % 8;
            const int want = x >= cols ? 0xAA : b[i] < 0 ? 0 : b[i] > 255 ? 255 : b[i];
            for (int c = 0; c < 3; ++c) ASSERT_EQ(out[3 * i + c], want) << i;
        }
    }
}
