// The open pipeline: its messages, status texts and busy cursor, and that a failure leaves nothing behind.
#include <gtest/gtest.h>

#include "bmp_test_files.h"
#include "formats/open_picture.h"
#include "test_host.h"
#include "test_support.h"

namespace {

std::string WriteSample(const std::string &name, const BmpSpec &s) {
    const std::string path = TempPath(name);
    EXPECT_TRUE(WriteFileBytes(path, MakeBmpBytes(s)));
    return path;
}

BmpSpec EightBit() {
    BmpSpec s;
    s.width = 2;
    s.bits = 8;
    s.table.assign(256, 0x336699);
    s.pixels = {0, 0, 0, 0};
    return s;
}

} // namespace

TEST(OpenPicture, MissingFileSaysSoAndStillShowsThePath) {
    const std::string path = TempPath("does_not_exist.bmp");
    ResetTestHost();
    OpenReport r;
    EXPECT_EQ(OpenPictureFile(path.c_str(), &r), nullptr);
    EXPECT_FALSE(r.exists);
    EXPECT_EQ(TestHost().messages, std::vector<std::string>{"|オープン出来ません"});
    EXPECT_EQ(TestHost().statusTexts, (std::vector<std::string>{"1:" + path, "0:"}));
    EXPECT_EQ(TestHost().busyDepth, 0);
    // A caller that keeps its picture keeps its title too.
    ResetTestHost();
    OpenReport keep;
    keep.keepTitle = "old.bmp";
    EXPECT_EQ(OpenPictureFile(path.c_str(), &keep), nullptr);
    EXPECT_EQ(TestHost().statusTexts, (std::vector<std::string>{"1:old.bmp", "0:"}));
}

TEST(OpenPicture, PaletteFileShowsReadingThenConversionThenThePath) {
    const std::string path = WriteSample("open_pal8.bmp", EightBit());
    ResetTestHost();
    OpenReport r;
    DibOwner dib(OpenPictureFile(path.c_str(), &r));
    ASSERT_TRUE(dib);
    EXPECT_TRUE(r.converted);
    EXPECT_EQ(TestHost().statusTexts,
              (std::vector<std::string>{"1:読込中･･･", "0:フルカラー変換中", "1:" + path, "0:"}));
    EXPECT_TRUE(TestHost().messages.empty());
    EXPECT_EQ(TestHost().busyDepth, 0);
    EXPECT_EQ(RowsOf(dib.get()), (std::vector<std::vector<uint32_t>>{{0x336699, 0x336699}}));
    remove(path.c_str());
}

TEST(OpenPicture, SilentLoadFailuresAreExplainedOnce) {
    // A JPEG named .jpeg goes to the BMP reader, which finds no 40-byte header.
    const std::string jpeg = TempPath("photo.jpeg");
    ASSERT_TRUE(WriteFileBytes(jpeg, {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1,
                                      0, 0, 0xFF, 0xD9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    BmpSpec core = EightBit();
    core.headerSize = 12;
    const std::string os2 = WriteSample("open_core.bmp", core);
    for (const std::string &path : {jpeg, os2}) {
        ResetTestHost();
        OpenReport r;
        r.keepTitle = "previous";
        EXPECT_EQ(OpenPictureFile(path.c_str(), &r), nullptr) << path;
        EXPECT_FALSE(r.isJpeg);
        EXPECT_EQ(TestHost().messages, std::vector<std::string>{"|オープン出来ません"}) << path;
        EXPECT_EQ(TestHost().statusTexts, (std::vector<std::string>{"1:読込中･･･", "1:previous", "0:"})) << path;
        EXPECT_EQ(TestHost().busyDepth, 0);
        remove(path.c_str());
    }
}

TEST(OpenPicture, JpegIsChosenByNameOnly) {
    // A BMP named .JpG goes to the JPEG decoder, whatever it holds.
    const std::string path = WriteSample("PHOTO.JpG", EightBit());
    OpenReport r;
    PackedDib dib = OpenPictureFile(path.c_str(), &r);
    EXPECT_TRUE(r.isJpeg);
    EXPECT_FALSE(r.headerRead);
    BlockFree(dib);
    remove(path.c_str());
}
