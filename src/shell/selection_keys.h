// Arrow keys on the selection at 100 %: moves by one pixel, and with Shift the right or bottom edge.
#pragma once

enum ArrowKey { kArrowLeft, kArrowUp, kArrowRight, kArrowDown };

struct ArrowChange {
    int dx, dy;          // move
    int dRight, dBottom; // edge change (Shift)
};
ArrowChange ArrowKeyChange(ArrowKey key, bool shift);

struct SelectionRect {
    int left, top, right, bottom;
};
// The selection after one arrow key, each edge clamped to the picture; a resize never makes it negative.
SelectionRect MoveSelection(SelectionRect r, ArrowChange c, int pictureWidth, int pictureHeight);
