// The stipple dialog "点描表示" (template 700): the internal image shown with 16 or 256 colours.
#pragma once
#include <windows.h>

// The record Diz2DlgProc works on, passed in DialogBoxParamA's lParam (may be null).
struct StippleDialogData {
    int colours = 0;        // 16 or 256 once "実行(&E)" ran, 0 after "取消(&C)"
    bool shown = false;     // the stippled picture became the display image
};

// Exported by ordinal 7.
extern "C" INT_PTR CALLBACK Diz2DlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

// Command 4020: with an internal image, runs the dialog; the stippled picture then stands in for the display
// image until the next rebuild.
StippleDialogData StippleCommand(HWND frame);
