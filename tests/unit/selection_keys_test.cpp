// Arrow keys on the selection rectangle.
#include <gtest/gtest.h>

#include "shell/selection_keys.h"

namespace {

SelectionRect Key(SelectionRect r, ArrowKey k, bool shift, int w = 100, int h = 50) {
    return MoveSelection(r, ArrowKeyChange(k, shift), w, h);
}

void ExpectRect(SelectionRect r, int l, int t, int rt, int b) {
    EXPECT_EQ(r.left, l);
    EXPECT_EQ(r.top, t);
    EXPECT_EQ(r.right, rt);
    EXPECT_EQ(r.bottom, b);
}

} // namespace

TEST(SelectionKeys, ArrowsMoveByOnePixel) {
    ExpectRect(Key({10, 10, 20, 20}, kArrowLeft, false), 9, 10, 19, 20);
    ExpectRect(Key({10, 10, 20, 20}, kArrowDown, false), 10, 11, 20, 21);
}

TEST(SelectionKeys, ShiftMovesTheRightOrBottomEdge) {
    ExpectRect(Key({10, 10, 20, 20}, kArrowLeft, true), 10, 10, 19, 20);
    ExpectRect(Key({10, 10, 20, 20}, kArrowDown, true), 10, 10, 20, 21);
}

TEST(SelectionKeys, EdgesClampSeparatelySoAPushedSelectionShrinks) {
    ExpectRect(Key({0, 5, 10, 15}, kArrowLeft, false), 0, 5, 9, 15);
    ExpectRect(Key({90, 5, 100, 15}, kArrowRight, false), 91, 5, 100, 15);
    // At the right edge, Shift+Right does not grow past the width.
    ExpectRect(Key({90, 5, 100, 15}, kArrowRight, true), 90, 5, 100, 15);
}

TEST(SelectionKeys, ShrinkingStopsAtAnEmptyRectangle) {
    SelectionRect r = Key({10, 10, 11, 20}, kArrowLeft, true);
    ExpectRect(r, 10, 10, 10, 20);
    r = Key(r, kArrowLeft, true);
    ExpectRect(r, 10, 10, 10, 20);
    r = Key({10, 10, 20, 10}, kArrowUp, true);
    ExpectRect(r, 10, 10, 20, 10);
}
