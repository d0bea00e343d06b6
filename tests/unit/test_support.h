// Helpers for unit tests: tiny pictures built by hand, hex grids on failure, and output fingerprints.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "image/dib.h"

// A 24-bit picture from top-down rows of 0xRRGGBB values (rows[0] is the top of the picture).
PackedDib PictureFromRows(const std::vector<std::vector<uint32_t>> &rows);
// A width x height picture filled by fn(x, yTopDown) -> 0xRRGGBB.
template <class Fn>
PackedDib PictureFrom(int width, int height, Fn fn) {
    std::vector<std::vector<uint32_t>> rows(height, std::vector<uint32_t>(width));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) rows[y][x] = fn(x, y);
    return PictureFromRows(rows);
}
// Deterministic photo-like picture (smooth gradients plus mild noise).
PackedDib PhotoLikePicture(int width, int height, uint32_t seed = 1);
// The pixels of a 24-bit picture as top-down rows of 0xRRGGBB.
std::vector<std::vector<uint32_t>> RowsOf(PackedDib dib);
// A printable hex grid of those rows, for failure messages.
std::string HexGrid(const std::vector<std::vector<uint32_t>> &rows);
// The whole block's bytes.
std::vector<unsigned char> BytesOf(PackedDib dib);

// FNV-1a 64 of bytes, as 16 hex digits.
std::string Fingerprint(const void *data, size_t size);
// Records a named output's fingerprint in $ORBEN_OUTPUT_DIR (if set), so the native and the Windows runs can be
// compared file by file. Returns the fingerprint.
std::string RecordOutput(const std::string &name, const void *data, size_t size);
std::string RecordPicture(const std::string &name, PackedDib dib);

// Path of a file under the source tree or shared test data (ORBEN_SOURCE_DIR).
std::string SourcePath(const std::string &relative);
// A fresh temporary file path for this test.
std::string TempPath(const std::string &name);

// Frees a PackedDib at scope end.
struct DibOwner {
    PackedDib dib;
    explicit DibOwner(PackedDib d = nullptr) : dib(d) {}
    ~DibOwner() { BlockFree(dib); }
    DibOwner(const DibOwner &) = delete;
    DibOwner &operator=(const DibOwner &) = delete;
    void reset(PackedDib d) { BlockFree(dib); dib = d; }
    PackedDib get() const { return dib; }
    explicit operator bool() const { return dib != nullptr; }
};
