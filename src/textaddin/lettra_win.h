// LETTRA.DLL, the text add-in: its process-wide state, the picture API it imports from ORBEN.EXE by ordinal
// (through the import library made from the host's export table), and its two commands.
#pragma once
#include <windows.h>

#include "addin/addin_api.h"

// Ordinals 12, 14 and 16 of ORBEN.EXE.
extern "C" {
__declspec(dllimport) HBITMAP WINAPI BitmapFromDib(HGLOBAL dib, HDC dc);
__declspec(dllimport) int WINAPI SetDibColor(void *lockedDib, int row, int column, DWORD colour);
__declspec(dllimport) int WINAPI IsNowTool(void);
}

struct LettraState {
    HINSTANCE instance = nullptr;
    WNDPROC next = nullptr;          // the next add-in's DllMsgProc, null for the last one
    void **context = nullptr;        // the host context (AddinHostContext::slot)
    LOGFONTA font{};                 // the chosen font; the fitting loops leave their last height here
    COLORREF colour = 0;             // the text colour (COLORREF order)
    HMENU menu = nullptr;            // the loaded "IDR_MENU"
};
extern LettraState gLettra;

// The host's document state through the context; null where the host gave none.
HWND ViewWindow();
HGLOBAL InternalImage();

// "フォント指定(&F)": ChooseFontA on the add-in's font and colour.
void FontCommand();
// "テキスト貼付け(&T)": asks for a line and stamps it into the selection.
void PasteTextCommand();

// The line entered in dialog "テキスト貼付け": a zero-filled movable block, kept locked until FreeText.
struct EnteredText {
    HGLOBAL block = nullptr;
    const char *text = nullptr;
};
// Runs the dialog owned by `owner`; block stays null when it was cancelled.
EnteredText AskForText(HWND owner);
void FreeText(EnteredText &entered);

extern "C" INT_PTR CALLBACK TextDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
