// The text add-in's font-height fitting and the clipping of its stamp.
#include <gtest/gtest.h>

#include <cstdlib>

#include "textaddin/text_fit.h"

namespace {

// A font whose text is `perChar` × |height| / 10 wide per character and |height| + 2 high; fonts beyond
// `lastHeight` in magnitude cannot be made.
struct FakeFont {
    int chars = 5;
    int perChar = 6;
    int lastHeight = 1000;
    int calls = 0;
};

TextExtent ExtentOf(const FakeFont &f, int height) {
    const int h = std::abs(height);
    return TextExtent{f.chars * f.perChar * h / 10, h == 0 ? 0 : h + 2};
}

bool Measure(void *context, int height, TextExtent *extent) {
    FakeFont *f = static_cast<FakeFont *>(context);
    ++f->calls;
    if (std::abs(height) > f->lastHeight) return false;
    *extent = ExtentOf(*f, height);
    return true;
}

FitResult Fit(FakeFont &f, int *height, int w, int h, TextExtent *extent = nullptr) {
    TextExtent e = ExtentOf(f, *height);
    FitResult r = FitTextHeight(height, &e, w, h, Measure, &f);
    if (extent) *extent = e;
    return r;
}

} // namespace

TEST(TextFit, StepsKeepTheSignOfTheHeight) {
    EXPECT_EQ(GrowHeight(-12), -13);
    EXPECT_EQ(GrowHeight(12), 13);
    EXPECT_EQ(GrowHeight(0), 1);
    EXPECT_EQ(ShrinkHeight(-12), -11);
    EXPECT_EQ(ShrinkHeight(12), 11);
}

TEST(TextFit, GrowsAndShrinksToTheLargestHeightThatFitsBothWays) {
    struct Case {
        int start, w, h, want;
    } cases[] = {
        {-16, 300, 120, -100}, // width-bound: 30 × 100 / 10 = 300
        {-16, 1000, 40, -38},  // height-bound: 38 + 2 = 40
        {-200, 300, 120, -100},// starts too big and only shrinks
        {16, 300, 120, 100},   // positive (cell) heights step the same way
    };
    for (const Case &c : cases) {
        FakeFont f;
        int height = c.start;
        TextExtent e;
        EXPECT_EQ(Fit(f, &height, c.w, c.h, &e), FitResult::kFits) << c.start << " " << c.w << "x" << c.h;
        EXPECT_EQ(height, c.want) << c.start << " " << c.w << "x" << c.h;
        EXPECT_LE(e.cx, c.w);
        EXPECT_LE(e.cy, c.h);
        TextExtent bigger = ExtentOf(f, GrowHeight(height));
        EXPECT_TRUE(bigger.cx > c.w || bigger.cy > c.h);
    }
}

TEST(TextFit, EmptyTextAndTextThatNeverFitsEnd) {
    FakeFont empty;
    empty.chars = 0;
    int height = -16;
    EXPECT_EQ(Fit(empty, &height, 300, 120), FitResult::kNoFit);
    EXPECT_EQ(empty.calls, 0);

    // 3 pixels high never fits a font of height 1 (3 + 2 high); the loop stops at magnitude 1.
    FakeFont tall;
    height = -16;
    EXPECT_EQ(Fit(tall, &height, 300, 2), FitResult::kNoFit);
    EXPECT_EQ(height, -1);
}

TEST(TextFit, GrowLoopIsBoundedByTheBoxHeight) {
    // A one-character text in a very wide, low box: growing stops at 2 × 20 + 16, shrinking brings it to 18.
    FakeFont f;
    f.chars = 1;
    int height = -5;
    EXPECT_EQ(Fit(f, &height, 100000, 20), FitResult::kFits);
    EXPECT_EQ(height, -18);
    EXPECT_LT(f.calls, 2 * 56);
}

TEST(TextFit, AFontThatCannotBeMadeStopsTheLoop) {
    FakeFont f;
    f.lastHeight = 30;
    int height = -16;
    EXPECT_EQ(Fit(f, &height, 300, 120), FitResult::kNoFont);
}

TEST(TextFit, StampStaysInsideSelectionTextAndPicture) {
    struct Case {
        int l, t, r, b, cx, cy, pw, ph, columns, rows;
    } cases[] = {
        {10, 20, 110, 60, 80, 30, 300, 120, 80, 30},   // the text is the limit
        {10, 20, 110, 60, 200, 90, 300, 120, 100, 40}, // the selection is the limit
        {250, 100, 400, 200, 200, 90, 300, 120, 50, 20},// the picture is the limit
        {0, 0, 800, 800, 800, 800, 100, 100, 100, 100},
        {300, 0, 310, 10, 10, 10, 300, 120, 0, 10},    // starts right of the picture: nothing
        {-5, 0, 10, 10, 10, 10, 300, 120, 0, 0},
    };
    for (const Case &c : cases) {
        StampArea a = ClipStamp(c.l, c.t, c.r, c.b, TextExtent{c.cx, c.cy}, c.pw, c.ph);
        EXPECT_EQ(a.columns, c.columns) << c.l << "," << c.t;
        EXPECT_EQ(a.rows, c.rows) << c.l << "," << c.t;
    }
}
