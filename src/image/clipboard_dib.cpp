// CF_DIB blocks from other programs: every size is worked out in 64 bits from the header and held against the
// block's real size, so a block that claims more than it holds is refused instead of read past its end.
#include "image/clipboard_dib.h"

#include <cstring>

#include "formats/bmp_expand.h"

namespace {

uint32_t Le32(const unsigned char *p) { return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24; }

constexpr uint32_t kBiRgb = 0, kBiBitFields = 3, kBiAlphaBitFields = 6;
// From this header size on (the V3/V4/V5 forms) the channel masks live inside the header.
constexpr uint32_t kHeaderWithMasks = 52;

bool DepthIsRead(int bits) {
    return bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Rows in storage order to bottom-up rows.
void CopyRows(unsigned char *dst, const unsigned char *src, size_t stride, int32_t height, bool topDown) {
    for (int32_t row = 0; row < height; ++row) {
        const int32_t from = topDown ? height - 1 - row : row;
        memcpy(dst + stride * (size_t)row, src + stride * (size_t)from, stride);
    }
}

} // namespace

ClipboardDibVerdict CheckClipboardDib(const void *data, size_t size, ClipboardDibLayout *layout) {
    const unsigned char *p = static_cast<const unsigned char *>(data);
    if (!p || size < kDibHeaderSize) return ClipboardDibVerdict::kTooShort;
    DibHeader h;
    memcpy(&h, p, sizeof h);
    if (h.biSize < kDibHeaderSize || h.biSize > size) return ClipboardDibVerdict::kBadHeader;
    if (h.biWidth < 1 || h.biHeight == 0 || h.biHeight == INT32_MIN) return ClipboardDibVerdict::kBadHeader;
    const bool topDown = h.biHeight < 0;
    const int64_t height = topDown ? -(int64_t)h.biHeight : h.biHeight;
    const int bits = h.biBitCount;
    if (!DepthIsRead(bits)) return ClipboardDibVerdict::kUnsupported;
    const bool fields = bits == 16 || bits == 32;
    const bool maskedFields = fields && (h.biCompression == kBiBitFields || h.biCompression == kBiAlphaBitFields);
    if (h.biCompression != kBiRgb && !maskedFields) return ClipboardDibVerdict::kUnsupported;
    if (DibBlockBytes(h.biWidth, height, 24) < 0 || DibBlockBytes(h.biWidth, height, bits) < 0)
        return ClipboardDibVerdict::kTooLarge;

    ClipboardDibLayout out{};
    uint64_t at = h.biSize;
    if (fields) {
        if (!maskedFields) {
            out.masks[0] = bits == 16 ? 0x7C00 : 0xFF0000;
            out.masks[1] = bits == 16 ? 0x03E0 : 0x00FF00;
            out.masks[2] = bits == 16 ? 0x001F : 0x0000FF;
        } else {
            uint64_t maskAt = kDibHeaderSize;
            if (h.biSize < kHeaderWithMasks) {
                // The masks follow a 40-byte header (four with the alpha form).
                at += h.biCompression == kBiAlphaBitFields ? 16 : 12;
                if (at > size) return ClipboardDibVerdict::kMissingRows;
            }
            for (int i = 0; i < 3; ++i) out.masks[i] = Le32(p + maskAt + 4 * i);
        }
    }
    // 1 to 8 bits index a table; deeper pictures may carry an optimisation table nobody needs, which is skipped.
    const uint64_t deepest = bits <= 8 ? (1u << bits) : 0;
    uint32_t entries = h.biClrUsed;
    if (bits <= 8) {
        if (entries == 0) entries = (uint32_t)deepest;
        if (entries > deepest) return ClipboardDibVerdict::kBadTable;
    } else if (entries > 256) {
        return ClipboardDibVerdict::kBadTable;
    }
    out.tableOffset = (size_t)at;
    at += 4 * (uint64_t)entries;
    const uint64_t stride = (uint64_t)DibRowStride(h.biWidth, bits);
    if (at > size || stride * (uint64_t)height > size - at) return ClipboardDibVerdict::kMissingRows;
    out.pixelOffset = (size_t)at;
    out.tableEntries = bits <= 8 ? entries : 0;
    out.topDown = topDown;

    DibHeader n{};
    n.biSize = kDibHeaderSize;
    n.biWidth = h.biWidth;
    n.biHeight = (int32_t)height;
    n.biPlanes = 1;
    n.biBitCount = h.biBitCount;
    n.biCompression = fields ? kBiBitFields : kBiRgb;
    n.biSizeImage = (uint32_t)(stride * (uint64_t)height);
    n.biXPelsPerMeter = h.biXPelsPerMeter;
    n.biYPelsPerMeter = h.biYPelsPerMeter;
    n.biClrUsed = fields ? 3 : out.tableEntries;
    out.header = n;
    if (layout) *layout = out;
    return ClipboardDibVerdict::kUsable;
}

PackedDib DecodeClipboardDib(const void *data, size_t size) {
    ClipboardDibLayout l;
    if (CheckClipboardDib(data, size, &l) != ClipboardDibVerdict::kUsable) return nullptr;
    const unsigned char *p = static_cast<const unsigned char *>(data);
    const DibHeader &h = l.header;
    const size_t stride = (size_t)DibRowStride(h.biWidth, h.biBitCount);
    if (h.biBitCount == 24) {
        PackedDib full = NewPicture24(h.biWidth, h.biHeight);
        BlockLockGuard lock(full);
        if (!lock) {
            BlockFree(full);
            return nullptr;
        }
        DibHeader *fh = reinterpret_cast<DibHeader *>(lock.get());
        fh->biXPelsPerMeter = h.biXPelsPerMeter;
        fh->biYPelsPerMeter = h.biYPelsPerMeter;
        CopyRows(DibPixels(lock.get()), p + l.pixelOffset, stride, h.biHeight, l.topDown);
        return full;
    }
    // Every other depth becomes the raw block the BMP reader makes, and goes through the same conversion.
    const size_t table = 4 * (size_t)h.biClrUsed;
    PackedDib raw = BlockAlloc(kDibHeaderSize + table + stride * (size_t)h.biHeight);
    if (!raw) return nullptr;
    {
        BlockLockGuard lock(raw);
        if (!lock) {
            BlockFree(raw);
            return nullptr;
        }
        unsigned char *r = lock.get();
        memcpy(r, &h, sizeof h);
        if (h.biCompression == kBiBitFields) memcpy(r + kDibHeaderSize, l.masks, sizeof l.masks);
        else memcpy(r + kDibHeaderSize, p + l.tableOffset, table);
        CopyRows(r + kDibHeaderSize + table, p + l.pixelOffset, stride, h.biHeight, l.topDown);
    }
    PackedDib full = ExpandToFullColour(raw);
    BlockFree(raw);
    return full;
}
