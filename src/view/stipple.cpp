// The stipple kernel and the whole-picture stipple. The palette search works on per-channel differences, found
// once per pixel for each distinct channel value, and for range palettes goes channel by channel; both choose
// exactly the entry the plain search over every entry would (the smallest error, the higher index on ties).
#include "view/stipple.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/host.h"

const PaletteEntryRgb kStippleColours16[16] = {
    {128, 128, 128, 0}, {192, 192, 192, 0}, {255, 255, 255, 0}, {0, 0, 0, 0},     {0, 0, 128, 0},   {0, 0, 255, 0},
    {0, 128, 0, 0},     {0, 255, 0, 0},     {128, 0, 0, 0},     {255, 0, 0, 0},   {0, 128, 128, 0}, {0, 255, 255, 0},
    {128, 0, 128, 0},   {255, 0, 255, 0},   {128, 128, 0, 0},   {255, 255, 0, 0},
};

namespace {

// Neighbourhood weights by (row offset, column offset); the current pixel itself weighs kSelfWeight.
struct NeighbourWeight {
    int dr, dc, weight;
};
const NeighbourWeight kWeights[] = {
    {-3, -2, 1}, {-3, -1, 1}, {-3, 0, 4}, {-3, 1, 1}, {-3, 2, 1},
    {-2, -3, 1}, {-2, -2, 2}, {-2, -1, 3}, {-2, 0, 8}, {-2, 1, 3}, {-2, 2, 1},
    {-1, -3, 1}, {-1, -2, 3}, {-1, -1, 9}, {-1, 0, 17}, {-1, 1, 7}, {-1, 2, 2}, {-1, 3, 1},
    {0, -3, 4}, {0, -2, 10}, {0, -1, 16},
};
constexpr int kWeightCount = sizeof kWeights / sizeof kWeights[0];
constexpr int kSelfWeight = 40;
// Neighbours whose source colours differ by this much (sum over channels) are on the other side of an edge.
constexpr int kEdgeDistance = 384;
// h ranges over 40 .. 40 + the sum of all weights (96).
constexpr int kMaxWeight = 136;

// n / h for n < 2^16 and h <= kMaxWeight as (n x ceil(2^32 / h)) >> 32: the error stays below 1 / h, so the
// result is the exact quotient.
struct Reciprocals {
    uint64_t r[kMaxWeight + 1];
    Reciprocals() {
        r[0] = 0;
        for (int h = 1; h <= kMaxWeight; ++h) r[h] = ((1ull << 32) + h - 1) / h;
    }
};
const Reciprocals kRecip;

inline int Abs(int v) { return v < 0 ? -v : v; }

void FindLevels(StipplePalette *p) {
    for (int ch = 0; ch < 3; ++ch) {
        int count = 0;
        for (int k = 0; k < p->size; ++k) {
            const PaletteEntryRgb &e = p->entries[k];
            const int value = ch == 0 ? e.red : ch == 1 ? e.green : e.blue;
            int at = 0;
            while (at < count && p->levels[ch][at] != value) ++at;
            if (at == count) p->levels[ch][count++] = value;
            p->levelOf[ch][k] = (unsigned char)at;
        }
        p->levelCount[ch] = count;
    }
}

// The colour chosen for source colour (sr, sg, sb) with neighbour sums and total weight h.
struct Chooser {
    const StipplePalette &pal;
    uint64_t recip = 0;

    // |S - (sum + 40 P) / h| for one channel value P.
    inline int Difference(int s, int sum, int level) const {
        const uint32_t avg = (uint32_t)(((uint64_t)(uint32_t)(sum + kSelfWeight * level) * recip) >> 32);
        return Abs(s - (int)avg);
    }

    int Choose(const int s[3], const int sum[3], int h) {
        recip = kRecip.r[h];
        if (pal.size == 16) return Choose16(s, sum);
        if (pal.cube) return ChooseCube(s, sum);
        return ChooseAny(s, sum);
    }

    // The fixed table: entries 0 to 2 (the grays and white) carry a 1.5 penalty, doubled for the two grays.
    int Choose16(const int s[3], const int sum[3]) const {
        int d[3][256];
        for (int ch = 0; ch < 3; ++ch)
            for (int l = 0; l < pal.levelCount[ch]; ++l) d[ch][l] = Difference(s[ch], sum[ch], pal.levels[ch][l]);
        int best = 255, chosen = 0;
        for (int k = 0; k < 16; ++k) {
            int error = (d[0][pal.levelOf[0][k]] + d[1][pal.levelOf[1][k]] + d[2][pal.levelOf[2][k]]) / 3;
            if (k < 2) error = 2 * (int)(1.5f * (float)error);
            else if (k == 2) error = (int)(1.5f * (float)error);
            if (error <= best) {
                best = error;
                chosen = k;
            }
        }
        return chosen;
    }

    int ChooseAny(const int s[3], const int sum[3]) const {
        int d[3][256];
        for (int ch = 0; ch < 3; ++ch)
            for (int l = 0; l < pal.levelCount[ch]; ++l) d[ch][l] = Difference(s[ch], sum[ch], pal.levels[ch][l]);
        int best = 255, chosen = 0;
        for (int k = 0; k < pal.size; ++k) {
            const int error = (d[0][pal.levelOf[0][k]] + d[1][pal.levelOf[1][k]] + d[2][pal.levelOf[2][k]]) / 3;
            if (error <= best) {
                best = error;
                chosen = k;
            }
        }
        return chosen;
    }

    // Range palettes: entry k = 36 r + 6 g + b, with r up to 7 (entries 252..255 have g = 0 and b <= 3).
    // The smallest error E = floor(M / 3) for the smallest channel sum M; the chosen entry is the highest k
    // whose sum is at most 3E + 2 (its error is then E too), found by walking r, g, b downward with bounds.
    int ChooseCube(const int s[3], const int sum[3]) const {
        int dr[8], dg[6], db[6];
        for (int l = 0; l < 8; ++l) dr[l] = Difference(s[0], sum[0], pal.cubeLevel[0][l]);
        for (int l = 0; l < 6; ++l) dg[l] = Difference(s[1], sum[1], pal.cubeLevel[1][l]);
        for (int l = 0; l < 6; ++l) db[l] = Difference(s[2], sum[2], pal.cubeLevel[2][l]);
        int minR = dr[0], minG = dg[0], minB = db[0], minB4 = db[0];
        for (int l = 1; l < 7; ++l) minR = dr[l] < minR ? dr[l] : minR;
        for (int l = 1; l < 6; ++l) {
            minG = dg[l] < minG ? dg[l] : minG;
            minB = db[l] < minB ? db[l] : minB;
            if (l < 4) minB4 = db[l] < minB4 ? db[l] : minB4;
        }
        const int last = dr[7] + dg[0] + minB4; // the best of entries 252..255
        int m = minR + minG + minB;
        if (last < m) m = last;
        const int limit = 3 * (m / 3) + 2;
        if (last <= limit)
            for (int b = 3; b >= 0; --b)
                if (dr[7] + dg[0] + db[b] <= limit) return 252 + b;
        for (int r = 6; r >= 0; --r) {
            if (dr[r] + minG + minB > limit) continue;
            for (int g = 5; g >= 0; --g) {
                const int rg = dr[r] + dg[g];
                if (rg + minB > limit) continue;
                for (int b = 5; b >= 0; --b)
                    if (rg + db[b] <= limit) return 36 * r + 6 * g + b;
            }
        }
        return 0; // not reached: the entry that gave m qualifies
    }
};

} // namespace

StipplePalette MakeStipplePalette16() {
    StipplePalette p;
    p.size = 16;
    for (int k = 0; k < 16; ++k) p.entries[k] = kStippleColours16[k];
    FindLevels(&p);
    return p;
}

StipplePalette MakeStipplePalette256(const PaletteEntryRgb entries[256]) {
    StipplePalette p;
    p.size = 256;
    for (int k = 0; k < 256; ++k) p.entries[k] = entries[k];
    FindLevels(&p);
    for (int l = 0; l < 8; ++l) p.cubeLevel[0][l] = entries[36 * l].red;
    for (int l = 0; l < 6; ++l) p.cubeLevel[1][l] = entries[6 * l].green;
    for (int l = 0; l < 6; ++l) p.cubeLevel[2][l] = entries[l].blue;
    p.cube = true;
    for (int k = 0; k < 256 && p.cube; ++k)
        p.cube = entries[k].red == p.cubeLevel[0][k / 36] && entries[k].green == p.cubeLevel[1][k / 6 % 6] &&
                 entries[k].blue == p.cubeLevel[2][k % 6];
    return p;
}

void StippleRow(int row, const void *lockedSource, void *lockedDestination, size_t rowStride,
                const StipplePalette &palette) {
    const DibHeader *h = static_cast<const DibHeader *>(lockedSource);
    const int width = h->biWidth;
    if (row < 0 || row >= h->biHeight || width < 1) return;
    const unsigned char *srcRow = DibPixels(lockedSource) + rowStride * (size_t)row;
    unsigned char *dstRow = DibPixels(lockedDestination) + rowStride * (size_t)row;

    // The neighbours that exist above row 0, as byte offsets valid for both pictures.
    int count = 0;
    ptrdiff_t offset[kWeightCount];
    int dcOf[kWeightCount], weightOf[kWeightCount];
    for (const NeighbourWeight &n : kWeights) {
        if (row + n.dr < 0) continue;
        offset[count] = (ptrdiff_t)n.dr * (ptrdiff_t)rowStride + 3 * n.dc;
        dcOf[count] = n.dc;
        weightOf[count] = n.weight;
        ++count;
    }

    Chooser chooser{palette};
    for (int c = 0; c < width; ++c) {
        const unsigned char *s = srcRow + 3 * (size_t)c;
        unsigned char *d = dstRow + 3 * (size_t)c;
        const int sb = s[0], sg = s[1], sr = s[2];
        int sumB = 0, sumG = 0, sumR = 0, weight = kSelfWeight;
        const bool inside = c >= 3 && c + 3 < width;
        for (int i = 0; i < count; ++i) {
            if (!inside && (c + dcOf[i] < 0 || c + dcOf[i] >= width)) continue;
            const unsigned char *n = s + offset[i];
            if (Abs(sb - n[0]) + Abs(sg - n[1]) + Abs(sr - n[2]) >= kEdgeDistance) continue;
            const unsigned char *m = d + offset[i];
            const int w = weightOf[i];
            sumB += w * m[0];
            sumG += w * m[1];
            sumR += w * m[2];
            weight += w;
        }
        const int sv[3] = {sr, sg, sb}, sums[3] = {sumR, sumG, sumB};
        const PaletteEntryRgb &e = palette.entries[chooser.Choose(sv, sums, weight)];
        d[0] = e.blue;
        d[1] = e.green;
        d[2] = e.red;
    }
}

PackedDib StipplePicture(PackedDib source, const StipplePalette &palette) {
    if (!source || (palette.size != 16 && palette.size != 256)) return nullptr;
    BlockLockGuard src(source);
    if (!src || BlockSize(source) < sizeof(DibHeader)) return nullptr;
    DibHeader header;
    memcpy(&header, src.get(), sizeof header);
    if (header.biBitCount != 24 || header.biSize != kDibHeaderSize) return nullptr;
    const int64_t bytes = DibBlockBytes(header.biWidth, header.biHeight, 24);
    if (bytes < 0 || (int64_t)BlockSize(source) < bytes) return nullptr;
    PackedDib result = AllocWorkBlock((size_t)bytes);
    if (!result) return nullptr;
    BlockLockGuard dst(result);
    if (!dst) {
        BlockFree(result);
        return nullptr;
    }
    header.biClrUsed = 0;
    header.biSizeImage = (uint32_t)(bytes - kDibHeaderSize);
    memcpy(dst.get(), &header, sizeof header);

    BusyCursor(true);
    const bool bar = IsStatusBarShown();
    if (bar) BeginProgress();
    const int height = header.biHeight;
    const size_t stride = Stride24(header.biWidth);
    int shown = 0;
    for (int i = 0; i < height; ++i) {
        const int step = (int)(20 * (int64_t)i / height);
        if (step > shown) {
            shown = step;
            const int percent = (int)(100 * (int64_t)i / height);
            if (bar) {
                SetProgress(percent);
            } else {
                char text[32];
                snprintf(text, sizeof text, "点描 %d%%", percent);
                ShowStatusText(0, text);
            }
        }
        StippleRow(i, src.get(), dst.get(), stride, palette);
    }
    if (bar) EndProgress();
    RestoreScaleTitle();
    BusyCursor(false);
    return result;
}
