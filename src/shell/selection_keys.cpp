// Arrow-key moves and resizes of the selection rectangle.
#include "shell/selection_keys.h"

namespace {

int Clamp(int v, int limit) { return v <= 0 ? 0 : (v >= limit ? limit : v); }

} // namespace

ArrowChange ArrowKeyChange(ArrowKey key, bool shift) {
    ArrowChange c{0, 0, 0, 0};
    switch (key) {
    case kArrowLeft: (shift ? c.dRight : c.dx) = -1; break;
    case kArrowRight: (shift ? c.dRight : c.dx) = 1; break;
    case kArrowUp: (shift ? c.dBottom : c.dy) = -1; break;
    case kArrowDown: (shift ? c.dBottom : c.dy) = 1; break;
    }
    return c;
}

SelectionRect MoveSelection(SelectionRect r, ArrowChange c, int pictureWidth, int pictureHeight) {
    SelectionRect n;
    n.left = Clamp(r.left + c.dx, pictureWidth);
    n.top = Clamp(r.top + c.dy, pictureHeight);
    n.right = Clamp(r.right + c.dx + c.dRight, pictureWidth);
    n.bottom = Clamp(r.bottom + c.dy + c.dBottom, pictureHeight);
    // Shrinking must stop at an empty rectangle: left <= right and top <= bottom are promised to add-ins.
    if (c.dRight && n.right < n.left) n.right = n.left;
    if (c.dBottom && n.bottom < n.top) n.bottom = n.top;
    return n;
}
