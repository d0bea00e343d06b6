// Saturation in float, as the pixels' headroom and products must round: a double gives other bytes for a few
// pixels in ten thousand.
#include "adjust/saturation.h"

namespace {

inline int TruncClamp(float v) {
    const int t = (int)v; // truncation toward zero
    return t < 0 ? 0 : t > 255 ? 255 : t;
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
    for (int x = 0; x < width; ++x, row += 3) SaturatePixel(row, s);
}

int SaturationRun(PackedDib picture, int s, bool reportProgress) {
    LockedPicture24 pic(picture);
    if (!pic.ok()) return 0;
    if (s < -64) s = -64;
    if (s > 64) s = 64;
    RowProgress progress(reportProgress, kSaturationProgressText, pic.height);
    for (int row = 0; row < pic.height; ++row) {
        progress.BeforeRow(row);
        SaturationRow(pic.Row(row), pic.width, s);
    }
    return 1;
}
