// Chooses the 24-bit conversion for a raw picture from the BMP reader.
#include "formats/bmp_expand.h"

#include <cstring>

#include "image/full_colour.h"

PackedDib NewExpandedPicture(const DibHeader *raw) {
    PackedDib dib = NewPicture24(raw->biWidth, raw->biHeight);
    if (!dib) return nullptr;
    BlockLockGuard lock(dib);
    if (!lock) {
        BlockFree(dib);
        return nullptr;
    }
    DibHeader *h = reinterpret_cast<DibHeader *>(lock.get());
    h->biXPelsPerMeter = raw->biXPelsPerMeter;
    h->biYPelsPerMeter = raw->biYPelsPerMeter;
    h->biClrImportant = raw->biClrImportant;
    return dib;
}

void BuildColourLut(const unsigned char *raw, unsigned char lut[256][3]) {
    const DibHeader *h = reinterpret_cast<const DibHeader *>(raw);
    const uint32_t table = DibColourCount(h);
    const unsigned char *tab = raw + h->biSize;
    memset(lut, 0, 256 * 3);
    for (uint32_t i = 0; i < table && i < 256; ++i) {
        lut[i][0] = tab[4 * i];
        lut[i][1] = tab[4 * i + 1];
        lut[i][2] = tab[4 * i + 2];
    }
}

PackedDib ExpandToFullColour(PackedDib raw) {
    if (!raw) return nullptr;
    DibHeader h;
    {
        BlockLockGuard lock(raw);
        if (!lock || BlockSize(raw) < kDibHeaderSize) return nullptr;
        memcpy(&h, lock.get(), sizeof h);
        if (h.biSize != kDibHeaderSize || h.biWidth < 1 || h.biHeight < 1) return nullptr;
        // The table (or masks) must lie inside the block before any decoder looks at it.
        if (kDibHeaderSize + 4 * (uint64_t)DibColourCount(&h) > BlockSize(raw)) return nullptr;
        if (h.biCompression == 1 || h.biCompression == 2) return DecodeRle(lock.get(), BlockSize(raw));
        if (h.biCompression == 3) return DecodeBitFields(lock.get(), BlockSize(raw));
        if (h.biCompression == 0 && h.biBitCount == 2) return DecodeTwoBit(lock.get(), BlockSize(raw));
    }
    if (h.biCompression == 0) return ToFullColour(raw, 24);
    return nullptr;
}
