// The image view window: paints the display image at the view scale, scrolls, keeps the palette realized.
#pragma once
#include <windows.h>

// The view's window procedure; exported by ordinal.
extern "C" LRESULT CALLBACK DispWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

// Draws a device bitmap at the view scale (source size 0 = the whole bitmap); with auto-reduce on, painting the
// display image first fits the scale to the view. Returns the StretchBlt result, 0 without a DC or bitmap.
int PaintPicture(HDC dc, int dstX, int dstY, int srcX, int srcY, int srcWidth, int srcHeight, HBITMAP bitmap);
// Sets both scroll ranges for a picture of width x height at the view scale.
void UpdateScrollRanges(HWND view, int width, int height);
// One scroll step; `thumb` is the full 32-bit track position for the thumb codes.
void ScrollView(HWND view, UINT message, int thumb, int code);
// The horizontal and vertical scroll positions.
POINT ScrollPosition(HWND view);
// The inverting one-pixel outline of a rectangle (drawing it twice removes it), in the DC's coordinates.
void InvertOutline(HDC dc, int left, int top, int right, int bottom);
