// Saving: the dialog titles, the 24-bit source, and files that reopen bit for bit or are not written at all.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#ifdef _WIN32
#include <direct.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "formats/open_picture.h"
#include "image/full_colour.h"
#include "shell/save_picture.h"
#include "test_host.h"
#include "test_support.h"

namespace {

int MakeFolder(const char *path) {
#ifdef _WIN32
    return _mkdir(path);
#else
    return mkdir(path, 0755);
#endif
}
void RemoveFolder(const char *path) {
#ifdef _WIN32
    _rmdir(path);
#else
    rmdir(path);
#endif
}

std::vector<unsigned char> FileBytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string &path) {
    FILE *f = fopen(path.c_str(), "rb");
    if (f) fclose(f);
    return f != nullptr;
}

PackedDib Reopen(const std::string &path) {
    OpenReport report;
    return OpenPictureFile(path.c_str(), &report);
}

// Every pixel different from its neighbours: the nibble-delta form cannot win on it.
PackedDib NoisePicture(int w, int h) {
    uint32_t state = 12345;
    return PictureFrom(w, h, [&](int, int) {
        state = state * 1103515245u + 12345u;
        return (state >> 8) & 0xFFFFFF;
    });
}

// A 2-colour 8-bit picture: index (x + y) % 2 into blue and yellow.
PackedDib EightBitPicture(int w, int h) {
    const size_t stride = (size_t)DibRowStride(w, 8);
    PackedDib dib = BlockAlloc(40 + 4 * 256 + stride * h);
    BlockLockGuard lock(dib);
    DibHeader hd{};
    hd.biSize = 40;
    hd.biWidth = w;
    hd.biHeight = h;
    hd.biPlanes = 1;
    hd.biBitCount = 8;
    memcpy(lock.get(), &hd, 40);
    const uint32_t table[2] = {0x0000FF, 0xFFFF00};
    memcpy(lock.get() + 40, table, sizeof table);
    for (int r = 0; r < h; ++r)
        for (int x = 0; x < w; ++x) lock.get()[40 + 1024 + stride * r + x] = (unsigned char)((x + r) % 2);
    return dib;
}

} // namespace

TEST(SaveTitle, ThreeTitlesAndTheDisplayCompressionRefusal) {
    ResetTestHost();
    std::string t;
    ASSERT_TRUE(SaveDialogTitle(false, true, &t));
    EXPECT_EQ(t, "保存(内部イメージ)");
    ASSERT_TRUE(SaveDialogTitle(false, false, &t));
    EXPECT_EQ(t, "保存(表示イメージ)");
    ASSERT_TRUE(SaveDialogTitle(true, true, &t));
    EXPECT_EQ(t, "圧縮保存(内部イメージ)");
    EXPECT_TRUE(TestHost().messages.empty());
    EXPECT_FALSE(SaveDialogTitle(true, false, &t));
    EXPECT_EQ(TestHost().messages, std::vector<std::string>{"|表示イメージは圧縮保存出来ません"});
}

TEST(SaveSource, FullColourIsSavedAsItIsOtherDepthsAsACopy) {
    DibOwner full(PhotoLikePicture(7, 5));
    bool owned = true;
    EXPECT_EQ(FullColourSource(full.get(), &owned), full.get());
    EXPECT_FALSE(owned);

    DibOwner eight(EightBitPicture(5, 3));
    DibOwner converted(FullColourSource(eight.get(), &owned));
    ASSERT_TRUE(converted);
    EXPECT_TRUE(owned);
    DibHeader h;
    ASSERT_TRUE(DibInfo(converted.get(), &h));
    EXPECT_EQ(h.biBitCount, 24);
    auto rows = RowsOf(converted.get());
    EXPECT_EQ(rows[2][0], 0x0000FFu) << HexGrid(rows); // bottom-left: index 0
    EXPECT_EQ(rows[2][1], 0xFFFF00u) << HexGrid(rows);
    EXPECT_EQ(rows[1][0], 0xFFFF00u) << HexGrid(rows);

    EXPECT_EQ(FullColourSource(nullptr, &owned), nullptr);
    EXPECT_FALSE(owned);
}

TEST(SaveFile, PlainAndCompressedReopenBitForBit) {
    DibOwner picture(PhotoLikePicture(37, 23, 7));
    for (bool compressed : {false, true}) {
        ResetTestHost();
        const std::string path = TempPath(compressed ? "saved_packed.bmp" : "saved_plain.bmp");
        ASSERT_EQ(SavePictureFile(picture.get(), compressed, path.c_str()), SaveOutcome::kWritten);
        EXPECT_TRUE(TestHost().messages.empty());
        std::vector<unsigned char> bytes = FileBytes(path);
        RecordOutput(compressed ? "safety_save_compressed" : "safety_save_plain", bytes.data(), bytes.size());
        DibOwner back(Reopen(path));
        ASSERT_TRUE(back);
        EXPECT_EQ(RowsOf(back.get()), RowsOf(picture.get()));
        EXPECT_FALSE(Exists(path + ".~wr"));
        remove(path.c_str());
    }
}

TEST(SaveFile, CompressionWithoutGainWritesNothing) {
    DibOwner noise(NoisePicture(16, 16));
    const std::string path = TempPath("no_gain.bmp");
    ResetTestHost();
    EXPECT_EQ(SavePictureFile(noise.get(), true, path.c_str()), SaveOutcome::kNotWorthCompressing);
    EXPECT_FALSE(Exists(path));
    EXPECT_EQ(TestHost().messages, std::vector<std::string>{"(default)|圧縮効果が無いので、圧縮保存をとりやめます。"});
}

TEST(SaveFile, NoPictureOrNoMemoryIsReportedAndWritesNothing) {
    const std::string path = TempPath("no_memory.bmp");
    ResetTestHost();
    EXPECT_EQ(SavePictureFile(nullptr, false, path.c_str()), SaveOutcome::kNoMemory);
    EXPECT_EQ(TestHost().messages, std::vector<std::string>{"(default)|グローバルメモリが足りません"});
    EXPECT_FALSE(Exists(path));

    // The compressor's output block cannot be had: this must not look like a save.
    DibOwner picture(PhotoLikePicture(64, 64));
    ResetTestHost();
    BlockFailLargeAllocations(64 * 64 * 3, 1);
    EXPECT_EQ(SavePictureFile(picture.get(), true, path.c_str()), SaveOutcome::kNoMemory);
    BlockFailLargeAllocations(0, 0);
    EXPECT_EQ(TestHost().messages, std::vector<std::string>{"(default)|グローバルメモリが足りません"});
    EXPECT_FALSE(Exists(path));
}

TEST(SaveFile, FailedWriteKeepsTheOldFile) {
    DibOwner first(PhotoLikePicture(9, 9, 1));
    const std::string path = TempPath("kept.bmp");
    ASSERT_EQ(SavePictureFile(first.get(), false, path.c_str()), SaveOutcome::kWritten);
    const std::vector<unsigned char> before = FileBytes(path);

    // The temporary file's name is taken by a folder, so the new bytes cannot be written anywhere.
    const std::string blocker = path + ".~wr";
    ASSERT_EQ(MakeFolder(blocker.c_str()), 0);
    DibOwner second(PhotoLikePicture(9, 9, 2));
    ResetTestHost();
    EXPECT_EQ(SavePictureFile(second.get(), false, path.c_str()), SaveOutcome::kWriteFailed);
    EXPECT_EQ(TestHost().messages, std::vector<std::string>{"|ファイルが書けません"});
    EXPECT_EQ(FileBytes(path), before);
    RemoveFolder(blocker.c_str());

    ResetTestHost();
    const std::string nowhere = TempPath("no_such_folder") + "/x.bmp";
    EXPECT_EQ(SavePictureFile(second.get(), false, nowhere.c_str()), SaveOutcome::kWriteFailed);
    EXPECT_EQ(TestHost().messages, std::vector<std::string>{"|ファイルが書けません"});
    remove(path.c_str());
}
