// The inverting vertical guide line of the adjustment sheet's histogram panel.
#pragma once
#include <windows.h>

// A 1-pixel-wide inverted column from (x, top) down to bottom (exclusive) on the window; drawing it twice
// restores the pixels.
void InvertVLine(HWND window, int x, int top, int bottom);
