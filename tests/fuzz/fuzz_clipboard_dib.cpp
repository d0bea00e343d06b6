// Fuzz target: a CF_DIB block as another program might put it on the clipboard, through the check and the
// BMP reader's conversions. Whatever comes out must be a whole 24-bit picture.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/clipboard_dib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // Pictures past 64 MB are legal but only slow the search; the size guard itself is tested elsewhere.
    BlockFailLargeAllocations(64u << 20, INT_MAX);
    // An exact-size copy, so reading one byte past the block is caught.
    std::vector<uint8_t> block(data, data + size);
    PackedDib dib = DecodeClipboardDib(block.data(), block.size());
    if (dib) {
        DibHeader h;
        if (!DibInfo(dib, &h) || h.biBitCount != 24 || h.biHeight < 1 || h.biWidth < 1 || h.biClrUsed != 0 ||
            BlockSize(dib) < kDibHeaderSize + Stride24(h.biWidth) * (size_t)h.biHeight)
            __builtin_trap();
        BlockFree(dib);
    }
    return 0;
}
