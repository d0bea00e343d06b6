// The view's scale, scroll-bar and margin arithmetic.
#include <gtest/gtest.h>

#include "view/view_geometry.h"

namespace {

ScrollInput Input(int clientW, int clientH, int picW, int picH, float scale = 1.0f) {
    ScrollInput in{};
    in.clientWidth = clientW;
    in.clientHeight = clientH;
    in.hBarHeight = 16;
    in.vBarWidth = 17;
    in.pictureWidth = picW;
    in.pictureHeight = picH;
    in.scaleX = in.scaleY = scale;
    return in;
}

} // namespace

TEST(ViewScale, PercentagesTruncate) {
    EXPECT_EQ(ScalePercent(1.0f), 100);
    EXPECT_EQ(ScalePercent(4.0f), 25);
    EXPECT_EQ(ScalePercent(3.0f), 33);
    EXPECT_EQ(ScalePercent(0.5f), 200);
    EXPECT_EQ(ScaledExtent(4000, 6.0f), 666);
    EXPECT_EQ(ScaledExtent(7, 2.0f), 3);
}

TEST(ViewScale, AutoReduceFitsTheLongerAxisAndEnlargesSmallPictures) {
    // Four times wider than the view: 25 % on both axes.
    EXPECT_EQ(AutoReduceDivisor(3200, 100, 800, 600, 1.0f), 4.0f);
    EXPECT_EQ(ScalePercent(AutoReduceDivisor(3200, 100, 800, 600, 1.0f)), 25);
    // The taller axis decides.
    EXPECT_EQ(AutoReduceDivisor(800, 1200, 800, 400, 1.0f), 3.0f);
    // Smaller than the view: enlarged to fit.
    EXPECT_EQ(AutoReduceDivisor(200, 100, 800, 600, 1.0f), 0.25f);
}

TEST(ViewScale, AutoReduceKeepsTheScaleForAnEmptyView) {
    EXPECT_EQ(AutoReduceDivisor(3200, 100, 0, 600, 2.0f), 2.0f);
    EXPECT_EQ(AutoReduceDivisor(3200, 100, 800, 0, 2.0f), 2.0f);
    EXPECT_EQ(AutoReduceDivisor(3200, 100, -5, -5, 1.5f), 1.5f);
}

TEST(ScrollRanges, ExactFitShowsNoBarsAndOnePixelMoreShowsOne) {
    ScrollRanges r = ComputeScrollRanges(Input(500, 300, 500, 300));
    EXPECT_EQ(r.hMax, 0);
    EXPECT_EQ(r.vMax, 0);
    // One pixel wider: the horizontal bar appears; it takes 16 rows, so the 300-row picture needs the vertical bar
    // too, which in turn takes 17 columns.
    r = ComputeScrollRanges(Input(500, 300, 501, 300));
    EXPECT_EQ(r.hMax, 501 - (500 - 17));
    EXPECT_EQ(r.vMax, 300 - (300 - 16));
    // One pixel wider, but short enough that the bar's rows are free: only the horizontal bar.
    r = ComputeScrollRanges(Input(500, 300, 501, 200));
    EXPECT_EQ(r.hMax, 1);
    EXPECT_EQ(r.vMax, 0);
}

TEST(ScrollRanges, AVerticalBarCanMakeTheHorizontalOneNecessary) {
    // Fits across only while no vertical bar takes 17 columns.
    ScrollRanges r = ComputeScrollRanges(Input(500, 300, 490, 400));
    EXPECT_EQ(r.vMax, 400 - (300 - 16));
    EXPECT_EQ(r.hMax, 490 - (500 - 17));
}

TEST(ScrollRanges, BarsShownNowAreAddedBackBeforeDeciding) {
    // The client area already lost both bars to an earlier, larger picture; this one fits the full area.
    ScrollInput in = Input(500 - 17, 300 - 16, 500, 300);
    in.hBarShown = in.vBarShown = true;
    ScrollRanges r = ComputeScrollRanges(in);
    EXPECT_EQ(r.hMax, 0);
    EXPECT_EQ(r.vMax, 0);
}

TEST(ScrollRanges, NoPictureOrScaledToNothingHidesBoth) {
    ScrollRanges r = ComputeScrollRanges(Input(500, 300, 0, 0));
    EXPECT_EQ(r.hMax, 0);
    EXPECT_EQ(r.vMax, 0);
    r = ComputeScrollRanges(Input(10, 10, 100, 1, 4.0f)); // 25 x 0 view pixels
    EXPECT_EQ(r.hMax, 0);
    EXPECT_EQ(r.vMax, 0);
}

TEST(ScrollRanges, ScaleShrinksTheDisplayedSize) {
    ScrollRanges r = ComputeScrollRanges(Input(500, 300, 4000, 1000, 4.0f)); // 1000 x 250
    EXPECT_EQ(r.hMax, 1000 - 500);
    EXPECT_EQ(r.vMax, 0);
}

TEST(ScrollStep, LinePageAndThumbClampToTheRange) {
    EXPECT_EQ(ScrollTarget(kScrollLineDown, 800, 0, 0, 1000), 100);
    EXPECT_EQ(ScrollTarget(kScrollLineUp, 800, 0, 50, 1000), 0);
    EXPECT_EQ(ScrollTarget(kScrollLineDown, 5, 0, 0, 1000), 1); // at least one pixel
    EXPECT_EQ(ScrollTarget(kScrollPageDown, 800, 0, 500, 1000), 1000);
    EXPECT_EQ(ScrollTarget(kScrollPageUp, 800, 0, 900, 1000), 100);
    EXPECT_EQ(ScrollTarget(kScrollThumbTrack, 800, 700, 100, 1000), 700);
    EXPECT_EQ(ScrollTarget(kScrollThumbPosition, 800, 5000, 100, 1000), 1000);
}

TEST(ScrollStep, ThumbPositionsBeyondSixteenBitsArriveWhole) {
    EXPECT_EQ(ScrollTarget(kScrollThumbTrack, 800, 70000, 0, 100000), 70000);
}

TEST(ScrollStep, TopAndBottomDoNotMove) {
    EXPECT_EQ(ScrollTarget(kScrollTop, 800, 0, 300, 1000), 300);
    EXPECT_EQ(ScrollTarget(kScrollBottom, 800, 0, 300, 1000), 300);
    EXPECT_EQ(ScrollTarget(kScrollEnd, 800, 0, 300, 1000), 300);
}

TEST(ViewMargins, RightAndBottomStripsAroundAPicture) {
    MarginRect m[2];
    ASSERT_EQ(MarginRects(300, 200, 0, 0, 500, 400, m), 2);
    EXPECT_EQ(m[0].left, 300);
    EXPECT_EQ(m[0].right, 500);
    EXPECT_EQ(m[0].bottom, 400);
    EXPECT_EQ(m[1].top, 200);
    EXPECT_EQ(m[1].right, 300);
    // Scrolled: the picture's edge moves left by the scroll position.
    ASSERT_EQ(MarginRects(600, 1000, 200, 0, 500, 400, m), 1);
    EXPECT_EQ(m[0].left, 400);
    // Covering the whole client area: nothing to fill.
    EXPECT_EQ(MarginRects(600, 1000, 0, 0, 500, 400, m), 0);
}
