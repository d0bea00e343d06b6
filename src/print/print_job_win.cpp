// The print command and its job: the picture stretched into the chosen rectangle on one page of the default
// printer, with the modeless "PRTDLG" and its cancel button kept alive by the abort procedure.
#include <windows.h>

#include "image/document_win.h"
#include "platform/host.h"
#include "print/print_win.h"
#include "resource.h"

PrintState gPrint;

namespace {

constexpr const char *kDocumentName = "Zelka";
constexpr const char *kPrintFailed = "印刷できません";

void EndPrintingDialog() {
    EnableWindow(gPrint.mainWindow, TRUE);
    if (gPrint.printingDialog) DestroyWindow(gPrint.printingDialog);
    gPrint.printingDialog = nullptr;
}

// The picture in bands of rows, each its own small DIB over the same bits: the abort procedure gets a look at the
// cancel button between them (Wine calls it only once, at StartDoc).
void SendPicture(HDC printer, const BITMAPINFOHEADER *header) {
    const BYTE *bits = reinterpret_cast<const BYTE *>(header) + header->biSize + 4 * (size_t)header->biClrUsed;
    const size_t stride = ((size_t)header->biWidth * header->biBitCount + 31) / 32 * 4;
    BITMAPINFOHEADER band = *header;
    const int count = PrintBandCount(header->biWidth, header->biHeight);
    for (int i = 0; i < count && !gPrint.aborted; ++i) {
        PrintBand b = PrintBandAt(i, count, header->biHeight, gPrint.rect);
        band.biHeight = b.rows;
        band.biSizeImage = 0;
        // Stored rows run bottom-up: the band's lowest row is the picture's row firstRow + rows - 1 from the top.
        const BYTE *rows = bits + stride * (size_t)(header->biHeight - b.firstRow - b.rows);
        StretchDIBits(printer, gPrint.rect.left, b.top, gPrint.rect.right - gPrint.rect.left, b.height, 0, 0,
                      header->biWidth, b.rows, rows, reinterpret_cast<const BITMAPINFO *>(&band), DIB_RGB_COLORS,
                      SRCCOPY);
        AbortProc(printer, 0);
    }
}

void RunJob(HWND frame, HDC printer) {
    DOCINFOA doc{};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = kDocumentName;
    gPrint.error = false;
    gPrint.aborted = false;
    gPrint.mainWindow = frame;
    gPrint.printingDialog = CreateDialogParamA(GetModuleHandleA(nullptr), "PRTDLG", frame, NowPrintDlgProc, 0);
    if (!gPrint.printingDialog) return;
    SetWindowTextA(gPrint.printingDialog, kDocumentName);
    // The job keeps the thread busy: show "印刷中..." before it starts.
    UpdateWindow(gPrint.printingDialog);
    EnableWindow(frame, FALSE);
    gPrint.running = true;
    if (SetAbortProc(printer, AbortProc) > 0 && StartDocA(printer, &doc) > 0) gPrint.error = StartPage(printer) <= 0;
    else gPrint.error = true;
    const auto *header = static_cast<const BITMAPINFOHEADER *>(GlobalLock(gDoc.internalImage));
    if (header) {
        SendPicture(printer, header);
        GlobalUnlock(gDoc.internalImage);
    }
    if (EndPage(printer) <= 0 && !gPrint.aborted) gPrint.error = true;
    // An aborted job is dropped, not finished: EndDoc would hand the page to the spooler.
    if (gPrint.aborted) AbortDoc(printer);
    else if (!gPrint.error && EndDoc(printer) <= 0) gPrint.error = true;
    gPrint.running = false;
    if (!gPrint.aborted) EndPrintingDialog();
    if (gPrint.error && !gPrint.aborted) ShowMessage(kPrintFailed, nullptr);
}

} // namespace

extern "C" INT_PTR CALLBACK NowPrintDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_INITDIALOG:
        EnableMenuItem(GetSystemMenu(dialog, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
        return TRUE;
    case WM_COMMAND:
        gPrint.aborted = true;
        EndPrintingDialog();
        return TRUE;
    default: return FALSE;
    }
}

extern "C" BOOL CALLBACK AbortProc(HDC printer, int code) noexcept {
    MSG msg;
    while (!gPrint.aborted && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (gPrint.printingDialog && IsDialogMessageA(gPrint.printingDialog, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return !gPrint.aborted;
}

void PrintCommand(HWND frame) {
    // The abort procedure dispatches the frame's messages: a second print command then waits its turn.
    if (gPrint.running || !RunPrintLayoutDialog(frame) || !gDoc.internalImage) return;
    HDC printer = CreateDefaultPrinterDc(frame);
    if (!printer) {
        ShowMessage(kPrintFailed, nullptr);
        return;
    }
    RunJob(frame, printer);
    DeleteDC(printer);
}
