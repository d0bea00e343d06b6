// Diz2DlgProc: stipples the internal image to 16 or 256 colours and shows the result as the display image,
// with its data record and the command that runs it.
#include "view/stipple_dialog_win.h"

#include "image/document_win.h"
#include "platform/host.h"
#include "platform/scoped_win.h"
#include "shell/undo_win.h"
#include "view/stipple.h"
#include "view/stipple_palette_win.h"
#include "resource.h"

namespace {

StippleDialogData *DataOf(HWND dialog) {
    return reinterpret_cast<StippleDialogData *>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// The stippled picture stands in for the display image; the internal image is left alone. On shortage the work
// allocator has told the user, and the display image it may have released comes back.
bool ShowStippled(int colours) {
    const StipplePalette palette = colours == 16 ? MakeStipplePalette16() : DisplayStipplePalette256();
    PackedDib stippled = StipplePicture(gDoc.internalImage, palette);
    bool shown = false;
    if (stippled) {
        HBITMAP bitmap;
        {
            WindowDc dc(gDoc.view);
            bitmap = BitmapFromDib(stippled, gDoc.view ? dc.get() : nullptr);
        }
        BlockFree(stippled);
        if (bitmap) {
            ReplaceDisplayImage(bitmap);
            shown = true;
        }
    }
    EnsureDisplayImage();
    if (gDoc.view) {
        InvalidateRect(gDoc.view, nullptr, FALSE);
        UpdateWindow(gDoc.view);
    }
    gDoc.titleRepaint = true;
    return shown;
}

void OnRun(HWND dialog, StippleDialogData *data) {
    DibHeader h;
    if (!DibInfo(gDoc.internalImage, &h) || h.biBitCount != 24) return;
    const int colours = IsDlgButtonChecked(dialog, IDC_STIPPLE_16) == BST_CHECKED ? 16 : 256;
    EndDialog(dialog, IDOK);
    const bool shown = ShowStippled(colours);
    if (data) {
        data->colours = colours;
        data->shown = shown;
    }
}

} // namespace

INT_PTR CALLBACK Diz2DlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        CheckDlgButton(dialog, IDC_STIPPLE_16, BST_CHECKED);
        CheckDlgButton(dialog, IDC_STIPPLE_256, BST_UNCHECKED);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: OnRun(dialog, DataOf(dialog)); return TRUE;
        case IDCANCEL:
            gDoc.titleRepaint = true;
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        default: return FALSE;
        }
    default: return FALSE;
    }
}

StippleDialogData StippleCommand(HWND frame) {
    StippleDialogData data;
    DibHeader h;
    if (!DibInfo(gDoc.internalImage, &h)) return data;
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_STIPPLE), frame, Diz2DlgProc,
                    reinterpret_cast<LPARAM>(&data));
    return data;
}
