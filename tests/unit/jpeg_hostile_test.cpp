// Damaged and hostile JPEG input: every case fails with its code or yields a picture, and never reads or writes
// out of bounds (the native run has AddressSanitizer) or hangs.
#include <gtest/gtest.h>

#include <chrono>

#include "formats/jpeg_decode.h"
#include "jpeg_test_stream.h"
#include "test_support.h"

namespace {

using Comp = JpegTestStream::Comp;

int CodeOf(const std::vector<uint8_t> &bytes) {
    int rc = -1;
    DibOwner dib(DecodeJpegMemory(bytes.data(), bytes.size(), &rc));
    if (dib) {
        EXPECT_EQ(rc, 0);
    }
    return dib ? 0 : rc;
}

JpegTestStream Header(int w = 8, int h = 8) {
    JpegTestStream s;
    s.Soi().FlatDqt(0, 8).Sof0(w, h, {{1, 1, 1, 0}}).TypicalDht();
    return s;
}

std::vector<uint8_t> WithScan(JpegTestStream s) {
    s.Sos({{0, 0}});
    s.Raw({0x00, 0xFF, 0xD9});
    return s.bytes;
}

} // namespace

TEST(JpegHostile, TooShortAndUnmarkedDataAreRefused) {
    EXPECT_EQ(CodeOf({}), 104);
    EXPECT_EQ(CodeOf({0xFF}), 104);
    EXPECT_EQ(CodeOf({'h', 'e', 'l', 'l', 'o'}), 105);       // no marker at all
    EXPECT_EQ(CodeOf({0xFF, 0xD9, 0xFF, 0xD8}), 105);         // the first marker is not SOI
    EXPECT_EQ(CodeOf({0xFF, 0xD8, 1, 2, 3, 4, 5, 6, 7}), 105); // the scan for a marker stops at the end
    EXPECT_EQ(CodeOf({0xFF, 0xD8, 0xFF, 0xD9}), 105);         // EOI before any scan
    EXPECT_EQ(CodeOf({0xFF, 0xD8, 0xFF, 0xFF, 0xFF}), 105);   // only fill bytes
}

TEST(JpegHostile, SegmentLengthsMustMoveForwardAndFitTheData) {
    EXPECT_EQ(CodeOf({0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x00, 0xFF, 0xD9}), 105); // would loop forever
    EXPECT_EQ(CodeOf({0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x01, 0xFF, 0xD9}), 105);
    EXPECT_EQ(CodeOf({0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x09, 0xFF, 0xD9}), 105); // longer than what remains
    EXPECT_EQ(CodeOf({0xFF, 0xD8, 0xFF, 0xE0}), 105);                         // ends inside the length
    // A file cut at every point inside its header segments fails cleanly.
    const std::vector<uint8_t> full = WithScan(Header());
    JpegTestStream head = Header();
    for (size_t n = 2; n < head.bytes.size(); ++n) {
        const int rc = CodeOf(std::vector<uint8_t>(full.begin(), full.begin() + n));
        EXPECT_TRUE(rc == 105) << "cut at " << n << " gave " << rc;
    }
}

TEST(JpegHostile, FrameHeadersOutsideTheTablesAreRefused) {
    JpegTestStream s;
    s.Soi().FlatDqt(0, 8).Sof0(8, 8, {{1, 1, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}, {4, 1, 1, 0}}).TypicalDht();
    EXPECT_EQ(CodeOf(WithScan(s)), 105); // four components
    s = JpegTestStream();
    s.Soi().FlatDqt(0, 8).Sof0(8, 8, {}).TypicalDht();
    EXPECT_EQ(CodeOf(WithScan(s)), 105); // none
    s = JpegTestStream();
    s.Soi().FlatDqt(0, 8).Sof0(8, 8, {{1, 1, 1, 4}}).TypicalDht();
    EXPECT_EQ(CodeOf(WithScan(s)), 105); // quantisation table 4
    s = JpegTestStream();
    s.Soi().FlatDqt(0, 8).Sof0(8, 8, {{1, 1, 1, 2}}).TypicalDht();
    EXPECT_EQ(CodeOf(WithScan(s)), 105); // quantisation table never defined
    EXPECT_EQ(CodeOf(WithScan(Header(0, 8))), 105);
    EXPECT_EQ(CodeOf(WithScan(Header(8, 0))), 105);
}

TEST(JpegHostile, HugeFramesAreRefusedBySizeNotAllocatedOrOverrun) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(CodeOf(WithScan(Header(65535, 65535))), 101);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(JpegHostile, UnsupportedLayoutsAreRefused) {
    const std::vector<std::vector<Comp>> bad = {
        {{1, 4, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}}, // 4:1:1
        {{1, 4, 2, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}}, // 4:1:0
        {{1, 2, 2, 0}, {2, 2, 1, 0}, {3, 1, 1, 0}}, // chroma not 1 x 1
        {{1, 0, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}}, // zero factor
        {{1, 1, 1, 0}, {2, 1, 1, 0}},               // two components
    };
    for (const auto &comps : bad) {
        JpegTestStream s;
        s.Soi().FlatDqt(0, 8).Sof0(16, 16, comps).TypicalDht();
        std::vector<std::pair<int, int>> tables(comps.size(), {0, 0});
        s.Sos(tables);
        s.Raw({0, 0xFF, 0xD9});
        EXPECT_EQ(CodeOf(s.bytes), 105) << comps[0].h << "x" << comps[0].v;
    }
}

TEST(JpegHostile, OtherFrameTypesAreRefusedWith106) {
    for (uint8_t m : {0xC1, 0xC2, 0xC3, 0xC5, 0xC6, 0xC7, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF}) {
        JpegTestStream s;
        s.Soi().FlatDqt(0, 8).Sof(m, 8, 8, {{1, 1, 1, 0}}).TypicalDht();
        EXPECT_EQ(CodeOf(WithScan(s)), 106) << std::hex << (int)m;
    }
}

TEST(JpegHostile, BadHuffmanTablesAreRefused) {
    auto withTable = [](uint8_t tcth, std::vector<uint8_t> counts, std::vector<uint8_t> symbols) {
        JpegTestStream s;
        std::vector<uint8_t> p{tcth};
        p.insert(p.end(), counts.begin(), counts.end());
        p.insert(p.end(), symbols.begin(), symbols.end());
        s.Soi().FlatDqt(0, 8).Sof0(8, 8, {{1, 1, 1, 0}}).Segment(0xC4, p);
        return WithScan(s);
    };
    std::vector<uint8_t> counts(16, 0);
    counts[0] = 1;
    EXPECT_EQ(CodeOf(withTable(0x04, counts, {0})), 105); // table number 4
    EXPECT_EQ(CodeOf(withTable(0x20, counts, {0})), 105); // class 2
    std::vector<uint8_t> over(16, 0);
    over[0] = 3; // three codes of length 1
    EXPECT_EQ(CodeOf(withTable(0x10, over, {0, 1, 2})), 105);
    std::vector<uint8_t> many(16, 0);
    many[14] = 2;
    many[15] = 255; // 257 symbols, all of which would fit as codes
    EXPECT_EQ(CodeOf(withTable(0x10, many, std::vector<uint8_t>(257, 1))), 105);
    EXPECT_EQ(CodeOf(withTable(0x00, counts, {16})), 105);    // a DC size above 15
    counts[1] = 2;
    EXPECT_EQ(CodeOf(withTable(0x10, counts, {1, 2})), 105); // symbols run past the segment
}

TEST(JpegHostile, BadQuantisationTablesAreRefused) {
    auto withDqt = [](std::vector<uint8_t> payload) {
        JpegTestStream s;
        s.Soi().Segment(0xDB, payload).Sof0(8, 8, {{1, 1, 1, 0}}).TypicalDht();
        return WithScan(s);
    };
    std::vector<uint8_t> t(65, 1);
    t[0] = 0x20; // precision 2
    EXPECT_EQ(CodeOf(withDqt(t)), 105);
    t[0] = 0x04; // table 4
    EXPECT_EQ(CodeOf(withDqt(t)), 105);
    t[0] = 0x10; // 16-bit values, but only 64 bytes of them
    EXPECT_EQ(CodeOf(withDqt(t)), 105);
}

TEST(JpegHostile, BadScanHeadersAreRefused) {
    JpegTestStream s;
    s.Soi().FlatDqt(0, 8).TypicalDht().Sos({{0, 0}});
    s.Raw({0, 0xFF, 0xD9});
    EXPECT_EQ(CodeOf(s.bytes), 105); // SOS before SOF
    s = Header();
    s.Sos({{4, 0}});
    EXPECT_EQ(CodeOf(s.bytes), 105); // DC table 4
    s = Header();
    s.Sos({{0, 2}});
    EXPECT_EQ(CodeOf(s.bytes), 105); // AC table 2: never defined, and no typical table for it
    s = Header();
    s.Sos({{0, 0}, {0, 0}, {0, 0}, {0, 0}});
    EXPECT_EQ(CodeOf(s.bytes), 105); // four scan components
    s = JpegTestStream();
    s.Soi().FlatDqt(0, 8).Sof0(8, 8, {{1, 1, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}}).TypicalDht().Sos({{0, 0}});
    EXPECT_EQ(CodeOf(s.bytes), 105); // fewer scan components than the frame has
}

TEST(JpegHostile, EntropyDataThatEndsAnywhereStillGivesAPicture) {
    JpegTestStream s = Header(64, 64);
    s.Sos({{0, 0}});
    const size_t scanStart = s.bytes.size();
    const JpegTestTable dc = TypicalTable(false, 0), ac = TypicalTable(true, 0);
    for (int i = 0; i < 64; ++i) s.Block(TestBlock{i % 7 - 3, {{1, i + 1}, {9, -i - 1}, {40, 3}}}, dc, ac);
    s.Eoi();
    for (size_t n = scanStart; n <= s.bytes.size(); n += 7) {
        int rc = -1;
        DibOwner dib(DecodeJpegMemory(s.bytes.data(), n, &rc));
        EXPECT_TRUE(dib) << "cut at " << n;
    }
}

TEST(JpegHostile, RestartStormsAndMarkerSoupFinish) {
    JpegTestStream s = Header(512, 512);
    s.Sos({{0, 0}});
    for (int i = 0; i < 100000; ++i) s.Marker((uint8_t)(0xD0 + (i & 7)));
    s.Raw({0xFF, 0x00, 0xFF, 0x00, 0xFF, 0xC4, 0xFF, 0xFF, 0xFF});
    const auto start = std::chrono::steady_clock::now();
    int rc = -1;
    DibOwner dib(DecodeJpegMemory(s.bytes.data(), s.bytes.size(), &rc));
    EXPECT_TRUE(dib) << rc;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST(JpegHostile, HostileTablesCannotReadPastTheData) {
    // Every 16-bit pattern is a 16-bit code for "run 0, size 15": each coefficient eats 31 bits, far beyond the
    // data and its padding within one MCU.
    std::vector<uint8_t> counts(16, 0);
    counts[15] = 255;
    JpegTestStream s;
    s.Soi().FlatDqt(0, 1).FlatDqt(1, 1).Sof0(16, 16, {{1, 2, 2, 0}, {2, 1, 1, 1}, {3, 1, 1, 1}});
    s.Dht(0, 0, MakeTestTable(counts, std::vector<uint8_t>(255, 15)));
    s.Dht(1, 0, MakeTestTable(counts, std::vector<uint8_t>(255, 0x0F)));
    s.Sos({{0, 0}, {0, 0}, {0, 0}});
    s.Raw({0x12, 0x34});
    int rc = -1;
    DibOwner dib(DecodeJpegMemory(s.bytes.data(), s.bytes.size(), &rc));
    EXPECT_TRUE(dib) << rc;
    // Predictors wrap instead of overflowing.
    JpegTestStream w = Header(2048, 8);
    w.Sos({{0, 0}});
    const JpegTestTable dc = TypicalTable(false, 0), ac = TypicalTable(true, 0);
    for (int i = 0; i < 256; ++i) w.Block(TestBlock{2047, {}}, dc, ac);
    w.Eoi();
    DibOwner wrapped(DecodeJpegMemory(w.bytes.data(), w.bytes.size(), &rc));
    EXPECT_TRUE(wrapped);
}

TEST(JpegHostile, AllocationFailuresReport101) {
    const std::vector<uint8_t> ok = WithScan(Header(256, 256));
    BlockFailLargeAllocations(200000, 1); // only the picture block is this large
    EXPECT_EQ(CodeOf(ok), 101);
    BlockFailLargeAllocations(65536, 1); // a Huffman lookup
    EXPECT_EQ(CodeOf(ok), 101);
    BlockFailLargeAllocations(0, 0);
    EXPECT_EQ(CodeOf(ok), 0);
}

TEST(JpegHostile, FilesThatCannotBeReadGiveTheirCodes) {
    int rc = -1;
    EXPECT_EQ(DecodeJpegFile(TempPath("jpeg_no_such_file.JPG").c_str(), &rc), nullptr);
    EXPECT_EQ(rc, 103);
    const std::string empty = TempPath("jpeg_empty.JPG");
    FILE *f = fopen(empty.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fclose(f);
    EXPECT_EQ(DecodeJpegFile(empty.c_str(), &rc), nullptr);
    EXPECT_EQ(rc, 104);
    remove(empty.c_str());
}
