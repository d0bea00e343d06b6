// Decoding a 4000 x 3000 photo-like JPEG at quality 90, in 4:2:0 and 4:4:4. The input is made at run time with
// cjpeg from a generated picture (the benchmark is skipped when cjpeg is missing).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "formats/jpeg_decode.h"

namespace {

constexpr int kW = 4000, kH = 3000;

// Smooth gradients, soft shapes and mild noise: compresses like a photograph.
std::string WritePhoto() {
    const std::string path = "/tmp/orben_bench_jpeg_photo.ppm";
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) return "";
    fprintf(f, "P6\n%d %d\n255\n", kW, kH);
    std::vector<unsigned char> row(kW * 3);
    uint32_t s = 7;
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            s = s * 1103515245u + 12345u;
            const int n = (int)((s >> 16) & 15) - 8;
            const double a = std::sin(x * 0.004) * std::cos(y * 0.006), b = std::sin((x + y) * 0.01);
            const int r = 120 + (int)(80 * a) + (int)(30 * b) + n, g = 100 + (int)(60 * b) + (x * 50) / kW + n,
                      bl = 90 + (int)(70 * a * b) + (y * 60) / kH + n;
            row[3 * x] = (unsigned char)(r < 0 ? 0 : r > 255 ? 255 : r);
            row[3 * x + 1] = (unsigned char)(g < 0 ? 0 : g > 255 ? 255 : g);
            row[3 * x + 2] = (unsigned char)(bl < 0 ? 0 : bl > 255 ? 255 : bl);
        }
        fwrite(row.data(), 1, row.size(), f);
    }
    fclose(f);
    return path;
}

const std::vector<unsigned char> &Input(const char *sampling) {
    static std::string photo = WritePhoto();
    static std::vector<unsigned char> cache[2];
    std::vector<unsigned char> &bytes = cache[std::string(sampling) == "2x2" ? 0 : 1];
    if (bytes.empty() && !photo.empty()) {
        const std::string out = std::string("/tmp/orben_bench_jpeg_") + sampling + ".jpg";
        const std::string cmd = "cjpeg -baseline -quality 90 -sample " + std::string(sampling) + " -outfile " + out +
                                " " + photo + " 2>/dev/null";
        if (system(cmd.c_str()) == 0) {
            std::ifstream in(out, std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    }
    return bytes;
}

void Decode(benchmark::State &state, const char *sampling) {
    const std::vector<unsigned char> &bytes = Input(sampling);
    if (bytes.empty()) {
        state.SkipWithError("cjpeg could not make the input");
        return;
    }
    for (auto _ : state) {
        int rc = 0;
        PackedDib dib = DecodeJpegMemory(bytes.data(), bytes.size(), &rc);
        if (!dib) {
            state.SkipWithError("decode failed");
            break;
        }
        BlockFree(dib);
    }
    state.counters["MP/s"] = benchmark::Counter((double)kW * kH * state.iterations() / 1e6, benchmark::Counter::kIsRate);
    state.counters["file_MB"] = bytes.size() / 1e6;
}

void BM_JpegDecode420(benchmark::State &state) { Decode(state, "2x2"); }
void BM_JpegDecode444(benchmark::State &state) { Decode(state, "1x1"); }
BENCHMARK(BM_JpegDecode420)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_JpegDecode444)->Unit(benchmark::kMillisecond)->MinTime(2);

} // namespace

BENCHMARK_MAIN();
