// Level stretch through per-channel tables, and the triples the highlight and shadow commands feed it.
#include "adjust/levels.h"

#include <cstring>

#include "image/colour_stats.h"

namespace {

unsigned Low16(int v) { return (unsigned)v & 0xFFFFu; }

} // namespace

int ChooseHighlight(const LevelTriple &t, int mode) {
    const unsigned a = Low16(t.first), b = Low16(t.second), c = Low16(t.third);
    if (mode == kLevelAuto) return a <= b ? t.second : a <= c ? t.third : t.first;
    return a >= b ? t.second : a >= c ? t.third : t.first;
}

int ChooseShadow(const LevelTriple &t, int mode) {
    const unsigned d = Low16(t.first), e = Low16(t.second), f = Low16(t.third);
    if (mode == kLevelAuto) return d >= e ? t.second : d >= f ? t.third : t.first;
    return d <= e ? t.second : d <= f ? t.third : t.first;
}

int LevelStretch(PackedDib picture, const LevelTriple &highlight, const LevelTriple &shadow, int mode,
                 const ChannelSwitches &channels) {
    LockedPicture24 pic(picture);
    if (!pic.ok()) return 0;
    const int64_t h = ChooseHighlight(highlight, mode), s = ChooseShadow(shadow, mode);
    if (h == s) return 1;
    unsigned char table[3][256];
    for (int ch = 0; ch < 3; ++ch) {
        const bool on = mode != kLevelPopup || channels.ByteOn(ch);
        for (int v = 0; v < 256; ++v) {
            int64_t out = v;
            if (on) {
                out = (v - s) * 255 / (h - s); // truncates toward zero, also for levels below the shadow
                out = out < 0 ? 0 : out > 255 ? 255 : out;
            }
            table[ch][v] = (unsigned char)out;
        }
    }
    ForEachPictureRow(pic.height, nullptr, [&](int row) {
        // A private copy: the byte stores below cannot be taken to change it, so its loads need not wait.
        unsigned char own[3][256];
        memcpy(own, table, sizeof own);
        const unsigned char *b = own[0], *g = own[1], *r = own[2];
        unsigned char *p = pic.Row(row);
        for (int x = 0, width = pic.width; x < width; ++x, p += 3) {
            p[0] = b[p[0]];
            p[1] = g[p[1]];
            p[2] = r[p[2]];
        }
    });
    return 1;
}

int PopupLevel(int clickX, int panelLeft, int panelRight) {
    const int64_t span = (int64_t)panelRight - panelLeft;
    if (span <= 0) return 1; // a collapsed panel has only its left edge
    int64_t level = ((int64_t)clickX - panelLeft) * 253 / span + 1;
    return (int)(level < 1 ? 1 : level > 254 ? 254 : level);
}

bool ScanChannelExtremes(PackedDib picture, ChannelExtremes *out) {
    LockedPicture24 pic(picture);
    if (!pic.ok()) return false;
    // A private record: the statistics the display refresh keeps for the histogram panel stay as they are.
    static ColourStats stats;
    CollectColourStats(pic.block, kHistSetInternal, &stats);
    *out = ChannelExtremes{stats.maxR, stats.maxG, stats.maxB, stats.minR, stats.minG, stats.minB};
    return true;
}

int AutoHighlight(PackedDib picture) {
    ChannelExtremes e;
    if (!ScanChannelExtremes(picture, &e)) return 0;
    return LevelStretch(picture, LevelTriple{e.maxR, e.maxB, e.maxG}, LevelTriple{0, 0, 0}, kLevelAuto);
}

int AutoShadow(PackedDib picture) {
    ChannelExtremes e;
    if (!ScanChannelExtremes(picture, &e)) return 0;
    return LevelStretch(picture, LevelTriple{255, 255, 255}, LevelTriple{e.minR, e.minB, e.minG}, kLevelAuto);
}
