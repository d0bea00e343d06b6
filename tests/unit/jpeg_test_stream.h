// Builds small JPEG streams in memory for the decoder's tests: segments, and entropy-coded blocks written with
// the typical Huffman tables (or any table given), with byte stuffing and restart markers.
#pragma once
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "formats/jpeg_huffman.h"

struct JpegTestTable {
    std::vector<uint8_t> counts; // 16
    std::vector<uint8_t> symbols;
    std::map<int, std::pair<uint32_t, int>> codes; // symbol -> (code, length)
};

inline JpegTestTable MakeTestTable(const std::vector<uint8_t> &counts, const std::vector<uint8_t> &symbols) {
    JpegTestTable t{counts, symbols, {}};
    uint32_t code = 0;
    size_t k = 0;
    for (int len = 1; len <= 16; ++len) {
        for (int i = 0; i < counts[len - 1]; ++i, ++k, ++code) t.codes[symbols[k]] = {code, len};
        code <<= 1;
    }
    return t;
}

inline JpegTestTable TypicalTable(bool ac, int number) {
    const uint8_t *c, *s;
    StandardHuffmanTable(ac, number, &c, &s);
    int total = 0;
    for (int i = 0; i < 16; ++i) total += c[i];
    return MakeTestTable(std::vector<uint8_t>(c, c + 16), std::vector<uint8_t>(s, s + total));
}

// One block's quantised coefficients in zig-zag order: [0] is the DC difference.
struct TestBlock {
    int dcDiff = 0;
    std::vector<std::pair<int, int>> ac; // (zig-zag position 1..63, value), ascending
};

class JpegTestStream {
public:
    std::vector<uint8_t> bytes;

    JpegTestStream &Raw(std::vector<uint8_t> b) {
        bytes.insert(bytes.end(), b.begin(), b.end());
        return *this;
    }
    JpegTestStream &Marker(uint8_t m) { return Raw({0xFF, m}); }
    JpegTestStream &Segment(uint8_t m, const std::vector<uint8_t> &payload) {
        const size_t len = payload.size() + 2;
        Raw({0xFF, m, (uint8_t)(len >> 8), (uint8_t)len});
        return Raw(payload);
    }
    JpegTestStream &Soi() { return Marker(0xD8); }
    JpegTestStream &Eoi() {
        FlushBits();
        return Marker(0xD9);
    }
    // A quantisation table from 64 values in zig-zag order, 8- or 16-bit.
    JpegTestStream &Dqt(int tq, std::vector<uint16_t> zigzag, bool sixteen = false) {
        std::vector<uint8_t> p{(uint8_t)((sixteen ? 0x10 : 0) | tq)};
        for (uint16_t v : zigzag) {
            if (sixteen) p.push_back((uint8_t)(v >> 8));
            p.push_back((uint8_t)v);
        }
        return Segment(0xDB, p);
    }
    JpegTestStream &FlatDqt(int tq, uint16_t value) { return Dqt(tq, std::vector<uint16_t>(64, value)); }
    struct Comp {
        int id, h, v, tq;
    };
    JpegTestStream &Sof(uint8_t marker, int w, int h, const std::vector<Comp> &comps) {
        std::vector<uint8_t> p{8, (uint8_t)(h >> 8), (uint8_t)h, (uint8_t)(w >> 8), (uint8_t)w, (uint8_t)comps.size()};
        for (const Comp &c : comps) p.insert(p.end(), {(uint8_t)c.id, (uint8_t)(c.h << 4 | c.v), (uint8_t)c.tq});
        return Segment(marker, p);
    }
    JpegTestStream &Sof0(int w, int h, const std::vector<Comp> &comps) { return Sof(0xC0, w, h, comps); }
    JpegTestStream &Dht(int tc, int th, const JpegTestTable &t) {
        std::vector<uint8_t> p{(uint8_t)(tc << 4 | th)};
        p.insert(p.end(), t.counts.begin(), t.counts.end());
        p.insert(p.end(), t.symbols.begin(), t.symbols.end());
        return Segment(0xC4, p);
    }
    // The typical tables for DC/AC 0 and 1.
    JpegTestStream &TypicalDht() {
        Dht(0, 0, TypicalTable(false, 0)).Dht(1, 0, TypicalTable(true, 0));
        return Dht(0, 1, TypicalTable(false, 1)).Dht(1, 1, TypicalTable(true, 1));
    }
    JpegTestStream &Dri(int n) { return Segment(0xDD, {(uint8_t)(n >> 8), (uint8_t)n}); }
    // tables: (Td, Ta) per component.
    JpegTestStream &Sos(const std::vector<std::pair<int, int>> &tables) {
        std::vector<uint8_t> p{(uint8_t)tables.size()};
        int id = 1;
        for (auto &t : tables) p.insert(p.end(), {(uint8_t)id++, (uint8_t)(t.first << 4 | t.second)});
        p.insert(p.end(), {0, 63, 0});
        return Segment(0xDA, p);
    }

    // Entropy-coded data.
    void Bits(uint32_t value, int n) {
        for (int i = n - 1; i >= 0; --i) {
            acc_ = acc_ << 1 | ((value >> i) & 1);
            if (++nbits_ == 8) EmitByte();
        }
    }
    void Code(const JpegTestTable &t, int symbol) {
        auto it = t.codes.find(symbol);
        if (it != t.codes.end()) Bits(it->second.first, it->second.second);
    }
    static int Category(int v) {
        int a = v < 0 ? -v : v, s = 0;
        while (a) ++s, a >>= 1;
        return s;
    }
    void Value(int v, int s) {
        if (s) Bits((uint32_t)(v < 0 ? v + (1 << s) - 1 : v), s);
    }
    void Block(const TestBlock &b, const JpegTestTable &dc, const JpegTestTable &ac) {
        const int s = Category(b.dcDiff);
        Code(dc, s);
        Value(b.dcDiff, s);
        int k = 1;
        for (auto &e : b.ac) {
            int run = e.first - k;
            while (run > 15) {
                Code(ac, 0xF0);
                run -= 16;
            }
            const int sz = Category(e.second);
            Code(ac, run << 4 | sz);
            Value(e.second, sz);
            k = e.first + 1;
        }
        if (k <= 63) Code(ac, 0x00);
    }
    // Pads the last byte with 1-bits.
    void FlushBits() {
        if (nbits_) Bits(0x7F, 8 - nbits_);
    }
    JpegTestStream &Rst(int n) {
        FlushBits();
        return Marker((uint8_t)(0xD0 + (n & 7)));
    }

private:
    void EmitByte() {
        bytes.push_back((uint8_t)acc_);
        if ((uint8_t)acc_ == 0xFF) bytes.push_back(0);
        acc_ = 0;
        nbits_ = 0;
    }
    uint32_t acc_ = 0;
    int nbits_ = 0;
};
