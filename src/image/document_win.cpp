// The document state and the rebuild of the display image after every change of the internal image.
#include "image/document_win.h"

#include <cstring>

#include "image/dib_gdi_win.h"
#include "platform/host.h"
#include "shell/frame_config.h"
#include "view/view_geometry.h"
#include "view/view_window_win.h"

DocState gDoc;

void RebuildDisplayImage() {
    DibHeader h;
    if (!DibInfo(gDoc.internalImage, &h)) return;
    memcpy(&gDoc.header, &h, sizeof h);
    gDoc.pictureWidth = h.biWidth;
    gDoc.pictureHeight = h.biHeight;
    gDoc.selection = {0, 0, ScaledExtent(h.biWidth, gDoc.scale[0]), ScaledExtent(h.biHeight, gDoc.scale[1])};
    HDC dc = gDoc.view ? GetDC(gDoc.view) : nullptr;
    gDoc.displayImage = RefreshBitmapFromDib(gDoc.internalImage, dc, gDoc.displayImage);
    if (dc) ReleaseDC(gDoc.view, dc);
    if (gDoc.view) {
        InvalidateRect(gDoc.view, nullptr, FALSE);
        UpdateScrollRanges(gDoc.view, gDoc.pictureWidth, gDoc.pictureHeight);
        UpdateWindow(gDoc.view);
    }
    ShowStatusText(0, PictureSizeText(gDoc.pictureWidth, gDoc.pictureHeight).c_str());
}

void DropUndo() {
    if (gDoc.undoCopy) BlockFree(gDoc.undoCopy);
    gDoc.undoCopy = nullptr;
}

void ReplaceInternalImage(HGLOBAL picture) {
    if (gDoc.internalImage && gDoc.internalImage != picture) BlockFree(gDoc.internalImage);
    gDoc.internalImage = picture;
    DropUndo();
}
