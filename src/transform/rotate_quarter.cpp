// Quarter turns: a tiled copy of whole pixels, so both the source and the result stay in cache while turning.
#include <cstdint>
#include <cstring>

#include "platform/workers.h"
#include "transform/picture_view.h"
#include "transform/rotate.h"

namespace {

// A tile of 64 x 64 pixels: 12 KiB of each side, well inside the first-level cache.
constexpr int kTile = 64;

// One pixel as four bytes read from one byte before it (the picture's header always lies before its first pixel;
// the byte after its last pixel may not be there), written as four bytes whose last is the next pixel's first.
inline void CopyPixelWide(const unsigned char *s, unsigned char *d) {
    uint32_t v;
    memcpy(&v, s - 1, 4);
    v >>= 8;
    memcpy(d, &v, 4);
}

// Result rows r0 ... r0 + kTile - 1 (clipped to the result), tile by tile across. The last pixel of a result row
// is copied as three bytes, so nothing past the row is written (the next row may belong to another thread).
void TurnTileRow(const PictureView24 &src, const PictureView24 &dst, int direction, int32_t r0) {
    const int32_t W = src.width, H = src.height;
    const int32_t r1 = r0 + kTile < W ? r0 + kTile : W;
    const ptrdiff_t step = direction == kTurnRight ? (ptrdiff_t)src.stride : -(ptrdiff_t)src.stride;
    for (int32_t x0 = 0; x0 < H; x0 += kTile) {
        const int32_t x1 = x0 + kTile < H ? x0 + kTile : H;
        const int32_t wide = x1 < H ? x1 : H - 1; // pixels before this one take the four-byte copy
        for (int32_t r = r0; r < r1; ++r) {
            unsigned char *d = dst.Row(r) + 3 * (size_t)x0;
            const unsigned char *s = direction == kTurnRight
                                         ? src.pixels + 3 * (size_t)(W - 1 - r) + src.stride * (size_t)x0
                                         : src.pixels + 3 * (size_t)r + src.stride * (size_t)(H - 1 - x0);
            int32_t x = x0;
            for (; x < wide; ++x, d += 3, s += step) CopyPixelWide(s, d);
            for (; x < x1; ++x, d += 3, s += step) {
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
            }
        }
    }
}

} // namespace

PackedDib RotateQuarterTurn(PackedDib source, int direction) {
    if (!source || (direction != kTurnRight && direction != kTurnLeft)) return nullptr;
    BlockLockGuard srcLock(source);
    PictureView24 src;
    if (!srcLock || !ViewPicture24(srcLock.get(), BlockSize(source), &src)) return nullptr;
    const int32_t W = src.width, H = src.height;
    PackedDib result = NewPictureLike(src.header, H, W);
    if (!result) return nullptr;
    BlockLockGuard dstLock(result);
    PictureView24 dst;
    if (!dstLock || !ViewPicture24(dstLock.get(), BlockSize(result), &dst)) {
        BlockFree(result);
        return nullptr;
    }
    // In storage rows (bottom first) a right turn gives result[r][x] = source[x][W-1-r] and a left turn
    // result[r][x] = source[H-1-x][r]; result rows r run 0..W-1 and columns x 0..H-1.
    // Threads take bands of whole tile rows, so each result row is written by one thread.
    const int32_t bands = (W + kTile - 1) / kTile;
    const int threads = WorkerThreads();
    ForEachRowChunk(
        bands, ChunkRowsFor(bands, threads, 8), threads,
        [&](int64_t b0, int64_t b1, int) {
            for (int64_t b = b0; b < b1; ++b) TurnTileRow(src, dst, direction, (int32_t)b * kTile);
        },
        nullptr);
    return result;
}
