// Checked access to 24-bit pictures, shared by resize and rotation.
#include "transform/picture_view.h"

#include <cstring>

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
