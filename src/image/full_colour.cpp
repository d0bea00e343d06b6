// ToFullColour: expands palette pictures through their colour table, rows split over the worker threads.
#include "image/full_colour.h"

#include <cstring>

#include "platform/workers.h"

PackedDib ToFullColour(PackedDib source, int depth) {
    if (depth != 24 || !source) return nullptr;
    BlockLockGuard src(source);
    if (!src) return nullptr;
    const DibHeader *sh = reinterpret_cast<const DibHeader *>(src.get());
    const int width = sh->biWidth, height = sh->biHeight, bits = sh->biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24) return nullptr;
    const uint32_t table = DibColourCount(sh);
    // The source must hold every row the header promises before we read it.
    const int64_t srcStride = DibRowStride(width, bits);
    if (DibBlockBytes(width, height, bits, table) < 0) return nullptr;
    if ((int64_t)BlockSize(source) < (int64_t)sh->biSize + 4 * (int64_t)table + srcStride * height) return nullptr;
    if (DibBlockBytes(width, height, 24) < 0) return nullptr;

    DibHeader nh = *sh;
    nh.biSize = kDibHeaderSize;
    nh.biBitCount = 24;
    nh.biCompression = 0;
    nh.biClrUsed = 0;
    nh.biSizeImage = (uint32_t)(Stride24(width) * (size_t)height);
    PackedDib result = BlockAlloc(kDibHeaderSize + (size_t)nh.biSizeImage);
    if (!result) return nullptr;
    BlockLockGuard dst(result);
    if (!dst) {
        BlockFree(result);
        return nullptr;
    }
    memcpy(dst.get(), &nh, sizeof nh);

    // Colour lookup for every possible index; indices past the table read black.
    unsigned char lut[256][3] = {};
    const unsigned char *tab = src.get() + sh->biSize;
    for (uint32_t i = 0; i < table && i < 256; ++i) {
        lut[i][0] = tab[4 * i];
        lut[i][1] = tab[4 * i + 1];
        lut[i][2] = tab[4 * i + 2];
    }
    const unsigned char *srcPixels = src.get() + sh->biSize + 4 * (size_t)table;
    unsigned char *dstPixels = dst.get() + kDibHeaderSize;
    const size_t dstStride = Stride24(width);
    ForEachRow(height, [&](int64_t row) {
        const unsigned char *s = srcPixels + srcStride * row;
        unsigned char *d = dstPixels + dstStride * (size_t)row;
        if (bits == 24) {
            memcpy(d, s, 3 * (size_t)width);
            return;
        }
        for (int x = 0; x < width; ++x, d += 3) {
            unsigned index;
            if (bits == 8) index = s[x];
            else if (bits == 4) index = (x & 1) ? (s[x >> 1] & 0x0F) : (s[x >> 1] >> 4);
            else index = (s[x >> 3] >> (7 - (x & 7))) & 1;
            d[0] = lut[index][0];
            d[1] = lut[index][1];
            d[2] = lut[index][2];
        }
    });
    return result;
}
