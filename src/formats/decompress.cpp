// Nibble-delta decompression into a 24-bit picture; every byte and nibble read is bounded by the stream.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "formats/compressed_format.h"
#include "platform/host.h"
#include "platform/progress.h"

namespace {

// Decodes one channel segment into samples 3 bytes apart. Returns the stream position after the segment, or
// null when Checked and the stream ended inside it (the samples decoded so far stay).
template <bool Checked>
const unsigned char *DecodeSegment(const unsigned char *s, const unsigned char *end, int width, unsigned char *d) {
    if (Checked && s >= end) return nullptr;
    unsigned v = *s++;
    d[0] = (unsigned char)v;
    bool low = false; // the next nibble is the low half of s[-1]
    auto next = [&](unsigned *n) -> bool {
        if (low) {
            *n = s[-1] & 0x0F;
            low = false;
            return true;
        }
        if (Checked && s >= end) return false;
        *n = *s++ >> 4;
        low = true;
        return true;
    };
    for (int x = 1; x < width; ++x) {
        unsigned n;
        if (!next(&n)) return nullptr;
        if (n == 8) {
            unsigned hi, lo;
            if (!next(&hi) || !next(&lo)) return nullptr;
            v = hi << 4 | lo;
        } else {
            // 0..7 add, 9..15 are -7..-1; the sample wraps modulo 256.
            v = (v + (n <= 7 ? n : n - 16)) & 0xFF;
        }
        d += 3;
        *d = (unsigned char)v;
    }
    return s;
}

template <bool Checked>
const unsigned char *DecodeRow(const unsigned char *s, const unsigned char *end, int width, unsigned char *row) {
    for (int c = 0; c < 3 && s; ++c) s = DecodeSegment<Checked>(s, end, width, row + c);
    return s;
}

} // namespace

PackedDib DecompressPicture(PackedDib compressed) {
    if (!compressed) return nullptr;
    BlockLockGuard src(compressed);
    if (!src || BlockSize(compressed) < kDibHeaderSize) return nullptr;
    DibHeader sh;
    memcpy(&sh, src.get(), sizeof sh);
    if (sh.biBitCount != 24 || sh.biSize != kDibHeaderSize) return nullptr;
    const int width = sh.biWidth, height = sh.biHeight;
    if (DibBlockBytes(width, height, 24) < 0) return nullptr;

    PackedDib out = NewPicture24(width, height);
    if (!out) {
        ShowMessage("グローバルメモリが足りません", nullptr);
        return nullptr;
    }
    BlockLockGuard dst(out);
    DibHeader nh = MakeHeader24(width, height);
    nh.biPlanes = sh.biPlanes;
    nh.biXPelsPerMeter = sh.biXPelsPerMeter;
    nh.biYPelsPerMeter = sh.biYPelsPerMeter;
    nh.biClrImportant = sh.biClrImportant;
    memcpy(dst.get(), &nh, sizeof nh);

    const unsigned char *s = src.get() + kDibHeaderSize;
    const size_t available = BlockSize(compressed) - kDibHeaderSize;
    const unsigned char *end = s + std::min<size_t>(sh.biSizeImage, available);
    unsigned char *pixels = dst.get() + kDibHeaderSize;
    const size_t stride = Stride24(width);
    const int64_t worstRow = WorstCompressedRow(width);

    {
        // The open pipeline's next status text follows at once: no title in between.
        ProgressScope progress("展開 %d %%", {ProgressRule::kTenPercentRows, TitleAfter::kNever});
        for (int i = 0; i < height && s; ++i) {
            progress.BeforeRow(i, height);
            unsigned char *row = pixels + stride * i;
            if (end - s >= worstRow) s = DecodeRow<false>(s, end, width, row);
            else s = DecodeRow<true>(s, end, width, row);
        }
    }
    return out;
}
