// Nibble-delta compression: each channel of each row becomes one raw byte and then a 4-bit code per column
// (the difference when it lies in -7..7, else the escape 8 and the new value in two nibbles).
#include <cstdio>
#include <cstring>

#include "formats/compressed_format.h"
#include "platform/host.h"
#include "platform/progress.h"

namespace {

// Encodes one channel segment of a row (samples 3 bytes apart). Returns the end of the segment, or null when
// Checked and the segment would pass `end`.
template <bool Checked>
unsigned char *EncodeSegment(const unsigned char *s, int width, unsigned char *o, unsigned char *end) {
    if (Checked && o >= end) return nullptr;
    unsigned prev = s[0];
    *o++ = (unsigned char)prev;
    unsigned acc = 0; // pending nibbles, the oldest highest
    int pending = 0;
    auto push = [&](unsigned nibble) -> bool {
        acc = (acc << 4) | nibble;
        if (++pending == 2) {
            if (Checked && o >= end) return false;
            *o++ = (unsigned char)acc;
            acc = 0;
            pending = 0;
        }
        return true;
    };
    for (int x = 1; x < width; ++x) {
        s += 3;
        const unsigned v = *s;
        const int d = (int)v - (int)prev;
        prev = v;
        if (d >= -7 && d <= 7) {
            if (!push((unsigned)d & 0x0F)) return nullptr;
        } else if (!push(8) || !push(v >> 4) || !push(v & 0x0F)) {
            return nullptr;
        }
    }
    if (pending) {
        // An odd count leaves the last byte's low nibble 0; the next segment starts on a fresh byte.
        if (Checked && o >= end) return nullptr;
        *o++ = (unsigned char)(acc << 4);
    }
    return o;
}

template <bool Checked>
unsigned char *EncodeRow(const unsigned char *row, int width, unsigned char *o, unsigned char *end) {
    for (int c = 0; c < 3 && o; ++c) o = EncodeSegment<Checked>(row + c, width, o, end);
    return o;
}

PackedDib Fail(CompressOutcome *outcome, CompressOutcome why) {
    if (outcome) *outcome = why;
    return nullptr;
}

} // namespace

PackedDib CompressPicture(PackedDib picture, CompressOutcome *outcome) {
    if (!picture) return Fail(outcome, CompressOutcome::kNotFullColour);
    BlockLockGuard src(picture);
    if (!src) return Fail(outcome, CompressOutcome::kNoMemory);
    const DibHeader *sh = reinterpret_cast<const DibHeader *>(src.get());
    if (sh->biBitCount != 24) return Fail(outcome, CompressOutcome::kNotFullColour);
    const int width = sh->biWidth, height = sh->biHeight;
    const int64_t pictureBytes = DibBlockBytes(width, height, 24);
    if (pictureBytes < 0 || (int64_t)BlockSize(picture) < pictureBytes) return Fail(outcome, CompressOutcome::kNotFullColour);
    const int64_t capacityWanted = (int64_t)width * height * 3;
    PackedDib out = AllocWorkBlock((size_t)(kDibHeaderSize + capacityWanted));
    if (!out) return Fail(outcome, CompressOutcome::kNoMemory);
    unsigned char *base = static_cast<unsigned char *>(BlockLock(out));
    if (!base) {
        BlockFree(out);
        return Fail(outcome, CompressOutcome::kNoMemory);
    }
    unsigned char *stream = base + kDibHeaderSize;
    // The capacity is what the block really holds, which may be more than asked for.
    unsigned char *end = base + BlockSize(out);

    const unsigned char *pixels = DibPixels(src.get());
    const size_t stride = Stride24(width);
    const int64_t worstRow = WorstCompressedRow(width);
    unsigned char *o = stream;
    {
        ProgressScope progress("圧縮 %d %%", {ProgressRule::kTenPercentRows});
        for (int j = 0; j < height && o; ++j) {
            progress.BeforeRow(j, height);
            const unsigned char *row = pixels + stride * j;
            if (end - o >= worstRow) o = EncodeRow<false>(row, width, o, end);
            else o = EncodeRow<true>(row, width, o, end);
        }
    }
    if (!o) {
        BlockUnlock(out);
        BlockFree(out);
        ShowMessage("圧縮効果が無いので、圧縮保存をとりやめます。", nullptr);
        return Fail(outcome, CompressOutcome::kNoGain);
    }

    const int64_t length = o - stream;
    DibHeader nh = *sh;
    nh.biSize = kDibHeaderSize;
    nh.biBitCount = 24;
    nh.biCompression = kCompressedTag;
    nh.biSizeImage = (uint32_t)length;
    memcpy(base, &nh, sizeof nh);
    BlockUnlock(out);
    PackedDib shrunk = BlockRealloc(out, (size_t)(kDibHeaderSize + length));
    if (!shrunk) {
        BlockFree(out);
        return Fail(outcome, CompressOutcome::kNoMemory);
    }
    if (outcome) *outcome = CompressOutcome::kDone;
    return shrunk;
}
