// Fuzz target: the whole BMP open path (reader, every layout's 24-bit conversion, decompression) on bytes in memory.
#include <climits>
#include <cstddef>
#include <cstdint>

#include "formats/bmp_read.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // Pictures past 64 MB are legal but only slow the search; the size guard itself is tested elsewhere.
    BlockFailLargeAllocations(64u << 20, INT_MAX);
    OpenReport report;
    PackedDib dib = OpenBmpMemory(data, size, &report);
    if (dib) {
        DibHeader h;
        if (!DibInfo(dib, &h) || h.biBitCount != 24 || h.biHeight < 1 || h.biWidth < 1 || h.biClrUsed != 0 ||
            BlockSize(dib) < kDibHeaderSize + Stride24(h.biWidth) * (size_t)h.biHeight)
            __builtin_trap();
        BlockFree(dib);
    }
    return 0;
}
