// The decoder's entry points: file image, marker scan, picture block, scan.
#include "formats/jpeg_decode.h"

#include <cstring>

#include "formats/jpeg_huffman.h"
#include "formats/jpeg_markers.h"
#include "formats/jpeg_scan.h"
#include "formats/jpeg_source.h"
#include "formats/jpeg_state.h"

JpegDecoder::~JpegDecoder() { FreeHuffmanLookups(this); }

namespace {

// The picture block is sized for 15 rows more than the picture (room for a partial bottom MCU row) under the
// shared size guard; the header tells the real height and the block is trimmed to it once decoding is done.
PackedDib DecodeImage(const JpegFileImage &image, int *result) {
    JpegDecoder d;
    d.data = image.data;
    d.size = image.size;
    int rc = ReadJpegHeaders(&d);
    if (rc != kJpegOk) {
        *result = rc;
        return nullptr;
    }
    const int64_t bytes = DibBlockBytes(d.width, (int64_t)d.height + 15, 24);
    if (bytes < 0) {
        *result = kJpegNoMemory;
        return nullptr;
    }
    PackedDib dib = BlockAlloc((size_t)bytes);
    if (!dib) {
        *result = kJpegNoMemory;
        return nullptr;
    }
    uint8_t *base = static_cast<uint8_t *>(BlockLock(dib));
    if (!base) {
        BlockFree(dib);
        *result = kJpegNoLock;
        return nullptr;
    }
    const DibHeader h = MakeHeader24(d.width, d.height);
    memcpy(base, &h, sizeof h);
    const ptrdiff_t stride = (ptrdiff_t)Stride24(d.width);
    // The last stored row is the top of the picture.
    uint8_t *top = base + kDibHeaderSize + stride * (d.height - 1);
    DecodeJpegScan(&d, top, -stride);
    BlockUnlock(dib);
    const int64_t exact = DibBlockBytes(d.width, d.height, 24);
    if (PackedDib trimmed = BlockRealloc(dib, (size_t)exact)) dib = trimmed;
    *result = kJpegOk;
    return dib;
}

} // namespace

PackedDib DecodeJpegFile(const char *path, int *result) {
    int local;
    if (!result) result = &local;
    JpegFileImage image;
    const int rc = ReadJpegFileImage(path, &image);
    if (rc != kJpegOk) {
        *result = rc;
        return nullptr;
    }
    return DecodeImage(image, result);
}

PackedDib DecodeJpegMemory(const uint8_t *bytes, size_t size, int *result) {
    int local;
    if (!result) result = &local;
    JpegFileImage image;
    const int rc = CopyJpegFileImage(bytes, size, &image);
    if (rc != kJpegOk) {
        *result = rc;
        return nullptr;
    }
    return DecodeImage(image, result);
}
