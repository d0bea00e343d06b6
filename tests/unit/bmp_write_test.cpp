// The BMP writer: exact file header, round trips through the open pipeline, and failures that keep the old file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <direct.h>
#else
#include <unistd.h>
#endif

#include "bmp_test_files.h"
#include "formats/bmp_write.h"
#include "formats/compressed_format.h"
#include "formats/open_picture.h"
#include "test_host.h"
#include "test_support.h"

namespace {
uint32_t Le32At(const std::vector<unsigned char> &b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | (uint32_t)b[at + 3] << 24;
}
} // namespace

TEST(BmpWrite, TwentyFourBitRoundTripKeepsHeaderAndPixels) {
    DibOwner pic(PhotoLikePicture(7, 5));
    const std::string path = TempPath("write_rt.bmp");
    ResetTestHost();
    ASSERT_EQ(WriteBmpFile(path.c_str(), pic.get()), 1);
    std::vector<unsigned char> file = ReadFileBytes(path);
    ASSERT_EQ(file.size(), 14 + BlockSize(pic.get()));
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(Le32At(file, 2), 14 + BlockSize(pic.get()));
    EXPECT_EQ(Le32At(file, 10), 54u);
    RecordOutput("formats_write_photo7x5", file.data(), file.size());
    DibOwner back(OpenPictureFile(path.c_str(), nullptr));
    ASSERT_TRUE(back);
    EXPECT_EQ(BytesOf(back.get()), BytesOf(pic.get()));
    // No temporary file stays behind.
    struct stat st;
    EXPECT_NE(stat((path + ".~wr").c_str(), &st), 0);
    remove(path.c_str());
}

TEST(BmpWrite, CompressedSaveOpensAgainBitForBit) {
    DibOwner pic(PictureFrom(33, 9, [](int x, int y) { return (uint32_t)(x * 0x030201 + y * 0x010305) & 0xFFFFFF; }));
    DibOwner packed(CompressPicture(pic.get()));
    ASSERT_TRUE(packed);
    const std::string path = TempPath("write_packed.bmp");
    ASSERT_EQ(WriteBmpFile(path.c_str(), packed.get()), 1);
    std::vector<unsigned char> file = ReadFileBytes(path);
    EXPECT_EQ(Le32At(file, 10), 54u);
    EXPECT_EQ(Le32At(file, 30), 256u);
    OpenReport r;
    DibOwner back(OpenPictureFile(path.c_str(), &r));
    ASSERT_TRUE(back);
    EXPECT_TRUE(r.decompressed);
    EXPECT_EQ(BytesOf(back.get()), BytesOf(pic.get()));
    // The alternative tag opens the same way.
    file[30] = 893 & 0xFF;
    file[31] = 893 >> 8;
    ASSERT_TRUE(WriteFileBytes(path, file));
    DibOwner alt(OpenPictureFile(path.c_str(), nullptr));
    ASSERT_TRUE(alt);
    EXPECT_EQ(BytesOf(alt.get()), BytesOf(pic.get()));
    remove(path.c_str());
}

TEST(BmpWrite, PaletteBlockWritesHeaderTableAndStatedPixels) {
    DibHeader h = MakeHeader24(3, 2);
    h.biBitCount = 8;
    h.biClrUsed = 2;
    h.biSizeImage = 8;
    PackedDib dib = BlockAlloc(40 + 8 + 8 + 20); // spare bytes past the pixels are not written
    {
        BlockLockGuard lock(dib);
        memcpy(lock.get(), &h, 40);
        lock.get()[40 + 6] = 0xFF; // entry 1 red
        lock.get()[48] = 1;
    }
    const std::string path = TempPath("write_pal.bmp");
    ASSERT_EQ(WriteBmpFile(path.c_str(), dib), 1);
    std::vector<unsigned char> file = ReadFileBytes(path);
    EXPECT_EQ(file.size(), 14u + 40 + 8 + 8);
    EXPECT_EQ(Le32At(file, 2), 14 + BlockSize(dib));
    EXPECT_EQ(Le32At(file, 10), 14u + 40 + 8);
    DibOwner back(OpenPictureFile(path.c_str(), nullptr));
    ASSERT_TRUE(back);
    EXPECT_EQ(RowsOf(back.get()), (std::vector<std::vector<uint32_t>>{{0, 0, 0}, {0xFF0000, 0, 0}}));
    BlockFree(dib);
    remove(path.c_str());
}

TEST(BmpWrite, FailureShowsTheMessageAndLeavesTheOldFileWhole) {
    DibOwner pic(PhotoLikePicture(4, 4));
    ResetTestHost();
    EXPECT_EQ(WriteBmpFile(TempPath("no_such_dir/x.bmp").c_str(), pic.get()), 0);
    EXPECT_EQ(TestHost().messages, std::vector<std::string>{"|ファイルが書けません"});
    // An old file whose replacement cannot be written stays as it was.
    const std::string path = TempPath("write_keep.bmp");
    const std::vector<unsigned char> old = {'o', 'l', 'd'};
    ASSERT_TRUE(WriteFileBytes(path, old));
    const std::string blocker = path + ".~wr";
    mkdir(blocker.c_str()
#ifndef _WIN32
          , 0700
#endif
    );
    ResetTestHost();
    EXPECT_EQ(WriteBmpFile(path.c_str(), pic.get()), 0);
    EXPECT_EQ(TestHost().messages.size(), 1u);
    EXPECT_EQ(ReadFileBytes(path), old);
    rmdir(blocker.c_str());
    remove(path.c_str());
    ResetTestHost();
    EXPECT_EQ(WriteBmpFile(path.c_str(), nullptr), 0);
    EXPECT_TRUE(TestHost().messages.empty());
}
