// The document state, the only code that replaces its pictures, and the rebuild of the display image.
#include "image/document_win.h"

#include <cstring>

#include "image/dib_gdi_win.h"
#include "platform/host.h"
#include "platform/scoped_win.h"
#include "shell/frame_config.h"
#include "shell/undo_win.h"
#include "view/view_geometry.h"
#include "view/view_window_win.h"

DocState gDoc;

namespace {

void FreeBlock(HGLOBAL &block) {
    if (block) BlockFree(block);
    block = nullptr;
}

template <class Handle>
void DeleteGdi(Handle &object) {
    if (object) DeleteObject(object);
    object = nullptr;
}

void ReadHeaderOfInternalImage() {
    DibHeader h;
    if (DibInfo(gDoc.internalImage, &h)) memcpy(&gDoc.header, &h, sizeof h);
}

// BitmapFromDib's steps; with `reuse` a bitmap of the same size and format takes the new pixels in place.
HBITMAP ConvertForDocument(HGLOBAL dib, HDC dc, HBITMAP reuse) {
    const bool internal = dib && dib == gDoc.internalImage;
    // Only the internal image's header is the document's: a preview passing through must not change the bounds
    // the tools clamp to.
    if (internal) ReadHeaderOfInternalImage();
    ScreenBitmapRequest request{};
    request.stats = &gDoc.stats;
    request.histogramSet = internal ? kHistSetInternal : kHistSetOther;
    request.palette = gDoc.displayPalette;
    request.paletteDevice = gDoc.paletteDevice;
    request.makeRangePalette = internal && gDoc.paletteDevice;
    request.reuse = reuse;
    HPALETTE range = nullptr;
    HBITMAP result = ScreenBitmapFromDib(dib, dc, request, &range);
    if (range) ReplaceDisplayPalette(range);
    return result;
}

} // namespace

void ReplaceInternalImage(HGLOBAL picture, UndoRule undo) {
    if (gDoc.internalImage != picture) {
        HGLOBAL old = gDoc.internalImage;
        gDoc.internalImage = picture;
        if (old) BlockFree(old);
    }
    if (undo == UndoRule::kDrop) DropUndo();
}

bool StoreUndoCopy() {
    DropUndo();
    if (!gDoc.internalImage) return false;
    gDoc.undoCopy = DuplicateBlock(gDoc.internalImage);
    return gDoc.undoCopy != nullptr;
}

bool RestoreUndoCopy() {
    if (!gDoc.undoCopy) return false;
    FreeBlock(gDoc.internalImage);
    gDoc.internalImage = gDoc.undoCopy;
    gDoc.undoCopy = nullptr;
    return true;
}

void DropUndo() { FreeBlock(gDoc.undoCopy); }

void ClearPicture() {
    FreeBlock(gDoc.internalImage);
    DeleteGdi(gDoc.displayImage);
    gDoc.header.biWidth = gDoc.header.biHeight = 0;
}

void ReplaceFloatingPaste(HGLOBAL dib, HBITMAP bitmap, int x, int y) {
    if (gDoc.paste.dib != dib) FreeBlock(gDoc.paste.dib);
    if (gDoc.paste.bitmap != bitmap) DeleteGdi(gDoc.paste.bitmap);
    gDoc.paste.dib = dib;
    gDoc.paste.bitmap = bitmap;
    gDoc.paste.x = x;
    gDoc.paste.y = y;
}

void DropFloatingPaste() {
    FreeBlock(gDoc.paste.dib);
    DeleteGdi(gDoc.paste.bitmap);
    gDoc.paste = FloatingPaste{};
    ReadHeaderOfInternalImage();
}

void ReplaceDisplayImage(HBITMAP bitmap) {
    if (gDoc.displayImage != bitmap) DeleteGdi(gDoc.displayImage);
    gDoc.displayImage = bitmap;
}

bool ReleaseDisplayImage() {
    if (!gDoc.displayImage) return false;
    DeleteGdi(gDoc.displayImage);
    return true;
}

void ReplaceDisplayPalette(HPALETTE palette) {
    if (!palette || palette == gDoc.displayPalette) return;
    DeleteGdi(gDoc.displayPalette);
    gDoc.displayPalette = palette;
}

void ReleaseDocument() {
    FreeBlock(gDoc.internalImage);
    FreeBlock(gDoc.undoCopy);
    DeleteGdi(gDoc.displayImage);
    FreeBlock(gDoc.paste.dib);
    DeleteGdi(gDoc.paste.bitmap);
    gDoc.paste = FloatingPaste{};
    DeleteGdi(gDoc.displayPalette);
}

void RebuildDisplayImage() {
    DibHeader h;
    if (!DibInfo(gDoc.internalImage, &h)) return;
    memcpy(&gDoc.header, &h, sizeof h);
    gDoc.selection = {0, 0, ScaledExtent(h.biWidth, gDoc.scale[0]), ScaledExtent(h.biHeight, gDoc.scale[1])};
    {
        WindowDc dc(gDoc.view);
        // A bitmap of the same size and format takes the new pixels in place: no fresh memory to fault in.
        HBITMAP old = gDoc.displayImage;
        HBITMAP made = ConvertForDocument(gDoc.internalImage, gDoc.view ? dc.get() : nullptr, old);
        if (made != old) DeleteGdi(gDoc.displayImage);
        gDoc.displayImage = made;
    }
    if (gDoc.view) {
        InvalidateRect(gDoc.view, nullptr, FALSE);
        UpdateScrollRanges(gDoc.view, h.biWidth, h.biHeight);
        UpdateWindow(gDoc.view);
    }
    ShowStatusText(0, PictureSizeText(h.biWidth, h.biHeight).c_str());
}

HBITMAP WINAPI BitmapFromDib(HGLOBAL dib, HDC dc) noexcept { return ConvertForDocument(dib, dc, nullptr); }

HGLOBAL DibFromBitmap(HBITMAP bitmap, int depth) {
    return DibFromBitmapWithPalette(bitmap, depth, gDoc.displayPalette);
}
