// Pictures that other programs put on the clipboard as CF_DIB: checked against the block that holds them before
// anything reads a pixel, then converted to the 24-bit form by the BMP reader's decoders.
#pragma once
#include <cstddef>
#include <cstdint>

#include "image/dib.h"

enum class ClipboardDibVerdict {
    kUsable,
    kTooShort,      // not even a header
    kBadHeader,     // biSize below 40 or past the block, width below 1, height 0
    kTooLarge,      // past the size guard at 24 bits
    kUnsupported,   // a depth or compression this program does not read from the clipboard
    kBadTable,      // more colours than the depth can index
    kMissingRows,   // the block ends before the last row the header promises
};

// Where the parts of a usable block lie.
struct ClipboardDibLayout {
    DibHeader header;      // the 40-byte header, positive height, biSizeImage = the rows' bytes
    bool topDown;
    uint32_t masks[3];     // red, green, blue for 16 and 32 bits
    uint32_t tableEntries; // palette entries (1 to 8 bits)
    size_t tableOffset;    // of the palette
    size_t pixelOffset;    // of the first stored row
};

// Checks a CF_DIB block of `size` bytes: header size (40 and the larger V4/V5 forms), width, height (top-down
// too), depth 1, 2, 4, 8, 16, 24 or 32, compression none (or bit fields at 16 and 32 bits), the colour table, and
// that every row lies inside the block.
ClipboardDibVerdict CheckClipboardDib(const void *data, size_t size, ClipboardDibLayout *layout);

// A new 24-bit picture (40-byte header, bottom-up) from a CF_DIB block, or null when the block is refused or
// memory runs out. The block itself is only read.
PackedDib DecodeClipboardDib(const void *data, size_t size);
