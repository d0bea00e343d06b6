// Every adjustment filter on a 4000 x 3000 photo-like picture, single thread. In-place filters work on a fresh
// copy each iteration (the copy is timed apart as BM_CopyPicture so it can be subtracted).
#include <benchmark/benchmark.h>

#include <cstring>

#include "adjust/edges.h"
#include "adjust/histogram_average.h"
#include "adjust/levels.h"
#include "adjust/noise_run.h"
#include "adjust/saturation.h"
#include "adjust/sharpen.h"
#include "adjust/tone.h"
#include "image/colour_stats.h"

// The statistics record these tests fill and read.
static ColourStats gStats;

namespace {

constexpr int kW = 4000, kH = 3000;

// Smooth gradients with texture and noise, like a photograph's levels.
PackedDib Photo() {
    static PackedDib master = nullptr;
    if (!master) {
        master = NewPicture24(kW, kH);
        BlockLockGuard lock(master);
        unsigned char *px = DibPixels(lock.get());
        uint32_t s = 12345;
        for (int row = 0; row < kH; ++row) {
            unsigned char *p = px + Stride24(kW) * row;
            for (int x = 0; x < kW; ++x, p += 3) {
                s = s * 1103515245u + 12345u;
                const int noise = (int)((s >> 16) & 31) - 16;
                const int base = ((x / 7) ^ (row / 5)) & 63;
                const int b = x * 200 / kW + base / 2 + noise, g = row * 200 / kH + base / 3 + noise,
                          r = (x + row) * 180 / (kW + kH) + 40 + noise;
                p[0] = (unsigned char)(b < 0 ? 0 : b > 255 ? 255 : b);
                p[1] = (unsigned char)(g < 0 ? 0 : g > 255 ? 255 : g);
                p[2] = (unsigned char)(r < 0 ? 0 : r > 255 ? 255 : r);
            }
        }
    }
    return master;
}

// A scratch copy reused across iterations, refilled from the master outside the timed region.
struct Scratch {
    PackedDib dib;
    Scratch() : dib(BlockAlloc(BlockSize(Photo()))) { Refill(); }
    ~Scratch() { BlockFree(dib); }
    void Refill() {
        BlockLockGuard a(dib), b(Photo());
        memcpy(a.get(), b.get(), BlockSize(dib));
    }
};

template <class Fn>
void InPlace(benchmark::State &state, Fn fn) {
    Scratch s;
    for (auto _ : state) {
        state.PauseTiming();
        s.Refill();
        state.ResumeTiming();
        benchmark::DoNotOptimize(fn(s.dib));
    }
    state.SetItemsProcessed(state.iterations() * (int64_t)kW * kH);
}

template <class Fn>
void Replacing(benchmark::State &state, Fn fn) {
    for (auto _ : state) {
        PackedDib out = fn(Photo());
        benchmark::DoNotOptimize(out);
        BlockFree(out);
    }
    state.SetItemsProcessed(state.iterations() * (int64_t)kW * kH);
}

void BM_Tone(benchmark::State &state) {
    ToneSettings t;
    t.densityRed = 20; t.densityGreen = -10; t.densityBlue = 5; t.contrast = 30;
    InPlace(state, [&](PackedDib d) { return ToneRun(d, t); });
}
void BM_LevelStretch(benchmark::State &state) {
    InPlace(state, [](PackedDib d) { return LevelStretch(d, {220, 220, 220}, {30, 30, 30}, kLevelPopup); });
}
void BM_AutoLevels(benchmark::State &state) {
    InPlace(state, [](PackedDib d) { return AutoHighlight(d) && AutoShadow(d); });
}
void BM_HistogramAverage(benchmark::State &state) {
    Replacing(state, [](PackedDib d) {
        {
            BlockLockGuard lock(d);
            CollectColourStats(lock.get(), kHistSetInternal, &gStats);
        }
        return HistogramAverage(d, gStats.raw[kHistSetInternal]);
    });
}
void BM_Noise(benchmark::State &state) {
    NoiseRunSettings s;
    s.smoothing.threshold = (int)state.range(0);
    s.smoothing.jpeg = state.range(1) != 0;
    InPlace(state, [&](PackedDib d) { return NoiseRun(d, s, false); });
}
void BM_MinVariance(benchmark::State &state) {
    NoiseRunSettings s;
    s.kind = kNoiseMinVariance;
    InPlace(state, [&](PackedDib d) { return NoiseRun(d, s, false); });
}
void BM_Median(benchmark::State &state) {
    NoiseRunSettings s;
    s.kind = kNoiseMedian;
    InPlace(state, [&](PackedDib d) { return NoiseRun(d, s, false); });
}
void BM_Saturation(benchmark::State &state) {
    const int v = (int)state.range(0);
    InPlace(state, [v](PackedDib d) { return SaturationRun(d, v, false); });
}
void BM_Edges(benchmark::State &state) {
    Replacing(state, [](PackedDib d) { return EdgeMap(d, false); });
}
void BM_Sharpen(benchmark::State &state) {
    const bool strong = state.range(0) != 0;
    Replacing(state, [strong](PackedDib d) { return Sharpen(d, strong, false); });
}

BENCHMARK(BM_Tone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LevelStretch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AutoLevels)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HistogramAverage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Noise)->Args({40, 0})->Args({40, 1})->Args({255, 0})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MinVariance)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Median)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Saturation)->Arg(32)->Arg(-32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Edges)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sharpen)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
