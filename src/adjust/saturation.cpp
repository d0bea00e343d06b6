// Saturation in float, as the pixels' headroom and products must round: a double gives other bytes for a few
// pixels in ten thousand.
#include "adjust/saturation.h"

#if defined(__SSE2__)
#include <emmintrin.h>
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

#if defined(__SSE2__)
namespace {

// Four pixels at once, channel by channel in single precision: the same operations on the same values, in the
// same order, as SaturatePixel (a channel level with the mean gets room 255, which never lowers the minimum, and
// moves by limit x 0 = 0 whatever the limit).
void SaturateFour(unsigned char *p, int s) {
    __m128i v[3];
    for (int ch = 0; ch < 3; ++ch) v[ch] = _mm_setr_epi32(p[ch], p[3 + ch], p[6 + ch], p[9 + ch]);
    const __m128i sum = _mm_add_epi32(_mm_add_epi32(v[0], v[1]), v[2]); // at most 765
    const __m128i sum16 = _mm_packs_epi32(sum, sum);
    // sum / 3 = sum x ceil(2^16 / 3) >> 16 for sums below 32768.
    const __m128i e = _mm_unpacklo_epi16(_mm_mulhi_epu16(sum16, _mm_set1_epi16(21846)), _mm_setzero_si128());
    const __m128 sf = _mm_set1_ps((float)s), k64 = _mm_set1_ps(64.0f);
    __m128 moved[3];
    if (s < 0) {
        for (int ch = 0; ch < 3; ++ch) {
            const __m128 toward = _mm_div_ps(_mm_cvtepi32_ps(_mm_sub_epi32(e, v[ch])), k64);
            moved[ch] = _mm_sub_ps(_mm_cvtepi32_ps(v[ch]), _mm_mul_ps(sf, toward));
        }
    } else {
        __m128 headroom = _mm_set1_ps(255.0f);
        for (int ch = 0; ch < 3; ++ch) {
            const __m128i below = _mm_cmpgt_epi32(e, v[ch]), same = _mm_cmpeq_epi32(e, v[ch]);
            const __m128i gap = _mm_sub_epi32(_mm_xor_si128(_mm_sub_epi32(v[ch], e), below), below); // |v - e|
            const __m128i num = _mm_or_si128(_mm_and_si128(below, v[ch]),
                                             _mm_andnot_si128(below, _mm_sub_epi32(_mm_set1_epi32(255), v[ch])));
            const __m128i den = _mm_or_si128(gap, _mm_and_si128(same, _mm_set1_epi32(1)));
            __m128 room = _mm_div_ps(_mm_cvtepi32_ps(num), _mm_cvtepi32_ps(den));
            room = _mm_or_ps(_mm_andnot_ps(_mm_castsi128_ps(same), room),
                             _mm_and_ps(_mm_castsi128_ps(same), _mm_set1_ps(255.0f)));
            headroom = _mm_min_ps(room, headroom);
        }
        const __m128 limit = _mm_min_ps(headroom, _mm_set1_ps(1.0f));
        for (int ch = 0; ch < 3; ++ch) {
            const __m128 away = _mm_div_ps(_mm_mul_ps(limit, _mm_cvtepi32_ps(_mm_sub_epi32(v[ch], e))), k64);
            moved[ch] = _mm_add_ps(_mm_cvtepi32_ps(v[ch]), _mm_mul_ps(sf, away));
        }
    }
    for (int ch = 0; ch < 3; ++ch) {
        const __m128i t = _mm_cvttps_epi32(moved[ch]); // truncation toward zero, then 0...255
        const __m128i t16 = _mm_packs_epi32(t, t);
        const int bytes = _mm_cvtsi128_si32(_mm_packus_epi16(t16, t16));
        for (int i = 0; i < 4; ++i) p[3 * i + ch] = (unsigned char)(bytes >> (8 * i));
    }
}

} // namespace
#endif

void SaturationRow(unsigned char *row, int width, int s) {
    if (s == 0) return; // s = 0 moves nothing: every product is zero
#if defined(__SSE2__)
    for (; width >= 4; width -= 4, row += 12) SaturateFour(row, s);
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
