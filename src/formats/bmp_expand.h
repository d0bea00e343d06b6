// Conversion of every layout the BMP reader delivers (palette, 2-bit, run-length, bit fields) to 24 bits.
#pragma once
#include "image/dib.h"

// The raw picture stays the caller's. Returns a new 24-bit picture, or null when the layout is not one the
// reader makes or memory runs out.
PackedDib ExpandToFullColour(PackedDib raw);

// The decoders behind it, on a locked raw block; each returns a new 24-bit picture or null.
PackedDib DecodeRle(const unsigned char *raw, size_t rawBytes);
PackedDib DecodeBitFields(const unsigned char *raw, size_t rawBytes);
PackedDib DecodeTwoBit(const unsigned char *raw, size_t rawBytes);

// A zeroed 24-bit picture with the raw header's size and resolution fields.
PackedDib NewExpandedPicture(const DibHeader *raw);
// The colour table as blue, green, red triples for indices 0..255; indices past the table read black.
void BuildColourLut(const unsigned char *raw, unsigned char lut[256][3]);

