// Fuzz target: the nibble-delta decompressor on arbitrary streams, and the round trip of whatever it decodes.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "formats/compressed_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 8) return 0;
    // Large pictures only slow the search (the size guard is tested elsewhere): cap blocks at 16 MB.
    BlockFailLargeAllocations(16u << 20, INT_MAX);
    // Input: width and height (16 bits each, as stored: 0 and huge values are tried too), the stated stream
    // length, then the stream.
    DibHeader h = MakeHeader24(1, 1);
    h.biWidth = (int16_t)(data[0] | data[1] << 8);
    h.biHeight = (int16_t)(data[2] | data[3] << 8);
    h.biCompression = kCompressedTag;
    memcpy(&h.biSizeImage, data + 4, 4);
    const size_t streamBytes = size - 8;
    PackedDib packed = BlockAlloc(kDibHeaderSize + streamBytes);
    if (!packed) return 0;
    {
        BlockLockGuard lock(packed);
        memcpy(lock.get(), &h, sizeof h);
        memcpy(lock.get() + kDibHeaderSize, data + 8, streamBytes);
    }
    PackedDib picture = DecompressPicture(packed);
    BlockFree(packed);
    if (!picture) return 0;
    // Whatever came out must survive compression and decompression bit for bit (checked on smaller pictures,
    // where a full round trip stays fast under the sanitizers).
    DibHeader out;
    DibInfo(picture, &out);
    PackedDib again = (int64_t)out.biWidth * out.biHeight <= (1 << 20) ? CompressPicture(picture) : nullptr;
    if (again) {
        PackedDib back = DecompressPicture(again);
        if (!back) __builtin_trap();
        {
            BlockLockGuard a(picture), b(back);
            DibHeader ha;
            memcpy(&ha, a.get(), sizeof ha);
            const size_t bytes = kDibHeaderSize + Stride24(ha.biWidth) * (size_t)ha.biHeight;
            if (BlockSize(back) < bytes || memcmp(a.get() + kDibHeaderSize, b.get() + kDibHeaderSize, bytes - kDibHeaderSize))
                __builtin_trap();
        }
        BlockFree(back);
        BlockFree(again);
    }
    BlockFree(picture);
    return 0;
}
