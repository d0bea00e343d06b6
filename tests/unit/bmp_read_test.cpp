// The BMP reader and its 24-bit conversions: worked examples, every layout, and hostile files built in memory.
#include <gtest/gtest.h>

#include "bmp_test_files.h"
#include "formats/bmp_read.h"
#include "formats/stepwise_seek.h"
#include "test_host.h"
#include "test_support.h"

namespace {

PackedDib Open(const BmpSpec &s, OpenReport *report = nullptr) {
    std::vector<unsigned char> bytes = MakeBmpBytes(s);
    return OpenBmpMemory(bytes.data(), bytes.size(), report);
}

// 24-bit rows (bottom row first in the file) from top-down 0xRRGGBB rows.
std::vector<unsigned char> Rows24(const std::vector<std::vector<uint32_t>> &rows) {
    std::vector<unsigned char> out;
    for (size_t i = rows.size(); i-- > 0;) {
        for (uint32_t c : rows[i]) {
            out.push_back(c & 0xFF);
            out.push_back((c >> 8) & 0xFF);
            out.push_back((c >> 16) & 0xFF);
        }
        while (out.size() % 4) out.push_back(0);
    }
    return out;
}

void ExpectFullColourHeader(PackedDib dib, int width, int height) {
    DibHeader h;
    ASSERT_EQ(DibInfo(dib, &h), 1);
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, width);
    EXPECT_EQ(h.biHeight, height);
    EXPECT_EQ(h.biBitCount, 24);
    EXPECT_EQ(h.biCompression, 0u);
    EXPECT_EQ(h.biClrUsed, 0u);
    EXPECT_GE(BlockSize(dib), 40 + Stride24(width) * (size_t)height);
}

} // namespace

TEST(BmpRead, EightBitWithDefaultTableConvertsThroughIt) {
    BmpSpec s;
    s.width = 3;
    s.height = 2;
    s.bits = 8;
    s.table.assign(256, 0);
    s.table[1] = 0xFF0000;
    s.table[2] = 0x00FF00;
    s.table[255] = 0x123456;
    s.pixels = {1, 2, 255, 0, /**/ 0, 255, 1, 0}; // bottom row first
    OpenReport r;
    DibOwner dib(Open(s, &r));
    ASSERT_TRUE(dib);
    EXPECT_TRUE(r.converted);
    EXPECT_EQ(r.fromBits, 8);
    ExpectFullColourHeader(dib.get(), 3, 2);
    std::vector<std::vector<uint32_t>> want = {{0x000000, 0x123456, 0xFF0000}, {0xFF0000, 0x00FF00, 0x123456}};
    EXPECT_EQ(RowsOf(dib.get()), want) << HexGrid(RowsOf(dib.get()));
    RecordPicture("formats_read_pal8", dib.get());
}

TEST(BmpRead, HeaderlessDibTakesPixelsRightAfterTheTable) {
    BmpSpec s;
    s.fileHeader = false;
    s.width = 2;
    s.bits = 1;
    s.table = {0x0000FF, 0xFFFFFF};
    s.pixels = {0x40, 0, 0, 0};
    DibOwner dib(Open(s));
    ASSERT_TRUE(dib);
    EXPECT_EQ(RowsOf(dib.get()), (std::vector<std::vector<uint32_t>>{{0x0000FF, 0xFFFFFF}}));
}

TEST(BmpRead, TwentyFourBitPicturesAreNormalisedOnEntry) {
    // A table before the pixels, a negative height and a stored biSizeImage: all must end as the plain layout.
    std::vector<std::vector<uint32_t>> rows = {{0x010203, 0x040506}, {0x0A0B0C, 0x0D0E0F}, {0x111213, 0x141516}};
    BmpSpec s;
    s.width = 2;
    s.height = -3;
    s.clrUsed = 256;
    s.table.assign(256, 0x777777);
    std::vector<std::vector<uint32_t>> stored(rows.rbegin(), rows.rend()); // top-down storage
    s.pixels = Rows24(stored);
    s.sizeImage = (uint32_t)s.pixels.size();
    DibOwner dib(Open(s));
    ASSERT_TRUE(dib);
    ExpectFullColourHeader(dib.get(), 2, 3);
    EXPECT_EQ(RowsOf(dib.get()), rows) << HexGrid(RowsOf(dib.get()));
    // Writing the last pixel must land inside the block now that the table is gone.
    BlockLockGuard lock(dib.get());
    EXPECT_EQ(SetDibColor(lock.get(), 2, 1, 0xABCDEF), 1);
    EXPECT_EQ(GetDibColor(lock.get(), 2, 1), 0xABCDEFu);
}

TEST(BmpRead, PixelSizeComesFromTheFileHeaderAndNeverShrinksTheBlock) {
    std::vector<std::vector<uint32_t>> rows(4, std::vector<uint32_t>(5, 0x808080));
    BmpSpec s;
    s.width = 5;
    s.height = 4;
    s.pixels = Rows24(rows);
    // biSizeImage 1 and bfSize = bfOffBits + 1 once gave a 41-byte block: one byte is read, the rest is black.
    s.sizeImage = 1;
    s.bfSize = 54 + 1;
    OpenReport r;
    DibOwner dib(Open(s, &r));
    ASSERT_TRUE(dib);
    ExpectFullColourHeader(dib.get(), 5, 4);
    EXPECT_EQ(r.pixelBytesRead, 1);
    EXPECT_EQ(RowsOf(dib.get())[3][0], 0x000080u);
    EXPECT_EQ(RowsOf(dib.get())[0][0], 0u);
    // bfSize 0 (some writers) and bfSize = bfOffBits fall back to the computed size.
    for (int64_t bf : {int64_t(0), int64_t(54)}) {
        s.bfSize = bf;
        DibOwner again(Open(s));
        ASSERT_TRUE(again);
        EXPECT_EQ(RowsOf(again.get()), rows);
    }
}

TEST(BmpRead, FileCutInsidePixelsLeavesTopRowsBlack) {
    std::vector<std::vector<uint32_t>> rows(3, std::vector<uint32_t>(2, 0xFFFFFF));
    BmpSpec s;
    s.width = 2;
    s.height = 3;
    s.pixels = Rows24(rows);
    s.pixels.resize(8 + 8); // two of the three rows
    DibOwner dib(Open(s));
    ASSERT_TRUE(dib);
    std::vector<std::vector<uint32_t>> want = {{0, 0}, {0xFFFFFF, 0xFFFFFF}, {0xFFFFFF, 0xFFFFFF}};
    EXPECT_EQ(RowsOf(dib.get()), want) << HexGrid(RowsOf(dib.get()));
}

TEST(BmpRead, ColourIndicesOutsideTheTableReadBlack) {
    BmpSpec s;
    s.bits = 8;
    s.clrUsed = 1;
    s.table = {0x00FF00};
    s.pixels = {255, 0, 0, 0};
    DibOwner dib(Open(s));
    ASSERT_TRUE(dib);
    EXPECT_EQ(RowsOf(dib.get())[0][0], 0u);
    // A table larger than the depth can index loads, and every index reads its own entry.
    s.clrUsed = 300;
    s.table.assign(300, 0);
    s.table[255] = 0xABCDEF;
    DibOwner big(Open(s));
    ASSERT_TRUE(big);
    EXPECT_EQ(RowsOf(big.get())[0][0], 0xABCDEFu);
}

TEST(BmpRead, RefusesHostileHeaders) {
    struct Case {
        const char *what;
        BmpSpec spec;
    };
    std::vector<Case> cases;
    auto add = [&](const char *what, auto edit) {
        BmpSpec s;
        s.width = 2;
        s.height = 2;
        s.pixels.assign(16, 0x55);
        edit(s);
        cases.push_back({what, s});
    };
    add("core header", [](BmpSpec &s) { s.headerSize = 12; });
    add("V4 header", [](BmpSpec &s) { s.headerSize = 108; });
    add("zero width", [](BmpSpec &s) { s.width = 0; });
    add("negative width", [](BmpSpec &s) { s.width = -127; });
    add("zero height", [](BmpSpec &s) { s.height = 0; });
    add("depth 0", [](BmpSpec &s) { s.bits = 0; });
    add("depth 1000", [](BmpSpec &s) { s.bits = 1000; });
    add("64 bits", [](BmpSpec &s) { s.bits = 64; });
    add("24 bits, RLE8", [](BmpSpec &s) { s.compression = 1; });
    add("8 bits, JPEG inside", [](BmpSpec &s) { s.bits = 8; s.compression = 4; });
    add("24-bit stride x height wraps 32 bits", [](BmpSpec &s) { s.width = 65536; s.height = 65536; });
    add("8-bit, 24-bit form wraps", [](BmpSpec &s) { s.bits = 8; s.width = 65536; s.height = 65536; });
    add("over 2 GB at 24 bits", [](BmpSpec &s) { s.width = 30000; s.height = 30000; });
    add("3,000,000 x 2,000,000", [](BmpSpec &s) { s.width = 3000000; s.height = 2000000; s.bfSize = 0x7FFFFFFF; });
    add("table of 65537 entries", [](BmpSpec &s) { s.bits = 8; s.clrUsed = 65537; });
    add("table of 0x12341234 entries", [](BmpSpec &s) { s.bits = 4; s.clrUsed = 0x12341234; });
    add("top-down RLE", [](BmpSpec &s) { s.bits = 8; s.compression = 1; s.height = -2; });
    for (const Case &c : cases) {
        ResetTestHost();
        OpenReport r;
        PackedDib dib = Open(c.spec, &r);
        EXPECT_EQ(dib, nullptr) << c.what;
        EXPECT_FALSE(r.reason.empty()) << c.what;
        BlockFree(dib);
    }
}

TEST(BmpRead, EveryTruncationOfAFileFailsOrLoadsCleanly) {
    BmpSpec s;
    s.width = 3;
    s.height = 3;
    s.bits = 4;
    s.table = {0x000000, 0xFF0000, 0x00FF00};
    s.clrUsed = 3;
    s.pixels.assign(12, 0x12);
    std::vector<unsigned char> bytes = MakeBmpBytes(s);
    for (size_t n = 0; n <= bytes.size(); ++n) {
        std::vector<unsigned char> part(bytes.begin(), bytes.begin() + n);
        PackedDib dib = OpenBmpMemory(part.data(), part.size(), nullptr);
        // The table must fit; below that there is no picture.
        EXPECT_EQ(dib != nullptr, n >= 54 + 12) << n;
        BlockFree(dib);
    }
}

TEST(BmpDecode, RunLengthEightBitRunsJumpsAndClipping) {
    BmpSpec s;
    s.width = 4;
    s.height = 3;
    s.bits = 8;
    s.compression = 1;
    s.clrUsed = 4;
    s.table = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    s.pixels = {
        3, 1, 0, 0,          // row 0: three of entry 1, end of line
        0, 3, 2, 3, 2, 0,    // row 1: literal 2 3 2 (padded to even)
        0, 0,                // end of line
        0, 2, 1, 0,          // jump one right, into row 2
        9, 3,                // a run past the row end is clipped
        0, 1,                // end of picture
    };
    s.sizeImage = (uint32_t)s.pixels.size();
    DibOwner dib(Open(s));
    ASSERT_TRUE(dib);
    std::vector<std::vector<uint32_t>> want = {
        {0x000000, 0x0000FF, 0x0000FF, 0x0000FF},
        {0x00FF00, 0x0000FF, 0x00FF00, 0x000000},
        {0xFF0000, 0xFF0000, 0xFF0000, 0x000000},
    };
    EXPECT_EQ(RowsOf(dib.get()), want) << HexGrid(RowsOf(dib.get()));
    RecordPicture("formats_read_rle8", dib.get());
}

TEST(BmpDecode, RunLengthFourBitAlternatesNibbles) {
    BmpSpec s;
    s.width = 5;
    s.height = 1;
    s.bits = 4;
    s.compression = 2;
    s.clrUsed = 3;
    s.table = {0x000000, 0xFF0000, 0x00FF00};
    s.pixels = {3, 0x12, 0, 3, 0x21, 0x20, 0, 1};
    DibOwner dib(Open(s));
    ASSERT_TRUE(dib);
    // A literal run that ends past the row is clipped; a stream that stops early leaves entry 0.
    EXPECT_EQ(RowsOf(dib.get()), (std::vector<std::vector<uint32_t>>{{0xFF0000, 0x00FF00, 0xFF0000, 0x00FF00, 0xFF0000}}));
    s.pixels = {2, 0x11};
    DibOwner cut(Open(s));
    ASSERT_TRUE(cut);
    EXPECT_EQ(RowsOf(cut.get()), (std::vector<std::vector<uint32_t>>{{0xFF0000, 0xFF0000, 0, 0, 0}}));
}

TEST(BmpDecode, SixteenAndThirtyTwoBitThroughTheirMasks) {
    BmpSpec s;
    s.width = 4;
    s.bits = 16;
    // Default 5-5-5: white, pure blue, the smallest red step, and the spare bit (ignored).
    s.pixels = {0xFF, 0x7F, 0x1F, 0x00, 0x00, 0x04, 0x00, 0x80};
    DibOwner dib(Open(s));
    ASSERT_TRUE(dib);
    EXPECT_EQ(RowsOf(dib.get()), (std::vector<std::vector<uint32_t>>{{0xFFFFFF, 0x0000FF, 0x080000, 0}}));
    // 5-6-5 bit fields: green has six bits.
    s.compression = 3;
    s.masks = {0xF800, 0x07E0, 0x001F};
    s.pixels = {0xE0, 0x07, 0x20, 0x00, 0x00, 0xF8, 0x00, 0x00};
    DibOwner f565(Open(s));
    ASSERT_TRUE(f565);
    EXPECT_EQ(RowsOf(f565.get()), (std::vector<std::vector<uint32_t>>{{0x00FF00, 0x000400, 0xFF0000, 0}}));
    // 32 bits with alpha bit fields: the alpha mask is read past and ignored.
    BmpSpec a;
    a.width = 2;
    a.bits = 32;
    a.compression = 6;
    a.masks = {0x0000FF00, 0x00FF0000, 0xFF000000, 0x000000FF};
    a.pixels = {0x77, 0x11, 0x22, 0x33, 0x00, 0xFF, 0x00, 0x00};
    DibOwner alpha(Open(a));
    ASSERT_TRUE(alpha);
    EXPECT_EQ(RowsOf(alpha.get()), (std::vector<std::vector<uint32_t>>{{0x112233, 0xFF0000}}));
}

TEST(BmpDecode, TwoBitPixels) {
    BmpSpec s;
    s.width = 5;
    s.bits = 2;
    s.table = {0x000000, 0x555555, 0xAAAAAA, 0xFFFFFF};
    s.pixels = {0x1B, 0xC0, 0, 0}; // 0 1 2 3 | 3
    DibOwner dib(Open(s));
    ASSERT_TRUE(dib);
    EXPECT_EQ(RowsOf(dib.get()), (std::vector<std::vector<uint32_t>>{{0, 0x555555, 0xAAAAAA, 0xFFFFFF, 0xFFFFFF}}));
}

TEST(StepwiseSeek, StepsAndItsOddAnswerForOneStep) {
    std::vector<unsigned char> bytes(50000);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = (unsigned char)(i * 7);
    ByteSource src;
    OpenMemorySource(&src, bytes.data(), bytes.size());
    ResetTestHost();
    EXPECT_EQ(StepwiseSeek(&src, 0), 1);
    EXPECT_EQ(StepwiseSeek(&src, 100), 100);
    EXPECT_EQ(StepwiseSeek(&src, 16383), 0);
    EXPECT_EQ(src.pos, 16383);
    EXPECT_EQ(StepwiseSeek(&src, 32766), 32766);
    EXPECT_EQ(StepwiseSeek(&src, 40000), 40000);
    EXPECT_TRUE(TestHost().messages.empty());
    EXPECT_EQ(StepwiseSeek(&src, -5), 0);
    EXPECT_EQ(TestHost().messages, std::vector<std::string>{"Internal error|ファイルが壊れています"});
}

TEST(BmpRead, PixelsFarAwayAreReachedThroughTheSeek) {
    BmpSpec s;
    s.width = 1;
    s.bfOffBits = 40000;
    s.pixels.assign(40000 - 54, 0xEE);
    s.pixels.insert(s.pixels.end(), {0x11, 0x22, 0x33, 0});
    DibOwner dib(Open(s));
    ASSERT_TRUE(dib);
    EXPECT_EQ(RowsOf(dib.get())[0][0], 0x332211u);
}
