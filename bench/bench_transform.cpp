// Resize, rotation and stipple on a 4000 x 3000 photo-like picture, single thread, beside a plain copy of the
// same bytes for scale.
#include <benchmark/benchmark.h>

#include <cstring>

#include "image/range_palette.h"
#include "transform/resize.h"
#include "transform/rotate.h"
#include "view/stipple.h"

namespace {

constexpr int kW = 4000, kH = 3000;
const double kThirtyDegrees = 30 * 3.14159265358979323846 / 180;

// Smooth gradients with mild noise, like a photograph's content.
PackedDib Photo24() {
    PackedDib dib = NewPicture24(kW, kH);
    BlockLockGuard lock(dib);
    unsigned char *p = DibPixels(lock.get());
    uint32_t s = 1;
    for (int y = 0; y < kH; ++y) {
        unsigned char *row = p + Stride24(kW) * y;
        for (int x = 0; x < kW; ++x) {
            s = s * 1103515245u + 12345u;
            const int n = (int)((s >> 16) & 15) - 8;
            const int v[3] = {x * 255 / kW + n, y * 255 / kH + n, (x + y) * 127 / (kW + kH) + 64 + n};
            for (int c = 0; c < 3; ++c) row[3 * x + c] = (unsigned char)(v[c] < 0 ? 0 : v[c] > 255 ? 255 : v[c]);
        }
    }
    return dib;
}

PackedDib Source() {
    static PackedDib dib = Photo24();
    return dib;
}

template <class Job>
void RunPictureJob(benchmark::State &state, Job job) {
    PackedDib src = Source();
    for (auto _ : state) {
        PackedDib out = job(src);
        benchmark::DoNotOptimize(out);
        BlockFree(out);
    }
    state.SetItemsProcessed(state.iterations() * (int64_t)kW * kH);
}

void BM_CopyPicture(benchmark::State &state) {
    RunPictureJob(state, [](PackedDib src) {
        PackedDib out = BlockAlloc(BlockSize(src));
        BlockLockGuard a(src), b(out);
        memcpy(b.get(), a.get(), BlockSize(src));
        return out;
    });
}
void BM_QuarterTurn(benchmark::State &state) {
    RunPictureJob(state, [](PackedDib src) { return RotateQuarterTurn(src, kTurnRight); });
}
void BM_Rotate30Fast(benchmark::State &state) {
    RunPictureJob(state, [](PackedDib src) { return RotateByAngle(src, kThirtyDegrees, true); });
}
void BM_Rotate30Quality(benchmark::State &state) {
    RunPictureJob(state, [](PackedDib src) { return RotateByAngle(src, kThirtyDegrees, false); });
}
void BM_ResizeHalf(benchmark::State &state) {
    RunPictureJob(state, [](PackedDib src) { return Resample(src, kW / 2, kH / 2, kDefaultEdgeThreshold); });
}
void BM_ResizeDouble(benchmark::State &state) {
    RunPictureJob(state, [](PackedDib src) { return Resample(src, kW * 2, kH * 2, kDefaultEdgeThreshold); });
}
void BM_Stipple16(benchmark::State &state) {
    const StipplePalette palette = MakeStipplePalette16();
    RunPictureJob(state, [&](PackedDib src) { return StipplePicture(src, palette); });
}
void BM_Stipple256(benchmark::State &state) {
    PaletteEntryRgb entries[256];
    MakeRangePaletteEntries(255, 255, 255, 0, 0, 0, entries);
    const StipplePalette palette = MakeStipplePalette256(entries);
    RunPictureJob(state, [&](PackedDib src) { return StipplePicture(src, palette); });
}

BENCHMARK(BM_CopyPicture)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuarterTurn)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rotate30Fast)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rotate30Quality)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResizeHalf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResizeDouble)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stipple16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stipple256)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
