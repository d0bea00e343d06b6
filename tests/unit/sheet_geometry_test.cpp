// The adjustment sheet's arithmetic: which part of the picture a preview shows, the origin at opening and after a
// drag, the zoom items, the layout, the histogram columns and the value bars' rules.
#include <gtest/gtest.h>

#include "adjust/sheet_geometry.h"

TEST(SheetGeometry, LayoutIsHalfTheHeightWithThePanelBeside) {
    SheetLayout l = ComputeSheetLayout(375, 325);
    EXPECT_EQ(l.square.left, 2);
    EXPECT_EQ(l.square.right, 162); // 2 + (325 - 4) / 2
    EXPECT_EQ(l.panel.left, 165);
    EXPECT_EQ(l.panel.right, 325); // 2 S + 1
    EXPECT_EQ(l.panel.bottom, 162);
    // A tall page: the panel stops at 254 columns.
    l = ComputeSheetLayout(800, 700);
    EXPECT_EQ(l.panel.right - l.panel.left, 254);
}

TEST(SheetGeometry, ZoomItemsRoundTrip) {
    const int m[5] = {1, 1, 1, 2, 4}, d[5] = {4, 2, 1, 1, 1};
    for (int i = 0; i < kZoomItemCount; ++i) {
        EXPECT_EQ(ZoomOfItem(i).m, m[i]);
        EXPECT_EQ(ZoomOfItem(i).d, d[i]);
        EXPECT_EQ(ItemOfZoom(ZoomOfItem(i)), i);
    }
    EXPECT_EQ(ItemOfZoom(ZoomOfItem(-1)), kZoomItemUnit); // CB_ERR
}

TEST(SheetGeometry, PreviewRegionShrinksAtTheEdgesAndVanishesPastThem) {
    struct Case {
        int x0, y0, m, d, iw, ih;
        int width, height, copyWidth, copyHeight;
        bool empty;
    } cases[] = {
        {0, 0, 1, 1, 400, 300, 161, 161, 161, 161, false},     // the square filled
        {300, 250, 1, 1, 400, 300, 100, 50, 100, 50, false},   // the picture's last part
        {0, 0, 2, 1, 400, 300, 161, 161, 80, 80, false},       // magnified: half as many picture pixels
        {0, 0, 1, 4, 400, 300, 100, 75, 400, 300, false},      // reduced: the whole picture in 100 x 75
        {0, 0, 1, 4, 2, 2, 0, 0, 0, 0, true},                  // narrower than the reduction
        {600, 600, 1, 1, 100, 100, 0, 0, 0, 0, true},          // an origin past the picture
        {399, 0, 2, 1, 400, 300, 2, 161, 1, 80, false},        // one column left, shown twice as wide
    };
    for (const Case &c : cases) {
        PreviewRegion r = ComputePreviewRegion(c.x0, c.y0, PreviewZoom{c.m, c.d}, 161, 161, c.iw, c.ih);
        EXPECT_EQ(r.empty, c.empty) << c.x0 << "," << c.y0 << " m" << c.m << " d" << c.d;
        if (c.empty) continue;
        EXPECT_EQ(r.width, c.width);
        EXPECT_EQ(r.height, c.height);
        EXPECT_EQ(r.copyWidth, c.copyWidth);
        EXPECT_EQ(r.copyHeight, c.copyHeight);
    }
}

TEST(SheetGeometry, OpeningOriginIsInPicturePixelsOnThePicture) {
    EXPECT_EQ(OpeningOrigin(120, 1.0f, 400), 120);
    EXPECT_EQ(OpeningOrigin(120, 0.125f, 100), 15);   // an enlarged view scrolls in view units
    EXPECT_EQ(OpeningOrigin(600, 1.0f, 100), 99);     // never past the last pixel
    EXPECT_EQ(OpeningOrigin(50, 2.0f, 400), 100);     // a reduced view
    EXPECT_EQ(OpeningOrigin(-5, 1.0f, 400), 0);
}

TEST(SheetGeometry, DragMovesWithTheMouseAndClamps) {
    const PreviewZoom unit{1, 1}, half{1, 2}, twice{2, 1};
    EXPECT_EQ(DraggedOrigin(100, 80, 50, unit, 161, 600), 130);  // dragged left: the picture moves left
    EXPECT_EQ(DraggedOrigin(100, 80, 50, half, 161, 600), 160);  // a reduced preview moves twice as far
    EXPECT_EQ(DraggedOrigin(100, 80, 50, twice, 161, 600), 115); // a magnified one half as far
    EXPECT_EQ(DraggedOrigin(0, 80, -3000, unit, 161, 600), 439); // the square stays filled
    EXPECT_EQ(DraggedOrigin(300, 0, 3000, unit, 161, 600), 0);
    EXPECT_EQ(DraggedOrigin(0, 80, -3000, unit, 161, 100), 0);   // a picture smaller than the square
}

TEST(SheetGeometry, HistogramColumnsSpanThePanel) {
    const SheetRect panel{165, 2, 325, 162}; // 160 x 160
    HistogramColumn first = HistogramColumnOf(1, 255, panel), last = HistogramColumnOf(254, 0, panel);
    EXPECT_EQ(first.x, 165);
    EXPECT_EQ(first.y, 2);
    EXPECT_EQ(first.height, 160); // 255 * 160 / 254
    EXPECT_EQ(last.x, 165 + 253 * 160 / 254);
    EXPECT_EQ(last.height, 0);
    EXPECT_EQ(HistogramColumnOf(2, 0, panel).x, 165); // levels 1 and 2 share a column on a narrow panel
}

TEST(SheetGeometry, ValueBarRules) {
    EXPECT_EQ(NextScrollPosition(kScrollLineUp, 0, 0, 8, -64, 64), -1);
    EXPECT_EQ(NextScrollPosition(kScrollPageDown, 60, 0, 8, -64, 64), 64);
    EXPECT_EQ(NextScrollPosition(kScrollPageUp, 10, 0, 16, 0, 255), 0);
    EXPECT_EQ(NextScrollPosition(kScrollThumbTrack, 0, 0xFFC0, 8, -64, 64), -64); // sign-extended 16 bits
    EXPECT_EQ(NextScrollPosition(kScrollThumbTrack, 0, 200, 16, 0, 255), 200);
    EXPECT_EQ(NextScrollPosition(kScrollTop, 5, 0, 8, -64, 64), -64);
    EXPECT_EQ(NextScrollPosition(kScrollBottom, 5, 0, 16, 0, 255), 255);
    EXPECT_EQ(NextScrollPosition(kScrollThumbPosition, 7, 99, 8, -64, 64), 7);
    EXPECT_EQ(NextScrollPosition(kScrollEnd, 70, 0, 8, -64, 64), 64); // clamped even when kept
}
