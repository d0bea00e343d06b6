// Dialog 500 "印刷": the page preview painted into the client area, the rectangle dragged out in it with the
// mouse, and its position and size in millimetres.
#include <windows.h>
#include <windowsx.h>

#include "image/document_win.h"
#include "platform/scoped_win.h"
#include "print/print_win.h"
#include "view/view_window_win.h"
#include "resource.h"

namespace {

void DrawOutline(HDC dc, const PrintRect &r) { InvertOutline(dc, r.left, r.top, r.right, r.bottom); }

void DrawRectOutline(HDC dc) {
    if (!IsEmptyPrintRect(gPrint.rect)) DrawOutline(dc, gPrint.rect);
}

void ShowMillimetres(HWND dialog) {
    Millimetres mm = PrintMillimetres(gPrint.rect, gPrint.layout, gPrint.metrics);
    SetDlgItemInt(dialog, IDC_PRINT_LEFT, (UINT)mm.left, TRUE);
    SetDlgItemInt(dialog, IDC_PRINT_WIDTH, (UINT)mm.width, TRUE);
    SetDlgItemInt(dialog, IDC_PRINT_TOP, (UINT)mm.top, TRUE);
    SetDlgItemInt(dialog, IDC_PRINT_HEIGHT, (UINT)mm.height, TRUE);
}

// The picture's aspect; the lock is given back at once.
bool ReadAspect(float *aspect) {
    const auto *header = static_cast<const BITMAPINFOHEADER *>(gDoc.internalImage ? GlobalLock(gDoc.internalImage) : nullptr);
    if (!header) return false;
    bool ok = header->biWidth > 0 && header->biHeight > 0;
    if (ok) *aspect = (float)header->biWidth / (float)header->biHeight;
    GlobalUnlock(gDoc.internalImage);
    return ok;
}

bool ReadPrinterMetrics(HWND dialog, PrinterMetrics *m) {
    HDC printer = CreateDefaultPrinterDc(dialog);
    if (!printer) return false;
    *m = {GetDeviceCaps(printer, HORZRES), GetDeviceCaps(printer, VERTRES), GetDeviceCaps(printer, LOGPIXELSX),
          GetDeviceCaps(printer, LOGPIXELSY)};
    DeleteDC(printer);
    return MetricsUsable(*m);
}

// False ends the dialog at once: no picture, no printer, or a printer whose metrics cannot be used.
bool OnInitDialog(HWND dialog) {
    gPrint.rect = {0, 0, 0, 0};
    if (!ReadAspect(&gPrint.aspect) || !ReadPrinterMetrics(dialog, &gPrint.metrics)) return false;
    RECT client;
    GetClientRect(dialog, &client);
    gPrint.layout = ComputePrintLayout(client.bottom, gPrint.metrics);
    gPrint.rect = FitPrintRect(gPrint.layout.limits, gPrint.layout.limits, gPrint.aspect);
    ShowMillimetres(dialog);
    return true;
}

void OnPaint(HWND dialog) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(dialog, &ps);
    const PrintRect &p = gPrint.layout.preview;
    RECT page{p.left, p.top, p.right, p.bottom};
    FillRect(dc, &page, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawOutline(dc, p);
    DrawRectOutline(dc);
    EndPaint(dialog, &ps);
}

// One mouse position of the drag: the pressed corner stays, the opposite one follows the mouse.
void DragTo(HWND dialog, HDC dc, POINT anchor, POINT mouse) {
    DrawRectOutline(dc);
    gPrint.rect = FitPrintRect({anchor.x, anchor.y, mouse.x, mouse.y}, gPrint.layout.limits, gPrint.aspect);
    DrawRectOutline(dc);
    ShowMillimetres(dialog);
}

// The drag's mouse loop. It looks before it waits (the button-up may already be queued) and ends when the
// button goes up or the capture is lost (another window or a system dialog took it), so it never waits for a
// button-up that cannot come.
void OnLButtonDown(HWND dialog, int x, int y) {
    WindowDc dc(dialog);
    const POINT anchor{x, y};
    DrawRectOutline(dc);
    gPrint.rect = FitPrintRect({x, y, x, y}, gPrint.layout.limits, gPrint.aspect);
    SetCapture(dialog);
    DrawRectOutline(dc);
    for (bool up = false; !up;) {
        MSG msg;
        while (!up && PeekMessageA(&msg, nullptr, WM_MOUSEFIRST, WM_MBUTTONDBLCLK, PM_REMOVE)) {
            POINT mouse{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
            if (msg.hwnd != dialog) MapWindowPoints(msg.hwnd, dialog, &mouse, 1);
            DragTo(dialog, dc, anchor, mouse);
            up = msg.message == WM_LBUTTONUP;
        }
        if (up || GetCapture() != dialog) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    }
    if (GetCapture() == dialog) ReleaseCapture();
}

void OnPrintPressed(HWND dialog) {
    gPrint.rect = ToPrinterPixels(gPrint.rect, gPrint.layout, gPrint.metrics);
    EndDialog(dialog, IDOK);
}

void OnCancelPressed(HWND dialog) {
    gPrint.rect = {0, 0, 0, 0};
    EndDialog(dialog, IDCANCEL);
}

} // namespace

extern "C" INT_PTR CALLBACK PrintDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_INITDIALOG:
        if (!OnInitDialog(dialog)) EndDialog(dialog, IDCANCEL);
        return TRUE;
    case WM_PAINT: OnPaint(dialog); return TRUE;
    case WM_LBUTTONDOWN: OnLButtonDown(dialog, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) OnPrintPressed(dialog);
        else if (LOWORD(wParam) == IDCANCEL) OnCancelPressed(dialog);
        return TRUE;
    default: return FALSE;
    }
}

bool RunPrintLayoutDialog(HWND frame) {
    if (!gDoc.internalImage) return false;
    INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PRINT), frame, PrintDlgProc, 0);
    if (result != IDOK) gPrint.rect = {0, 0, 0, 0};
    return result == IDOK && !IsEmptyPrintRect(gPrint.rect);
}
