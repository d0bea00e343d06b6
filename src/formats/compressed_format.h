// The program's own lossless nibble-delta form for 24-bit pictures (a BMP file with biCompression 256).
#pragma once
#include "image/dib.h"

enum class CompressOutcome {
    kDone,
    kNotFullColour, // the picture is not a 24-bit picture
    kNoMemory,      // the output block could not be allocated or shrunk
    kNoGain,        // the stream would not fit in the picture's own size; the refusal message was shown
};

// Compresses a 24-bit picture into a new block (header with biCompression 256 and biSizeImage = stream bytes,
// then the stream). Returns null when it did not; outcome (optional) says why. The input is left unchanged.
PackedDib CompressPicture(PackedDib picture, CompressOutcome *outcome = nullptr);

// Decompresses a block in that form into a 24-bit picture; the stream is bounded by biSizeImage and the block.
// A stream that ends early leaves the rows it did not reach black. Returns null for a header it cannot use
// (or, after "グローバルメモリが足りません", when memory runs out).
PackedDib DecompressPicture(PackedDib compressed);

// The most bytes one row can take in the stream: three segments of one raw byte and up to 3 nibbles a column.
inline int64_t WorstCompressedRow(int64_t width) { return 3 * (1 + (3 * (width - 1) + 1) / 2); }
