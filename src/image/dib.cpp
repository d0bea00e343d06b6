// PackedDib layout rules and pixel access shared by every part of the program and exported to add-ins.
#include "image/dib.h"

#include <cstring>

#include "platform/host.h"

uint32_t DibColourCount(const DibHeader *h) {
    if (h->biBitCount == 24) return 0;
    if (h->biClrUsed != 0) return h->biClrUsed;
    switch (h->biBitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

int64_t DibRowStride(int64_t width, int bitCount) {
    return ((width * bitCount + 31) / 32) * 4;
}

int64_t DibPixelSize(const DibHeader *h) {
    if (h->biSizeImage != 0) return h->biSizeImage;
    return DibRowStride(h->biWidth, h->biBitCount) * h->biHeight;
}

int64_t DibBlockBytes(int64_t width, int64_t height, int bitCount, uint32_t tableEntries) {
    if (width < 1 || height < 1 || bitCount < 1 || width > kMaxBlockBytes || height > kMaxBlockBytes) return -1;
    int64_t stride = DibRowStride(width, bitCount);
    if (stride > kMaxBlockBytes) return -1;
    // stride and height are both below 2^31, so the product fits in 63 bits.
    int64_t total = stride * height + kDibHeaderSize + 4 * (int64_t)tableEntries;
    return total > kMaxBlockBytes ? -1 : total;
}

DibHeader MakeHeader24(int32_t width, int32_t height) {
    DibHeader h{};
    h.biSize = kDibHeaderSize;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = 24;
    h.biSizeImage = (uint32_t)(Stride24(width) * (size_t)height);
    return h;
}

int DibInfo(PackedDib dib, DibHeader *out) {
    if (!dib) return 0;
    BlockLockGuard lock(dib);
    if (!lock) return 0;
    memcpy(out, lock.get(), sizeof *out);
    if (out->biSizeImage == 0) out->biSizeImage = (uint32_t)DibPixelSize(out);
    if (out->biClrUsed == 0) out->biClrUsed = DibColourCount(out);
    return 1;
}

PixelColour GetDibColor(const void *lockedDib, int row, int column) {
    const DibHeader *h = static_cast<const DibHeader *>(lockedDib);
    const uint32_t table = DibColourCount(h);
    const unsigned char *data = static_cast<const unsigned char *>(lockedDib) + h->biSize + 4 * (size_t)table;
    const int64_t stride = DibRowStride(h->biWidth, h->biBitCount);
    const unsigned char *p = data + stride * row + ((int64_t)column * h->biBitCount) / 8;
    unsigned index;
    switch (h->biBitCount) {
    case 24:
        return p[0] | (p[1] << 8) | ((PixelColour)p[2] << 16);
    case 8:
        index = p[0];
        break;
    case 4:
        index = (column & 1) ? (p[0] & 0x0F) : (p[0] >> 4);
        break;
    case 1:
        index = (p[0] >> (7 - (column & 7))) & 1;
        break;
    default:
        return 0;
    }
    // An index past the table would read beyond it: treat it as black.
    if (index >= table) return 0;
    const unsigned char *q = static_cast<const unsigned char *>(lockedDib) + h->biSize + 4 * (size_t)index;
    return q[0] | (q[1] << 8) | ((PixelColour)q[2] << 16) | ((PixelColour)q[3] << 24);
}

int SetDibColor(void *lockedDib, int row, int column, PixelColour colour) {
    DibHeader *h = static_cast<DibHeader *>(lockedDib);
    if (h->biBitCount != 24) return 0;
    if (row < 0 || column < 0 || row >= h->biHeight || column >= h->biWidth) return 0;
    unsigned char *p = static_cast<unsigned char *>(lockedDib) + h->biSize + 4 * (size_t)h->biClrUsed +
                       (size_t)DibRowStride(h->biWidth, 24) * row + 3 * (size_t)column;
    p[0] = colour & 0xFF;
    p[1] = (colour >> 8) & 0xFF;
    p[2] = (colour >> 16) & 0xFF;
    return 1;
}

PackedDib NewPictureLike(const DibHeader &like, int64_t width, int64_t height) {
    const int64_t bytes = DibBlockBytes(width, height, 24);
    if (bytes < 0) return nullptr;
    PackedDib dib = AllocWorkBlock((size_t)bytes);
    if (!dib) return nullptr;
    BlockLockGuard lock(dib);
    if (!lock) {
        BlockFree(dib);
        return nullptr;
    }
    DibHeader h = like;
    // The new block carries no colour table, whatever the source's header said about one.
    h.biSize = kDibHeaderSize;
    h.biWidth = (int32_t)width;
    h.biHeight = (int32_t)height;
    h.biPlanes = 1;
    h.biBitCount = 24;
    h.biCompression = 0;
    h.biClrUsed = 0;
    h.biClrImportant = 0;
    h.biSizeImage = (uint32_t)(bytes - kDibHeaderSize);
    memcpy(lock.get(), &h, sizeof h);
    return dib;
}

PackedDib NewPicture24(int32_t width, int32_t height) {
    return NewPictureLike(MakeHeader24(width, height), width, height);
}
