// Cut, put and resample on 24-bit pictures.
#include <gtest/gtest.h>

#include "test_support.h"
#include "view/regions.h"

TEST(Regions, CopyRectKeepsTheRectanglesPixels) {
    DibOwner src(PictureFrom(4, 3, [](int x, int y) { return (uint32_t)(y * 16 + x); }));
    DibOwner part(CopyDibRect(src.get(), 1, 1, 3, 3));
    ASSERT_TRUE(part);
    auto rows = RowsOf(part.get());
    std::vector<std::vector<uint32_t>> want = {{0x11, 0x12}, {0x21, 0x22}};
    EXPECT_EQ(rows, want) << HexGrid(rows);
    EXPECT_EQ(CopyDibRect(src.get(), 2, 2, 2, 3), nullptr); // zero width
    EXPECT_EQ(CopyDibRect(src.get(), 3, 0, 1, 2), nullptr); // right before left
}

TEST(Regions, PutAtOriginReproducesAndClipsOutside) {
    DibOwner src(PictureFrom(3, 2, [](int x, int y) { return (uint32_t)(0x010101 * (x + 3 * y + 1)); }));
    DibOwner canvas(NewPicture24(3, 2));
    PutPicture(canvas.get(), src.get(), 0, 0);
    EXPECT_EQ(RowsOf(canvas.get()), RowsOf(src.get()));

    DibOwner small(NewPicture24(2, 2));
    PutPicture(small.get(), src.get(), -1, 1); // mostly outside
    auto rows = RowsOf(small.get());
    std::vector<std::vector<uint32_t>> want = {{0, 0}, {0x020202, 0x030303}};
    EXPECT_EQ(rows, want) << HexGrid(rows);
    PutPicture(small.get(), src.get(), 100, -100); // wholly outside: nothing happens
}

TEST(Resample, EqualSizeCopies) {
    DibOwner src(PhotoLikePicture(13, 7));
    DibOwner dst(NewPicture24(13, 7));
    ASSERT_EQ(ResampleInto(dst.get(), src.get()), 1);
    EXPECT_EQ(RowsOf(dst.get()), RowsOf(src.get()));
}

TEST(Resample, HalvingTakesLastRowAndFirstColumn) {
    // Top-down rows 0..3 are storage rows 3..0; storage rows 1 and 3 are top-down rows 2 and 0.
    DibOwner src(PictureFrom(4, 4, [](int x, int y) { return (uint32_t)(y * 16 + x); }));
    DibOwner dst(NewPicture24(2, 2));
    ASSERT_EQ(ResampleInto(dst.get(), src.get()), 1);
    auto rows = RowsOf(dst.get());
    std::vector<std::vector<uint32_t>> want = {{0x00, 0x02}, {0x20, 0x22}};
    EXPECT_EQ(rows, want) << HexGrid(rows);
}

TEST(Resample, DoublingRepeatsRowsAndColumns) {
    DibOwner src(PictureFromRows({{1, 2}, {3, 4}}));
    DibOwner dst(NewPicture24(4, 4));
    ASSERT_EQ(ResampleInto(dst.get(), src.get()), 1);
    auto rows = RowsOf(dst.get());
    std::vector<std::vector<uint32_t>> want = {{1, 1, 2, 2}, {1, 1, 2, 2}, {3, 3, 4, 4}, {3, 3, 4, 4}};
    EXPECT_EQ(rows, want) << HexGrid(rows);
    RecordPicture("resample_double", dst.get());
}

TEST(Resample, RefusesEmptySizes) {
    DibOwner src(PictureFromRows({{1}}));
    DibOwner dst(MakePicture(40, 0, 3, 1 | (24 << 16), 0, 0, 0, 0, 0, 0));
    EXPECT_FALSE(dst);
    EXPECT_EQ(ResampleInto(nullptr, src.get()), 0);
}

TEST(MakePicture, NoTableAt24BitsAndRecomputedSize) {
    DibOwner dib(MakePicture(40, 5, 3, 1 | (24 << 16), 0, 1, 0, 0, 256, 0));
    ASSERT_TRUE(dib);
    // A caller's biSizeImage of 1 must not shrink the block.
    EXPECT_GE(BlockSize(dib.get()), 40u + 16 * 3);
    DibHeader h;
    DibInfo(dib.get(), &h);
    EXPECT_EQ(h.biSizeImage, 1u);
    EXPECT_EQ(MakePicture(40, 70000, 70000, 1 | (24 << 16), 0, 0, 0, 0, 0, 0), nullptr);
}
