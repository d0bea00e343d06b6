// The inverting vertical line: the histogram panel's guide under the mouse.
#include "view/invert_line_win.h"

#include "platform/scoped_win.h"

void InvertVLine(HWND window, int x, int top, int bottom) {
    WindowDc dc(window);
    if (!dc) return;
    SelectedObject brush(dc, GetStockObject(WHITE_BRUSH));
    PatBlt(dc, x, top, 1, bottom - top, PATINVERT);
}
