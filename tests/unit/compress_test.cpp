// The nibble-delta form: exact bytes of small rows, refusal, progress, early ends, and bit-for-bit round trips.
#include <gtest/gtest.h>

#include "formats/compressed_format.h"
#include "test_host.h"
#include "test_support.h"

namespace {

std::vector<unsigned char> StreamOf(PackedDib packed) {
    std::vector<unsigned char> all = BytesOf(packed);
    DibHeader h;
    memcpy(&h, all.data(), sizeof h);
    return std::vector<unsigned char>(all.begin() + 40, all.begin() + 40 + h.biSizeImage);
}

PackedDib PackedFrom(int width, int height, const std::vector<unsigned char> &stream, uint32_t stated) {
    DibHeader h = MakeHeader24(width, height);
    h.biCompression = kCompressedTag;
    h.biSizeImage = stated;
    PackedDib dib = BlockAlloc(40 + stream.size());
    BlockLockGuard lock(dib);
    memcpy(lock.get(), &h, 40);
    memcpy(lock.get() + 40, stream.data(), stream.size());
    return dib;
}

// Gradients with a little noise: photo-like, yet most steps are small enough for one nibble.
PackedDib SmoothPicture(int width, int height, uint32_t seed) {
    return PictureFrom(width, height, [&](int x, int y) {
        seed = seed * 1103515245u + 12345u;
        const uint32_t n = (seed >> 16) & 3;
        return ((uint32_t)(x * 2 + n) & 0xFF) << 16 | ((uint32_t)(y * 3 + n) & 0xFF) << 8 | ((x + y + n) & 0xFF);
    });
}

} // namespace

TEST(Compress, UniformRowIsRawBytePlusZeroNibbles) {
    DibOwner pic(PictureFrom(4, 1, [](int, int) { return 0x102030u; }));
    DibOwner packed(CompressPicture(pic.get()));
    ASSERT_TRUE(packed);
    DibHeader h;
    ASSERT_EQ(DibInfo(packed.get(), &h), 1);
    EXPECT_EQ(h.biCompression, 256u);
    EXPECT_EQ(h.biSizeImage, 9u);
    EXPECT_EQ(BlockSize(packed.get()), 49u);
    // Three nibbles a channel: the odd one out leaves a zero low nibble, and each segment starts a fresh byte.
    EXPECT_EQ(StreamOf(packed.get()), (std::vector<unsigned char>{0x30, 0, 0, 0x20, 0, 0, 0x10, 0, 0}));
}

TEST(Compress, SmallStepsAndEscapes) {
    // Blue steps +7, -7, +8, -8 from 100; green and red stay 0.
    const uint32_t blue[] = {100, 107, 100, 108, 100};
    DibOwner pic(PictureFrom(5, 1, [&](int x, int) { return blue[x]; }));
    DibOwner packed(CompressPicture(pic.get()));
    ASSERT_TRUE(packed);
    std::vector<unsigned char> s = StreamOf(packed.get());
    // 100 | 7 9 | 8 6 C | 8 6 4 | pad  then two flat segments of 1 + 2 bytes.
    std::vector<unsigned char> want = {100, 0x79, 0x86, 0xC8, 0x64, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(s, want);
    DibOwner back(DecompressPicture(packed.get()));
    ASSERT_TRUE(back);
    EXPECT_EQ(RowsOf(back.get()), RowsOf(pic.get()));
}

TEST(Compress, NoiseIsRefusedWithTheMessageAndNothingReturned) {
    uint32_t seed = 12345;
    DibOwner pic(PictureFrom(64, 8, [&](int, int) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) & 0xFFFFFF;
    }));
    ResetTestHost();
    CompressOutcome outcome;
    EXPECT_EQ(CompressPicture(pic.get(), &outcome), nullptr);
    EXPECT_EQ(outcome, CompressOutcome::kNoGain);
    EXPECT_EQ(TestHost().messages, std::vector<std::string>{"(default)|圧縮効果が無いので、圧縮保存をとりやめます。"});
    EXPECT_EQ(TestHost().progressBegun, TestHost().progressEnded);
}

TEST(Compress, OnePixelWideFillsTheCapacityExactlyAndIsAccepted) {
    DibOwner pic(PictureFrom(1, 5, [](int, int y) { return 0x40C020u * (uint32_t)(y + 1) & 0xFFFFFF; }));
    DibOwner packed(CompressPicture(pic.get()));
    ASSERT_TRUE(packed);
    DibHeader h;
    DibInfo(packed.get(), &h);
    EXPECT_EQ(h.biSizeImage, 15u);
    DibOwner back(DecompressPicture(packed.get()));
    EXPECT_EQ(RowsOf(back.get()), RowsOf(pic.get()));
}

TEST(Compress, NotFullColourIsRefusedSilently) {
    DibHeader h = MakeHeader24(2, 2);
    h.biBitCount = 8;
    PackedDib dib = BlockAlloc(40 + 1024 + 8);
    {
        BlockLockGuard lock(dib);
        memcpy(lock.get(), &h, 40);
    }
    ResetTestHost();
    CompressOutcome outcome;
    EXPECT_EQ(CompressPicture(dib, &outcome), nullptr);
    EXPECT_EQ(outcome, CompressOutcome::kNotFullColour);
    EXPECT_EQ(DecompressPicture(dib), nullptr);
    EXPECT_TRUE(TestHost().messages.empty());
    BlockFree(dib);
}

TEST(Compress, ProgressForEveryRowOnATenthAndCaptionWhenTheBarIsHidden) {
    DibOwner pic(SmoothPicture(16, 20, 7));
    ResetTestHost();
    DibOwner packed(CompressPicture(pic.get()));
    ASSERT_TRUE(packed);
    // p = 5 j: every even row is on a multiple of ten.
    EXPECT_EQ(TestHost().progress, (std::vector<int>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90}));
    EXPECT_EQ(TestHost().progressEnded, 1);
    ResetTestHost();
    TestHost().statusBarShown = false;
    DibOwner hidden(CompressPicture(pic.get()));
    EXPECT_EQ(TestHost().progressBegun, 0);
    ASSERT_EQ(TestHost().statusTexts.size(), 10u);
    EXPECT_EQ(TestHost().statusTexts[3], "0:圧縮 30 %");
    EXPECT_EQ(TestHost().titleRestored, 1);
    ResetTestHost();
    TestHost().statusBarShown = false;
    DibOwner back(DecompressPicture(packed.get()));
    EXPECT_EQ(TestHost().statusTexts.front(), "0:展開 0 %");
    EXPECT_EQ(TestHost().titleRestored, 0);
    ResetTestHost();
}

TEST(Compress, PhotoRoundTripsBitForBit) {
    for (int w : {1, 2, 3, 5, 64, 257}) {
        DibOwner pic(SmoothPicture(w, 17, (uint32_t)w));
        DibOwner packed(CompressPicture(pic.get()));
        ASSERT_TRUE(packed) << w;
        DibOwner back(DecompressPicture(packed.get()));
        ASSERT_TRUE(back);
        EXPECT_EQ(BytesOf(back.get()), BytesOf(pic.get())) << w;
        if (w == 257) {
            RecordOutput("formats_compress_photo257", StreamOf(packed.get()).data(), StreamOf(packed.get()).size());
        }
    }
}

TEST(Decompress, StreamEndingEarlyKeepsDecodedRowsAndLeavesTheRestBlack) {
    DibOwner pic(PictureFrom(3, 4, [](int x, int y) { return 0x203040u + (uint32_t)(x * 3 + y); }));
    DibOwner packed(CompressPicture(pic.get()));
    ASSERT_TRUE(packed);
    std::vector<unsigned char> s = StreamOf(packed.get());
    const size_t rowBytes = s.size() / 4; // every row codes the same way here
    // Cut in the middle of the third stored row; the stated length still claims the whole stream.
    std::vector<unsigned char> cut(s.begin(), s.begin() + 2 * rowBytes + 2);
    ResetTestHost();
    DibOwner partial(PackedFrom(3, 4, cut, (uint32_t)s.size()));
    DibOwner back(DecompressPicture(partial.get()));
    ASSERT_TRUE(back);
    std::vector<std::vector<uint32_t>> want = RowsOf(pic.get()), got = RowsOf(back.get());
    EXPECT_EQ(got[3], want[3]);
    EXPECT_EQ(got[2], want[2]);
    EXPECT_EQ(got[0], (std::vector<uint32_t>{0, 0, 0}));
    EXPECT_EQ(TestHost().progressBegun, TestHost().progressEnded);
}

TEST(Decompress, RefusesSizesThatCannotWork) {
    for (auto wh : {std::pair<int, int>{0, 5}, {5, 0}, {-3, 5}, {5, -3}, {65536, 65536}, {0x7FFFFFFF, 2}}) {
        DibOwner packed(PackedFrom(wh.first, wh.second, {1, 2, 3}, 3));
        EXPECT_EQ(DecompressPicture(packed.get()), nullptr) << wh.first << "x" << wh.second;
    }
}
