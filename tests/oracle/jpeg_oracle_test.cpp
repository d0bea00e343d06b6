// The decoder against an independent model: libjpeg reads the quantised coefficients of each file, and a plain
// restatement of this program's arithmetic (predictor start 1024 / Q[0], 16-bit dequantisation, the shift-and-add
// IDCT with its 16-bit cuts, chroma replication, the 16ths colour matrix) must give the decoder's bytes exactly.
// Also prints, as a sanity figure, how far the program's colours lie from libjpeg's ordinary decode.
#include <gtest/gtest.h>

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <fstream>
#include <iterator>
#include <vector>

#include <jpeglib.h>

#include "formats/jpeg_decode.h"
#include "image/dib.h"

namespace {

struct ErrorTrap {
    jpeg_error_mgr pub;
    jmp_buf jump;
};

void OnError(j_common_ptr c) { longjmp(reinterpret_cast<ErrorTrap *>(c->err)->jump, 1); }
void OnMessage(j_common_ptr, int) {}

std::vector<unsigned char> ReadBytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// --- the model -------------------------------------------------------------------------------------------------

int32_t Cut(int32_t v) { return (int16_t)v; }
int32_t Mul(int32_t x, int k) {
    // k as a sum of powers of two; every copy shifted by 1 or more is cut to 16 bits.
    int32_t sum = 0;
    for (int bit = 0; bit < 6; ++bit)
        if (k & (1 << bit)) sum += bit == 0 ? x : Cut(x * (1 << bit));
    return sum;
}

void Line(int16_t *p, int step, int shift) {
    int32_t x[8];
    for (int i = 0; i < 8; ++i) x[i] = p[i * step];
    const int32_t m = 32 * (x[0] + x[4]), f = 32 * (x[0] - x[4]);
    const int32_t l = Mul(x[2], 42) + Mul(x[6], 17), e = Mul(x[2], 17) - Mul(x[6], 42);
    const int32_t ev[4] = {m + l, f + e, f - e, m - l};
    const int32_t od[4] = {Mul(x[1], 44) + Mul(x[3], 38) + Mul(x[5], 25) + Mul(x[7], 9),
                           Mul(x[1], 38) - Mul(x[3], 9) - Mul(x[5], 44) - Mul(x[7], 25),
                           Mul(x[1], 25) - Mul(x[3], 44) + Mul(x[5], 9) + Mul(x[7], 38),
                           Mul(x[1], 9) - Mul(x[3], 25) + Mul(x[5], 38) - Mul(x[7], 44)};
    for (int k = 0; k < 4; ++k) {
        p[k * step] = (int16_t)((ev[k] + od[k]) >> shift);
        p[(7 - k) * step] = (int16_t)((ev[k] - od[k]) >> shift);
    }
}

void ModelIdct(int16_t *b) {
    for (int r = 0; r < 8; ++r) Line(b + 8 * r, 1, 5);
    for (int c = 0; c < 8; ++c) Line(b + c, 8, 8);
}

uint8_t Clamp(int32_t t) { return t < 0 ? 0 : t >= 4096 ? 255 : (uint8_t)(t >> 4); }

struct Model {
    int width = 0, height = 0;
    std::vector<uint8_t> bgr; // top-down, 3 bytes a pixel, no padding
    bool ok = false;
    bool hasRestartInterval = false;
};

// Builds the expected picture from libjpeg's coefficients.
Model ModelFromCoefficients(const std::string &path) {
    Model out;
    const std::vector<unsigned char> bytes = ReadBytes(path);
    if (bytes.empty()) return out;
    jpeg_decompress_struct cinfo;
    ErrorTrap trap;
    cinfo.err = jpeg_std_error(&trap.pub);
    trap.pub.error_exit = OnError;
    trap.pub.emit_message = OnMessage;
    if (setjmp(trap.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return Model();
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, bytes.data(), (unsigned long)bytes.size());
    jpeg_read_header(&cinfo, TRUE);
    jvirt_barray_ptr *coefs = jpeg_read_coefficients(&cinfo);
    out.width = (int)cinfo.image_width;
    out.height = (int)cinfo.image_height;
    out.hasRestartInterval = cinfo.restart_interval != 0;
    const int nc = cinfo.num_components;
    const bool grey = nc == 1;
    const int lh = grey ? 1 : cinfo.comp_info[0].h_samp_factor, lv = grey ? 1 : cinfo.comp_info[0].v_samp_factor;
    const int mcuW = 8 * lh, mcuH = 8 * lv;
    const int mcusX = (out.width + mcuW - 1) / mcuW, mcusY = (out.height + mcuH - 1) / mcuH;
    out.bgr.assign((size_t)out.width * out.height * 3, 0);
    // Every MCU in scan order; the predictor restarts wherever libjpeg's DC sums restarted, so
    // predictor = start + libjpeg's DC, modulo 2^16, throughout.
    std::vector<int16_t> planes[3];
    for (int my = 0; my < mcusY; ++my) {
        for (int mx = 0; mx < mcusX; ++mx) {
            int16_t blocks[6][64];
            int n = 0;
            for (int c = 0; c < nc; ++c) {
                jpeg_component_info *ci = &cinfo.comp_info[c];
                const uint16_t *q = ci->quant_table->quantval;
                // Only the first component's predictor starts at 1024 / Q[0]: that is its +128 level shift.
                const int16_t start = c == 0 ? (int16_t)(q[0] ? 1024 / q[0] : 1024) : 0;
                const int bw = c == 0 ? lh : 1, bh = c == 0 ? lv : 1;
                for (int j = 0; j < bh; ++j) {
                    JBLOCKARRAY row = cinfo.mem->access_virt_barray((j_common_ptr)&cinfo, coefs[c],
                                                                     (JDIMENSION)(my * bh + j), 1, FALSE);
                    for (int i = 0; i < bw; ++i) {
                        const JCOEF *src = row[0][mx * bw + i];
                        int16_t *b = blocks[n++];
                        const int16_t pred = (int16_t)(start + src[0]);
                        b[0] = (int16_t)(pred * q[0]);
                        for (int k = 1; k < 64; ++k) b[k] = (int16_t)(uint32_t)((uint32_t)q[k] * (uint32_t)src[k]);
                        ModelIdct(b);
                    }
                }
            }
            for (int py = 0; py < mcuH; ++py) {
                for (int px = 0; px < mcuW; ++px) {
                    const int x = mx * mcuW + px, y = my * mcuH + py;
                    if (x >= out.width || y >= out.height) continue;
                    uint8_t *o = &out.bgr[((size_t)y * out.width + x) * 3];
                    const int yv = blocks[(py / 8) * lh + px / 8][(py % 8) * 8 + px % 8];
                    if (grey) {
                        o[0] = o[1] = o[2] = (uint8_t)(yv < 0 ? 0 : yv > 255 ? 255 : yv);
                        continue;
                    }
                    const int ci = (py / lv) * 8 + px / lh;
                    const int cb = blocks[lh * lv][ci], cr = blocks[lh * lv + 1][ci];
                    o[0] = Clamp(16 * yv + 24 * cb);
                    o[1] = Clamp(16 * yv - 9 * cb - 12 * cr);
                    o[2] = Clamp(16 * yv + 20 * cr);
                }
            }
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    out.ok = true;
    return out;
}

// libjpeg's ordinary decode to RGB (its default, as its command-line decoder uses), top-down.
std::vector<uint8_t> OrdinaryDecode(const std::string &path) {
    std::vector<uint8_t> rgb;
    const std::vector<unsigned char> bytes = ReadBytes(path);
    if (bytes.empty()) return rgb;
    jpeg_decompress_struct cinfo;
    ErrorTrap trap;
    cinfo.err = jpeg_std_error(&trap.pub);
    trap.pub.error_exit = OnError;
    trap.pub.emit_message = OnMessage;
    if (setjmp(trap.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return std::vector<uint8_t>();
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, bytes.data(), (unsigned long)bytes.size());
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    rgb.resize((size_t)cinfo.output_width * cinfo.output_height * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = &rgb[(size_t)cinfo.output_scanline * cinfo.output_width * 3];
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return rgb;
}

// Compares the decoder with the model; returns false (with a message) at the first differing pixel.
void ExpectMatchesModel(const std::string &path, bool printSanity = true) {
    SCOPED_TRACE(path);
    Model m = ModelFromCoefficients(path);
    ASSERT_TRUE(m.ok) << "libjpeg could not read the coefficients";
    int rc = -1;
    PackedDib dib = DecodeJpegFile(path.c_str(), &rc);
    ASSERT_NE(dib, nullptr) << "result " << rc;
    EXPECT_EQ(rc, 0);
    DibHeader h;
    ASSERT_EQ(DibInfo(dib, &h), 1);
    ASSERT_EQ(h.biWidth, m.width);
    ASSERT_EQ(h.biHeight, m.height);
    ASSERT_EQ(h.biBitCount, 24);
    const size_t stride = Stride24(m.width);
    ASSERT_GE(BlockSize(dib), 40 + stride * m.height);
    const uint8_t *pix = static_cast<const uint8_t *>(BlockLock(dib)) + 40;
    int64_t mismatches = 0;
    int firstX = -1, firstY = -1;
    for (int y = 0; y < m.height; ++y) {
        const uint8_t *row = pix + stride * (m.height - 1 - y);
        const uint8_t *want = &m.bgr[(size_t)y * m.width * 3];
        if (memcmp(row, want, (size_t)m.width * 3) == 0) continue;
        for (int x = 0; x < m.width; ++x) {
            if (memcmp(row + 3 * x, want + 3 * x, 3) == 0) continue;
            if (mismatches++ == 0) firstX = x, firstY = y;
        }
    }
    EXPECT_EQ(mismatches, 0) << "first differing pixel at x=" << firstX << " y=" << firstY;
    if (printSanity) {
        const std::vector<uint8_t> rgb = OrdinaryDecode(path);
        if (rgb.size() == m.bgr.size()) {
            double sum = 0;
            int largest = 0;
            for (int y = 0; y < m.height; ++y) {
                const uint8_t *row = pix + stride * (m.height - 1 - y);
                for (int x = 0; x < m.width; ++x)
                    for (int c = 0; c < 3; ++c) {
                        const int d = std::abs(row[3 * x + c] - rgb[((size_t)y * m.width + x) * 3 + 2 - c]);
                        sum += d;
                        if (d > largest) largest = d;
                    }
            }
            printf("  %-60s %5dx%-5d vs libjpeg decode: mean %.3f, largest %d\n",
                   path.substr(path.find_last_of('/') + 1).c_str(), m.width, m.height,
                   sum / ((double)m.width * m.height * 3), largest);
        }
    }
    BlockUnlock(dib);
    BlockFree(dib);
}

std::string TestData(const std::string &name) {
    const char *dir = getenv("ORBEN_SOURCE_DIR");
    return std::string(dir && *dir ? dir : ORBEN_SOURCE_DIR) + "/../shared/testdata/jpeg/" + name;
}

// --- generated pictures ----------------------------------------------------------------------------------------

class GeneratedDir {
public:
    GeneratedDir() {
        char tmpl[] = "/tmp/orben_jpeg_oracle_XXXXXX";
        if (mkdtemp(tmpl)) dir_ = tmpl;
    }
    ~GeneratedDir() {
        if (!dir_.empty()) (void)!system(("rm -rf '" + dir_ + "'").c_str());
    }
    const std::string &path() const { return dir_; }

private:
    std::string dir_;
};

// A photo-like PPM: gradients, texture, noise and a few hard edges, so every coefficient range is exercised.
std::string WritePpm(const std::string &dir, int w, int h, uint32_t seed) {
    const std::string path = dir + "/src_" + std::to_string(w) + "x" + std::to_string(h) + "_" +
                             std::to_string(seed) + ".ppm";
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) return "";
    fprintf(f, "P6\n%d %d\n255\n", w, h);
    std::vector<uint8_t> row((size_t)w * 3);
    uint32_t s = seed * 2654435761u + 1;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            s = s * 1103515245u + 12345u;
            const int noise = (int)((s >> 16) & 31) - 16;
            const bool edge = ((x / 37) + (y / 29)) % 5 == 0;
            const double t = std::sin(x * 0.013 + seed) * 60 + std::cos(y * 0.021) * 50;
            int r = 128 + (int)t + noise + (edge ? 90 : 0);
            int g = (x * 255) / (w > 1 ? w - 1 : 1) / 2 + 60 + noise / 2 - (edge ? 70 : 0);
            int b = (y * 255) / (h > 1 ? h - 1 : 1) + noise;
            if ((x ^ y) % 97 == 0) r = g = b = 255; // thin bright lines: strong high-frequency terms
            row[3 * x] = (uint8_t)(r < 0 ? 0 : r > 255 ? 255 : r);
            row[3 * x + 1] = (uint8_t)(g < 0 ? 0 : g > 255 ? 255 : g);
            row[3 * x + 2] = (uint8_t)(b < 0 ? 0 : b > 255 ? 255 : b);
        }
        fwrite(row.data(), 1, row.size(), f);
    }
    fclose(f);
    return path;
}

bool HaveEncoder() { return system("cjpeg -version </dev/null >/dev/null 2>&1") == 0 || system("command -v cjpeg >/dev/null 2>&1") == 0; }

std::string Encode(const std::string &dir, const std::string &ppm, const std::string &name, const std::string &opts) {
    const std::string out = dir + "/" + name + ".jpg";
    const std::string cmd = "cjpeg -baseline " + opts + " -outfile '" + out + "' '" + ppm + "' 2>/dev/null";
    return system(cmd.c_str()) == 0 ? out : "";
}

} // namespace

// Files from outside whose data is well formed and whose restarts, if any, follow a DRI segment.
TEST(JpegOracle, TestdataPicturesMatchTheModel) {
    const char *files[] = {
        "libjpeg-turbo/testorig.jpg", "libjpeg-turbo/testimgint.jpg", "libjpeg-turbo/testimgfst100.jpg",
        "libjpeg-turbo/testimggray.jpg", "libjpeg-turbo/testimgcrop.jpg",
        "jpeg-decoder/mozilla/jpg-size-1x1.jpg", "jpeg-decoder/mozilla/jpg-size-2x2.jpg",
        "jpeg-decoder/mozilla/jpg-size-3x3.jpg", "jpeg-decoder/mozilla/jpg-size-4x4.jpg",
        "jpeg-decoder/mozilla/jpg-size-5x5.jpg", "jpeg-decoder/mozilla/jpg-size-7x7.jpg",
        "jpeg-decoder/mozilla/jpg-size-8x8.jpg", "jpeg-decoder/mozilla/jpg-size-9x9.jpg",
        "jpeg-decoder/mozilla/jpg-size-15x15.jpg", "jpeg-decoder/mozilla/jpg-size-16x16.jpg",
        "jpeg-decoder/mozilla/jpg-size-17x17.jpg", "jpeg-decoder/mozilla/jpg-size-31x31.jpg",
        "jpeg-decoder/mozilla/jpg-size-32x32.jpg", "jpeg-decoder/mozilla/jpg-size-33x33.jpg",
        "jpeg-decoder/mozilla/jpg-gray.jpg", "jpeg-decoder/mozilla/jpg-srgb-icc.jpg",
        "jpeg-decoder/restarts.jpg", "jpeg-decoder/extraneous-data.jpg", "jpeg-decoder/grayscale_square.jpg",
        "jpeg-decoder/grayscale_large.jpg", "jpeg-decoder/grayscale_long.jpg",
        "jpeg-decoder/grayscale_16x24_sampling2x2.jpg", "jpeg-decoder/grayscale_24x16_sampling2x2.jpg",
        "jpeg-decoder/blank_800x280.jpg", "jpeg-decoder/mjpeg.jpg",
        "jpeg-decoder/crashtest/multiple-0xff-before-eoi.jpg",
        "pillow/hopper.jpg", "pillow/hopper_gray.jpg", "pillow/iptc.jpg", "pillow/flower2.jpg",
        "pillow/photoshop-200dpi.jpg", "pillow/jpeg_ff00_header.jpg", "pillow/junk_jpeg_header.jpg",
        "pillow/truncated_exif_dpi.jpg", "pillow/sugarshack_bad_mpo_header.jpg", "pillow/app13.jpg",
        "pillow/orientation_rectangle.jpg", "pillow/jfif_unit_cm.jpg", "pillow/icc-after-SOF.jpg",
    };
    for (const char *f : files) ExpectMatchesModel(TestData(f));
}

// Every sampling layout and grey, odd sizes, both quality extremes, restart intervals, optimised tables.
TEST(JpegOracle, GeneratedPicturesMatchTheModel) {
    if (!HaveEncoder()) GTEST_SKIP() << "cjpeg is not installed";
    GeneratedDir dir;
    ASSERT_FALSE(dir.path().empty());
    const struct {
        const char *name, *opts;
    } layouts[] = {
        {"grey", "-grayscale"}, {"444", "-sample 1x1"}, {"422", "-sample 2x1"},
        {"440", "-sample 1x2"}, {"420", "-sample 2x2"},
    };
    const int sizes[][2] = {{1, 1}, {17, 13}, {123, 77}};
    for (const auto &sz : sizes) {
        const std::string ppm = WritePpm(dir.path(), sz[0], sz[1], 7);
        ASSERT_FALSE(ppm.empty());
        for (const auto &l : layouts) {
            for (int q : {10, 100}) {
                const std::string name = std::string(l.name) + "_" + std::to_string(sz[0]) + "x" +
                                         std::to_string(sz[1]) + "_q" + std::to_string(q);
                const std::string jpg =
                    Encode(dir.path(), ppm, name, std::string(l.opts) + " -quality " + std::to_string(q));
                ASSERT_FALSE(jpg.empty()) << name;
                ExpectMatchesModel(jpg, sz[0] > 100);
            }
        }
    }
    const std::string mid = WritePpm(dir.path(), 123, 77, 3);
    for (const auto &l : layouts) {
        const struct {
            const char *tag, *opts;
        } variants[] = {{"rst1mcu", "-restart 1B"}, {"rst3rows", "-restart 3"}, {"opt", "-optimize"},
                        {"optrst", "-optimize -restart 2B -quality 95"}};
        for (const auto &v : variants) {
            const std::string name = std::string(l.name) + "_" + v.tag;
            const std::string jpg = Encode(dir.path(), mid, name, std::string(l.opts) + " " + v.opts);
            ASSERT_FALSE(jpg.empty()) << name;
            ExpectMatchesModel(jpg);
        }
    }
}

// Large pictures: many MCUs, so rare stream events (stuffed bytes at MCU ends, long runs) occur.
TEST(JpegOracle, LargeGeneratedPicturesMatchTheModel) {
    if (!HaveEncoder()) GTEST_SKIP() << "cjpeg is not installed";
    GeneratedDir dir;
    ASSERT_FALSE(dir.path().empty());
    const std::string ppm = WritePpm(dir.path(), 4001, 2999, 11);
    ASSERT_FALSE(ppm.empty());
    const struct {
        const char *name, *opts;
    } cases[] = {
        {"big_420_q90", "-sample 2x2 -quality 90"},
        {"big_444_q100_rst3", "-sample 1x1 -quality 100 -restart 3"},
        {"big_422_q75_rst1", "-sample 2x1 -quality 75 -restart 1B"},
        {"big_grey_q10_opt", "-grayscale -quality 10 -optimize"},
    };
    for (const auto &c : cases) {
        const std::string jpg = Encode(dir.path(), ppm, c.name, c.opts);
        ASSERT_FALSE(jpg.empty()) << c.name;
        ExpectMatchesModel(jpg);
    }
}
