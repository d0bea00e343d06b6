// A checked view of a locked 24-bit picture for the geometry kernels: size, stride and the first stored row.
#pragma once
#include <cstddef>
#include <cstdint>

#include "image/dib.h"

struct PictureView24 {
    DibHeader header;           // as stored, for results that copy it
    int32_t width = 0, height = 0;
    size_t stride = 0;
    unsigned char *pixels = nullptr; // storage row 0 (the bottom of the picture)

    unsigned char *Row(int32_t storageRow) const { return pixels + stride * (size_t)storageRow; }
};

// Fills the view from a locked block of blockBytes bytes; false unless it is a 24-bit picture whose rows all lie
// inside the block.
bool ViewPicture24(void *locked, size_t blockBytes, PictureView24 *out);
