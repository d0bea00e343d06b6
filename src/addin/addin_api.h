// The contract between ORBEN.EXE and its add-ins: the host context and the entry points every add-in exports.
// Shared by the host and by add-in libraries (LETTRA.DLL, the test add-in).
#pragma once
#include <windows.h>

// Eight pointer-sized slots, each pointing into the host's document state; add-ins read through it at any time.
struct AddinHostContext {
    void *slot[8];
};
enum {
    kSlotInternalImage = 0, // HGLOBAL *: the internal image (a PackedDib), or null without a picture
    kSlotDisplayImage = 1,  // HBITMAP *: the display image; an add-in may replace it (deleting the old one first)
    kSlotScale = 2,         // float[2]: the scale divisors x, y
    kSlotViewWindow = 3,    // HWND *: the view window
    kSlotClipboardOwner = 4,// HWND *: the window that last put a picture on the clipboard
    kSlotSelection = 5,     // RECT *: the selection rectangle, view coordinates
    kSlotUnused = 6,
    kSlotHeader = 7,        // BITMAPINFOHEADER *: header copy of the internal image
};

// Entry points an add-in exports by name.
typedef HMENU(WINAPI *GetDllMenuFn)(void);
typedef const char *(WINAPI *GetMenuStrFn)(void);
typedef LRESULT(CALLBACK *DllMsgProcFn)(HWND, UINT, WPARAM, LPARAM);
typedef void(WINAPI *SetNextProcFn)(WNDPROC next, void **hostContext);

// The picture API ORBEN.EXE exports, by ordinal.
enum {
    kOrdinalBitmapFromDib = 12,
    kOrdinalGetDibColor = 13,
    kOrdinalSetDibColor = 14,
    kOrdinalDibInfo = 15,
    kOrdinalIsNowTool = 16,
};
typedef HBITMAP(WINAPI *BitmapFromDibFn)(HGLOBAL, HDC);
typedef DWORD(WINAPI *GetDibColorFn)(const void *, int, int);
typedef int(WINAPI *SetDibColorFn)(void *, int, int, DWORD);
typedef int(WINAPI *DibInfoFn)(HGLOBAL, BITMAPINFOHEADER *);
typedef int(WINAPI *IsNowToolFn)(void);
