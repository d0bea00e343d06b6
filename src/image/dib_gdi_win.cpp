// BitmapFromDib, DibFromBitmap and the range palette: the GDI half of the picture model.
#include "image/dib_gdi_win.h"

#include <cstring>
#include <optional>

#include "image/colour_stats.h"
#include "image/range_palette.h"
#include "image/row_convert.h"
#include "platform/host.h"
#include "platform/scoped_win.h"

namespace {

// 4 + 256 x 4 = 1032 bytes, allocated once and reused for every palette.
HGLOBAL gPaletteBlock = nullptr;
LOGPALETTE *gPalette = nullptr;

// On a true-colour screen of 32 bits the screen's format is 0x00RRGGBB words: build that bitmap in one pass
// over the rows instead of through the system's generic conversion.
void ExpandPicture(const unsigned char *locked, uint32_t *dst) {
    const DibHeader *h = reinterpret_cast<const DibHeader *>(locked);
    const unsigned char *src = DibPixels(locked);
    const size_t srcStride = (size_t)DibRowStride(h->biWidth, 24);
    for (int row = 0; row < h->biHeight; ++row)
        ExpandRow24To32(src + srcStride * row, dst + (size_t)h->biWidth * row, h->biWidth);
    GdiFlush();
}

HBITMAP ScreenBitmap32(HDC dc, const unsigned char *locked) {
    const DibHeader *h = reinterpret_cast<const DibHeader *>(locked);
    BITMAPINFOHEADER bi{};
    bi.biSize = sizeof bi;
    bi.biWidth = h->biWidth;
    bi.biHeight = h->biHeight;
    bi.biPlanes = 1;
    bi.biBitCount = 32;
    bi.biCompression = BI_RGB;
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO *>(&bi), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) ExpandPicture(locked, static_cast<uint32_t *>(bits));
    return bitmap;
}

// The pixels of a bitmap made by ScreenBitmap32 for a picture of the same size, or null.
uint32_t *ReusableBits(HBITMAP bitmap, const unsigned char *locked) {
    if (!bitmap) return nullptr;
    const DibHeader *h = reinterpret_cast<const DibHeader *>(locked);
    DIBSECTION ds{};
    if (GetObjectA(bitmap, sizeof ds, &ds) != (int)sizeof ds) return nullptr;
    if (ds.dsBmih.biBitCount != 32 || ds.dsBmih.biCompression != BI_RGB || ds.dsBm.bmWidth != h->biWidth ||
        ds.dsBmih.biHeight != h->biHeight || !ds.dsBm.bmBits)
        return nullptr;
    return static_cast<uint32_t *>(ds.dsBm.bmBits);
}

bool IsPlain24(const unsigned char *locked) {
    const DibHeader *h = reinterpret_cast<const DibHeader *>(locked);
    return h->biBitCount == 24 && h->biCompression == 0 && h->biWidth > 0 && h->biHeight > 0 &&
           DibBlockBytes(h->biWidth, h->biHeight, 32) > 0;
}

} // namespace

bool AllocatePaletteBuffer() {
    gPaletteBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(LOGPALETTE) + 255 * sizeof(PALETTEENTRY));
    if (!gPaletteBlock) return false;
    gPalette = static_cast<LOGPALETTE *>(GlobalLock(gPaletteBlock));
    if (!gPalette) {
        GlobalFree(gPaletteBlock);
        gPaletteBlock = nullptr;
        return false;
    }
    return true;
}

void FreePaletteBuffer() {
    if (!gPaletteBlock) return;
    GlobalUnlock(gPaletteBlock);
    GlobalFree(gPaletteBlock);
    gPaletteBlock = nullptr;
    gPalette = nullptr;
}

HPALETTE MakeRangePalette(int maxR, int maxG, int maxB, int minR, int minG, int minB) {
    if (!gPalette) return nullptr;
    PaletteEntryRgb entries[256];
    MakeRangePaletteEntries(maxR, maxG, maxB, minR, minG, minB, entries);
    gPalette->palVersion = 0x300;
    gPalette->palNumEntries = 256;
    for (int i = 0; i < 256; ++i) {
        gPalette->palPalEntry[i].peRed = entries[i].red;
        gPalette->palPalEntry[i].peGreen = entries[i].green;
        gPalette->palPalEntry[i].peBlue = entries[i].blue;
        gPalette->palPalEntry[i].peFlags = entries[i].flags;
    }
    return CreatePalette(gPalette);
}

HBITMAP ScreenBitmapFromDib(HGLOBAL dib, HDC dc, const ScreenBitmapRequest &request, HPALETTE *rangePalette) {
    if (rangePalette) *rangePalette = nullptr;
    ColourStats &stats = *request.stats;
    stats.maxR = stats.maxG = stats.maxB = 0;
    stats.minR = stats.minG = stats.minB = 255;
    if (!dib) return nullptr;
    DibHeader info;
    if (!DibInfo(dib, &info)) return nullptr;
    BlockLockGuard lock(dib);
    if (!lock) return nullptr;
    CollectColourStats(lock.get(), request.histogramSet, &stats);

    // Without a DC of the caller's, the screen's, with the palette put back after; a caller's DC keeps the palette
    // selected, as its later drawing expects.
    std::optional<WindowDc> screen;
    if (!dc) dc = screen.emplace(nullptr);
    HPALETTE palette = request.palette;
    if (request.makeRangePalette && rangePalette) {
        HPALETTE range = MakeRangePalette(stats.maxR, stats.maxG, stats.maxB, stats.minR, stats.minG, stats.minB);
        if (range) palette = *rangePalette = range;
    }
    std::optional<RealizedPalette> screenPalette;
    if (screen) {
        screenPalette.emplace(dc, palette);
    } else if (palette) {
        SelectPalette(dc, palette, FALSE);
        RealizePalette(dc);
    }
    HBITMAP result = nullptr;
    if (!request.paletteDevice && GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES) == 32 &&
        IsPlain24(lock.get())) {
        if (uint32_t *bits = ReusableBits(request.reuse, lock.get())) {
            ExpandPicture(lock.get(), bits);
            result = request.reuse;
        } else {
            result = ScreenBitmap32(dc, lock.get());
        }
    }
    if (!result) {
        MemoryDc memory(dc);
        ScopedBitmap one(CreateCompatibleBitmap(dc, 1, 1));
        if (memory && one) {
            SelectedObject selected(memory, one);
            const BITMAPINFOHEADER *header = reinterpret_cast<const BITMAPINFOHEADER *>(lock.get());
            result = CreateDIBitmap(memory, header, CBM_INIT, DibPixels(lock.get()),
                                    reinterpret_cast<const BITMAPINFO *>(lock.get()), DIB_RGB_COLORS);
        }
    }
    return result;
}

HGLOBAL DibFromBitmapWithPalette(HBITMAP bitmap, int depth, HPALETTE palette) {
    if (!bitmap) return nullptr;
    BITMAP bm;
    if (!GetObjectA(bitmap, sizeof bm, &bm)) return nullptr;
    if (depth == 0) depth = bm.bmPlanes * bm.bmBitsPixel;
    int bits, entries;
    if (depth >= 9) bits = 24, entries = 0;
    else if (depth >= 5) bits = 8, entries = 256;
    else if (depth >= 2) bits = 4, entries = 16;
    else bits = 1, entries = 2;
    const int64_t bytes = DibBlockBytes(bm.bmWidth, bm.bmHeight, bits, (uint32_t)entries);
    HGLOBAL dib = bytes < 0 ? nullptr : BlockAlloc((size_t)bytes);
    if (!dib) {
        ShowMessage("グローバルメモリが足りません", nullptr);
        return nullptr;
    }
    BlockLockGuard lock(dib);
    BITMAPINFOHEADER *h = reinterpret_cast<BITMAPINFOHEADER *>(lock.get());
    h->biSize = sizeof(BITMAPINFOHEADER);
    h->biWidth = bm.bmWidth;
    h->biHeight = bm.bmHeight;
    h->biPlanes = 1;
    h->biBitCount = (WORD)bits;
    h->biCompression = BI_RGB;
    h->biSizeImage = (DWORD)(DibRowStride(bm.bmWidth, bits) * bm.bmHeight);
    h->biClrUsed = (DWORD)entries;
    {
        MemoryDc memory(nullptr);
        RealizedPalette selected(memory, palette);
        GetDIBits(memory, bitmap, 0, (UINT)bm.bmHeight, lock.get() + sizeof(BITMAPINFOHEADER) + 4 * entries,
                  reinterpret_cast<BITMAPINFO *>(h), DIB_RGB_COLORS);
    }
    // GetDIBits may rewrite header fields; the block's layout rules stay ours.
    h->biSize = sizeof(BITMAPINFOHEADER);
    h->biClrUsed = (DWORD)entries;
    return dib;
}
