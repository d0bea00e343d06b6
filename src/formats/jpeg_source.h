// The decoder's file image: the whole file in one zero-padded block, read from disk or copied from memory.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/block.h"

// Files above this are refused rather than trusted to a 32-bit length.
constexpr size_t kJpegMaxFileBytes = 512u << 20;

struct JpegFileImage {
    PackedDib block = nullptr;
    const uint8_t *data = nullptr; // size bytes of file, then kJpegPad zero bytes
    size_t size = 0;

    JpegFileImage() = default;
    ~JpegFileImage();
    JpegFileImage(const JpegFileImage &) = delete;
    JpegFileImage &operator=(const JpegFileImage &) = delete;
};

// Both return a result code: 0, or 101 (no memory), 102 (no lock), 103 (cannot open), 104 (bad length or read).
int ReadJpegFileImage(const char *path, JpegFileImage *image);
int CopyJpegFileImage(const uint8_t *bytes, size_t size, JpegFileImage *image);
