// Run-length (RLE8 and RLE4) BMP data to 24 bits. Every run is clipped to the row and every read to the stream;
// pixels the stream never reaches (skipped by a jump, or after an early end) take colour-table entry 0.
#include <algorithm>

#include "formats/bmp_expand.h"

namespace {

struct RleTarget {
    unsigned char *pixels;
    size_t stride;
    int64_t width, height;
    const unsigned char (*lut)[3];

    void Put(int64_t x, int64_t y, unsigned index) const {
        if (x < 0 || x >= width || y < 0 || y >= height) return;
        unsigned char *d = pixels + stride * (size_t)y + 3 * (size_t)x;
        d[0] = lut[index][0];
        d[1] = lut[index][1];
        d[2] = lut[index][2];
    }
};

} // namespace

PackedDib DecodeRle(const unsigned char *raw, size_t rawBytes) {
    const DibHeader *h = reinterpret_cast<const DibHeader *>(raw);
    const bool four = h->biCompression == 2;
    if ((four && h->biBitCount != 4) || (!four && h->biBitCount != 8)) return nullptr;
    const size_t start = kDibHeaderSize + 4 * (size_t)DibColourCount(h);
    if (start > rawBytes) return nullptr;
    const size_t len = std::min<size_t>(h->biSizeImage, rawBytes - start);
    const unsigned char *s = raw + start;

    PackedDib out = NewExpandedPicture(h);
    if (!out) return nullptr;
    BlockLockGuard lock(out);
    unsigned char lut[256][3];
    BuildColourLut(raw, lut);
    RleTarget t{DibPixels(lock.get()), Stride24(h->biWidth), h->biWidth, h->biHeight, lut};
    // Everything starts as entry 0, the colour of a zero index.
    for (int64_t y = 0; y < t.height; ++y) {
        unsigned char *d = t.pixels + t.stride * (size_t)y;
        for (int64_t x = 0; x < t.width; ++x, d += 3) {
            d[0] = lut[0][0];
            d[1] = lut[0][1];
            d[2] = lut[0][2];
        }
    }

    int64_t x = 0, y = 0;
    size_t pos = 0;
    while (pos + 2 <= len && y < t.height) {
        const unsigned count = s[pos], value = s[pos + 1];
        pos += 2;
        if (count > 0) {
            // An encoded run: one index, or two alternating nibbles.
            const int64_t n = std::min<int64_t>(count, std::max<int64_t>(t.width - x, 0));
            for (int64_t i = 0; i < n; ++i)
                t.Put(x + i, y, four ? ((i & 1) ? (value & 0x0F) : (value >> 4)) : value);
            x += count;
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            ++y;
        } else if (value == 1) { // end of picture
            break;
        } else if (value == 2) { // jump right and up
            if (pos + 2 > len) break;
            x += s[pos];
            y += s[pos + 1];
            pos += 2;
        } else { // a literal run, padded to an even number of bytes
            const size_t bytes = four ? (value + 1) / 2 : value;
            const size_t have = std::min(bytes, len - pos);
            for (unsigned i = 0; i < value; ++i) {
                const size_t at = four ? i / 2 : i;
                if (at >= have) break;
                t.Put(x + i, y, four ? ((i & 1) ? (s[pos + at] & 0x0F) : (s[pos + at] >> 4)) : s[pos + at]);
            }
            x += value;
            pos += bytes + (bytes & 1);
        }
    }
    return out;
}
