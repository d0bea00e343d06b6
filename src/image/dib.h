// The PackedDib layout: the 40-byte header, colour counts, strides, pixel access and the size guard.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/block.h"

// Byte-for-byte the Windows BITMAPINFOHEADER, declared with fixed-width types so LP64 builds agree.
struct DibHeader {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};
static_assert(sizeof(DibHeader) == 40, "the header is stored in files and blocks byte for byte");

constexpr uint32_t kDibHeaderSize = 40;
// Pictures in our own nibble-delta form carry one of these compression values.
constexpr uint32_t kCompressedTag = 256;
constexpr uint32_t kCompressedTagAlt = 893;
// Every block size must stay within a signed 32-bit count (the limit of the picture format's fields).
constexpr int64_t kMaxBlockBytes = 0x7FFFFFFF;

// 0x00RRGGBB, blue in the low byte: an RGBQUAD read as a little-endian word. Not COLORREF order.
typedef uint32_t PixelColour;

// Colour-table entries: 0 at 24 bits; else biClrUsed, or the default for 1, 4 and 8 bits; 0 for other depths.
uint32_t DibColourCount(const DibHeader *h);
// Bytes per stored row, padded to 4, for a width and depth (64-bit so hostile headers cannot wrap).
int64_t DibRowStride(int64_t width, int bitCount);
// biSizeImage when set, else stride x height.
int64_t DibPixelSize(const DibHeader *h);

// The size guard: bytes for a picture of width x height at bitCount with tableEntries colours, or -1 when
// width or height is below 1 or the total would pass kMaxBlockBytes.
int64_t DibBlockBytes(int64_t width, int64_t height, int bitCount, uint32_t tableEntries = 0);

// A fresh 40-byte header for a bottom-up 24-bit picture with no table.
DibHeader MakeHeader24(int32_t width, int32_t height);

// Copies the header out, filling biSizeImage and biClrUsed when they are 0. Returns 1, or 0 for a null handle.
int DibInfo(PackedDib dib, DibHeader *out);

// Pixel access on a LOCKED block; row 0 is the bottom stored row. An index outside the colour table reads black.
PixelColour GetDibColor(const void *lockedDib, int row, int column);
// 24-bit pictures only; refuses (0) other depths and positions outside the picture.
int SetDibColor(void *lockedDib, int row, int column, PixelColour colour);

// Start of the pixel rows of a locked block (after header and colour table).
inline unsigned char *DibPixels(void *lockedDib) {
    const DibHeader *h = static_cast<const DibHeader *>(lockedDib);
    return static_cast<unsigned char *>(lockedDib) + h->biSize + 4 * (size_t)DibColourCount(h);
}
inline const unsigned char *DibPixels(const void *lockedDib) {
    return DibPixels(const_cast<void *>(lockedDib));
}

// Stride of a 24-bit row.
inline size_t Stride24(int32_t width) { return ((size_t)width * 3 + 3) & ~(size_t)3; }

// A new zero-filled 24-bit picture of width x height (through the host's work allocator), or null.
PackedDib NewPicture24(int32_t width, int32_t height);
// The same, its header a copy of `like` (resolutions and the like carried along) with the layout fields replaced.
PackedDib NewPictureLike(const DibHeader &like, int64_t width, int64_t height);
