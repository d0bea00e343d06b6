// Load and save of a 4000 x 3000 24-bit BMP file, and compression and decompression of a photo-like picture.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "formats/bmp_write.h"
#include "formats/compressed_format.h"
#include "formats/open_picture.h"

namespace {

constexpr int kW = 4000, kH = 3000;

// Smooth gradients with a little noise: most neighbouring steps are small, as in photographs.
PackedDib PhotoLike() {
    PackedDib dib = NewPicture24(kW, kH);
    BlockLockGuard lock(dib);
    unsigned char *px = DibPixels(lock.get());
    uint32_t s = 1;
    for (int y = 0; y < kH; ++y) {
        unsigned char *p = px + Stride24(kW) * y;
        for (int x = 0; x < kW; ++x, p += 3) {
            s = s * 1103515245u + 12345u;
            const int n = (int)((s >> 16) & 7) - 3;
            p[0] = (unsigned char)((x * 255 / kW + n) & 0xFF);
            p[1] = (unsigned char)((y * 255 / kH + n) & 0xFF);
            p[2] = (unsigned char)(((x + y) * 127 / (kW + kH) + 64 + n) & 0xFF);
        }
    }
    return dib;
}

std::string BenchFile(const char *name) {
    const char *dir = getenv("BENCH_DIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/" + name;
}

void BM_SaveBmp24(benchmark::State &state) {
    PackedDib dib = PhotoLike();
    const std::string path = BenchFile("bench_save.bmp");
    for (auto _ : state) benchmark::DoNotOptimize(WriteBmpFile(path.c_str(), dib));
    state.SetBytesProcessed(state.iterations() * (int64_t)BlockSize(dib));
    BlockFree(dib);
    remove(path.c_str());
}
BENCHMARK(BM_SaveBmp24)->Unit(benchmark::kMillisecond);

void BM_LoadBmp24(benchmark::State &state) {
    PackedDib dib = PhotoLike();
    const std::string path = BenchFile("bench_load.bmp");
    WriteBmpFile(path.c_str(), dib);
    for (auto _ : state) {
        PackedDib loaded = OpenPictureFile(path.c_str(), nullptr);
        benchmark::DoNotOptimize(loaded);
        BlockFree(loaded);
    }
    state.SetBytesProcessed(state.iterations() * (int64_t)BlockSize(dib));
    BlockFree(dib);
    remove(path.c_str());
}
BENCHMARK(BM_LoadBmp24)->Unit(benchmark::kMillisecond);

void BM_Compress(benchmark::State &state) {
    PackedDib dib = PhotoLike();
    for (auto _ : state) {
        PackedDib packed = CompressPicture(dib);
        benchmark::DoNotOptimize(packed);
        BlockFree(packed);
    }
    state.SetBytesProcessed(state.iterations() * (int64_t)BlockSize(dib));
    BlockFree(dib);
}
BENCHMARK(BM_Compress)->Unit(benchmark::kMillisecond);

void BM_Decompress(benchmark::State &state) {
    PackedDib dib = PhotoLike();
    PackedDib packed = CompressPicture(dib);
    if (!packed) {
        state.SkipWithError("the picture did not compress");
        BlockFree(dib);
        return;
    }
    for (auto _ : state) {
        PackedDib back = DecompressPicture(packed);
        benchmark::DoNotOptimize(back);
        BlockFree(back);
    }
    state.SetBytesProcessed(state.iterations() * (int64_t)BlockSize(dib));
    state.counters["ratio"] = (double)BlockSize(packed) / (double)BlockSize(dib);
    BlockFree(packed);
    BlockFree(dib);
}
BENCHMARK(BM_Decompress)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
