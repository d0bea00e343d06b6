// The edge map, computed row by row into a fresh picture.
#include "adjust/edges.h"

namespace {

inline int Diff(int a, int b) { return a > b ? a - b : b - a; }
inline int Max(int a, int b) { return a > b ? a : b; }

// Strength of pixel x with every neighbour present; channel differences are taken byte for byte.
inline int FullStrength(const unsigned char *below, const unsigned char *row, const unsigned char *above, size_t i) {
    int m = 0;
    for (int ch = 0; ch < 3; ++ch) {
        const int v = row[i + ch];
        m = Max(m, Diff(v, above[i + ch]));
        m = Max(m, Diff(v, below[i + 3 + ch]));
        m = Max(m, Diff(v, row[i + 3 + ch]));
        m = Max(m, Diff(v, above[i + 3 + ch]));
    }
    return m;
}

} // namespace

void EdgeRow(const unsigned char *below, const unsigned char *row, const unsigned char *above, unsigned char *out,
             int width) {
    int x = 0;
    if (below && above) {
        for (size_t i = 0; x < width - 1; ++x, i += 3) {
            const unsigned char m = (unsigned char)FullStrength(below, row, above, i);
            out[i] = out[i + 1] = out[i + 2] = m;
        }
    }
    for (; x < width; ++x) {
        const size_t i = (size_t)x * 3;
        const bool right = x + 1 < width;
        int m = 0;
        for (int ch = 0; ch < 3; ++ch) {
            const int v = row[i + ch];
            if (above) m = Max(m, Diff(v, above[i + ch]));
            if (right && below) m = Max(m, Diff(v, below[i + 3 + ch]));
            if (right) m = Max(m, Diff(v, row[i + 3 + ch]));
            if (right && above) m = Max(m, Diff(v, above[i + 3 + ch]));
        }
        out[i] = out[i + 1] = out[i + 2] = (unsigned char)m;
    }
}

PackedDib EdgeMap(PackedDib picture, bool reportProgress) {
    LockedPicture24 pic(picture);
    if (!pic.ok()) return nullptr;
    RowProgress bar(reportProgress, nullptr, pic.height); // shown, never advanced
    PackedDib out = NewBlockLike(picture, pic);
    if (!out) return nullptr;
    LockedPicture24 dst(out);
    ForEachPictureRow(pic.height, nullptr, [&](int r) {
        EdgeRow(r > 0 ? pic.Row(r - 1) : nullptr, pic.Row(r), r + 1 < pic.height ? pic.Row(r + 1) : nullptr,
                dst.Row(r), pic.width);
    });
    return out;
}
