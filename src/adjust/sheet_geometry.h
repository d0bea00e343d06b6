// The adjustment sheet's arithmetic, kept apart from its windows: the page layout, the preview zoom, which part
// of the picture the preview shows, the drag and its clamp, the histogram columns and the scroll-bar rules.
#pragma once
#include <cstdint>

#include "view/view_geometry.h" // the scroll codes

// Preview pixels = picture pixels x m / d; only one of the two is ever above 1.
struct PreviewZoom {
    int m = 1, d = 1;
};
enum { kZoomItemCount = 5, kZoomItemUnit = 2 };
// Drop-down items "x 1/4", "x 1/2", "x 1", "x 2", "x 4"; an item out of range is "x 1".
PreviewZoom ZoomOfItem(int item);
int ItemOfZoom(PreviewZoom zoom);

// Rectangles in a page's client coordinates; the preview square is inclusive, the panel's right and bottom are
// the ends its drawing divides by.
struct SheetRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};
struct SheetLayout {
    SheetRect square; // the preview square
    SheetRect panel;  // the histogram panel
};
// From a page's client size: a square of half the height on the left, the panel beside it (at most 254 wide).
SheetLayout ComputeSheetLayout(int clientWidth, int clientHeight);

// The part of the picture a preview shows. width/height: preview pixels in the square (the image rectangle's
// size); copyWidth/copyHeight: picture pixels copied from (x0, y0). empty: no preview image at all.
struct PreviewRegion {
    int width = 0, height = 0;
    int copyWidth = 0, copyHeight = 0;
    bool empty = true;
};
// previewWidth/Height: the square's size. Computed with signed 64-bit values, so an origin at or past the
// picture's edge gives an empty region instead of a huge one.
PreviewRegion ComputePreviewRegion(int x0, int y0, PreviewZoom zoom, int previewWidth, int previewHeight,
                                   int imageWidth, int imageHeight);

// The origin at opening: the view's scroll position is in view units, so it is turned into picture pixels
// (times the view divisor, truncated) and kept inside the picture.
int OpeningOrigin(int scrollPosition, float scale, int imageSize);

// One axis of a finished preview drag from `start` to `end` (client coordinates): the picture moves with the
// mouse, and the origin is clamped so that the square stays filled where the picture is large enough, and to
// 0 where it is smaller.
int DraggedOrigin(int origin, int start, int end, PreviewZoom zoom, int previewSize, int imageSize);

// The fingertip point in preview-image pixels from a click in the square.
int FingertipCoordinate(int click, int squareStart, PreviewZoom zoom);

// One column of the histogram panel for level j (1...254) with the scaled count h: x, the top y and the height.
struct HistogramColumn {
    int x, y, height;
};
HistogramColumn HistogramColumnOf(int level, int scaledCount, const SheetRect &panel);

// A value bar's next position (codes of ScrollCode): +-1 per line, +-page per page, the thumb's (sign-extended 16-bit) position while
// tracking, the ends for left/right, unchanged for the rest; clamped to low...high.
int NextScrollPosition(int code, int position, int thumb16, int page, int low, int high);
