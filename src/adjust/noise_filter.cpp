// Selective smoothing: each channel averages the 3x3 neighbours whose level lies within the allowed difference of
// the centre, with weights 2-3-2 / 3-5-3 / 2-3-2. Interior pixels slide a window of three columns; the picture's
// border takes the slow path that checks every cell.
#include "adjust/noise_filter.h"

#include <cstdlib>

namespace {

// Weight of the cell at (dx, dy): corners 2, edge neighbours 3, centre 5.
int CellWeight(int dx, int dy) { return dx == 0 && dy == 0 ? 5 : (dx != 0 && dy != 0) ? 2 : 3; }

int BorderPixel(const unsigned char *const rows[3], int width, int x, int ch, const int allowed[256]) {
    const int c = rows[1][x * 3 + ch], d = allowed[c];
    unsigned sum = 0, weight = 0;
    for (int dy = -1; dy <= 1; ++dy) {
        const unsigned char *row = rows[dy + 1];
        if (!row) continue;
        for (int dx = -1; dx <= 1; ++dx) {
            const int xx = x + dx;
            if (xx < 0 || xx >= width) continue;
            const int g = row[xx * 3 + ch];
            if (abs(c - g) > d) continue;
            const int w = CellWeight(dx, dy);
            sum += (unsigned)(w * g);
            weight += (unsigned)w;
        }
    }
    const unsigned q = DivideByWeight(sum, weight);
    return q > 255 ? 255 : (int)q;
}

// One channel of the interior columns x0...x1 (all three rows present, 1 <= x0, x1 <= width - 2).
void InteriorSpan(const unsigned char *const rows[3], unsigned char *out, int x0, int x1, int ch,
                  const int allowed[256]) {
    const unsigned char *lo = rows[0] + ch, *mi = rows[1] + ch, *hi = rows[2] + ch;
    unsigned char *o = out + ch;
    size_t i = (size_t)x0 * 3;
    int aL = lo[i - 3], bL = mi[i - 3], cL = hi[i - 3];
    int aC = lo[i], bC = mi[i], cC = hi[i];
    for (int x = x0; x <= x1; ++x, i += 3) {
        const int aR = lo[i + 3], bR = mi[i + 3], cR = hi[i + 3];
        const int c = bC;
        const int d = allowed[c];
        const unsigned span = (unsigned)(2 * d);
        unsigned sum = 5u * (unsigned)c, weight = 5;
        // A neighbour counts when c - d <= g <= c + d, tested as one unsigned comparison.
#define ORBEN_CELL(g, w)                                                                                           \
    {                                                                                                              \
        const unsigned in = (unsigned)((g) - c + d) <= span;                                                       \
        sum += in ? (unsigned)((w) * (g)) : 0u;                                                                    \
        weight += in ? (unsigned)(w) : 0u;                                                                         \
    }
        ORBEN_CELL(aL, 2) ORBEN_CELL(aC, 3) ORBEN_CELL(aR, 2)
        ORBEN_CELL(bL, 3) ORBEN_CELL(bR, 3)
        ORBEN_CELL(cL, 2) ORBEN_CELL(cC, 3) ORBEN_CELL(cR, 2)
#undef ORBEN_CELL
        const unsigned q = DivideByWeight(sum, weight);
        o[i] = (unsigned char)(q > 255 ? 255 : q);
        aL = aC; bL = bC; cL = cC;
        aC = aR; bC = bR; cC = cR;
    }
}

} // namespace

void BuildAllowedDifferences(const NoiseSettings &settings, int allowed[256]) {
    const int t = settings.threshold < 0 ? 0 : settings.threshold > 255 ? 255 : settings.threshold;
    for (int c = 0; c < 256; ++c) {
        // JPEG mode: 32 at level 126, growing to 126 at level 0 and 128 at level 255.
        const int h = settings.jpeg ? abs(126 - c) * 3 / 4 + 32 : 128;
        allowed[c] = t * h / 128;
    }
}

void NoiseFilterRow(const unsigned char *const rows[3], unsigned char *out, int width, const NoiseSettings &settings,
                    ColumnWindow cols) {
    const int first = cols.first < 0 ? 0 : cols.first, last = cols.last > width - 1 ? width - 1 : cols.last;
    if (first > last) return;
    int allowed[256];
    BuildAllowedDifferences(settings, allowed);
    const bool fullRows = rows[0] && rows[2];
    const int in0 = first < 1 ? 1 : first, in1 = last > width - 2 ? width - 2 : last;
    for (int ch = 0; ch < 3; ++ch) {
        if (!settings.channels.ByteOn(ch)) {
            for (int x = first; x <= last; ++x) out[x * 3 + ch] = rows[1][x * 3 + ch];
            continue;
        }
        if (!fullRows || in0 > in1) {
            for (int x = first; x <= last; ++x) out[x * 3 + ch] = (unsigned char)BorderPixel(rows, width, x, ch, allowed);
            continue;
        }
        for (int x = first; x < in0; ++x) out[x * 3 + ch] = (unsigned char)BorderPixel(rows, width, x, ch, allowed);
        InteriorSpan(rows, out, in0, in1, ch, allowed);
        for (int x = in1 + 1; x <= last; ++x) out[x * 3 + ch] = (unsigned char)BorderPixel(rows, width, x, ch, allowed);
    }
}
