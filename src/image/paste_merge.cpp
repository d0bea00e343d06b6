// The merge of a floating paste: a canvas made to measure, the picture put in, then the paste over it.
#include "image/paste_merge.h"

#include <algorithm>

#include "view/regions.h"

bool MergeCanvasFor(int32_t pictureWidth, int32_t pictureHeight, int32_t pasteWidth, int32_t pasteHeight, int64_t x,
                    int64_t y, MergeCanvas *out) {
    const int64_t width = std::max<int64_t>(pictureWidth + std::max<int64_t>(0, -x), pasteWidth + std::max<int64_t>(0, x));
    const int64_t height =
        std::max<int64_t>(pictureHeight + std::max<int64_t>(0, -y), pasteHeight + std::max<int64_t>(0, y));
    if (DibBlockBytes(width, height, 24) < 0) return false;
    out->width = (int32_t)width;
    out->height = (int32_t)height;
    out->pictureX = (int32_t)std::max<int64_t>(0, -x);
    out->pictureY = (int32_t)std::max<int64_t>(0, -y);
    out->pasteX = (int32_t)std::max<int64_t>(0, x);
    out->pasteY = (int32_t)std::max<int64_t>(0, y);
    return true;
}

PackedDib MergePaste(PackedDib picture, PackedDib paste, int64_t x, int64_t y) {
    DibHeader a, b;
    if (!DibInfo(picture, &a) || !DibInfo(paste, &b) || a.biBitCount != 24 || b.biBitCount != 24) return nullptr;
    MergeCanvas c;
    if (!MergeCanvasFor(a.biWidth, a.biHeight, b.biWidth, b.biHeight, x, y, &c)) return nullptr;
    const uint32_t planesAndBits = 1u | 24u << 16;
    PackedDib canvas = MakePicture(kDibHeaderSize, c.width, c.height, planesAndBits, 0,
                                   (uint32_t)(Stride24(c.width) * (size_t)c.height), 0, 0, 0, 0);
    if (!canvas) return nullptr;
    PutPicture(canvas, picture, c.pictureX, c.pictureY);
    PutPicture(canvas, paste, c.pasteX, c.pasteY);
    return canvas;
}
