// The BMP writer (minimal first version).
#include "formats/bmp_write.h"

#include <cstdio>

#include "platform/host.h"

int WriteBmpFile(const char *path, PackedDib dib) {
    if (!dib) return 0;
    FILE *f = fopen(path, "wb");
    if (!f) {
        ShowMessage("ファイルが書けません", "");
        return 0;
    }
    BlockLockGuard lock(dib);
    const DibHeader *h = reinterpret_cast<const DibHeader *>(lock.get());
    const size_t size = BlockSize(dib);
    const uint32_t bfSize = (uint32_t)(size + 14), off = h->biSize + 4 * DibColourCount(h) + 14;
    unsigned char fh[14] = {'B', 'M', (unsigned char)bfSize, (unsigned char)(bfSize >> 8), (unsigned char)(bfSize >> 16),
                            (unsigned char)(bfSize >> 24), 0, 0, 0, 0, (unsigned char)off, (unsigned char)(off >> 8),
                            (unsigned char)(off >> 16), (unsigned char)(off >> 24)};
    bool ok = fwrite(fh, 1, 14, f) == 14 && fwrite(lock.get(), 1, size, f) == size;
    ok = (fclose(f) == 0) && ok;
    if (!ok) ShowMessage("ファイルが書けません", "");
    return ok ? 1 : 0;
}
