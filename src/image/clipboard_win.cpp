// Copy and paste through the real clipboard. A CF_DIB from another program is checked against its block before
// anything reads it; a block that is refused counts as "no picture", so the paste goes on to CF_BITMAP.
#include "image/clipboard_win.h"

#include <cstring>

#include "image/clipboard_dib.h"
#include "image/dib_gdi_win.h"
#include "image/document_win.h"
#include "image/paste_merge.h"
#include "platform/host.h"
#include "platform/scoped_win.h"
#include "shell/picture_settings.h"
#include "shell/shell_win.h"
#include "shell/toolbar_win.h"
#include "shell/undo_win.h"
#include "view/regions.h"
#include "view/view_window_win.h"
#include "resource.h"

namespace {

// The display image's copy, announced on the clipboard and held here until it is asked for: handing a device
// bitmap over costs as much as the picture's whole copy, and most pastes take the DIB.
ScopedBitmap gPendingBitmap;

void EnableCopyAndSelectAll(bool on) {
    if (!gShell.frame) return;
    HMENU menu = GetMenu(gShell.frame);
    MirrorEnable(menu, IDM_EDIT_COPY, on ? MF_ENABLED : MF_GRAYED);
    MirrorEnable(menu, IDM_EDIT_SELECT_ALL, on ? MF_ENABLED : MF_GRAYED);
}

// The display palette's 256 entries as a palette of the clipboard's own.
HPALETTE CopyOfDisplayPalette() {
    if (!gDoc.displayPalette) return nullptr;
    struct {
        LOGPALETTE head;
        PALETTEENTRY more[255];
    } block{};
    block.head.palVersion = 0x300;
    block.head.palNumEntries = 256;
    GetPaletteEntries(gDoc.displayPalette, 0, 256, block.head.palPalEntry);
    return CreatePalette(&block.head);
}

HGLOBAL PictureFromDib() {
    HANDLE data = GetClipboardData(CF_DIB);
    if (!data) return nullptr;
    const SIZE_T size = GlobalSize(data);
    const void *bytes = GlobalLock(data);
    if (!bytes) return nullptr;
    HGLOBAL picture = DecodeClipboardDib(bytes, (size_t)size);
    GlobalUnlock(data);
    return picture;
}

HGLOBAL PictureFromBitmap() {
    HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    if (!bitmap) return nullptr;
    // The clipboard keeps owning its bitmap and palette; they are only read.
    HPALETTE palette = IsClipboardFormatAvailable(CF_PALETTE) ? static_cast<HPALETTE>(GetClipboardData(CF_PALETTE))
                                                              : nullptr;
    return DibFromBitmapWithPalette(bitmap, 24, palette ? palette : gDoc.displayPalette);
}

void FloatOverPicture(HGLOBAL picture) {
    HBITMAP bitmap;
    {
        WindowDc dc(gDoc.view);
        bitmap = BitmapFromDib(picture, dc);
    }
    POINT scroll = ScrollPosition(gDoc.view);
    ReplaceFloatingPaste(picture, bitmap, scroll.x, scroll.y);
    EnableCopyAndSelectAll(false);
    SetClassLongPtrA(gDoc.view, GCLP_HCURSOR, (LONG_PTR)gShell.handCursor);
}

void BecomePicture(HGLOBAL picture) {
    ReplaceInternalImage(picture, UndoRule::kDrop);
    strcpy(gDoc.title, "(無題)");
    ShowStatusText(1, gDoc.title);
    ResetPictureSettings();
    RebuildDisplayImage();
    UpdateToolCursor();
}

} // namespace

HBITMAP CopyBitmapRect(HBITMAP bitmap, int left, int top, int right, int bottom) {
    BITMAP bm{};
    if (!bitmap || !GetObjectA(bitmap, sizeof bm, &bm)) return nullptr;
    int width = right - left, height = bottom - top;
    if (width <= 0 || height <= 0) {
        left = top = 0;
        width = bm.bmWidth;
        height = bm.bmHeight;
    }
    WindowDc screen(nullptr);
    HBITMAP copy = CreateCompatibleBitmap(screen, width, height);
    if (!copy) return nullptr;
    MemoryDc from(screen), to(screen);
    RealizedPalette fromPalette(from, gDoc.displayPalette);
    RealizedPalette toPalette(to, gDoc.displayPalette);
    SelectedObject source(from, bitmap), target(to, copy);
    BitBlt(to, 0, 0, width, height, from, left, top, SRCCOPY);
    return copy;
}

void CopySelection() {
    if (!OpenClipboard(gDoc.view)) {
        MessageBoxA(GetFocus(), "クリップボードが開けません", nullptr, MB_OK | MB_ICONHAND);
        return;
    }
    RECT s = gDoc.selection;
    if (IsRectEmpty(&s)) s = RECT{0, 0, gDoc.header.biWidth, gDoc.header.biHeight};
    EmptyClipboard();
    if (gDoc.copyInternal && gDoc.internalImage) {
        BusyCursor(true);
        HGLOBAL dib = CopyDibRect(gDoc.internalImage, s.left, s.top, s.right, s.bottom);
        BusyCursor(false);
        // The clipboard owns the block once it takes it.
        if (dib && !SetClipboardData(CF_DIB, dib)) BlockFree(dib);
    }
    if (gDoc.copyDisplay && gDoc.displayImage) {
        BusyCursor(true);
        HBITMAP bitmap = CopyBitmapRect(gDoc.displayImage, s.left, s.top, s.right, s.bottom);
        BusyCursor(false);
        gPendingBitmap.reset(bitmap);
        if (bitmap && !SetClipboardData(CF_BITMAP, nullptr)) gPendingBitmap.reset();
        if (gDoc.paletteDevice) {
            HPALETTE palette = CopyOfDisplayPalette();
            if (palette && !SetClipboardData(CF_PALETTE, palette)) DeleteObject(palette);
        }
    }
    gDoc.clipboardOwner = gDoc.view;
    CloseClipboard();
    gDoc.selection = RECT{0, 0, 0, 0};
    InvalidateRect(gDoc.view, nullptr, FALSE);
}

void OnClipboardMessage(HWND view, UINT message, WPARAM wParam) {
    switch (message) {
    case WM_RENDERFORMAT:
        // The clipboard owns the bitmap once it takes it.
        if (wParam == CF_BITMAP && gPendingBitmap && SetClipboardData(CF_BITMAP, gPendingBitmap.get()))
            gPendingBitmap.release();
        break;
    case WM_RENDERALLFORMATS:
        if (gPendingBitmap && OpenClipboard(view)) {
            if (GetClipboardOwner() == view && SetClipboardData(CF_BITMAP, gPendingBitmap.get())) gPendingBitmap.release();
            CloseClipboard();
        }
        break;
    case WM_DESTROYCLIPBOARD: gPendingBitmap.reset(); break;
    }
}

void PasteFromClipboard() {
    if (!OpenClipboard(gDoc.view)) return;
    HGLOBAL picture = nullptr;
    for (int i = 0; i < 2 && !picture; ++i)
        picture = ((gDoc.pasteDisplayPriority ? 1 : 0) + i) % 2 == 0 ? PictureFromDib() : PictureFromBitmap();
    if (!picture) {
        // Nothing usable: the command ends here, and whatever floats stays.
        ShowMessage("加工用メモリがありません", nullptr);
        CloseClipboard();
        return;
    }
    if (gDoc.internalImage) FloatOverPicture(picture);
    else BecomePicture(picture);
    gDoc.selection = RECT{0, 0, 0, 0};
    InvalidateRect(gDoc.view, nullptr, FALSE);
    CloseClipboard();
}

bool MergeFloatingPaste() {
    if (!gDoc.paste.dib || !gDoc.internalImage) return false;
    BusyCursor(true);
    StoreUndo();
    HGLOBAL canvas = MergePaste(gDoc.internalImage, gDoc.paste.dib, gDoc.paste.x, gDoc.paste.y);
    if (!canvas) {
        // Nothing merged: the picture and the paste stay as they were.
        BusyCursor(false);
        EnsureDisplayImage();
        return false;
    }
    DropFloatingPaste();
    ReplaceInternalImage(canvas, UndoRule::kKeep);
    EnableCopyAndSelectAll(true);
    RebuildDisplayImage();
    gDoc.selection = RECT{0, 0, 0, 0};
    InvalidateRect(gDoc.view, nullptr, FALSE);
    UpdateToolCursor();
    BusyCursor(false);
    return true;
}
