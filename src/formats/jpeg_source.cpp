// Reads a JPEG file into memory for the decoder, which works on the memory image only.
#include "formats/jpeg_source.h"

#include <cstdio>
#include <cstring>

#include "formats/jpeg_decode.h"
#include "formats/jpeg_state.h"

JpegFileImage::~JpegFileImage() {
    if (block) {
        if (data) BlockUnlock(block);
        BlockFree(block);
    }
}

namespace {

// Allocates size + pad bytes (zero-filled by the block allocator) and locks them.
int AllocImage(size_t size, JpegFileImage *image) {
    if (size < 2 || size > kJpegMaxFileBytes) return kJpegCannotRead;
    image->block = BlockAlloc(size + kJpegPad);
    if (!image->block) return kJpegNoMemory;
    image->data = static_cast<const uint8_t *>(BlockLock(image->block));
    if (!image->data) return kJpegNoLock;
    image->size = size;
    return kJpegOk;
}

struct FileCloser {
    FILE *f;
    ~FileCloser() { if (f) fclose(f); }
};

} // namespace

int ReadJpegFileImage(const char *path, JpegFileImage *image) {
    FileCloser file{fopen(path, "rb")};
    if (!file.f) return kJpegCannotOpen;
    // ftell is 32-bit on some platforms: a wrapped or failed length is caught by the cap and by the check
    // that nothing follows the bytes read.
    if (fseek(file.f, 0, SEEK_END) != 0) return kJpegCannotRead;
    const long length = ftell(file.f);
    if (length < 0 || fseek(file.f, 0, SEEK_SET) != 0) return kJpegCannotRead;
    const int rc = AllocImage((size_t)length, image);
    if (rc != kJpegOk) return rc;
    uint8_t *dst = const_cast<uint8_t *>(image->data);
    if (fread(dst, 1, image->size, file.f) != image->size) return kJpegCannotRead;
    uint8_t extra;
    if (fread(&extra, 1, 1, file.f) != 0) return kJpegCannotRead;
    return kJpegOk;
}

int CopyJpegFileImage(const uint8_t *bytes, size_t size, JpegFileImage *image) {
    const int rc = AllocImage(size, image);
    if (rc != kJpegOk) return rc;
    memcpy(const_cast<uint8_t *>(image->data), bytes, size);
    return kJpegOk;
}
