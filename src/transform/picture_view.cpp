// Checked access to 24-bit pictures and result blocks shaped after a source, shared by resize and rotation.
#include "transform/picture_view.h"

#include <cstring>

#include "platform/host.h"

bool ViewPicture24(void *locked, size_t blockBytes, PictureView24 *out) {
    if (!locked || blockBytes < sizeof(DibHeader)) return false;
    memcpy(&out->header, locked, sizeof(DibHeader));
    const DibHeader &h = out->header;
    if (h.biBitCount != 24 || h.biSize < kDibHeaderSize || h.biSize > blockBytes) return false;
    const int64_t bytes = DibBlockBytes(h.biWidth, h.biHeight, 24);
    if (bytes < 0) return false;
    const int64_t offset = (int64_t)h.biSize + 4 * (int64_t)DibColourCount(&h);
    if (offset + bytes - (int64_t)kDibHeaderSize > (int64_t)blockBytes) return false;
    out->width = h.biWidth;
    out->height = h.biHeight;
    out->stride = Stride24(h.biWidth);
    out->pixels = static_cast<unsigned char *>(locked) + offset;
    return true;
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
