// 16- and 32-bit BMP pixels to 24 bits through their channel masks (the reader supplies the default masks for
// uncompressed files). A channel narrower than 8 bits repeats its bits downwards (so its largest value is 255),
// a wider one keeps its top 8 bits; any alpha is ignored.
#include "formats/bmp_expand.h"

#include <cstring>

#include "platform/workers.h"

namespace {

struct Channel {
    uint32_t mask;
    int shift; // of the lowest mask bit
    int bits;  // from the lowest to the highest mask bit
};

Channel MakeChannel(uint32_t mask) {
    Channel c{mask, 0, 0};
    if (!mask) return c;
    while (!((mask >> c.shift) & 1)) ++c.shift;
    while (c.shift + c.bits < 32 && (mask >> (c.shift + c.bits))) ++c.bits;
    return c;
}

inline unsigned char Scale(const Channel &c, uint32_t pixel) {
    if (!c.bits) return 0;
    const uint32_t v = (pixel & c.mask) >> c.shift;
    if (c.bits >= 8) return (unsigned char)(v >> (c.bits - 8));
    uint32_t out = 0;
    for (int filled = 0; filled < 8; filled += c.bits) out = (out << c.bits) | v;
    // The repeated value is at least 8 bits long; keep its top 8.
    int total = 0;
    for (int filled = 0; filled < 8; filled += c.bits) total += c.bits;
    return (unsigned char)(out >> (total - 8));
}

} // namespace

PackedDib DecodeBitFields(const unsigned char *raw, size_t rawBytes) {
    const DibHeader *h = reinterpret_cast<const DibHeader *>(raw);
    const int bits = h->biBitCount;
    if ((bits != 16 && bits != 32) || h->biClrUsed != 3) return nullptr;
    const size_t start = kDibHeaderSize + 12;
    const int64_t srcStride = DibRowStride(h->biWidth, bits);
    if ((uint64_t)start + (uint64_t)srcStride * (uint64_t)h->biHeight > rawBytes) return nullptr;
    uint32_t m[3];
    memcpy(m, raw + kDibHeaderSize, sizeof m);
    const Channel red = MakeChannel(m[0]), green = MakeChannel(m[1]), blue = MakeChannel(m[2]);

    PackedDib out = NewExpandedPicture(h);
    if (!out) return nullptr;
    BlockLockGuard lock(out);
    unsigned char *dst = DibPixels(lock.get());
    const size_t dstStride = Stride24(h->biWidth);
    const int width = h->biWidth;
    ForEachRow(h->biHeight, [&](int64_t row) {
        const unsigned char *s = raw + start + (size_t)srcStride * row;
        unsigned char *d = dst + dstStride * row;
        for (int x = 0; x < width; ++x, d += 3) {
            uint32_t px;
            if (bits == 16) {
                px = s[0] | s[1] << 8;
                s += 2;
            } else {
                px = s[0] | s[1] << 8 | s[2] << 16 | (uint32_t)s[3] << 24;
                s += 4;
            }
            d[0] = Scale(blue, px);
            d[1] = Scale(green, px);
            d[2] = Scale(red, px);
        }
    });
    return out;
}
