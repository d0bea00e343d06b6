// Every row-parallel kernel gives the same bytes with 1, 2 and 7 worker threads and with or without the 256-bit
// vector paths, on pictures whose rows do not split evenly; and the loop helper itself visits each row once and
// reports progress in row order.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "adjust/edges.h"
#include "adjust/histogram_average.h"
#include "adjust/levels.h"
#include "adjust/noise_run.h"
#include "adjust/saturation.h"
#include "adjust/sharpen.h"
#include "adjust/tone.h"
#include "formats/bmp_expand.h"
#include "image/colour_stats.h"
#include "image/full_colour.h"
#include "image/range_palette.h"
#include "platform/vector_width.h"
#include "platform/workers.h"
#include "test_support.h"
#include "transform/resize.h"
#include "transform/rotate.h"
#include "view/stipple.h"

namespace {

void SetEnvironment(const char *name, const char *value) {
#if defined(_WIN32)
    _putenv_s(name, value ? value : "");
#else
    if (value) setenv(name, value, 1);
    else unsetenv(name);
#endif
}

// Puts the default thread count and vector paths back whatever a test set.
struct ThreadCountGuard {
    ~ThreadCountGuard() {
        SetWorkerThreads(0);
        SetWideVectors(true);
    }
};

// An in-place kernel applied to a copy, or a kernel returning a new picture; the bytes of the result.
using Kernel = std::function<std::vector<unsigned char>(PackedDib)>;

Kernel InPlace(std::function<int(PackedDib)> fn) {
    return [fn](PackedDib src) {
        DibOwner copy(PictureFromRows(RowsOf(src)));
        EXPECT_EQ(fn(copy.get()), 1);
        return BytesOf(copy.get());
    };
}
Kernel Replacing(std::function<PackedDib(PackedDib)> fn) {
    return [fn](PackedDib src) {
        DibOwner out(fn(src));
        EXPECT_TRUE(out);
        return out ? BytesOf(out.get()) : std::vector<unsigned char>();
    };
}

NoiseRunSettings Noise(NoiseFilterKind kind, int threshold, bool jpeg) {
    NoiseRunSettings s;
    s.kind = kind;
    s.smoothing.threshold = threshold;
    s.smoothing.jpeg = jpeg;
    s.smoothing.channels.green = false;
    return s;
}

StipplePalette RangePalette() {
    PaletteEntryRgb e[256];
    MakeRangePaletteEntries(240, 250, 230, 10, 0, 20, e);
    return MakeStipplePalette256(e);
}

std::vector<unsigned char> StatsBytes(PackedDib dib) {
    BlockLockGuard lock(dib);
    ColourStats s;
    memset(&s, 0, sizeof s);
    CollectColourStats(lock.get(), kHistSetOther, &s);
    std::vector<unsigned char> bytes(sizeof s);
    memcpy(bytes.data(), &s, sizeof s);
    return bytes;
}

// The picture's bytes as a raw 16-bit bit-field or 2-bit palette block, expanded back to 24 bits.
std::vector<unsigned char> Expanded(PackedDib dib, int bits) {
    const std::vector<unsigned char> bytes = BytesOf(dib);
    DibHeader h;
    memcpy(&h, bytes.data(), sizeof h);
    const size_t table = bits == 16 ? 12 : 16, stride = (size_t)DibRowStride(h.biWidth, bits);
    std::vector<unsigned char> raw(kDibHeaderSize + table + stride * (size_t)h.biHeight);
    h.biBitCount = (uint16_t)bits;
    h.biCompression = bits == 16 ? 3 : 0;
    h.biClrUsed = bits == 16 ? 3 : 4;
    memcpy(raw.data(), &h, sizeof h);
    const uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
    const unsigned char palette[16] = {10, 20, 30, 0, 200, 100, 50, 0, 1, 2, 3, 0, 255, 128, 64, 0};
    if (bits == 16) memcpy(&raw[kDibHeaderSize], masks, sizeof masks);
    else memcpy(&raw[kDibHeaderSize], palette, sizeof palette);
    // Any bytes will do as pixels: the picture's own, row by row.
    for (int row = 0; row < h.biHeight; ++row)
        memcpy(&raw[kDibHeaderSize + table + stride * (size_t)row], &bytes[kDibHeaderSize + Stride24(h.biWidth) * row],
               stride);
    PackedDib expanded = nullptr;
    if (bits == 16) expanded = DecodeBitFields(raw.data(), raw.size());
    else if (bits == 2) expanded = DecodeTwoBit(raw.data(), raw.size());
    else {
        DibOwner block(BlockAlloc(raw.size()));
        BlockLockGuard lock(block.get());
        memcpy(lock.get(), raw.data(), raw.size());
        expanded = ToFullColour(block.get(), 24);
    }
    DibOwner out(expanded);
    EXPECT_TRUE(out);
    return out ? BytesOf(out.get()) : std::vector<unsigned char>();
}

} // namespace

TEST(Threads, EveryKernelGivesTheSameBytesForOneTwoAndSevenThreads) {
    ThreadCountGuard guard;
    ToneSettings tone;
    tone.densityRed = 20, tone.densityBlue = -12, tone.contrast = 30;
    const StipplePalette pal16 = MakeStipplePalette16(), pal256 = RangePalette();
    uint32_t hist[3][256] = {};
    for (int ch = 0; ch < 3; ++ch)
        for (int v = 0; v < 256; ++v) hist[ch][v] = (uint32_t)((v * 37 + ch * 11) % 23);
    const std::vector<std::pair<std::string, Kernel>> kernels = {
        {"tone", InPlace([&](PackedDib d) { return ToneRun(d, tone); })},
        {"levels", InPlace([](PackedDib d) { return LevelStretch(d, {200, 210, 220}, {30, 20, 10}, kLevelPicked); })},
        {"average", Replacing([&](PackedDib d) { return HistogramAverage(d, hist); })},
        {"noise", InPlace([](PackedDib d) { return NoiseRun(d, Noise(kNoiseSmoothing, 40, true), false); })},
        {"minvar", InPlace([](PackedDib d) { return NoiseRun(d, Noise(kNoiseMinVariance, 0, false), false); })},
        {"median", InPlace([](PackedDib d) { return NoiseRun(d, Noise(kNoiseMedian, 0, false), false); })},
        {"saturation+", InPlace([](PackedDib d) { return SaturationRun(d, 40, false); })},
        {"saturation-", InPlace([](PackedDib d) { return SaturationRun(d, -20, false); })},
        {"edges", Replacing([](PackedDib d) { return EdgeMap(d, false); })},
        {"sharpen", Replacing([](PackedDib d) { return Sharpen(d, false, false); })},
        {"resize 200%", Replacing([](PackedDib d) { return Resample(d, 2 * 61, 2 * 47, 92); })},
        {"resize 50%", Replacing([](PackedDib d) { return Resample(d, 30, 23, 92); })},
        {"resize odd", Replacing([](PackedDib d) { return Resample(d, 17, 101, 40); })},
        {"resize to one", Replacing([](PackedDib d) { return Resample(d, 1, 1, 92); })},
        {"rotate quality", Replacing([](PackedDib d) { return RotateByAngle(d, 0.5236, false); })},
        {"rotate fast", Replacing([](PackedDib d) { return RotateByAngle(d, -2.1, true); })},
        {"quarter right", Replacing([](PackedDib d) { return RotateQuarterTurn(d, kTurnRight); })},
        {"quarter left", Replacing([](PackedDib d) { return RotateQuarterTurn(d, kTurnLeft); })},
        {"stipple 16", Replacing([&](PackedDib d) { return StipplePicture(d, pal16); })},
        {"stipple 256", Replacing([&](PackedDib d) { return StipplePicture(d, pal256); })},
        {"colour stats", StatsBytes},
        {"bit fields", [](PackedDib d) { return Expanded(d, 16); }},
        {"two-bit", [](PackedDib d) { return Expanded(d, 2); }},
        {"palette 1", [](PackedDib d) { return Expanded(d, 1); }},
        {"palette 4", [](PackedDib d) { return Expanded(d, 4); }},
        {"palette 8", [](PackedDib d) { return Expanded(d, 8); }},
    };
    // Tall enough that 7 threads get several chunks each; also pictures thinner than the filters' reach.
    const int sizes[][2] = {{61, 47}, {3, 2}, {1, 9}, {130, 151}};
    for (const auto &size : sizes) {
        DibOwner src(PhotoLikePicture(size[0], size[1], (uint32_t)(size[0] + size[1])));
        for (const auto &k : kernels) {
            if (size[0] < 61 && k.first.compare(0, 6, "resize") == 0) continue; // the sizes are for 61 x 47
            SetWorkerThreads(1);
            const std::vector<unsigned char> one = k.second(src.get());
            ASSERT_FALSE(one.empty()) << k.first;
            for (int threads : {2, 7}) {
                SetWorkerThreads(threads);
                EXPECT_TRUE(k.second(src.get()) == one)
                    << k.first << " on " << size[0] << "x" << size[1] << " with " << threads << " threads";
            }
            SetWorkerThreads(1);
            SetWideVectors(false);
            EXPECT_TRUE(k.second(src.get()) == one) << k.first << " on " << size[0] << "x" << size[1] << " in 128 bits";
            SetWideVectors(true);
        }
    }
}

TEST(Threads, NeighbourhoodFiltersGiveTheSameBytesWhateverTheChunksAroundTheirCuts) {
    // Many threads on few rows give chunks as short as the filter's reach and a last one shorter still, whose
    // neighbours' rows are copied at the cuts by whichever side comes first.
    ThreadCountGuard guard;
    const NoiseRunSettings kinds[] = {Noise(kNoiseMedian, 0, false), Noise(kNoiseMinVariance, 0, false),
                                      Noise(kNoiseSmoothing, 60, false)};
    for (int height : {1, 2, 3, 4, 5, 6, 7, 9, 12, 37})
        for (const NoiseRunSettings &kind : kinds) {
            DibOwner src(PhotoLikePicture(23, height, (uint32_t)height * 3 + kind.kind));
            const Kernel run = InPlace([&](PackedDib d) { return NoiseRun(d, kind, false); });
            SetWorkerThreads(1);
            const std::vector<unsigned char> one = run(src.get());
            for (int threads : {2, 3, 16}) {
                SetWorkerThreads(threads);
                EXPECT_TRUE(run(src.get()) == one) << "kind " << kind.kind << ", " << height << " rows, " << threads
                                                   << " threads";
            }
        }
}

TEST(Threads, RowLoopVisitsEachRowOnceAndReportsInOrder) {
    for (int threads : {1, 2, 7})
        for (int64_t count : {1, 5, 100}) {
            std::vector<std::atomic<int>> visits((size_t)count);
            std::vector<int64_t> reported;
            std::atomic<int> badSlot{0};
            ForEachRowChunk(
                count, 3, threads,
                [&](int64_t first, int64_t end, int slot) {
                    if (slot < 0 || slot >= threads) ++badSlot;
                    for (int64_t r = first; r < end; ++r) ++visits[(size_t)r];
                },
                [&](int64_t row) { reported.push_back(row); });
            for (int64_t r = 0; r < count; ++r) EXPECT_EQ(visits[(size_t)r].load(), 1) << r;
            ASSERT_EQ((int64_t)reported.size(), count);
            for (int64_t r = 0; r < count; ++r) EXPECT_EQ(reported[(size_t)r], r);
            EXPECT_EQ(badSlot.load(), 0);
        }
}

TEST(Threads, CountComesFromTheSettingThenTheEnvironment) {
    ThreadCountGuard guard;
    SetWorkerThreads(3);
    EXPECT_EQ(WorkerThreads(), 3);
    SetWorkerThreads(1000);
    EXPECT_EQ(WorkerThreads(), 64);
    SetWorkerThreads(0);
    SetEnvironment("ORBEN_THREADS", "5");
    EXPECT_EQ(WorkerThreads(), 5);
    SetEnvironment("ORBEN_THREADS", "many");
    EXPECT_GE(WorkerThreads(), 1);
    SetEnvironment("ORBEN_THREADS", nullptr);
    EXPECT_GE(WorkerThreads(), 1);
}
