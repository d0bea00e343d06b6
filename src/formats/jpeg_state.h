// The decoder's working record, shared by the marker scan, the table builders and the scan decoder.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/block.h"

// Zero bytes after the file image, so the bit reader's look-ahead near the end stays in memory.
constexpr size_t kJpegPad = 1000;
// Eight Huffman slots: DC tables 0 to 3, then AC tables 0 to 3.
constexpr int kJpegSlots = 8;
constexpr size_t kJpegLookupEntries = 65536;
// Codes of up to this many bits are also found in a small table that stays in the first-level cache.
constexpr int kJpegFastBits = 10;

struct JpegComponent {
    int id;
    int h, v; // sampling factors
    int tq;   // quantisation table
    int td, ta; // Huffman tables of the scan (DC 0..3, AC 0..3)
};

// A Huffman lookup entry: code length << 8 | symbol; 0 is "no code" (symbol 0, length 0).
struct JpegDecoder {
    const uint8_t *data = nullptr; // the file image: size bytes, then kJpegPad zero bytes
    size_t size = 0;

    uint16_t quant[4][64] = {};    // natural order
    bool quantDefined[4] = {};
    uint16_t *lookup[kJpegSlots] = {};
    PackedDib lookupBlock[kJpegSlots] = {};
    // The same entries indexed by the next kJpegFastBits bits, where those bits decide the code; 0 sends the
    // probe to the full lookup (long codes, and patterns that match no code).
    uint16_t fast[kJpegSlots][1 << kJpegFastBits] = {};

    bool frameSeen = false;
    int width = 0, height = 0;
    int componentCount = 0;
    JpegComponent comp[3] = {};
    size_t scanStart = 0; // first byte of the entropy-coded data
    int lumaH = 1, lumaV = 1; // the sampling layout: Y blocks across and down an MCU (chroma is one block each)

    ~JpegDecoder();
    JpegDecoder() = default;
    JpegDecoder(const JpegDecoder &) = delete;
    JpegDecoder &operator=(const JpegDecoder &) = delete;
};

// Slot of a DC or AC table number.
inline int HuffmanSlot(bool ac, int number) { return (ac ? 4 : 0) + number; }
