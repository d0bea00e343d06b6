// The resize dialog "拡大縮小" (template 100): the display scale, or a resize of the internal image.
#pragma once
#include <windows.h>

// Kept for the program's run (never written to the INI file).
struct ResizeSettings {
    int threshold = 92;      // T, the edge threshold of the resampler
    bool keepAspect = true;
};

// The record ZoomDlgProc works on, passed in DialogBoxParamA's lParam (null: the run's settings and the
// document's picture size).
struct ResizeDialogData {
    ResizeSettings *settings = nullptr; // read when the dialog opens, updated on the buttons and the check box
    int width = 0, height = 0;          // the picture's size when the dialog opened
    bool echo[4] = {};                  // set while the program itself writes one of the linked edits
    int result = IDCANCEL;              // IDOK (display scale), IDC_RESIZE_INTERNAL or IDCANCEL
};

// Exported by ordinal 3.
extern "C" INT_PTR CALLBACK ZoomDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

// Command 4002: with an internal image, runs the dialog over the run's settings; returns the button that closed
// it (0 without a picture).
int ResizeCommand(HWND frame);
