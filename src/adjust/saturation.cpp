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

#if defined(__SSE2__)
namespace {

// 128-bit vector operations: four pixels, a channel in each 32-bit lane.
struct Lanes128 {
    using I = __m128i;
    using F = __m128;
    static constexpr int kLanes = 4;
    // Four pixels as the dwords 0x??RRGGBB, from the twelve bytes at p (sixteen are read).
    static I LoadPixels(const unsigned char *p) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const __m128i pair0 = _mm_unpacklo_epi32(x, _mm_srli_si128(x, 3));
        const __m128i pair1 = _mm_unpacklo_epi32(_mm_srli_si128(x, 6), _mm_srli_si128(x, 9));
        return _mm_unpacklo_epi64(pair0, pair1);
    }
    // Writes exactly the twelve bytes of four pixels from their channels (whole numbers, saturated to 0...255).
    static void StoreChannels(unsigned char *p, I b, I g, I r) {
        const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(b, g), _mm_packs_epi32(r, _mm_setzero_si128()));
        const __m128i blueGreen = _mm_unpacklo_epi8(bytes, _mm_srli_si128(bytes, 4));
        const __m128i redZero = _mm_unpacklo_epi8(_mm_srli_si128(bytes, 8), _mm_setzero_si128());
        const __m128i pixels = _mm_unpacklo_epi16(blueGreen, redZero); // dwords 0x00RRGGBB
        const __m128i low = _mm_set_epi32(0, 0xFFFFFF, 0, 0xFFFFFF);
        // Each 64-bit half: its two pixels as six bytes; then all twelve together.
        const __m128i pairs =
            _mm_or_si128(_mm_and_si128(pixels, low), _mm_andnot_si128(low, _mm_srli_epi64(pixels, 8)));
        const __m128i packed = _mm_or_si128(_mm_move_epi64(pairs), _mm_slli_si128(_mm_srli_si128(pairs, 8), 6));
        _mm_storel_epi64(reinterpret_cast<__m128i *>(p), packed);
        const int tail = _mm_cvtsi128_si32(_mm_srli_si128(packed, 8));
        memcpy(p + 8, &tail, 4);
    }
    // sum / 3 = sum x ceil(2^16 / 3) >> 16 for sums below 32768.
    static I DivideBy3(I sum) {
        const __m128i sum16 = _mm_packs_epi32(sum, sum);
        return _mm_unpacklo_epi16(_mm_mulhi_epu16(sum16, _mm_set1_epi16(21846)), _mm_setzero_si128());
    }
    static I Set32(int v) { return _mm_set1_epi32(v); }
    static I And(I a, I b) { return _mm_and_si128(a, b); }
    static I AndNot(I a, I b) { return _mm_andnot_si128(a, b); }
    static I Or(I a, I b) { return _mm_or_si128(a, b); }
    static I Xor(I a, I b) { return _mm_xor_si128(a, b); }
    static I Shift8(I a) { return _mm_srli_epi32(a, 8); }
    static I Shift16(I a) { return _mm_srli_epi32(a, 16); }
    static I Add32(I a, I b) { return _mm_add_epi32(a, b); }
    static I Sub32(I a, I b) { return _mm_sub_epi32(a, b); }
    static I Greater32(I a, I b) { return _mm_cmpgt_epi32(a, b); }
    static I Equal32(I a, I b) { return _mm_cmpeq_epi32(a, b); }
    static I Truncate(F a) { return _mm_cvttps_epi32(a); }
    static F ToFloat(I a) { return _mm_cvtepi32_ps(a); }
    static F Set(float v) { return _mm_set1_ps(v); }
    static F Add(F a, F b) { return _mm_add_ps(a, b); }
    static F Sub(F a, F b) { return _mm_sub_ps(a, b); }
    static F Mul(F a, F b) { return _mm_mul_ps(a, b); }
    static F Div(F a, F b) { return _mm_div_ps(a, b); }
    static F Min(F a, F b) { return _mm_min_ps(a, b); }
    static F Select(I mask, F a, F b) {
        const __m128 m = _mm_castsi128_ps(mask);
        return _mm_or_ps(_mm_and_ps(m, a), _mm_andnot_ps(m, b));
    }
};

} // namespace
#endif

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
