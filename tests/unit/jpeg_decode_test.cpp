// The decoder on streams built in memory: worked examples, layouts, restarts, truncation and the stream rules.
#include <gtest/gtest.h>

#include <cstring>

#include "formats/jpeg_decode.h"
#include "formats/jpeg_idct.h"
#include "jpeg_test_stream.h"
#include "test_support.h"

namespace {

using Comp = JpegTestStream::Comp;

PackedDib Decode(const JpegTestStream &s, int *rc) { return DecodeJpegMemory(s.bytes.data(), s.bytes.size(), rc); }

uint32_t Grey(int v) { return (uint32_t)v * 0x010101u; }

// A grey picture header with quantisers 8 (predictor start 128) and the typical tables.
JpegTestStream GreyStream(int w, int h, uint16_t q0 = 8) {
    JpegTestStream s;
    std::vector<uint16_t> q(64, 8);
    q[0] = q0;
    s.Soi().Dqt(0, q).Sof0(w, h, {{1, 1, 1, 0}}).TypicalDht();
    return s;
}

// Flat DC-only blocks: every pixel of each block is one value.
void PutFlatBlocks(JpegTestStream &s, const std::vector<int> &diffs) {
    const JpegTestTable dc = TypicalTable(false, 0), ac = TypicalTable(true, 0);
    for (int d : diffs) {
        TestBlock b;
        b.dcDiff = d;
        s.Block(b, dc, ac);
    }
}

// The top-down rows of 8-pixel-wide flat blocks, one value each, in a single MCU row.
std::vector<std::vector<uint32_t>> FlatRow(const std::vector<int> &values, int height) {
    std::vector<uint32_t> row;
    for (int v : values) row.insert(row.end(), 8, Grey(v));
    return std::vector<std::vector<uint32_t>>(height, row);
}

} // namespace

TEST(JpegDecode, FlatMidGreyBlockDecodesTo128WhenQ0Divides1024) {
    JpegTestStream s = GreyStream(8, 8, 16);
    s.Sos({{0, 0}});
    PutFlatBlocks(s, {0});
    s.Eoi();
    int rc = -1;
    DibOwner dib(Decode(s, &rc));
    ASSERT_TRUE(dib) << rc;
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(RowsOf(dib.get()), FlatRow({128}, 8)) << HexGrid(RowsOf(dib.get()));
    RecordPicture("jpeg_flat_grey_q16", dib.get());
}

TEST(JpegDecode, FlatMidGreyComesOutSlightlyDarkWhenQ0DoesNotDivide1024) {
    // Q[0] = 3: the predictor starts at 341, DC 1023, and 1023 >> 3 = 127.
    JpegTestStream s = GreyStream(8, 8, 3);
    s.Sos({{0, 0}});
    PutFlatBlocks(s, {0});
    s.Eoi();
    int rc = -1;
    DibOwner dib(Decode(s, &rc));
    ASSERT_TRUE(dib) << rc;
    EXPECT_EQ(RowsOf(dib.get()), FlatRow({127}, 8));
    RecordPicture("jpeg_flat_grey_q3", dib.get());
}

TEST(JpegDecode, ColourUsesTheProgramsOwnCoefficients) {
    // Y 128, Cb 4, Cr -3: B = (2048 + 96) >> 4, G = (2048 - 36 + 36) >> 4, R = (2048 - 60) >> 4.
    JpegTestStream s;
    s.Soi().FlatDqt(0, 8).FlatDqt(1, 8).Sof0(8, 8, {{1, 1, 1, 0}, {2, 1, 1, 1}, {3, 1, 1, 1}}).TypicalDht();
    s.Sos({{0, 0}, {1, 1}, {1, 1}});
    const JpegTestTable dcY = TypicalTable(false, 0), acY = TypicalTable(true, 0);
    const JpegTestTable dcC = TypicalTable(false, 1), acC = TypicalTable(true, 1);
    s.Block(TestBlock{0, {}}, dcY, acY);
    s.Block(TestBlock{4, {}}, dcC, acC);
    s.Block(TestBlock{-3, {}}, dcC, acC);
    s.Eoi();
    int rc = -1;
    DibOwner dib(Decode(s, &rc));
    ASSERT_TRUE(dib) << rc;
    const std::vector<std::vector<uint32_t>> want(8, std::vector<uint32_t>(8, 0x7C8086));
    EXPECT_EQ(RowsOf(dib.get()), want) << HexGrid(RowsOf(dib.get()));
}

TEST(JpegDecode, SeventeenPixelWide420HasTwoMcusAndStoresOneColumnOfTheSecond) {
    JpegTestStream s;
    s.Soi().FlatDqt(0, 8).FlatDqt(1, 8).Sof0(17, 16, {{1, 2, 2, 0}, {2, 1, 1, 1}, {3, 1, 1, 1}}).TypicalDht();
    s.Sos({{0, 0}, {1, 1}, {1, 1}});
    const JpegTestTable dcY = TypicalTable(false, 0), acY = TypicalTable(true, 0);
    const JpegTestTable dcC = TypicalTable(false, 1), acC = TypicalTable(true, 1);
    // MCU 1: luma 100 in all four blocks; MCU 2: luma 200. Chroma 0 throughout.
    for (int diff : {-28, 100}) {
        s.Block(TestBlock{diff, {}}, dcY, acY);
        for (int i = 0; i < 3; ++i) s.Block(TestBlock{0, {}}, dcY, acY);
        s.Block(TestBlock{0, {}}, dcC, acC);
        s.Block(TestBlock{0, {}}, dcC, acC);
    }
    s.Eoi();
    int rc = -1;
    DibOwner dib(Decode(s, &rc));
    ASSERT_TRUE(dib) << rc;
    std::vector<uint32_t> row(16, Grey(100));
    row.push_back(Grey(200));
    EXPECT_EQ(RowsOf(dib.get()), std::vector<std::vector<uint32_t>>(16, row)) << HexGrid(RowsOf(dib.get()));
    // Nothing of the second MCU spills into the row padding (17 x 3 = 51, stride 52).
    const std::vector<unsigned char> bytes = BytesOf(dib.get());
    for (int r = 0; r < 16; ++r) EXPECT_EQ(bytes[40 + 52 * r + 51], 0) << "row " << r;
    RecordPicture("jpeg_17_wide_420", dib.get());
}

TEST(JpegDecode, HeightNotAMultipleOfTheMcuKeepsExactlyHeightRows) {
    JpegTestStream s = GreyStream(8, 13);
    s.Sos({{0, 0}});
    PutFlatBlocks(s, {-28, -50}); // 100, then 50
    s.Eoi();
    int rc = -1;
    DibOwner dib(Decode(s, &rc));
    ASSERT_TRUE(dib) << rc;
    DibHeader h;
    ASSERT_EQ(DibInfo(dib.get(), &h), 1);
    EXPECT_EQ(h.biHeight, 13);
    EXPECT_EQ(h.biSizeImage, 24u * 13);
    EXPECT_EQ(BlockSize(dib.get()), 40u + 24 * 13); // the spare rows are trimmed
    std::vector<std::vector<uint32_t>> want(8, std::vector<uint32_t>(8, Grey(100)));
    want.resize(13, std::vector<uint32_t>(8, Grey(50)));
    EXPECT_EQ(RowsOf(dib.get()), want);
}

TEST(JpegDecode, EveryLayoutPlacesItsBlocksInScanOrder) {
    // Luma blocks 40, 80, 120, 160 in decode order; chroma 0. Blocks land left-right, then top-bottom.
    const struct {
        int h, v;
        std::vector<std::vector<int>> grid; // block values, top-down
    } layouts[] = {
        {1, 1, {{40}}}, {2, 1, {{40, 80}}}, {1, 2, {{40}, {80}}}, {2, 2, {{40, 80}, {120, 160}}},
    };
    for (const auto &l : layouts) {
        JpegTestStream s;
        s.Soi().FlatDqt(0, 8).FlatDqt(1, 8);
        s.Sof0(8 * l.h, 8 * l.v, {{1, l.h, l.v, 0}, {2, 1, 1, 1}, {3, 1, 1, 1}}).TypicalDht();
        s.Sos({{0, 0}, {1, 1}, {1, 1}});
        const JpegTestTable dcY = TypicalTable(false, 0), acY = TypicalTable(true, 0);
        const JpegTestTable dcC = TypicalTable(false, 1), acC = TypicalTable(true, 1);
        int pred = 128;
        for (int i = 0; i < l.h * l.v; ++i) {
            s.Block(TestBlock{40 * (i + 1) - pred, {}}, dcY, acY);
            pred = 40 * (i + 1);
        }
        s.Block(TestBlock{0, {}}, dcC, acC);
        s.Block(TestBlock{0, {}}, dcC, acC);
        s.Eoi();
        int rc = -1;
        DibOwner dib(Decode(s, &rc));
        ASSERT_TRUE(dib) << l.h << "x" << l.v << " " << rc;
        std::vector<std::vector<uint32_t>> want;
        for (const auto &blockRow : l.grid) {
            std::vector<uint32_t> row;
            for (int v : blockRow) row.insert(row.end(), 8, Grey(v));
            want.insert(want.end(), 8, row);
        }
        EXPECT_EQ(RowsOf(dib.get()), want) << l.h << "x" << l.v << "\n" << HexGrid(RowsOf(dib.get()));
    }
}

TEST(JpegDecode, ChromaIsReplicatedNotInterpolated) {
    // 4:2:0 with a Cb block whose left half is +8 and right half -8 (one AC term): each chroma sample covers
    // a 2 x 2 square of pixels, so neighbouring pixel pairs are equal.
    JpegTestStream s;
    s.Soi().FlatDqt(0, 8).FlatDqt(1, 8).Sof0(16, 16, {{1, 2, 2, 0}, {2, 1, 1, 1}, {3, 1, 1, 1}}).TypicalDht();
    s.Sos({{0, 0}, {1, 1}, {1, 1}});
    const JpegTestTable dcY = TypicalTable(false, 0), acY = TypicalTable(true, 0);
    const JpegTestTable dcC = TypicalTable(false, 1), acC = TypicalTable(true, 1);
    for (int i = 0; i < 4; ++i) s.Block(TestBlock{0, {}}, dcY, acY);
    s.Block(TestBlock{0, {{1, 6}}}, dcC, acC);
    s.Block(TestBlock{0, {}}, dcC, acC);
    s.Eoi();
    int rc = -1;
    DibOwner dib(Decode(s, &rc));
    ASSERT_TRUE(dib) << rc;
    const auto rows = RowsOf(dib.get());
    for (int y = 0; y < 16; y += 2)
        for (int x = 0; x < 16; x += 2) {
            EXPECT_EQ(rows[y][x], rows[y][x + 1]);
            EXPECT_EQ(rows[y][x], rows[y + 1][x]);
        }
    EXPECT_NE(rows[0][0], rows[0][15]);
    RecordPicture("jpeg_chroma_replicated", dib.get());
}

TEST(JpegDecode, RestartMarkersResetPredictorsWithAndWithoutDri) {
    // Four MCUs of 10, 20, 30, 40 with a restart after the second: the third difference counts from 128 again.
    for (bool dri : {true, false}) {
        JpegTestStream s = GreyStream(32, 8);
        if (dri) s.Dri(2);
        s.Sos({{0, 0}});
        PutFlatBlocks(s, {-118, 10});
        s.Rst(0);
        PutFlatBlocks(s, {-98, 10});
        s.Eoi();
        int rc = -1;
        DibOwner dib(Decode(s, &rc));
        ASSERT_TRUE(dib) << rc;
        EXPECT_EQ(RowsOf(dib.get()), FlatRow({10, 20, 30, 40}, 8)) << (dri ? "with DRI" : "without DRI");
    }
}

TEST(JpegDecode, TruncatedEntropyDataKeepsTheDecodedTopRows) {
    // Five MCU rows; the data stops after two. Rows of the last two MCUs stay black.
    JpegTestStream s = GreyStream(8, 40);
    s.Sos({{0, 0}});
    PutFlatBlocks(s, {-68, 60});
    s.FlushBits();
    int rc = -1;
    DibOwner dib(Decode(s, &rc));
    ASSERT_TRUE(dib) << rc;
    EXPECT_EQ(rc, 0);
    const auto rows = RowsOf(dib.get());
    for (int y = 0; y < 8; ++y) EXPECT_EQ(rows[y], std::vector<uint32_t>(8, Grey(60)));
    for (int y = 8; y < 16; ++y) EXPECT_EQ(rows[y], std::vector<uint32_t>(8, Grey(120)));
    for (int y = 24; y < 40; ++y) EXPECT_EQ(rows[y], std::vector<uint32_t>(8, 0u)) << "row " << y;
}

TEST(JpegDecode, EoiStopsDecodingAndLeavesTheRestBlack) {
    JpegTestStream s = GreyStream(8, 24);
    s.Sos({{0, 0}});
    PutFlatBlocks(s, {-28});
    s.Eoi();
    s.Raw(std::vector<uint8_t>(64, 0x55)); // data after EOI is not read
    int rc = -1;
    DibOwner dib(Decode(s, &rc));
    ASSERT_TRUE(dib) << rc;
    const auto rows = RowsOf(dib.get());
    EXPECT_EQ(rows[0], std::vector<uint32_t>(8, Grey(100)));
    for (int y = 8; y < 24; ++y) EXPECT_EQ(rows[y], std::vector<uint32_t>(8, 0u));
}

TEST(JpegDecode, MissingHuffmanTablesFallBackToTheTypicalOnes) {
    // The same scan with and without DHT segments decodes to the same picture.
    auto build = [](bool withDht) {
        JpegTestStream s;
        s.Soi().FlatDqt(0, 4).FlatDqt(1, 6).Sof0(16, 8, {{1, 2, 1, 0}, {2, 1, 1, 1}, {3, 1, 1, 1}});
        if (withDht) s.TypicalDht();
        s.Sos({{0, 0}, {1, 1}, {1, 1}});
        const JpegTestTable dcY = TypicalTable(false, 0), acY = TypicalTable(true, 0);
        const JpegTestTable dcC = TypicalTable(false, 1), acC = TypicalTable(true, 1);
        s.Block(TestBlock{5, {{1, -7}, {2, 3}, {20, 1}, {63, -2}}}, dcY, acY);
        s.Block(TestBlock{-9, {{5, 11}, {40, -1}}}, dcY, acY);
        s.Block(TestBlock{3, {{2, 4}}}, dcC, acC);
        s.Block(TestBlock{-2, {{1, -5}, {3, 2}}}, dcC, acC);
        s.Eoi();
        return s;
    };
    int rc1 = -1, rc2 = -1;
    DibOwner a(Decode(build(true), &rc1)), b(Decode(build(false), &rc2));
    ASSERT_TRUE(a) << rc1;
    ASSERT_TRUE(b) << rc2;
    EXPECT_EQ(RowsOf(a.get()), RowsOf(b.get()));
    EXPECT_NE(RowsOf(a.get())[0][0], RowsOf(a.get())[7][15]); // not flat grey
    RecordPicture("jpeg_typical_tables", b.get());
}

TEST(JpegDecode, FillBytesJunkAndStrayMarkersBetweenSegmentsArePassedOver) {
    JpegTestStream s;
    s.Raw({'j', 'u', 'n', 'k', 0xFF, 0xFF}).Soi();
    s.Raw({0xFF, 0x00, 1, 2, 3}).FlatDqt(0, 8);
    s.Raw({0xFF, 0xFF}).Sof0(8, 8, {{1, 1, 1, 0}}).TypicalDht();
    s.Raw({0xFF}).Marker(0xD8); // a second SOI does not stop the scan
    s.Raw({0xFF, 0xFF, 0xFF}).Sos({{0, 0}});
    PutFlatBlocks(s, {-28});
    s.FlushBits();
    s.Raw({0xFF, 0xFF}).Marker(0xD9);
    int rc = -1;
    DibOwner dib(Decode(s, &rc));
    ASSERT_TRUE(dib) << rc;
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(RowsOf(dib.get()), FlatRow({100}, 8));
}

TEST(JpegDecode, SixteenBitQuantisersAreRead) {
    JpegTestStream s;
    std::vector<uint16_t> q(64, 300);
    q[0] = 2;
    s.Soi().Dqt(0, q, true).Sof0(8, 8, {{1, 1, 1, 0}}).TypicalDht().Sos({{0, 0}});
    PutFlatBlocks(s, {-412}); // predictor 512 - 412 = 100, DC 200, pixels 25
    s.Eoi();
    int rc = -1;
    DibOwner dib(Decode(s, &rc));
    ASSERT_TRUE(dib) << rc;
    EXPECT_EQ(RowsOf(dib.get()), FlatRow({25}, 8));
}

// Streams whose bit alignment at MCU ends is chosen exactly, with small tables of our own.
namespace {

// DC: category c is c 1-bits then a 0. AC: EOB "0", ZRL "10", run 14 / size 11 "11".
JpegTestTable UnaryDc() {
    std::vector<uint8_t> counts(16, 0), symbols;
    for (int len = 1; len <= 15; ++len) counts[len - 1] = 1, symbols.push_back((uint8_t)(len - 1));
    return MakeTestTable(counts, symbols);
}
JpegTestTable SmallAc() {
    std::vector<uint8_t> counts(16, 0);
    counts[0] = 1;
    counts[1] = 2;
    return MakeTestTable(counts, {0x00, 0xF0, 0xEB});
}

JpegTestStream AlignedStream(int mcus, int dri = 0) {
    JpegTestStream s;
    std::vector<uint16_t> q(64, 1);
    q[0] = 8;
    s.Soi().Dqt(0, q).Sof0(8 * mcus, 8, {{1, 1, 1, 0}});
    s.Dht(0, 0, UnaryDc()).Dht(1, 0, SmallAc());
    if (dri) s.Dri(dri);
    s.Sos({{0, 0}});
    return s;
}

// The expected 8 x 8 pixels of a block with DC predictor pred (Q 8) and an optional last coefficient.
std::vector<uint32_t> ExpectedBlockRow(int pred, int last, int row) {
    int16_t b[64] = {};
    b[0] = (int16_t)(pred * 8);
    b[63] = (int16_t)last;
    JpegIdctPlain(b);
    std::vector<uint32_t> out;
    for (int x = 0; x < 8; ++x) {
        const int v = b[8 * row + x];
        out.push_back(Grey(v < 0 ? 0 : v > 255 ? 255 : v));
    }
    return out;
}

} // namespace

TEST(JpegDecode, AnMcuEndingInsideAStuffedByteBeforeMoreDataIsNotMistakenForAMarker) {
    // MCU 1 is 20 bits ending in 1-bits, so it ends 4 bits into a 0xFF byte; MCU 2 starts with 12 1-bits, so
    // the bytes there read FF 00 FF 00: data, not the tail of a marker.
    const JpegTestTable dc = UnaryDc(), ac = SmallAc();
    JpegTestStream s = AlignedStream(2);
    s.Block(TestBlock{0, {{63, 2047}}}, dc, ac);
    s.Block(TestBlock{16383, {}}, dc, ac);
    s.Eoi();
    // The alignment the test relies on: 55 FF 00 FF 00 FF 00 DF FF 00 BF, then EOI.
    const std::vector<uint8_t> data(s.bytes.end() - 13, s.bytes.end() - 2);
    ASSERT_EQ(data, (std::vector<uint8_t>{0x55, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xDF, 0xFF, 0, 0xBF}));
    int rc = -1;
    DibOwner dib(Decode(s, &rc));
    ASSERT_TRUE(dib) << rc;
    const auto rows = RowsOf(dib.get());
    for (int y = 0; y < 8; ++y) {
        std::vector<uint32_t> want = ExpectedBlockRow(128, 2047, y);
        const std::vector<uint32_t> second = ExpectedBlockRow((int16_t)(128 + 16383), 0, y);
        want.insert(want.end(), second.begin(), second.end());
        EXPECT_EQ(rows[y], want) << "row " << y;
    }
}

TEST(JpegDecode, AnMcuEndingInsideAStuffedPaddingByteBeforeARestartRestarts) {
    // The same first MCU, padded to a 0xFF byte: FF 00 FF D0 follows, and the restart must be taken.
    const JpegTestTable dc = UnaryDc(), ac = SmallAc();
    JpegTestStream s = AlignedStream(2);
    s.Block(TestBlock{0, {{63, 2047}}}, dc, ac);
    s.Rst(0);
    s.Block(TestBlock{-28, {}}, dc, ac);
    s.Eoi();
    int rc = -1;
    DibOwner dib(Decode(s, &rc));
    ASSERT_TRUE(dib) << rc;
    const auto rows = RowsOf(dib.get());
    for (int y = 0; y < 8; ++y) EXPECT_EQ(std::vector<uint32_t>(rows[y].begin() + 8, rows[y].end()),
                                          std::vector<uint32_t>(8, Grey(100)));
}

TEST(JpegDecode, SmallMcusSharingAByteWithTheMarkerAreStillDecoded) {
    const JpegTestTable dc = UnaryDc(), ac = SmallAc();
    {
        // Three MCUs in one byte (00 00 1010), then EOI: the third must not be lost.
        JpegTestStream s = AlignedStream(3);
        s.Block(TestBlock{0, {}}, dc, ac);
        s.Block(TestBlock{0, {}}, dc, ac);
        s.Block(TestBlock{1, {}}, dc, ac);
        s.Eoi();
        int rc = -1;
        DibOwner dib(Decode(s, &rc));
        ASSERT_TRUE(dib) << rc;
        EXPECT_EQ(RowsOf(dib.get()), FlatRow({128, 128, 129}, 8));
    }
    {
        // Restart every two MCUs; the second MCU of each interval shares the first one's byte.
        JpegTestStream s = AlignedStream(4, 2);
        s.Block(TestBlock{0, {}}, dc, ac);
        s.Block(TestBlock{1, {}}, dc, ac);
        s.Rst(0);
        s.Block(TestBlock{1, {}}, dc, ac);
        s.Block(TestBlock{0, {}}, dc, ac);
        s.Eoi();
        int rc = -1;
        DibOwner dib(Decode(s, &rc));
        ASSERT_TRUE(dib) << rc;
        EXPECT_EQ(RowsOf(dib.get()), FlatRow({128, 129, 129, 129}, 8));
    }
}
