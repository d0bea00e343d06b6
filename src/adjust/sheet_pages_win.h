// The five pages of the adjustment sheet in tab order, with their templates, procedures and titles.
#pragma once
#include <windows.h>

// Exported by name (and ordinals 2 and 4): the pages "ノイズ補正１" and "濃度補正(±64)".
extern "C" INT_PTR CALLBACK FcusDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
extern "C" INT_PTR CALLBACK ContDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
INT_PTR CALLBACK Noise2DlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
INT_PTR CALLBACK SaturationDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
INT_PTR CALLBACK OtherDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

struct SheetPageEntry {
    int templateId;
    DLGPROC procedure;
    const char *title; // given by the sheet over the template's caption; null: the template's
};
enum { kSheetPageCount = 5 };
extern const SheetPageEntry kSheetPages[kSheetPageCount];
