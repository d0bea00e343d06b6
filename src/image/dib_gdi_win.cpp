// BitmapFromDib, DibFromBitmap and the range palette: the GDI half of the picture model.
#include "image/dib_gdi_win.h"

#include <cstring>

#include "image/colour_stats.h"
#include "image/document_win.h"
#include "image/range_palette.h"
#include "image/row_convert.h"
#include "platform/host.h"

namespace {

// 4 + 256 x 4 = 1032 bytes, allocated once and reused for every palette.
HGLOBAL gPaletteBlock = nullptr;
LOGPALETTE *gPalette = nullptr;

// Selects a palette into a DC and puts the old one back at the end of the scope.
class PaletteSelection {
public:
    PaletteSelection(HDC dc, HPALETTE palette) : dc_(dc), old_(palette ? SelectPalette(dc, palette, FALSE) : nullptr) {
        if (palette) RealizePalette(dc);
    }
    ~PaletteSelection() { if (old_) SelectPalette(dc_, old_, FALSE); }
    PaletteSelection(const PaletteSelection &) = delete;
    PaletteSelection &operator=(const PaletteSelection &) = delete;
private:
    HDC dc_;
    HPALETTE old_;
};

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

namespace {

// BitmapFromDib's steps; with `reuse` a bitmap of the same size and format takes the new pixels in place.
HBITMAP ConvertDib(HGLOBAL dib, HDC dc, HBITMAP reuse) {
    gStats.maxR = gStats.maxG = gStats.maxB = 0;
    gStats.minR = gStats.minG = gStats.minB = 255;
    if (!dib) return nullptr;
    const bool internal = dib == gDoc.internalImage;
    DibHeader info;
    if (!DibInfo(dib, &info)) return nullptr;
    // Only the internal image's header is the document's: a preview passing through must not change the bounds
    // the tools clamp to.
    if (internal) memcpy(&gDoc.header, &info, sizeof info);
    BlockLockGuard lock(dib);
    if (!lock) return nullptr;
    const int set = internal ? kHistSetInternal : kHistSetOther;
    CollectColourStats(lock.get(), set);

    const bool screenDc = dc == nullptr;
    if (screenDc) dc = GetDC(nullptr);
    if (internal && gDoc.paletteDevice) {
        HPALETTE range = MakeRangePalette(gStats.maxR, gStats.maxG, gStats.maxB, gStats.minR, gStats.minG, gStats.minB);
        if (range) {
            if (gDoc.displayPalette) DeleteObject(gDoc.displayPalette);
            gDoc.displayPalette = range;
        }
    }
    HPALETTE oldPalette = nullptr;
    if (gDoc.displayPalette) {
        oldPalette = SelectPalette(dc, gDoc.displayPalette, FALSE);
        RealizePalette(dc);
    }
    HBITMAP result = nullptr;
    if (!gDoc.paletteDevice && GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES) == 32 && IsPlain24(lock.get())) {
        if (uint32_t *bits = ReusableBits(reuse, lock.get())) {
            ExpandPicture(lock.get(), bits);
            result = reuse;
        } else {
            result = ScreenBitmap32(dc, lock.get());
        }
    }
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP one = CreateCompatibleBitmap(dc, 1, 1);
    if (!result && memory && one) {
        HGDIOBJ oldBitmap = SelectObject(memory, one);
        const BITMAPINFOHEADER *header = reinterpret_cast<const BITMAPINFOHEADER *>(lock.get());
        result = CreateDIBitmap(memory, header, CBM_INIT, DibPixels(lock.get()),
                                reinterpret_cast<const BITMAPINFO *>(lock.get()), DIB_RGB_COLORS);
        SelectObject(memory, oldBitmap);
    }
    if (one) DeleteObject(one);
    if (memory) DeleteDC(memory);
    if (screenDc) {
        if (oldPalette) SelectPalette(dc, oldPalette, FALSE);
        ReleaseDC(nullptr, dc);
    }
    return result;
}

} // namespace

HBITMAP WINAPI BitmapFromDib(HGLOBAL dib, HDC dc) noexcept { return ConvertDib(dib, dc, nullptr); }

HBITMAP RefreshBitmapFromDib(HGLOBAL dib, HDC dc, HBITMAP old) {
    HBITMAP result = ConvertDib(dib, dc, old);
    if (old && result != old) DeleteObject(old);
    return result;
}

HGLOBAL DibFromBitmap(HBITMAP bitmap, int depth) {
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
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    int rows = 0;
    {
        PaletteSelection palette(memory, gDoc.displayPalette);
        rows = GetDIBits(memory, bitmap, 0, (UINT)bm.bmHeight, lock.get() + sizeof(BITMAPINFOHEADER) + 4 * entries,
                         reinterpret_cast<BITMAPINFO *>(h), DIB_RGB_COLORS);
    }
    DeleteDC(memory);
    // GetDIBits may rewrite header fields; the block's layout rules stay ours.
    h->biSize = sizeof(BITMAPINFOHEADER);
    h->biClrUsed = (DWORD)entries;
    (void)rows;
    return dib;
}
