// Clipboard pictures from other programs: every layout a program puts there, and blocks that lie about their
// size; and the merge of a floating paste.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "image/clipboard_dib.h"
#include "image/paste_merge.h"
#include "test_support.h"

namespace {

// A CF_DIB block: header of `headerSize` bytes, then `extra` (masks, table), then rows.
std::vector<unsigned char> Block(int width, int height, int bits, uint32_t compression, uint32_t headerSize,
                                 const std::vector<uint32_t> &extra, const std::vector<unsigned char> &rows,
                                 uint32_t clrUsed = 0) {
    std::vector<unsigned char> b(headerSize, 0);
    DibHeader h{};
    h.biSize = headerSize;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = (uint16_t)bits;
    h.biCompression = compression;
    h.biClrUsed = clrUsed;
    memcpy(b.data(), &h, sizeof h);
    for (uint32_t v : extra) b.insert(b.end(), (unsigned char *)&v, (unsigned char *)&v + 4);
    b.insert(b.end(), rows.begin(), rows.end());
    return b;
}

std::vector<std::vector<uint32_t>> Decode(const std::vector<unsigned char> &b) {
    DibOwner d(DecodeClipboardDib(b.data(), b.size()));
    if (!d) return {};
    return RowsOf(d.get());
}

// The same block with biSize claiming `size` bytes.
std::vector<unsigned char> Claimed(std::vector<unsigned char> b, uint32_t size) {
    memcpy(b.data(), &size, 4);
    return b;
}

} // namespace

TEST(ClipboardDib, EveryLayoutKeepsItsColours) {
    using Rows = std::vector<std::vector<uint32_t>>;
    // 8-bit palette, bottom-up, 2 x 2: top row indices 1 2, bottom row 0 1.
    std::vector<unsigned char> pal8 = {0, 1, 0, 0, 1, 2, 0, 0};
    EXPECT_EQ(Decode(Block(2, 2, 8, 0, 40, {0x000000, 0xFF0000, 0x00FF00}, pal8, 3)),
              (Rows{{0xFF0000, 0x00FF00}, {0x000000, 0xFF0000}}));
    // 24-bit top-down: the first stored row is the top.
    std::vector<unsigned char> rgb = {0x01, 0x02, 0x03, 0, 0x04, 0x05, 0x06, 0};
    EXPECT_EQ(Decode(Block(1, -2, 24, 0, 40, {}, rgb)), (Rows{{0x030201}, {0x060504}}));
    // 32-bit bit fields after a 40-byte header (a screen capture), alpha ignored.
    std::vector<unsigned char> px32 = {0x10, 0x20, 0x30, 0xFF};
    EXPECT_EQ(Decode(Block(1, 1, 32, 3, 40, {0xFF0000, 0x00FF00, 0x0000FF}, px32)), (Rows{{0x302010}}));
    // The V5 header holds its masks inside; here red and blue are exchanged.
    std::vector<unsigned char> v5 = Block(1, 1, 32, 3, 124, {}, px32);
    const uint32_t masks[3] = {0x0000FF, 0x00FF00, 0xFF0000};
    memcpy(v5.data() + 40, masks, sizeof masks);
    EXPECT_EQ(Decode(v5), (Rows{{0x102030}}));
    // 16-bit 5-6-5 fields: full red.
    std::vector<unsigned char> px16 = {0x00, 0xF8, 0, 0};
    EXPECT_EQ(Decode(Block(1, 1, 16, 3, 40, {0xF800, 0x07E0, 0x001F}, px16)), (Rows{{0xFF0000}}));
    // 16-bit without masks is 5-5-5.
    std::vector<unsigned char> px555 = {0x1F, 0x00, 0, 0};
    EXPECT_EQ(Decode(Block(1, 1, 16, 0, 40, {}, px555)), (Rows{{0x0000FF}}));
}

TEST(ClipboardDib, BlocksThatClaimMoreThanTheyHoldAreRefused) {
    std::vector<unsigned char> rows(16, 0x7F);
    struct Case {
        std::vector<unsigned char> block;
        ClipboardDibVerdict verdict;
    } cases[] = {
        {std::vector<unsigned char>(39, 0), ClipboardDibVerdict::kTooShort},
        {Claimed(Block(2, 2, 24, 0, 40, {}, rows), 12), ClipboardDibVerdict::kBadHeader},
        {Claimed(Block(2, 2, 24, 0, 40, {}, rows), 5000), ClipboardDibVerdict::kBadHeader},
        {Block(0, 2, 24, 0, 40, {}, rows), ClipboardDibVerdict::kBadHeader},
        {Block(2, 0, 24, 0, 40, {}, rows), ClipboardDibVerdict::kBadHeader},
        {Block(2, 3, 24, 0, 40, {}, rows), ClipboardDibVerdict::kMissingRows},
        {Block(2, -3, 24, 0, 40, {}, rows), ClipboardDibVerdict::kMissingRows},
        {Block(2, 2, 8, 1, 40, {}, rows), ClipboardDibVerdict::kUnsupported},   // run-length
        {Block(2, 2, 24, 3, 40, {}, rows), ClipboardDibVerdict::kUnsupported},  // fields need 16 or 32 bits
        {Block(2, 2, 12, 0, 40, {}, rows), ClipboardDibVerdict::kUnsupported},
        {Block(2, 2, 4, 0, 40, {}, rows, 17), ClipboardDibVerdict::kBadTable},
        {Block(2, 2, 8, 0, 40, {}, rows), ClipboardDibVerdict::kMissingRows},   // 256 entries promised
        {Block(32, 2, 32, 3, 40, {0xFF}, {}), ClipboardDibVerdict::kMissingRows}, // masks cut short
        {Block(70000, 70000, 24, 0, 40, {}, rows), ClipboardDibVerdict::kTooLarge},
        {Block(2, 2, 24, 0, 40, {}, rows), ClipboardDibVerdict::kUsable},
    };
    for (const Case &c : cases) {
        ClipboardDibLayout layout;
        EXPECT_EQ((int)CheckClipboardDib(c.block.data(), c.block.size(), &layout), (int)c.verdict);
        DibOwner d(DecodeClipboardDib(c.block.data(), c.block.size()));
        EXPECT_EQ(d.get() != nullptr, c.verdict == ClipboardDibVerdict::kUsable);
    }
}

TEST(PasteMerge, CanvasGrowsToHoldBothAndThePasteWins) {
    DibOwner picture(PictureFrom(4, 3, [](int x, int y) { return 0x100000u + x * 16 + y; }));
    DibOwner paste(PictureFrom(2, 2, [](int, int) { return 0xFFFFFFu; }));
    // At x = -10 the picture is 10 wider, shifted right; the paste sits at the left edge.
    DibOwner wide(MergePaste(picture.get(), paste.get(), -10, 0));
    ASSERT_TRUE(wide);
    auto rows = RowsOf(wide.get());
    ASSERT_EQ(rows.size(), 3u);
    ASSERT_EQ(rows[0].size(), 14u);
    EXPECT_EQ(rows[0][0], 0xFFFFFFu);
    EXPECT_EQ(rows[2][0], 0u); // black where neither lies
    EXPECT_EQ(rows[2][13], 0x100000u + 3 * 16 + 2);
    EXPECT_EQ(rows[1][10], 0x100000u + 0 * 16 + 1);
    // Inside the picture the size stays.
    DibOwner inside(MergePaste(picture.get(), paste.get(), 1, 1));
    ASSERT_TRUE(inside);
    auto in = RowsOf(inside.get());
    EXPECT_EQ(in.size(), 3u);
    EXPECT_EQ(in[0].size(), 4u);
    EXPECT_EQ(in[1][1], 0xFFFFFFu);
    EXPECT_EQ(in[0][0], 0x100000u);
    // A paste pushed absurdly far: no canvas, and nothing else changes.
    MergeCanvas c;
    EXPECT_FALSE(MergeCanvasFor(4, 3, 2, 2, 2000000000, 0, &c));
    EXPECT_EQ(MergePaste(picture.get(), paste.get(), -2000000000, -2000000000), nullptr);
}
