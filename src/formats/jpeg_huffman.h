// Huffman lookups for the JPEG decoder: the 65536-entry tables, the zig-zag order and the standard tables.
#pragma once
#include <cstdint>

#include "formats/jpeg_state.h"

// T.81 zig-zag position -> natural (row-major) position.
extern const uint8_t kJpegNatural[64];

// Why a table was refused.
enum class HuffmanBuild { Ok, TooManySymbols, CodeOverflow, DcSymbolTooLarge, NoMemory };

// Fills the slot's 65536-entry lookup (allocating it on first use) from the 16 code counts and the symbols.
// Every entry whose top L bits spell a code of length L gets (L << 8 | symbol); the rest stay 0.
HuffmanBuild BuildHuffmanLookup(JpegDecoder *d, int slot, const uint8_t counts[16], const uint8_t *symbols);

// The typical tables of T.81 K.3 (luminance for number 0, chrominance for 1), for scans whose slot no DHT
// defined, as motion-JPEG frames do. False for other numbers.
bool StandardHuffmanTable(bool ac, int number, const uint8_t **counts, const uint8_t **symbols);

// Frees the lookups.
void FreeHuffmanLookups(JpegDecoder *d);
