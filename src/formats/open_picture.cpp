// The loader and the picture-making half of the open pipeline (minimal first version: 40-byte headers).
#include "formats/open_picture.h"

#include <cstdio>
#include <cstring>
#include <strings.h>

#include "formats/jpeg_decode.h"
#include "image/full_colour.h"
#include "platform/host.h"

namespace {

bool EndsWithJpg(const char *path) {
    size_t n = strlen(path);
    return n >= 4 && strcasecmp(path + n - 4, ".JPG") == 0;
}

uint32_t Le32(const unsigned char *p) { return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24; }

} // namespace

PackedDib LoadPictureFile(const char *path, OpenReport *report) {
    if (EndsWithJpg(path)) {
        report->isJpeg = true;
        PackedDib dib = DecodeJpegFile(path, &report->jpegResult);
        if (!dib) report->reason = report->jpegResult == kJpegNotBuilt ? "JPEG is not supported yet" : "JPEG could not be decoded";
        return dib;
    }
    FILE *f = fopen(path, "rb");
    if (!f) {
        report->reason = "the file cannot be opened";
        return nullptr;
    }
    unsigned char fh[14];
    DibHeader h;
    long pixelOffset = 0;
    bool ok = fread(fh, 1, 14, f) == 14;
    if (ok && fh[0] == 'B' && fh[1] == 'M') pixelOffset = (long)Le32(fh + 10);
    else if (ok) fseek(f, 0, SEEK_SET);
    ok = ok && fread(&h, 1, 40, f) == 40;
    if (!ok || h.biSize != 40) {
        fclose(f);
        report->reason = "not a BMP picture this program reads";
        return nullptr;
    }
    report->headerRead = true;
    report->header = h;
    if (h.biCompression != 0 || (h.biBitCount != 1 && h.biBitCount != 4 && h.biBitCount != 8 && h.biBitCount != 24) ||
        h.biHeight <= 0 || (h.biBitCount != 24 && h.biClrUsed > (1u << h.biBitCount))) {
        fclose(f);
        report->reason = "unsupported BMP layout";
        return nullptr;
    }
    const uint32_t table = DibColourCount(&h);
    const int64_t bytes = DibBlockBytes(h.biWidth, h.biHeight, h.biBitCount, table);
    if (bytes < 0) {
        fclose(f);
        report->reason = "the picture is too large";
        return nullptr;
    }
    PackedDib dib = BlockAlloc((size_t)bytes);
    if (!dib) {
        fclose(f);
        report->reason = "out of memory";
        return nullptr;
    }
    unsigned char *p = static_cast<unsigned char *>(BlockLock(dib));
    h.biClrUsed = table;
    h.biSizeImage = (uint32_t)(bytes - 40 - 4 * table);
    memcpy(p, &h, 40);
    if (table) (void)!fread(p + 40, 4, table, f);
    if (pixelOffset) fseek(f, pixelOffset, SEEK_SET);
    (void)!fread(p + 40 + 4 * table, 1, h.biSizeImage, f);
    BlockUnlock(dib);
    fclose(f);
    return dib;
}

PackedDib OpenPictureFile(const char *path, OpenReport *report) {
    OpenReport local;
    if (!report) report = &local;
    PackedDib dib = LoadPictureFile(path, report);
    if (!dib) return nullptr;
    DibHeader h;
    DibInfo(dib, &h);
    if (h.biBitCount != 24) {
        report->converted = true;
        report->fromBits = h.biBitCount;
        PackedDib full = ToFullColour(dib, 24);
        BlockFree(dib);
        if (!full) report->reason = "the 24-bit conversion failed";
        return full;
    }
    return dib;
}
