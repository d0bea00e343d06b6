// Test helpers shared by every unit-test file.
#include "test_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

PackedDib PictureFromRows(const std::vector<std::vector<uint32_t>> &rows) {
    const int height = (int)rows.size(), width = height ? (int)rows[0].size() : 0;
    PackedDib dib = NewPicture24(width, height);
    if (!dib) return nullptr;
    BlockLockGuard lock(dib);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) SetDibColor(lock.get(), height - 1 - y, x, rows[y][x]);
    return dib;
}

PackedDib PhotoLikePicture(int width, int height, uint32_t seed) {
    PackedDib dib = NewPicture24(width, height);
    if (!dib) return nullptr;
    BlockLockGuard lock(dib);
    unsigned char *px = DibPixels(lock.get());
    const size_t stride = Stride24(width);
    uint32_t s = seed * 2654435761u + 1;
    for (int row = 0; row < height; ++row) {
        unsigned char *p = px + stride * row;
        for (int x = 0; x < width; ++x, p += 3) {
            s = s * 1103515245u + 12345u;
            int noise = (int)((s >> 16) & 15) - 8;
            int b = (x * 255 / (width > 1 ? width - 1 : 1)) + noise;
            int g = (row * 255 / (height > 1 ? height - 1 : 1)) + noise;
            int r = ((x + row) * 127 / (width + height)) + 64 + noise;
            p[0] = (unsigned char)(b < 0 ? 0 : b > 255 ? 255 : b);
            p[1] = (unsigned char)(g < 0 ? 0 : g > 255 ? 255 : g);
            p[2] = (unsigned char)(r < 0 ? 0 : r > 255 ? 255 : r);
        }
    }
    return dib;
}

std::vector<std::vector<uint32_t>> RowsOf(PackedDib dib) {
    std::vector<std::vector<uint32_t>> rows;
    DibHeader h;
    if (!DibInfo(dib, &h)) return rows;
    BlockLockGuard lock(dib);
    rows.assign(h.biHeight, std::vector<uint32_t>(h.biWidth));
    for (int y = 0; y < h.biHeight; ++y)
        for (int x = 0; x < h.biWidth; ++x) rows[y][x] = GetDibColor(lock.get(), h.biHeight - 1 - y, x) & 0xFFFFFF;
    return rows;
}

std::string HexGrid(const std::vector<std::vector<uint32_t>> &rows) {
    std::string out = "\n";
    char cell[16];
    for (const auto &r : rows) {
        for (uint32_t v : r) {
            snprintf(cell, sizeof cell, "%06X ", (unsigned)v);
            out += cell;
        }
        out += "\n";
    }
    return out;
}

std::vector<unsigned char> BytesOf(PackedDib dib) {
    BlockLockGuard lock(dib);
    return std::vector<unsigned char>(lock.get(), lock.get() + BlockSize(dib));
}

std::string Fingerprint(const void *data, size_t size) {
    uint64_t h = 1469598103934665603ull;
    const unsigned char *p = static_cast<const unsigned char *>(data);
    for (size_t i = 0; i < size; ++i) {
        h ^= p[i];
        h *= 1099511628211ull;
    }
    char text[17];
    snprintf(text, sizeof text, "%016llx", (unsigned long long)h);
    return text;
}

std::string RecordOutput(const std::string &name, const void *data, size_t size) {
    std::string fp = Fingerprint(data, size);
    const char *dir = getenv("ORBEN_OUTPUT_DIR");
    if (dir && *dir) {
        std::string path = std::string(dir) + "/" + name + ".txt";
        if (FILE *f = fopen(path.c_str(), "wb")) { // binary: the Windows build must not write CR LF
            fprintf(f, "%s %zu\n", fp.c_str(), size);
            fclose(f);
        }
    }
    return fp;
}

std::string RecordPicture(const std::string &name, PackedDib dib) {
    // Only the header and the pixel rows count: allocator rounding at the block's end is not output.
    DibHeader h;
    if (!DibInfo(dib, &h)) return RecordOutput(name, "", 0);
    BlockLockGuard lock(dib);
    size_t size = h.biSize + 4 * (size_t)DibColourCount(&h) + (size_t)DibPixelSize(&h);
    if (size > BlockSize(dib)) size = BlockSize(dib);
    return RecordOutput(name, lock.get(), size);
}

std::string SourcePath(const std::string &relative) {
    const char *dir = getenv("ORBEN_SOURCE_DIR");
    std::string base = dir && *dir ? dir : ORBEN_SOURCE_DIR;
    return base + "/" + relative;
}

std::string TempPath(const std::string &name) {
    const char *dir = getenv("ORBEN_TEMP_DIR");
    std::string base = dir && *dir ? dir : "/tmp";
    return base + "/orben_" + name;
}
