// The BMP reader: finds the headers, checks every size a hostile file could make overflow, and reads the colour
// table and the pixel area into one block (one read of the whole area).
#include "formats/bmp_read.h"

#include <algorithm>
#include <cstring>

#include "formats/stepwise_seek.h"

namespace {

uint32_t Le32(const unsigned char *p) { return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24; }

enum class Layout { Palette, Rle, Fields, Full, Compressed };

PackedDib Refuse(OpenReport *report, const char *why, PackedDib block = nullptr) {
    BlockFree(block);
    report->reason = why;
    return nullptr;
}

bool ChooseLayout(const DibHeader &h, Layout *layout) {
    const uint32_t c = h.biCompression;
    switch (h.biBitCount) {
    case 1: case 2: case 4: case 8:
        if (c == 0) *layout = Layout::Palette;
        else if ((c == 1 && h.biBitCount == 8) || (c == 2 && h.biBitCount == 4)) *layout = Layout::Rle;
        else return false;
        return true;
    case 16: case 32:
        // 6 adds an alpha mask, which we ignore.
        if (c != 0 && c != 3 && c != 6) return false;
        *layout = Layout::Fields;
        return true;
    case 24:
        if (c == 0) *layout = Layout::Full;
        else if (c == kCompressedTag || c == kCompressedTagAlt) *layout = Layout::Compressed;
        else return false;
        return true;
    default:
        return false;
    }
}

// Reverses the row order of a top-down picture in place, in small pieces so no row-sized buffer is needed.
void FlipRows(unsigned char *pixels, int64_t stride, int64_t height) {
    unsigned char tmp[4096];
    for (int64_t a = 0, b = height - 1; a < b; ++a, --b) {
        unsigned char *ra = pixels + stride * a, *rb = pixels + stride * b;
        for (int64_t off = 0; off < stride; off += (int64_t)sizeof tmp) {
            const size_t n = (size_t)std::min<int64_t>((int64_t)sizeof tmp, stride - off);
            memcpy(tmp, ra + off, n);
            memcpy(ra + off, rb + off, n);
            memcpy(rb + off, tmp, n);
        }
    }
}

} // namespace

PackedDib ReadBmp(ByteSource *src, OpenReport *report) {
    const int64_t start = src->pos;
    unsigned char fh[14];
    if (SourceRead(src, fh, sizeof fh) != sizeof fh) return Refuse(report, "the file is too short to be a BMP file");
    report->hasFileHeader = fh[0] == 'B' && fh[1] == 'M';
    if (report->hasFileHeader) {
        report->bfSize = Le32(fh + 2);
        report->bfOffBits = Le32(fh + 10);
    } else if (SourceSeek(src, start) < 0) {
        return Refuse(report, "the file cannot be read");
    }
    unsigned char ih[kDibHeaderSize];
    if (SourceRead(src, ih, sizeof ih) != sizeof ih) return Refuse(report, "the file is too short to be a BMP file");
    DibHeader h;
    memcpy(&h, ih, sizeof h);
    report->headerRead = true;
    report->header = h;
    if (h.biSize != kDibHeaderSize) return Refuse(report, "the header is not the 40-byte kind this program reads");

    Layout layout;
    if (!ChooseLayout(h, &layout)) return Refuse(report, "this depth and compression are not supported");
    if (h.biWidth < 1) return Refuse(report, "the width is not positive");
    if (h.biHeight == 0 || h.biHeight == INT32_MIN) return Refuse(report, "the height is zero or out of range");
    const bool topDown = h.biHeight < 0;
    const int64_t height = topDown ? -(int64_t)h.biHeight : h.biHeight;
    const bool stream = layout == Layout::Rle || layout == Layout::Compressed;
    // Run-length and our own compressed rows are always stored bottom-up.
    if (topDown && stream) return Refuse(report, "a compressed picture cannot be stored top-down");
    // Every picture ends up at 24 bits: refuse early what could never be held.
    if (DibBlockBytes(h.biWidth, height, 24) < 0) return Refuse(report, "the picture is larger than 2 GB at 24 bits");

    // What the block carries before the pixels: the colour table, or the channel masks.
    uint32_t entries = 0;
    uint32_t masks[3] = {0, 0, 0};
    int64_t skipBytes = 0; // table bytes in the file that the block does not keep
    if (layout == Layout::Palette || layout == Layout::Rle) {
        entries = h.biClrUsed ? h.biClrUsed : 1u << h.biBitCount;
        if (4 * (int64_t)entries > SourceRemaining(src)) return Refuse(report, "the colour table is larger than the file");
    } else if (layout == Layout::Fields) {
        entries = 3;
        if (h.biCompression == 0) {
            masks[0] = h.biBitCount == 16 ? 0x7C00 : 0xFF0000;
            masks[1] = h.biBitCount == 16 ? 0x03E0 : 0x00FF00;
            masks[2] = h.biBitCount == 16 ? 0x001F : 0x0000FF;
        } else {
            unsigned char m[16] = {};
            const size_t maskBytes = h.biCompression == 6 ? 16 : 12;
            (void)SourceRead(src, m, maskBytes);
            masks[0] = Le32(m);
            masks[1] = Le32(m + 4);
            masks[2] = Le32(m + 8);
        }
        skipBytes = 4 * (int64_t)h.biClrUsed;
    } else {
        skipBytes = 4 * (int64_t)h.biClrUsed;
    }
    const int bits = h.biBitCount;
    const int64_t stride = DibRowStride(h.biWidth, bits);
    const int64_t headerAndTable = DibBlockBytes(h.biWidth, height, bits, entries) < 0
                                       ? -1 : (int64_t)kDibHeaderSize + 4 * (int64_t)entries;
    if (headerAndTable < 0) return Refuse(report, "the picture is larger than 2 GB");

    PackedDib block = BlockAlloc((size_t)headerAndTable);
    if (!block) return Refuse(report, "out of memory");
    {
        BlockLockGuard lock(block);
        if (!lock) return Refuse(report, "out of memory", block);
        unsigned char *p = lock.get();
        if (layout == Layout::Fields) {
            for (int i = 0; i < 3; ++i) memcpy(p + kDibHeaderSize + 4 * i, &masks[i], 4);
        } else if (entries) {
            // A short table leaves zero (black) entries, as the block is zero-filled.
            (void)SourceRead(src, p + kDibHeaderSize, 4 * (size_t)entries);
        }
    }

    if (report->hasFileHeader && report->bfOffBits != 0) {
        const int64_t target = start + report->bfOffBits;
        if (StepwiseSeek(src, target) == 0 && target != 16383) report->messageShown = true;
    } else if (skipBytes > 0) {
        // A headerless DIB keeps its table even where the depth makes no use of it; the pixels follow it.
        (void)SourceSeekBy(src, skipBytes);
    }

    // The pixel size: biSizeImage is not trusted; with a file header the file's own sizes say what is there.
    const int64_t computed = stride * height;
    int64_t stated;
    if (h.biSizeImage == 0) stated = -1;
    else if (report->hasFileHeader) stated = (int64_t)report->bfSize - (int64_t)report->bfOffBits;
    else stated = h.biSizeImage;
    int64_t alloc, toRead;
    if (stream) {
        // A stream is never given more room than the file can fill.
        const int64_t available = SourceRemaining(src);
        toRead = stated > 0 ? std::min(stated, available) : available;
        toRead = std::min(toRead, kMaxBlockBytes - headerAndTable);
        alloc = toRead;
    } else {
        // Uncompressed rows: the block always holds every row, and rows the file lacks stay zero.
        alloc = computed;
        toRead = stated > 0 ? std::min(stated, computed) : computed;
    }
    report->pixelBytesWanted = toRead;

    PackedDib grown = BlockRealloc(block, (size_t)(headerAndTable + alloc));
    if (!grown) return Refuse(report, "out of memory", block);
    block = grown;
    BlockLockGuard lock(block);
    if (!lock) return Refuse(report, "out of memory", block);
    unsigned char *p = lock.get();
    unsigned char *pixels = p + headerAndTable;
    report->pixelBytesRead = (int64_t)SourceRead(src, pixels, (size_t)toRead);
    if (topDown) FlipRows(pixels, stride, height);

    h.biHeight = (int32_t)height;
    switch (layout) {
    case Layout::Palette:
        h.biClrUsed = entries;
        h.biSizeImage = (uint32_t)computed;
        break;
    case Layout::Rle:
        h.biClrUsed = entries;
        h.biSizeImage = (uint32_t)alloc;
        break;
    case Layout::Fields:
        h.biCompression = 3;
        h.biClrUsed = 3;
        h.biSizeImage = (uint32_t)computed;
        break;
    case Layout::Full:
        h.biClrUsed = 0;
        h.biSizeImage = (uint32_t)computed;
        break;
    case Layout::Compressed:
        h.biClrUsed = 0;
        h.biSizeImage = (uint32_t)alloc;
        break;
    }
    memcpy(p, &h, sizeof h);
    return block;
}

PackedDib OpenBmpMemory(const void *data, size_t size, OpenReport *report) {
    OpenReport local;
    if (!report) report = &local;
    ByteSource src;
    OpenMemorySource(&src, data, size);
    PackedDib raw = ReadBmp(&src, report);
    if (!raw) return nullptr;
    return FinishLoadedPicture(raw, report);
}
