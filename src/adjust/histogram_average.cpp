// The histogram-average walk and the mapping of a picture through its three tables.
#include "adjust/histogram_average.h"

#include <cstring>

void BuildAverageTable(const uint32_t counts[256], int64_t pixelCount, unsigned char table[256]) {
    memset(table, 0, 256);
    const int64_t quota = pixelCount / 256;
    int64_t sum = 0;
    int i = 255;
    for (int n = 255; n >= 1; --n) {
        while (sum < quota && i >= 0) {
            sum += counts[i];
            table[i] = (unsigned char)n;
            --i;
        }
        sum -= quota;
    }
}

PackedDib HistogramAverage(PackedDib picture, const uint32_t raw[3][256]) {
    LockedPicture24 pic(picture);
    if (!pic.ok()) return nullptr;
    unsigned char table[3][256];
    for (int ch = 0; ch < 3; ++ch) BuildAverageTable(raw[ch], (int64_t)pic.width * pic.height, table[ch]);
    PackedDib out = NewBlockLike(picture, pic);
    if (!out) return nullptr;
    LockedPicture24 dst(out);
    ForEachPictureRow(pic.height, nullptr, [&](int row) {
        // A private copy: the byte stores below cannot be taken to change it, so its loads need not wait.
        unsigned char own[3][256];
        memcpy(own, table, sizeof own);
        const unsigned char *b = own[0], *g = own[1], *r = own[2];
        const unsigned char *s = pic.Row(row);
        unsigned char *d = dst.Row(row);
        for (int x = 0, width = pic.width; x < width; ++x, s += 3, d += 3) {
            d[0] = b[s[0]];
            d[1] = g[s[1]];
            d[2] = r[s[2]];
        }
    });
    return out;
}
