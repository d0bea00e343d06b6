// Saturation in float, as the pixels' headroom and products must round: a double gives other bytes for a few
// pixels in ten thousand.
#include "adjust/saturation.h"

#include <cstring>

#include "platform/vector_width.h"

#if defined(__SSE2__)
#include <emmintrin.h>

#include "adjust/saturation_lanes.h"
#endif

namespace {

inline int TruncClamp(float v) {
    const int t = (int)v; // truncation toward zero
    return t < 0 ? 0 : t > 255 ? 255 : t;
}

// Headroom of one channel level v against the mean e: v / (e - v) below the mean, (255 - v) / (v - e) above it.
// The quotients are the same floats whether divided per pixel or looked up, so they are divided once per pair.
struct RoomTable {
    float room[256][256]; // [e][v]; unused where v == e
    RoomTable() {
        for (int e = 0; e < 256; ++e)
            for (int v = 0; v < 256; ++v)
                room[e][v] = v < e ? (float)v / (float)(e - v) : v > e ? (float)(255 - v) / (float)(v - e) : 0.0f;
    }
};

const RoomTable &Rooms() {
    static const RoomTable table; // 256 KiB, built on first use and kept for the run
    return table;
}

} // namespace

namespace {

void SaturateWithTable(unsigned char *p, int s, const RoomTable &rooms) {
    const int v[3] = {p[0], p[1], p[2]};
    const int e = (v[0] + v[1] + v[2]) / 3;
    float headroom = 255.0f;
    bool differs = false;
    for (int ch = 0; ch < 3; ++ch) {
        if (v[ch] == e) continue;
        differs = true;
        const float room = rooms.room[e][v[ch]];
        if (room < headroom) headroom = room;
    }
    if (!differs) headroom = 0.0f;
    const float limit = headroom < 1.0f ? headroom : 1.0f;
    for (int ch = 0; ch < 3; ++ch) {
        const float away = limit * (float)(v[ch] - e) / 64.0f;
        p[ch] = (unsigned char)TruncClamp((float)v[ch] + (float)s * away);
    }
}

} // namespace

void SaturatePixel(unsigned char *p, int s) {
    const int v[3] = {p[0], p[1], p[2]};
    const int e = (v[0] + v[1] + v[2]) / 3;
    if (s < 0) {
        // At s = -64 every channel lands on e.
        for (int ch = 0; ch < 3; ++ch) {
            const float toward = (float)(e - v[ch]) / 64.0f;
            p[ch] = (unsigned char)TruncClamp((float)v[ch] - (float)s * toward);
        }
        return;
    }
    // Headroom: how far the colour may move away from grey before a channel would leave 0...255.
    float headroom = 255.0f;
    bool differs = false;
    for (int ch = 0; ch < 3; ++ch) {
        if (v[ch] == e) continue;
        differs = true;
        const float room = v[ch] < e ? (float)v[ch] / (float)(e - v[ch]) : (float)(255 - v[ch]) / (float)(v[ch] - e);
        if (room < headroom) headroom = room;
    }
    if (!differs) headroom = 0.0f;
    const float limit = headroom < 1.0f ? headroom : 1.0f;
    for (int ch = 0; ch < 3; ++ch) {
        const float away = limit * (float)(v[ch] - e) / 64.0f;
        p[ch] = (unsigned char)TruncClamp((float)v[ch] + (float)s * away);
    }
}

void SaturationRow(unsigned char *row, int width, int s) {
    if (s == 0) return; // s = 0 moves nothing: every product is zero
#if defined(__SSE2__)
    int done = WideVectors() ? SaturateRowWide(row, width, s) : 0;
    done += saturation_lanes::SaturateRowLanes<Lanes128>(row + 3 * (size_t)done, width - done, s);
    row += 3 * (size_t)done;
    width -= done;
#endif
    if (s < 0) {
        for (int x = 0; x < width; ++x, row += 3) SaturatePixel(row, s);
        return;
    }
    const RoomTable &rooms = Rooms();
    for (int x = 0; x < width; ++x, row += 3) SaturateWithTable(row, s, rooms);
}

int SaturationRun(PackedDib picture, int s, bool reportProgress) {
    LockedPicture24 pic(picture);
    if (!pic.ok()) return 0;
    if (s < -64) s = -64;
    if (s > 64) s = 64;
    RowProgress progress(reportProgress, kSaturationProgressText, pic.height);
    if (s > 0) Rooms(); // built once, before any worker thread looks it up
    ForEachPictureRow(pic.height, &progress, [&](int row) { SaturationRow(pic.Row(row), pic.width, s); });
    return 1;
}
