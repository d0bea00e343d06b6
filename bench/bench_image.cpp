// The statistics pass and the 8-to-24-bit conversion against a plain memcpy of the same bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "image/colour_stats.h"
#include "image/full_colour.h"

namespace {

constexpr int kW = 4000, kH = 3000;

PackedDib Photo24() {
    PackedDib dib = NewPicture24(kW, kH);
    BlockLockGuard lock(dib);
    unsigned char *p = DibPixels(lock.get());
    uint32_t s = 1;
    for (size_t i = 0; i < Stride24(kW) * kH; ++i) {
        s = s * 1103515245u + 12345u;
        p[i] = (unsigned char)((i / 3 % kW) * 255 / kW + ((s >> 16) & 15));
    }
    return dib;
}

void BM_Memcpy(benchmark::State &state) {
    std::vector<unsigned char> a(Stride24(kW) * kH, 1), b(a.size());
    for (auto _ : state) {
        memcpy(b.data(), a.data(), a.size());
        benchmark::DoNotOptimize(b.data());
    }
    state.SetBytesProcessed(state.iterations() * (int64_t)a.size());
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

void BM_ColourStats(benchmark::State &state) {
    PackedDib dib = Photo24();
    BlockLockGuard lock(dib);
    static ColourStats stats;
    for (auto _ : state) CollectColourStats(lock.get(), kHistSetInternal, &stats);
    state.SetBytesProcessed(state.iterations() * (int64_t)Stride24(kW) * kH);
}
BENCHMARK(BM_ColourStats)->Unit(benchmark::kMillisecond);

void BM_ToFullColourFrom8(benchmark::State &state) {
    const size_t stride = (kW + 3) & ~3;
    PackedDib src = BlockAlloc(40 + 1024 + stride * kH);
    {
        BlockLockGuard lock(src);
        DibHeader h{};
        h.biSize = 40; h.biWidth = kW; h.biHeight = kH; h.biPlanes = 1; h.biBitCount = 8; h.biClrUsed = 256;
        memcpy(lock.get(), &h, 40);
        for (int i = 0; i < 256; ++i) lock.get()[40 + 4 * i] = (unsigned char)i;
        for (size_t i = 0; i < stride * kH; ++i) lock.get()[40 + 1024 + i] = (unsigned char)(i * 7);
    }
    for (auto _ : state) {
        PackedDib full = ToFullColour(src, 24);
        benchmark::DoNotOptimize(full);
        BlockFree(full);
    }
    BlockFree(src);
}
BENCHMARK(BM_ToFullColourFrom8)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
