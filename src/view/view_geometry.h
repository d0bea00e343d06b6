// The view's arithmetic: scale percentages, auto-reduce, scroll ranges, scroll steps and the gray margins.
#pragma once

// View pixels a picture extent occupies at a divisor, truncated toward zero.
int ScaledExtent(int pixels, float divisor);
// The percentage shown for a divisor: trunc(100 / divisor).
int ScalePercent(float divisor);

// The auto-reduce divisor: max(bitmap w / client w, bitmap h / client h), so small pictures are enlarged too.
// With an empty client area there is nothing to fit: the current divisor is kept.
float AutoReduceDivisor(int bitmapWidth, int bitmapHeight, int clientWidth, int clientHeight, float current);

struct ScrollInput {
    int clientWidth, clientHeight;  // as the view reports it now
    bool hBarShown, vBarShown;      // bars currently shown with a non-empty range
    int hBarHeight, vBarWidth;      // system metrics
    int pictureWidth, pictureHeight;
    float scaleX, scaleY;
};
struct ScrollRanges {
    int hMax, vMax; // 0 = no bar on that axis
};
// Which bars the picture needs and their ranges; a bar taken by one axis can make the other necessary.
ScrollRanges ComputeScrollRanges(const ScrollInput &in);

enum ScrollCode {
    kScrollLineUp = 0, kScrollLineDown = 1, kScrollPageUp = 2, kScrollPageDown = 3,
    kScrollThumbPosition = 4, kScrollThumbTrack = 5, kScrollTop = 6, kScrollBottom = 7, kScrollEnd = 8,
};
// The new position for one scroll step along an axis whose client extent is `extent`; clamped to [0, max].
int ScrollTarget(int code, int extent, int thumb, int current, int max);

struct MarginRect {
    int left, top, right, bottom;
};
// The client area outside the picture (at most two rectangles: right strip, bottom strip). Returns the count.
int MarginRects(int displayWidth, int displayHeight, int hScroll, int vScroll, int clientWidth, int clientHeight,
                MarginRect out[2]);
