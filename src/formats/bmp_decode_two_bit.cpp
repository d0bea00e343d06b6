// 2-bit palette BMP pixels to 24 bits (four pixels a byte, the leftmost in the top bits).
#include "formats/bmp_expand.h"
#include "platform/workers.h"

PackedDib DecodeTwoBit(const unsigned char *raw, size_t rawBytes) {
    const DibHeader *h = reinterpret_cast<const DibHeader *>(raw);
    if (h->biBitCount != 2) return nullptr;
    const size_t start = kDibHeaderSize + 4 * (size_t)DibColourCount(h);
    const int64_t srcStride = DibRowStride(h->biWidth, 2);
    if ((uint64_t)start + (uint64_t)srcStride * (uint64_t)h->biHeight > rawBytes) return nullptr;
    unsigned char lut[256][3];
    BuildColourLut(raw, lut);

    PackedDib out = NewExpandedPicture(h);
    if (!out) return nullptr;
    BlockLockGuard lock(out);
    unsigned char *dst = DibPixels(lock.get());
    const size_t dstStride = Stride24(h->biWidth);
    ForEachRow(h->biHeight, [&](int64_t row) {
        const unsigned char *s = raw + start + (size_t)srcStride * row;
        unsigned char *d = dst + dstStride * row;
        for (int x = 0; x < h->biWidth; ++x, d += 3) {
            const unsigned index = (s[x >> 2] >> (6 - 2 * (x & 3))) & 3;
            d[0] = lut[index][0];
            d[1] = lut[index][1];
            d[2] = lut[index][2];
        }
    });
    return out;
}
