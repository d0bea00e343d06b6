// libFuzzer target for the JPEG decoder: any bytes in, a picture or a result code out, nothing else.
#include <cstddef>
#include <cstdint>

#include "formats/jpeg_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // A few hundred bytes can declare a picture of a gigabyte; larger blocks take the allocation-failure path
    // so each run stays small and quick.
    BlockFailLargeAllocations(64u << 20, 1 << 30);
    int rc = 0;
    PackedDib dib = DecodeJpegMemory(data, size, &rc);
    if (dib) {
        const DibHeader *h = static_cast<const DibHeader *>(BlockLock(dib));
        if (h->biWidth < 1 || h->biHeight < 1 || BlockSize(dib) < 40 + Stride24(h->biWidth) * (size_t)h->biHeight)
            __builtin_trap();
        BlockUnlock(dib);
        BlockFree(dib);
    } else if (rc < 101 || rc > 106) {
        __builtin_trap();
    }
    return 0;
}
