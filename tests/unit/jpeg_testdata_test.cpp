// Pictures made by other encoders: each gives the outcome recorded for it, and decoded pictures are fingerprinted
// so the native and Windows builds can be compared byte for byte. Also the loader's ".JPG" name rule.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "formats/jpeg_decode.h"
#include "formats/open_picture.h"
#include "test_support.h"

namespace {

struct Expected {
    const char *file;
    int code; // 0: decodes to width x height
    int width, height;
};

const Expected kFiles[] = {
    {"libjpeg-turbo/testorig.jpg", 0, 227, 149},
    {"libjpeg-turbo/testimgint.jpg", 0, 227, 149},
    {"libjpeg-turbo/testimgfst100.jpg", 0, 227, 149},
    {"libjpeg-turbo/testimggray.jpg", 0, 227, 149},
    {"libjpeg-turbo/testimgcrop.jpg", 0, 124, 92},
    {"libjpeg-turbo/testimgari.jpg", 106, 0, 0},
    {"libjpeg-turbo/testimgp.jpg", 106, 0, 0},
    {"libjpeg-turbo/testorig12.jpg", 106, 0, 0},
    {"libjpeg-turbo/testimgl.jpg", 106, 0, 0},
    {"jpeg-decoder/mozilla/jpg-size-1x1.jpg", 0, 1, 1},
    {"jpeg-decoder/mozilla/jpg-size-2x2.jpg", 0, 2, 2},
    {"jpeg-decoder/mozilla/jpg-size-3x3.jpg", 0, 3, 3},
    {"jpeg-decoder/mozilla/jpg-size-4x4.jpg", 0, 4, 4},
    {"jpeg-decoder/mozilla/jpg-size-5x5.jpg", 0, 5, 5},
    {"jpeg-decoder/mozilla/jpg-size-7x7.jpg", 0, 7, 7},
    {"jpeg-decoder/mozilla/jpg-size-8x8.jpg", 0, 8, 8},
    {"jpeg-decoder/mozilla/jpg-size-9x9.jpg", 0, 9, 9},
    {"jpeg-decoder/mozilla/jpg-size-15x15.jpg", 0, 15, 15},
    {"jpeg-decoder/mozilla/jpg-size-16x16.jpg", 0, 16, 16},
    {"jpeg-decoder/mozilla/jpg-size-17x17.jpg", 0, 17, 17},
    {"jpeg-decoder/mozilla/jpg-size-31x31.jpg", 0, 31, 31},
    {"jpeg-decoder/mozilla/jpg-size-32x32.jpg", 0, 32, 32},
    {"jpeg-decoder/mozilla/jpg-size-33x33.jpg", 0, 33, 33},
    {"jpeg-decoder/mozilla/jpg-size-6x6.jpg", 105, 0, 0}, // a PNG file under a .jpg name
    {"jpeg-decoder/mozilla/jpg-gray.jpg", 0, 32, 32},
    {"jpeg-decoder/mozilla/jpg-srgb-icc.jpg", 0, 1, 1},
    {"jpeg-decoder/mozilla/jpg-progressive.jpg", 106, 0, 0},
    {"jpeg-decoder/mozilla/jpg-cmyk-1.jpg", 105, 0, 0},
    {"jpeg-decoder/restarts.jpg", 0, 33, 33},
    {"jpeg-decoder/extraneous-data.jpg", 0, 16, 16},
    {"jpeg-decoder/grayscale_square.jpg", 0, 10, 10},
    {"jpeg-decoder/grayscale_large.jpg", 0, 1000, 1},
    {"jpeg-decoder/grayscale_long.jpg", 0, 1, 1000},
    {"jpeg-decoder/grayscale_16x24_sampling2x2.jpg", 0, 16, 24},
    {"jpeg-decoder/grayscale_24x16_sampling2x2.jpg", 0, 24, 16},
    {"jpeg-decoder/blank_800x280.jpg", 0, 800, 280},
    {"jpeg-decoder/16bit-qtables.jpg", 106, 0, 0},
    {"jpeg-decoder/non-interleaved-mcu.jpg", 106, 0, 0},
    {"jpeg-decoder/mjpeg.jpg", 0, 960, 720},
    {"jpeg-decoder/crashtest/dc-predictor-overflow.jpg", 0, 144, 144},
    {"jpeg-decoder/crashtest/derive-huffman-codes-overflow.jpg", 105, 0, 0},
    {"jpeg-decoder/crashtest/extraneous-bytes-after-sos.jpg", 0, 1744, 2464},
    {"jpeg-decoder/crashtest/multiple-0xff-before-eoi.jpg", 0, 640, 480},
    {"jpeg-decoder/crashtest/invalid-dimensions.jpg", 105, 0, 0},
    {"jpeg-decoder/crashtest/null_height.jpg", 105, 0, 0},
    {"jpeg-decoder/crashtest/max_size.jpg", 101, 0, 0},
    {"jpeg-decoder/crashtest/empty.jpg", 104, 0, 0},
    {"jpeg-decoder/crashtest/missing-frame-image-1410.jpg", 105, 0, 0},
    {"jpeg-decoder/crashtest/missing-sof.jpg", 105, 0, 0},
    {"jpeg-decoder/crashtest/missing-sos.jpg", 106, 0, 0},
    {"jpeg-decoder/crashtest/subtract-with-overflow.jpg", 106, 0, 0},
    {"pillow/hopper.jpg", 0, 128, 128},
    {"pillow/hopper_gray.jpg", 0, 128, 128},
    {"pillow/iptc.jpg", 0, 640, 480},
    {"pillow/flower2.jpg", 0, 300, 225},
    {"pillow/photoshop-200dpi.jpg", 0, 200, 200},
    {"pillow/jpeg_ff00_header.jpg", 0, 300, 225},
    {"pillow/junk_jpeg_header.jpg", 0, 1024, 768},
    {"pillow/truncated_exif_dpi.jpg", 0, 480, 640},
    {"pillow/sugarshack_bad_mpo_header.jpg", 0, 640, 480},
    {"pillow/app13.jpg", 0, 4, 4},
    {"pillow/orientation_rectangle.jpg", 0, 2, 1},
    {"pillow/jfif_unit_cm.jpg", 0, 1, 1},
    {"pillow/icc-after-SOF.jpg", 0, 10, 10},
    {"pillow/hopper_16bit_qtables.jpg", 106, 0, 0},
    {"pillow/pil_sample_cmyk.jpg", 105, 0, 0},
    {"pillow/truncated_jpeg.jpg", 106, 0, 0},
};

std::string TestFile(const char *name) { return SourcePath(std::string("../shared/testdata/jpeg/") + name); }

std::vector<uint8_t> ReadAll(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

TEST(JpegTestdata, EveryFileGivesItsRecordedOutcome) {
    for (const Expected &e : kFiles) {
        const std::string path = TestFile(e.file);
        int rc = -1;
        DibOwner dib(DecodeJpegFile(path.c_str(), &rc));
        EXPECT_EQ(rc, e.code) << e.file;
        if (e.code != 0) {
            EXPECT_FALSE(dib) << e.file;
            continue;
        }
        ASSERT_TRUE(dib) << e.file;
        DibHeader h;
        ASSERT_EQ(DibInfo(dib.get(), &h), 1);
        EXPECT_EQ(h.biWidth, e.width) << e.file;
        EXPECT_EQ(h.biHeight, e.height) << e.file;
        EXPECT_EQ(h.biBitCount, 24);
        EXPECT_EQ(BlockSize(dib.get()), 40 + Stride24(e.width) * e.height) << e.file;
        std::string name = std::string("jpeg_file_") + e.file;
        for (char &c : name)
            if (c == '/' || c == '.') c = '_';
        RecordPicture(name, dib.get());
        // The memory entry point gives the same bytes.
        const std::vector<uint8_t> bytes = ReadAll(path);
        DibOwner again(DecodeJpegMemory(bytes.data(), bytes.size(), &rc));
        ASSERT_TRUE(again) << e.file;
        EXPECT_EQ(BytesOf(again.get()), BytesOf(dib.get())) << e.file;
    }
}

TEST(JpegTestdata, GreyFilesDecodeWithEqualChannels) {
    for (const char *f : {"libjpeg-turbo/testimggray.jpg", "pillow/hopper_gray.jpg", "jpeg-decoder/blank_800x280.jpg"}) {
        DibOwner dib(DecodeJpegFile(TestFile(f).c_str(), nullptr));
        ASSERT_TRUE(dib) << f;
        for (const auto &row : RowsOf(dib.get()))
            for (uint32_t p : row) ASSERT_EQ(p, (p & 0xFF) * 0x010101u) << f;
    }
}

TEST(JpegTestdata, AFileCutInHalfKeepsItsTopRowsAndIsBlackBelow) {
    const std::string path = TestFile("pillow/hopper.jpg");
    const std::vector<uint8_t> bytes = ReadAll(path);
    ASSERT_GT(bytes.size(), 1000u);
    DibOwner full(DecodeJpegMemory(bytes.data(), bytes.size(), nullptr));
    int rc = -1;
    DibOwner cut(DecodeJpegMemory(bytes.data(), bytes.size() / 2, &rc));
    ASSERT_TRUE(full);
    ASSERT_TRUE(cut) << rc;
    const auto a = RowsOf(full.get()), b = RowsOf(cut.get());
    EXPECT_EQ(std::vector<std::vector<uint32_t>>(a.begin(), a.begin() + 32),
              std::vector<std::vector<uint32_t>>(b.begin(), b.begin() + 32));
    EXPECT_EQ(b.back(), std::vector<uint32_t>(128, 0u));
    RecordPicture("jpeg_hopper_cut_in_half", cut.get());
}

TEST(JpegLoader, NamesEndingInJpgInAnyCaseGoToTheDecoder) {
    const std::vector<uint8_t> bytes = ReadAll(TestFile("pillow/hopper.jpg"));
    for (const char *name : {"jpeg_loader_PHOTO.JpG", "jpeg_loader_photo.jpg", "jpeg_loader_photo.jpeg"}) {
        const std::string path = TempPath(name);
        FILE *f = fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
        OpenReport report;
        DibOwner dib(OpenPictureFile(path.c_str(), &report));
        const bool jpegName = std::string(name).find(".jpeg") == std::string::npos;
        EXPECT_EQ(report.isJpeg, jpegName) << name;
        EXPECT_EQ((bool)dib, jpegName) << name; // .jpeg goes to the BMP reader, which refuses it
        remove(path.c_str());
    }
}
