// The 256-bit build of the stipple's vector steps: the same steps as the 128-bit ones, sixteen pixels of a row to
// a vector for the neighbourhood sums, and two rows' pixels to a vector (one in each half) for the searches.
#include "view/stipple_lanes.h"
#include "view/stipple_sums.h"

namespace stipple_sums {

void UpperSumsWide(const int16_t *const rows[4], size_t span, int c, __m128i out[14]) {
    __m256i v[7];
    UpperSumsAt<Lanes256>(rows, span, c, v);
    for (int k = 0; k < 7; ++k) {
        out[k] = _mm256_castsi256_si128(v[k]);
        out[7 + k] = _mm256_extracti128_si256(v[k], 1);
    }
}

} // namespace stipple_sums

namespace stipple_lanes {

namespace {
template <class Search> void RunWide(const LaneTables &t, LaneStep *steps, const int n[], int count) {
    switch (count) {
    case 1: RunChains<Search, StippleOps256, 0, 1>(t, steps, n); break;
    case 2: RunChains<Search, StippleOps256, 1, 0>(t, steps, n); break;
    case 3: RunChains<Search, StippleOps256, 1, 1>(t, steps, n); break;
    default: RunChains<Search, StippleOps256, 2, 0>(t, steps, n); break;
    }
}
} // namespace

// Pixel pairs of 16: lane I of each 128-bit half holds a dword per pixel (pixels 4 h + I, then 8 + 4 h + I, h the
// half) after an unpack of the 16-lane rows with themselves or another; a pair's dwords, each spread over its
// pixel's 128 bits, is one cross-lane permute away.
inline __m256i SpreadPair(__m256i dwords, int first) {
    return _mm256_permutevar8x32_epi32(dwords, _mm256_setr_epi32(first, first, first, first, first + 1, first + 1,
                                                                 first + 1, first + 1));
}

void LaneInputsWide(const LaneTables &t, const int16_t *const rows[4], size_t span, int c, int j, LaneStep *step) {
    __m256i s[7];
    UpperSumsAt<Lanes256>(rows, span, c, s);
    const __m256i zero = _mm256_setzero_si256();
    const __m256i left = _mm256_add_epi16(_mm256_add_epi16(s[4], s[5]), s[6]);
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(step->h + j),
                        _mm256_add_epi16(_mm256_add_epi16(_mm256_set1_epi16(kSelfWeight), s[3]), left));
    for (int k = 0; k < 3; ++k)
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(step->off[k] + j),
                            _mm256_and_si256(_mm256_cmpgt_epi16(s[4 + k], zero), _mm256_set1_epi16((short)t.slot[k])));
    const int16_t *cur = rows[3] + c;
    auto load = [](const int16_t *p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p)); };
    const __m256i sb = load(cur), sg = load(cur + span), sr = load(cur + 2 * span);
    auto level = [&](int ch) {
        return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i *>(t.level[ch])));
    };
    auto put = [&](int16_t (*plane)[8], int p, __m256i v) {
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(plane[j + p]), v);
    };
    // Pixels 0 .. 3 and 8 .. 11 are the low unpack's dwords 0 .. 3 and 4 .. 7; 4 .. 7 and 12 .. 15 the high's.
    static const int kPixel[2][4] = {{0, 2, 8, 10}, {4, 6, 12, 14}};
    if (t.kind == LaneKind::kFixed16) {
        // Red in four lanes then green in four; blue in all eight.
        const __m256i l0 = level(0), l1 = level(1);
        const __m256i rg[2] = {_mm256_unpacklo_epi16(s[2], s[1]), _mm256_unpackhi_epi16(s[2], s[1])};
        const __m256i bb[2] = {_mm256_unpacklo_epi16(s[0], s[0]), _mm256_unpackhi_epi16(s[0], s[0])};
        const __m256i vrg[2] = {_mm256_unpacklo_epi16(sr, sg), _mm256_unpackhi_epi16(sr, sg)};
        const __m256i vbb[2] = {_mm256_unpacklo_epi16(sb, sb), _mm256_unpackhi_epi16(sb, sb)};
        auto fours = [](__m256i v) { return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(v, 0x00), 0x55); };
        for (int u = 0; u < 2; ++u)
            for (int q = 0; q < 4; ++q) {
                const int p = kPixel[u][q], at = 2 * (q & 1) + 4 * (q >> 1);
                put(step->base[0], p, _mm256_add_epi16(fours(SpreadPair(rg[u], at)), l0));
                put(step->base[1], p, _mm256_add_epi16(SpreadPair(bb[u], at), l1));
                put(step->source[0], p, fours(SpreadPair(vrg[u], at)));
                put(step->source[1], p, SpreadPair(vbb[u], at));
            }
        return;
    }
    const __m256i l[3] = {level(0), level(1), level(2)};
    const __m256i sum[3] = {s[2], s[1], s[0]}, src[3] = {sr, sg, sb};
    for (int ch = 0; ch < 3; ++ch) {
        const __m256i v[2] = {_mm256_unpacklo_epi16(sum[ch], sum[ch]), _mm256_unpackhi_epi16(sum[ch], sum[ch])};
        const __m256i w[2] = {_mm256_unpacklo_epi16(src[ch], src[ch]), _mm256_unpackhi_epi16(src[ch], src[ch])};
        for (int u = 0; u < 2; ++u)
            for (int q = 0; q < 4; ++q) {
                const int p = kPixel[u][q], at = 2 * (q & 1) + 4 * (q >> 1);
                put(step->base[ch], p, _mm256_add_epi16(SpreadPair(v[u], at), l[ch]));
                put(step->source[ch], p, SpreadPair(w[u], at));
            }
    }
}

void LaneEmitWide(const LaneTables &t, const LaneStep &step, int n, unsigned char *bytes, int16_t *b, int16_t *g,
                  int16_t *r) {
    const bool fixed16 = t.kind == LaneKind::kFixed16;
    const __m256i low = _mm256_set1_epi32(255);
    for (int j = 0; j < n; j += 8) {
        const __m128i codes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(step.code + 3 + j));
        // code / 48 as the high half of code x 1366: exact for the multiples of 48 up to 255 x 48.
        const __m128i index = fixed16 ? _mm_srli_epi16(codes, 2) : _mm_mulhi_epu16(codes, _mm_set1_epi16(1366));
        const __m256i c =
            _mm256_i32gather_epi32(reinterpret_cast<const int *>(t.colour), _mm256_cvtepu16_epi32(index), 4);
        const __m256i cb = _mm256_and_si256(c, low), cg = _mm256_and_si256(_mm256_srli_epi32(c, 8), low),
                      cr = _mm256_srli_epi32(c, 16);
        auto plane = [&](int16_t *p, __m256i v) {
            const __m256i words = _mm256_packus_epi32(v, v); // each half's four in its low 64 bits
            _mm_storeu_si128(reinterpret_cast<__m128i *>(p + j),
                             _mm256_castsi256_si128(_mm256_permute4x64_epi64(words, 0x08)));
        };
        plane(b, cb);
        plane(g, cg);
        plane(r, cr);
        Lanes256::StorePixels(bytes + 3 * (size_t)j, cb, cg, cr);
    }
}

int WidenWide(const unsigned char *in, int width, int16_t *b, int16_t *g, int16_t *r) {
    // Channel k's bytes of 16 pixels (48 bytes in three loads): pixels 0 .. 5 from the first, 6 .. 10 from the
    // second, 11 .. 15 from the third.
    auto mask = [](int k, int part) {
        alignas(16) signed char m[16];
        for (int i = 0; i < 16; ++i) {
            const int at = 3 * i + k - 16 * part;
            m[i] = at >= 0 && at < 16 ? (signed char)at : (signed char)-1;
        }
        return _mm_load_si128(reinterpret_cast<const __m128i *>(m));
    };
    const __m128i m[3][3] = {{mask(0, 0), mask(0, 1), mask(0, 2)},
                             {mask(1, 0), mask(1, 1), mask(1, 2)},
                             {mask(2, 0), mask(2, 1), mask(2, 2)}};
    int16_t *out[3] = {b, g, r};
    int c = 0;
    for (; c + 16 <= width; c += 16) {
        const unsigned char *p = in + 3 * (size_t)c;
        const __m128i x0 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const __m128i x1 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 16));
        const __m128i x2 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 32));
        for (int k = 0; k < 3; ++k) {
            const __m128i v = _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(x0, m[k][0]), _mm_shuffle_epi8(x1, m[k][1])),
                                           _mm_shuffle_epi8(x2, m[k][2]));
            _mm256_storeu_si256(reinterpret_cast<__m256i *>(out[k] + c), _mm256_cvtepu8_epi16(v));
        }
    }
    return c;
}

void RunChainsWide(const LaneTables &t, LaneStep *steps, const int n[], int count) {
    if (t.kind == LaneKind::kFixed16) RunWide<Fixed16Search>(t, steps, n, count);
    else RunWide<CubeSearch>(t, steps, n, count);
}

} // namespace stipple_lanes
