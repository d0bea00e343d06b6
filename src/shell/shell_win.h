// The shell's process-wide state and the frame's entry points: windows, cursors, the UI font, the folder buffer.
#pragma once
#include <windows.h>
#include <commdlg.h>

// Named without a folder: the platform keeps it in its default place for private profiles.
constexpr const char *kIniFile = "orben32.ini";
constexpr const char *kFrameCaption = "Zelka32 Ver1.22";
constexpr UINT_PTR kTitleTimerId = 0;
constexpr UINT kTitleTimerMs = 1000;

// The common dialogs' block: the structure with its two name buffers behind it.
struct FileDialogBlock {
    OPENFILENAMEA ofn;
    char file[256];  // full path
    char title[256]; // file title; for save it carries the dialog title text
};

struct ShellState {
    HINSTANCE instance = nullptr;
    HWND frame = nullptr;
    HWND swatch = nullptr;            // the colour swatch, a child of the view
    HCURSOR handCursor = nullptr;     // "HANDCUR": swatch class cursor, floating-paste cursor
    HCURSOR c7Cursor = nullptr;
    HCURSOR toolCursor[6] = {};       // "C1CUR".."C6CUR": rectangle, axis, ..., colour picker
    HCURSOR defaultViewCursor = nullptr;
    HFONT uiFont = nullptr;           // lives until WM_DESTROY
    HMENU levelPopup[2] = {};         // real-picture and preview level commands
    HWND levelPopupOwner = nullptr;   // the adjustment page that opened a level popup
    char folder[640] = "";            // the last folder, written to the INI file as Path
    HGLOBAL fileDialogHandle = nullptr;
    FileDialogBlock *fileDialog = nullptr; // locked for the program's lifetime
    bool shiftHeld = false, ctrlHeld = false;
};

extern ShellState gShell;

// The frame's window procedure; exported by ordinal.
extern "C" LRESULT CALLBACK BLDMainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

// Creates the status bar with its two parts (start-up and the status-bar toggle).
void CreateStatusBar(HWND frame);
// Sets the status parts' right edges for the frame's current width.
void SetStatusParts(HWND frame);
