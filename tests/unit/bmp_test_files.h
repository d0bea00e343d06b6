// BMP files built byte by byte for the format tests: hostile headers, odd layouts and worked examples.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "image/dib.h"

struct BmpSpec {
    int32_t width = 1, height = 1;
    uint16_t planes = 1, bits = 24;
    uint32_t compression = 0, sizeImage = 0, clrUsed = 0;
    uint32_t headerSize = 40;
    bool fileHeader = true;
    int64_t bfSize = -1;    // -1: the true file size
    int64_t bfOffBits = -1; // -1: right after header, masks and table
    std::vector<uint32_t> masks;  // written after the info header
    std::vector<uint32_t> table;  // RGBQUAD entries as 0x00RRGGBB
    std::vector<unsigned char> pixels;
};

inline void PutLe(std::vector<unsigned char> &out, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back((unsigned char)(v >> (8 * i)));
}

inline std::vector<unsigned char> MakeBmpBytes(const BmpSpec &s) {
    std::vector<unsigned char> body;
    PutLe(body, s.headerSize, 4);
    PutLe(body, (uint32_t)s.width, 4);
    PutLe(body, (uint32_t)s.height, 4);
    PutLe(body, s.planes, 2);
    PutLe(body, s.bits, 2);
    PutLe(body, s.compression, 4);
    PutLe(body, s.sizeImage, 4);
    PutLe(body, 2835, 4);
    PutLe(body, 2835, 4);
    PutLe(body, s.clrUsed, 4);
    PutLe(body, 0, 4);
    while (body.size() < s.headerSize) body.push_back(0);
    for (uint32_t m : s.masks) PutLe(body, m, 4);
    for (uint32_t c : s.table) PutLe(body, c, 4);
    const size_t offBits = 14 + body.size();
    body.insert(body.end(), s.pixels.begin(), s.pixels.end());
    if (!s.fileHeader) return body;
    std::vector<unsigned char> file = {'B', 'M'};
    PutLe(file, s.bfSize >= 0 ? (uint64_t)s.bfSize : 14 + body.size(), 4);
    PutLe(file, 0, 4);
    PutLe(file, s.bfOffBits >= 0 ? (uint64_t)s.bfOffBits : offBits, 4);
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

inline bool WriteFileBytes(const std::string &path, const std::vector<unsigned char> &bytes) {
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

inline std::vector<unsigned char> ReadFileBytes(const std::string &path) {
    std::vector<unsigned char> out;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) return out;
    unsigned char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
    fclose(f);
    return out;
}
