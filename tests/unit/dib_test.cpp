// The PackedDib rules: header info, strides, pixel access, the size guard, 24-bit conversion, statistics, palette.
#include <gtest/gtest.h>

#include <cstring>

#include "image/colour_stats.h"
#include "image/dib.h"
#include "image/full_colour.h"
#include "image/range_palette.h"
#include "test_support.h"

// The statistics record these tests fill and read.
static ColourStats gStats;

namespace {

// A palette picture block built by hand: header, table, then rows of raw bytes (bottom row first).
PackedDib PalettePicture(int bits, int width, int height, const std::vector<uint32_t> &table,
                         const std::vector<std::vector<unsigned char>> &storedRows, uint32_t clrUsed) {
    const size_t stride = (size_t)DibRowStride(width, bits);
    PackedDib dib = BlockAlloc(40 + 4 * table.size() + stride * height);
    BlockLockGuard lock(dib);
    DibHeader h{};
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = (uint16_t)bits;
    h.biClrUsed = clrUsed;
    memcpy(lock.get(), &h, 40);
    for (size_t i = 0; i < table.size(); ++i) memcpy(lock.get() + 40 + 4 * i, &table[i], 4);
    for (int r = 0; r < height; ++r)
        memcpy(lock.get() + 40 + 4 * table.size() + stride * r, storedRows[r].data(), storedRows[r].size());
    return dib;
}

} // namespace

TEST(DibInfo, FillsComputedSizeAndDefaultCount) {
    std::vector<uint32_t> table(256, 0);
    DibOwner dib(PalettePicture(8, 3, 2, table, {{1, 2, 3}, {4, 5, 6}}, 0));
    DibHeader h;
    ASSERT_EQ(DibInfo(dib.get(), &h), 1);
    EXPECT_EQ(h.biSizeImage, 8u); // 4-byte rows, two of them
    EXPECT_EQ(h.biClrUsed, 256u);

    DibOwner full(NewPicture24(5, 2));
    ASSERT_EQ(DibInfo(full.get(), &h), 1);
    EXPECT_EQ(h.biClrUsed, 0u);
    EXPECT_EQ(DibInfo(nullptr, &h), 0);
}

TEST(DibLayout, StridesPadTo4Bytes) {
    EXPECT_EQ(DibRowStride(1, 24), 4);
    EXPECT_EQ(DibRowStride(2, 24), 8);
    EXPECT_EQ(DibRowStride(3, 24), 12);
    EXPECT_EQ(DibRowStride(4, 24), 12);
    EXPECT_EQ(DibRowStride(33, 1), 8);
    EXPECT_EQ(DibRowStride(9, 4), 8);
    for (int w = 1; w < 40; ++w) EXPECT_EQ((size_t)DibRowStride(w, 24), Stride24(w));
}

TEST(DibLayout, SizeGuardRefusesWhatCannotWork) {
    EXPECT_EQ(DibBlockBytes(1, 1, 24), 44);
    EXPECT_EQ(DibBlockBytes(0, 5, 24), -1);
    EXPECT_EQ(DibBlockBytes(5, 0, 24), -1);
    EXPECT_EQ(DibBlockBytes(-3, 5, 24), -1);
    // 65536 x 65536 at 24 bits wraps to 0 in 32 bits; here it is refused.
    EXPECT_EQ(DibBlockBytes(65536, 65536, 24), -1);
    EXPECT_EQ(DibBlockBytes(0x7FFFFFFF, 0x7FFFFFFF, 24), -1);
    // Just under and just over 2^31 - 1 bytes.
    EXPECT_GT(DibBlockBytes(4, (0x7FFFFFFF - 40) / 12, 24), 0);
    EXPECT_EQ(DibBlockBytes(4, (0x7FFFFFFF - 40) / 12 + 1, 24), -1);
    EXPECT_EQ(NewPicture24(50000, 50000), nullptr);
}

TEST(DibPixels, ReadsEveryDepth) {
    // 4 bits: column 0 is the high nibble, column 1 the low one.
    DibOwner four(PalettePicture(4, 2, 1, {0x000000, 0x112233, 0x445566}, {{0x12, 0, 0, 0}}, 3));
    {
        BlockLockGuard lock(four.get());
        EXPECT_EQ(GetDibColor(lock.get(), 0, 0), 0x112233u);
        EXPECT_EQ(GetDibColor(lock.get(), 0, 1), 0x445566u);
    }
    // 1 bit: column 0 is the most significant bit of the row's first byte.
    DibOwner one(PalettePicture(1, 9, 1, {0x0000FF, 0xFF0000}, {{0x80, 0x80, 0, 0}}, 0));
    {
        BlockLockGuard lock(one.get());
        EXPECT_EQ(GetDibColor(lock.get(), 0, 0), 0xFF0000u);
        EXPECT_EQ(GetDibColor(lock.get(), 0, 1), 0x0000FFu);
        EXPECT_EQ(GetDibColor(lock.get(), 0, 8), 0xFF0000u);
    }
}

TEST(DibPixels, IndexPastTheTableReadsBlack) {
    // One table entry, pixel byte 255: must not read 1 KB past the block.
    DibOwner dib(PalettePicture(8, 1, 1, {0x123456}, {{255, 0, 0, 0}}, 1));
    BlockLockGuard lock(dib.get());
    EXPECT_EQ(GetDibColor(lock.get(), 0, 0), 0u);
}

TEST(DibPixels, SetWritesBlueGreenRedAndRefusesTheRest) {
    DibOwner dib(NewPicture24(2, 2));
    BlockLockGuard lock(dib.get());
    EXPECT_EQ(SetDibColor(lock.get(), 0, 0, 0xFF0000), 1);
    const unsigned char *px = DibPixels(lock.get());
    EXPECT_EQ(px[0], 0);
    EXPECT_EQ(px[1], 0);
    EXPECT_EQ(px[2], 0xFF);
    EXPECT_EQ(SetDibColor(lock.get(), 2, 0, 1), 0);
    EXPECT_EQ(SetDibColor(lock.get(), 0, -1, 1), 0);
    EXPECT_EQ(SetDibColor(lock.get(), 0, 2, 1), 0);

    std::vector<uint32_t> table(256, 0);
    DibOwner pal(PalettePicture(8, 1, 1, table, {{7, 0, 0, 0}}, 0));
    std::vector<unsigned char> before = BytesOf(pal.get());
    {
        BlockLockGuard plock(pal.get());
        EXPECT_EQ(SetDibColor(plock.get(), 0, 0, 0xFFFFFF), 0);
    }
    EXPECT_EQ(BytesOf(pal.get()), before);
}

TEST(FullColour, ExpandsThroughTheTable) {
    DibOwner src(PalettePicture(8, 3, 2, {0x0000FF, 0x00FF00, 0xFF0000},
                                {{0, 1, 2, 0}, {2, 1, 0, 0}}, 3));
    DibOwner full(ToFullColour(src.get(), 24));
    ASSERT_TRUE(full);
    DibHeader h;
    DibInfo(full.get(), &h);
    EXPECT_EQ(h.biBitCount, 24);
    EXPECT_EQ(h.biClrUsed, 0u);
    EXPECT_EQ(h.biSizeImage, 24u);
    auto rows = RowsOf(full.get());
    std::vector<std::vector<uint32_t>> want = {{0xFF0000, 0x00FF00, 0x0000FF}, {0x0000FF, 0x00FF00, 0xFF0000}};
    EXPECT_EQ(rows, want) << HexGrid(rows);
    EXPECT_EQ(ToFullColour(src.get(), 8), nullptr);
    RecordPicture("full_colour_8bit", full.get());
}

TEST(FullColour, RefusesABlockShorterThanItsRows) {
    // Header claims 100 rows but the block holds one: the conversion must not read past it.
    DibOwner src(PalettePicture(8, 4, 1, std::vector<uint32_t>(256, 0), {{1, 2, 3, 4}}, 0));
    {
        BlockLockGuard lock(src.get());
        reinterpret_cast<DibHeader *>(lock.get())->biHeight = 100;
    }
    EXPECT_EQ(ToFullColour(src.get(), 24), nullptr);
}

TEST(ColourStats, ExtremesAndHistograms) {
    DibOwner dib(PictureFromRows({{0x102030, 0x405060}, {0x102030, 0x0A0B0C}}));
    BlockLockGuard lock(dib.get());
    CollectColourStats(lock.get(), kHistSetInternal, &gStats);
    EXPECT_EQ(gStats.maxR, 0x40);
    EXPECT_EQ(gStats.minR, 0x0A);
    EXPECT_EQ(gStats.maxB, 0x60);
    EXPECT_EQ(gStats.minB, 0x0C);
    EXPECT_EQ(gStats.raw[0][kHistRed][0x10], 2u);
    EXPECT_EQ(gStats.raw[0][kHistBlue][0x30], 2u);
    // top = 2: a count of 2 scales to 255, a count of 1 to 127.
    EXPECT_EQ(gStats.scaled[0][kHistRed][0x10], 255u);
    EXPECT_EQ(gStats.scaled[0][kHistRed][0x40], 127u);
}

TEST(ColourStats, BlackAndWhiteScalesWithTopOne) {
    DibOwner dib(PictureFromRows({{0x000000, 0xFFFFFF, 0xFFFFFF}}));
    BlockLockGuard lock(dib.get());
    CollectColourStats(lock.get(), kHistSetOther, &gStats);
    EXPECT_EQ(gStats.scaled[1][kHistGreen][0], 255u);
    EXPECT_EQ(gStats.scaled[1][kHistGreen][255], 510u);
}

TEST(ColourStats, LargeCountsDoNotOverflowWhenScaled) {
    memset(gStats.raw[1], 0, sizeof gStats.raw[1]);
    gStats.raw[1][kHistRed][100] = 12000000;
    gStats.raw[1][kHistRed][101] = 6000000;
    ScaleHistogramSet(&gStats, 1);
    EXPECT_EQ(gStats.scaled[1][kHistRed][100], 255u);
    EXPECT_EQ(gStats.scaled[1][kHistRed][101], 127u);
}

TEST(RangePalette, CubeThenWrappingRedLevels) {
    PaletteEntryRgb e[256];
    MakeRangePaletteEntries(255, 255, 255, 0, 0, 0, e);
    EXPECT_EQ(e[0].red + e[0].green + e[0].blue, 0);
    EXPECT_EQ(e[215].red, 255);
    EXPECT_EQ(e[215].green, 255);
    EXPECT_EQ(e[215].blue, 255);
    EXPECT_EQ(e[1].blue, 51);
    EXPECT_EQ(e[216].red, (6 * 51) & 0xFF); // 306 wraps to 50
    EXPECT_EQ(e[255].red, (7 * 51) & 0xFF);
    EXPECT_EQ(e[7].flags, kPcNoCollapse);
}
