// Printing on the default printer: the command, the print-layout dialog 500, the job with its modeless "PRTDLG",
// and the default printer's DC.
#pragma once
#include <windows.h>

#include "print/print_layout.h"

// Shared by the dialog and the job for the program's run.
struct PrintState {
    PrintLayout layout{};     // page preview and 1 cm limits, dialog client pixels
    PrintRect rect{};         // dialog pixels while the dialog runs, printer pixels after OK, empty after cancel
    float aspect = 1.0f;      // picture width / height
    PrinterMetrics metrics{}; // read once when the dialog opens
    bool error = false;       // StartDoc, StartPage, EndPage or EndDoc failed
    bool aborted = false;     // "中止" was pressed
    bool running = false;     // a job is under way (the abort procedure dispatches messages)
    HWND mainWindow = nullptr;     // disabled while printing
    HWND printingDialog = nullptr; // "PRTDLG" while it exists
};
extern PrintState gPrint;

// 4022: the layout dialog, then the job when it left a rectangle.
void PrintCommand(HWND frame);

// The layout dialog over `frame`; true when it closed with "印刷実行(&E)" and a non-empty rectangle, which is then in
// printer pixels in gPrint.rect.
bool RunPrintLayoutDialog(HWND frame);

// A DC for the default printer, or null when there is none.
HDC CreateDefaultPrinterDc(HWND owner);

extern "C" INT_PTR CALLBACK PrintDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
extern "C" INT_PTR CALLBACK NowPrintDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
extern "C" BOOL CALLBACK AbortProc(HDC printer, int code) noexcept;
