// Saturation of several pixels at once, channel by channel in single precision: the same operations on the same
// values, in the same order, as SaturatePixel (a channel level with the mean gets room 255, which never lowers the
// minimum, and moves by limit x 0 = 0 whatever the limit). The 128-bit and the 256-bit builds instantiate the
// same steps with their own vector operations V, so they give the same bytes.
#pragma once

#include "platform/simd_lanes.h"

// The 256-bit path (saturation_avx2.cpp): only to be called when WideVectors() is true. Returns the pixels done.
int SaturateRowWide(unsigned char *row, int width, int s);

namespace {

namespace saturation_lanes {

template <class V>
void SaturateLanes(unsigned char *p, int s) {
    using I = typename V::I;
    using F = typename V::F;
    const I pixels = V::LoadPixels(p), byte = V::Set32(255);
    const I v[3] = {V::And(pixels, byte), V::And(V::template ShiftRight32<8>(pixels), byte),
                    V::And(V::template ShiftRight32<16>(pixels), byte)};
    const I e = V::DivideBy3(V::Add32(V::Add32(v[0], v[1]), v[2]));
    const F sf = V::Set((float)s), inv64 = V::Set(1.0f / 64.0f); // x / 64 == x * (1 / 64) exactly
    F moved[3];
    if (s < 0) {
        for (int ch = 0; ch < 3; ++ch) {
            const F toward = V::Mul(V::ToFloat(V::Sub32(e, v[ch])), inv64);
            moved[ch] = V::Sub(V::ToFloat(v[ch]), V::Mul(sf, toward));
        }
    } else {
        F headroom = V::Set(255.0f);
        for (int ch = 0; ch < 3; ++ch) {
            const I below = V::Greater32(e, v[ch]), same = V::Equal32(e, v[ch]);
            const I gap = V::Sub32(V::Xor(V::Sub32(v[ch], e), below), below); // |v - e|
            const I num = V::Or(V::And(below, v[ch]), V::AndNot(below, V::Sub32(byte, v[ch])));
            const I den = V::Or(gap, V::And(same, V::Set32(1)));
            const F room = V::Select(same, V::Set(255.0f), V::Div(V::ToFloat(num), V::ToFloat(den)));
            headroom = V::Min(room, headroom);
        }
        const F limit = V::Min(headroom, V::Set(1.0f));
        for (int ch = 0; ch < 3; ++ch) {
            const F away = V::Mul(V::Mul(limit, V::ToFloat(V::Sub32(v[ch], e))), inv64);
            moved[ch] = V::Add(V::ToFloat(v[ch]), V::Mul(sf, away));
        }
    }
    // Truncation toward zero, then 0...255.
    V::StorePixels(p, V::Truncate(moved[0]), V::Truncate(moved[1]), V::Truncate(moved[2]));
}

// The pixels of a row from the first on, V::kLanes at a time while the loads stay inside the row.
template <class V>
int SaturateRowLanes(unsigned char *row, int width, int s) {
    int x = 0;
    for (; x + V::kLanes + 2 <= width; x += V::kLanes) SaturateLanes<V>(row + 3 * (size_t)x, s);
    return x;
}

} // namespace saturation_lanes

} // namespace
