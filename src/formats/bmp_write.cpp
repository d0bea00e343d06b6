// The BMP writer: a 14-byte file header, then the block as it stands (header, table, pixels or stream).
#include "formats/bmp_write.h"

#include <cstdio>
#include <string>

#include "platform/file_replace.h"
#include "platform/host.h"

namespace {

void PutLe32(unsigned char *p, uint32_t v) {
    p[0] = (unsigned char)v;
    p[1] = (unsigned char)(v >> 8);
    p[2] = (unsigned char)(v >> 16);
    p[3] = (unsigned char)(v >> 24);
}

int WriteFailed(const std::string &temp, FILE *f) {
    if (f) fclose(f);
    remove(temp.c_str());
    ShowMessage("ファイルが書けません", "");
    return 0;
}

} // namespace

int WriteBmpFile(const char *path, PackedDib dib) {
    if (!dib) return 0;
    BlockLockGuard lock(dib);
    const size_t blockSize = BlockSize(dib);
    if (!lock || blockSize < kDibHeaderSize) return 0;
    const DibHeader *h = reinterpret_cast<const DibHeader *>(lock.get());
    const uint32_t count = DibColourCount(h);

    // bfSize counts the whole block, allocator rounding included, as files from this program always have.
    unsigned char fh[14] = {'B', 'M'};
    PutLe32(fh + 2, (uint32_t)(blockSize + 14));
    PutLe32(fh + 10, h->biSize + 4 * count + 14);
    size_t body = blockSize;
    if (h->biSizeImage != 0 && h->biSize != 0 && count != 0) {
        const uint64_t exact = (uint64_t)h->biSize + 4 * (uint64_t)count + h->biSizeImage;
        if (exact < body) body = (size_t)exact;
    }

    const std::string temp = std::string(path) + ".~wr";
    FILE *f = fopen(temp.c_str(), "wb");
    if (!f) {
        ShowMessage("ファイルが書けません", "");
        return 0;
    }
    if (fwrite(fh, 1, sizeof fh, f) != sizeof fh || fwrite(lock.get(), 1, body, f) != body) return WriteFailed(temp, f);
    const int closed = fclose(f);
    if (closed != 0) return WriteFailed(temp, nullptr);
    if (!ReplaceFileWith(temp.c_str(), path)) return WriteFailed(temp, nullptr);
    return 1;
}
