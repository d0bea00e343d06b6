// The text add-in's fitting loops and stamp clipping (see text_fit.h).
#include "textaddin/text_fit.h"

#include <algorithm>
#include <cstdlib>

int GrowHeight(int height) { return height < 0 ? height - 1 : height + 1; }

int ShrinkHeight(int height) { return height >= 0 ? height - 1 : height + 1; }

FitResult FitTextHeight(int *height, TextExtent *extent, int width, int boxHeight, MeasureTextFn measure,
                        void *context) {
    // An empty text measures 0 wide at every height: it would never leave the grow loop and has nothing to stamp.
    if (extent->cx <= 0) return FitResult::kNoFit;
    const long long growLimit = 2LL * std::max(boxHeight, 0) + 16;
    while ((width > extent->cx || boxHeight > extent->cy) && std::llabs((long long)*height) < growLimit) {
        *height = GrowHeight(*height);
        if (!measure(context, *height, extent)) return FitResult::kNoFont;
    }
    while (extent->cx > width || extent->cy > boxHeight) {
        // Below magnitude 1 lies height 0 (the font's default size), which would make the loop alternate.
        if (std::abs(*height) <= 1) return FitResult::kNoFit;
        *height = ShrinkHeight(*height);
        if (!measure(context, *height, extent)) return FitResult::kNoFont;
    }
    return FitResult::kFits;
}

StampArea ClipStamp(int left, int top, int right, int bottom, TextExtent text, int pictureWidth,
                    int pictureHeight) {
    StampArea area;
    if (left < 0 || top < 0 || pictureWidth <= 0 || pictureHeight <= 0) return area;
    const long long columns = std::min({(long long)text.cx, (long long)right - left, (long long)pictureWidth - left});
    const long long rows = std::min({(long long)text.cy, (long long)bottom - top, (long long)pictureHeight - top});
    area.columns = (int)std::max(columns, 0LL);
    area.rows = (int)std::max(rows, 0LL);
    return area;
}
