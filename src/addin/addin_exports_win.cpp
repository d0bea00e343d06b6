// The export table's entries (orben.def maps the public names and ordinals onto these): the picture API under the
// Windows types add-ins bind to, and the program's window procedures and tool query. Each entry is a plain call,
// so the table does not depend on how the rest of the program declares its functions.
#include <windows.h>

#include "image/dib.h"

// Defined by the shell, the view and the image layer (C++ linkage).
LRESULT CALLBACK BLDMainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
LRESULT CALLBACK DispWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
HBITMAP WINAPI BitmapFromDib(HGLOBAL dib, HDC dc) noexcept;
int WINAPI IsNowTool() noexcept;

static_assert(sizeof(BITMAPINFOHEADER) == sizeof(DibHeader), "add-ins read the header the core writes");

extern "C" {

LRESULT CALLBACK ExportBLDMainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return BLDMainWndProc(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK ExportDispWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return DispWndProc(hwnd, message, wParam, lParam);
}

HBITMAP WINAPI ExportBitmapFromDib(HGLOBAL dib, HDC dc) noexcept { return BitmapFromDib(dib, dc); }

DWORD WINAPI ExportGetDibColor(const void *lockedDib, int row, int column) noexcept {
    if (!lockedDib) return 0;
    return GetDibColor(lockedDib, row, column);
}

int WINAPI ExportSetDibColor(void *lockedDib, int row, int column, DWORD colour) noexcept {
    if (!lockedDib) return 0;
    return SetDibColor(lockedDib, row, column, colour);
}

int WINAPI ExportDibInfo(HGLOBAL dib, BITMAPINFOHEADER *header) noexcept {
    if (!header) return 0;
    return DibInfo(dib, reinterpret_cast<DibHeader *>(header));
}

int WINAPI ExportIsNowTool() noexcept { return IsNowTool(); }

} // extern "C"
