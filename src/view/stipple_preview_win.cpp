// The adjustment sheet's preview bitmap: the preview picture stippled to 16 or 256 colours, or as it is.
#include "view/stipple_preview_win.h"

#include <cstdio>

#include "image/document_win.h"
#include "platform/host.h"
#include "platform/scoped_win.h"
#include "shell/undo_win.h"
#include "view/stipple_palette_win.h"
#include "view/stipple.h"

namespace {

// The new bitmap replaces the old one, which is deleted (the sheet owns whichever is current).
void ShowPreviewBitmap(HWND window, HBITMAP made, HBITMAP *bitmap) {
    if (*bitmap && *bitmap != made) DeleteObject(*bitmap);
    *bitmap = made;
    if (window) {
        InvalidateRect(window, nullptr, FALSE);
        UpdateWindow(window);
    }
}

// False when memory ran out (the work allocator has told the user), so the next call tries again.
bool RenderStippled(HWND window, int colours, HGLOBAL picture, HBITMAP *bitmap) {
    BusyCursor(true);
    char kept[80] = "";
    if (window) GetWindowTextA(window, kept, sizeof kept);
    const StipplePalette palette = colours == 16 ? MakeStipplePalette16() : DisplayStipplePalette256();
    PackedDib stippled = StippleRows(picture, palette, [window, colours](int percent) {
        char text[48];
        snprintf(text, sizeof text, "点描(%d) %d%%", colours, percent);
        if (window) SetWindowTextA(window, text);
    });
    if (window) SetWindowTextA(window, kept);
    // The shortage policy may have released the main view's display image to make room.
    EnsureDisplayImage();
    if (stippled) {
        WindowDc dc(window);
        ShowPreviewBitmap(window, BitmapFromDib(stippled, dc), bitmap);
        BlockFree(stippled);
        // The histogram panel describes the picture before stippling: convert it once more, for the statistics
        // alone.
        ScopedBitmap statistics(BitmapFromDib(picture, dc));
    }
    BusyCursor(false);
    return stippled != nullptr;
}

} // namespace

void StipplePreview(HWND window, int mode, HGLOBAL picture, int *modeWord, HBITMAP *bitmap) {
    if (!picture || !modeWord || !bitmap || *modeWord == mode) return;
    switch (mode) {
    case kPreviewStipple16:
    case kPreviewStipple256:
        if (!RenderStippled(window, mode == kPreviewStipple16 ? 16 : 256, picture, bitmap)) return;
        break;
    case kPreviewStandard: {
        WindowDc dc(window);
        ShowPreviewBitmap(window, BitmapFromDib(picture, dc), bitmap);
        break;
    }
    default: return;
    }
    *modeWord = mode;
}
