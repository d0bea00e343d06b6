// Widening picture rows to the screen's 32-bit words.
#include <gtest/gtest.h>

#include "image/row_convert.h"

TEST(RowConvert, EveryWidthGivesRedGreenBlueWords) {
    unsigned char src[3 * 7];
    for (int i = 0; i < 21; ++i) src[i] = (unsigned char)(i * 11 + 1);
    for (int count = 0; count <= 7; ++count) {
        uint32_t dst[8];
        for (uint32_t &d : dst) d = 0xDEADBEEF;
        ExpandRow24To32(src, dst, count);
        for (int x = 0; x < count; ++x) {
            uint32_t want = src[3 * x] | src[3 * x + 1] << 8 | src[3 * x + 2] << 16;
            EXPECT_EQ(dst[x], want) << "count " << count << " x " << x;
        }
        EXPECT_EQ(dst[count], 0xDEADBEEFu) << "wrote past the row";
    }
}
