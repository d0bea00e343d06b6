// Picture regions and composition used by the clipboard, the floating paste and the adjustment preview.
#include "view/regions.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/host.h"

PackedDib MakePicture(uint32_t biSize, int32_t width, int32_t height, uint32_t planesAndBits, uint32_t compression,
                      uint32_t sizeImage, int32_t xPels, int32_t yPels, uint32_t clrUsed, uint32_t clrImportant) {
    DibHeader h{};
    h.biSize = biSize;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = (uint16_t)(planesAndBits & 0xFFFF);
    h.biBitCount = (uint16_t)(planesAndBits >> 16);
    h.biCompression = compression;
    h.biXPelsPerMeter = xPels;
    h.biYPelsPerMeter = yPels;
    h.biClrUsed = clrUsed;
    h.biClrImportant = clrImportant;
    if (biSize != kDibHeaderSize) return nullptr;
    const uint32_t table = DibColourCount(&h);
    if (h.biBitCount != 24 && table > 256) return nullptr;
    // The caller's biSizeImage is not trusted for the allocation: the block always holds every row.
    const int64_t bytes = DibBlockBytes(width, height, h.biBitCount, table);
    if (bytes < 0) return nullptr;
    const int64_t computed = bytes - kDibHeaderSize - 4 * (int64_t)table;
    h.biSizeImage = sizeImage > computed || sizeImage == 0 ? (uint32_t)computed : sizeImage;
    PackedDib dib = AllocWorkBlock((size_t)bytes);
    if (!dib) return nullptr;
    BlockLockGuard lock(dib);
    if (!lock) {
        BlockFree(dib);
        return nullptr;
    }
    memcpy(lock.get(), &h, sizeof h);
    return dib;
}

PackedDib CopyDibRect(PackedDib picture, int left, int top, int right, int bottom) {
    if (!picture) return nullptr;
    BlockLockGuard src(picture);
    if (!src) return nullptr;
    const DibHeader *sh = reinterpret_cast<const DibHeader *>(src.get());
    if (sh->biBitCount != 24) return nullptr;
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, sh->biWidth);
    bottom = std::min(bottom, sh->biHeight);
    const int w = right - left, h = bottom - top;
    const int64_t bytes = DibBlockBytes(w, h, 24);
    if (bytes < 0) return nullptr;
    PackedDib result = BlockAlloc((size_t)bytes);
    if (!result) {
        ShowMessage("グローバルメモリが足りません", nullptr);
        return nullptr;
    }
    BlockLockGuard dst(result);
    if (!dst) {
        BlockFree(result);
        return nullptr;
    }
    DibHeader nh = *sh;
    nh.biSize = kDibHeaderSize;
    nh.biWidth = w;
    nh.biHeight = h;
    nh.biClrUsed = 0;
    nh.biSizeImage = (uint32_t)(Stride24(w) * (size_t)h);
    memcpy(dst.get(), &nh, sizeof nh);
    const size_t srcStride = Stride24(sh->biWidth), dstStride = Stride24(w);
    const unsigned char *sp = DibPixels(src.get());
    unsigned char *dp = dst.get() + kDibHeaderSize;
    // The new picture's bottom row is the rectangle's bottom row.
    for (int i = 0; i < h; ++i)
        memcpy(dp + dstStride * i, sp + srcStride * (size_t)(i + sh->biHeight - bottom) + 3 * (size_t)left,
               3 * (size_t)w);
    return result;
}

void PutPicture(PackedDib destination, PackedDib source, int x, int y) {
    if (!destination || !source) return;
    BlockLockGuard dst(destination), src(source);
    if (!dst || !src) return;
    const DibHeader *dh = reinterpret_cast<const DibHeader *>(dst.get());
    const DibHeader *sh = reinterpret_cast<const DibHeader *>(src.get());
    if (dh->biBitCount != 24 || sh->biBitCount != 24) return;
    // Clip the source against the destination so a stray position cannot write outside it.
    const int x0 = std::max(0, -x), x1 = std::min(sh->biWidth, dh->biWidth - x);
    const int n0 = std::max(0, -y), n1 = std::min(sh->biHeight, dh->biHeight - y);
    if (x0 >= x1 || n0 >= n1) return;
    const size_t sStride = Stride24(sh->biWidth), dStride = Stride24(dh->biWidth);
    const unsigned char *sp = DibPixels(src.get());
    unsigned char *dp = DibPixels(dst.get());
    for (int n = n0; n < n1; ++n)
        memcpy(dp + dStride * (size_t)(dh->biHeight - 1 - (y + n)) + 3 * (size_t)(x + x0),
               sp + sStride * (size_t)(sh->biHeight - 1 - n) + 3 * (size_t)x0, 3 * (size_t)(x1 - x0));
}

int ResampleInto(PackedDib destination, PackedDib source) {
    if (!destination || !source) return 0;
    BlockLockGuard dst(destination), src(source);
    if (!dst || !src) return 0;
    const DibHeader *dh = reinterpret_cast<const DibHeader *>(dst.get());
    const DibHeader *sh = reinterpret_cast<const DibHeader *>(src.get());
    const int Wd = dh->biWidth, Hd = dh->biHeight, Ws = sh->biWidth, Hs = sh->biHeight;
    if (Wd <= 0 || Hd <= 0 || Ws <= 0 || Hs <= 0 || dh->biBitCount != 24 || sh->biBitCount != 24) return 0;
    const size_t sStride = Stride24(Ws), dStride = Stride24(Wd);
    const size_t tStride = std::max(sStride, dStride);
    PackedDib temp = BlockAlloc(tStride * (size_t)Hd);
    if (!temp) return 0;
    unsigned char *tp = static_cast<unsigned char *>(BlockLock(temp));
    if (!tp) {
        BlockFree(temp);
        return 0;
    }
    const unsigned char *sp = DibPixels(src.get());
    unsigned char *dp = DibPixels(dst.get());

    // Vertical pass; the ratios are single precision and truncated, as the picture's history expects.
    const float rv = (float)Hs / (float)Hd;
    if (Hd < Hs) {
        // Each target row keeps the last source row that maps to it.
        for (int i = 0; i < Hs; ++i) {
            int t = (int)((float)i / rv);
            if (t >= Hd) t = Hd - 1;
            memcpy(tp + tStride * t, sp + sStride * i, 3 * (size_t)Ws);
        }
        memcpy(tp + tStride * (Hd - 1), sp + sStride * (Hs - 1), 3 * (size_t)Ws);
    } else {
        for (int i = 0; i < Hd; ++i) {
            int s = (int)(rv * (float)i);
            if (s >= Hs) s = Hs - 1;
            memcpy(tp + tStride * i, sp + sStride * s, 3 * (size_t)Ws);
        }
    }

    // Horizontal pass: a source column for every target column, built once.
    std::vector<int> column(Wd, -1);
    const float rh = (float)Ws / (float)Wd;
    if (Wd < Ws) {
        // Each target column takes the first source pixel that maps to it.
        for (int j = 0; j < Ws; ++j) {
            int t = (int)((float)j / rh);
            if (t >= Wd) t = Wd - 1;
            if (column[t] < 0) column[t] = j;
        }
        // A target column that no source column reached keeps the previous one's pixel.
        for (int t = 0; t < Wd; ++t)
            if (column[t] < 0) column[t] = t > 0 ? column[t - 1] : 0;
    } else {
        for (int j = 0; j < Wd; ++j) {
            int s = (int)(rh * (float)j);
            column[j] = s >= Ws ? Ws - 1 : s;
        }
    }
    for (int i = 0; i < Hd; ++i) {
        const unsigned char *t = tp + tStride * i;
        unsigned char *d = dp + dStride * i;
        for (int j = 0; j < Wd; ++j, d += 3) {
            const unsigned char *s = t + 3 * (size_t)column[j];
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
        }
    }
    BlockUnlock(temp);
    BlockFree(temp);
    return 1;
}
