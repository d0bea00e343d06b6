// The adjustment sheet's arithmetic: layout, zoom, preview region, drag clamp, histogram columns, scroll rules.
#include "adjust/sheet_geometry.h"

namespace {

const PreviewZoom kZooms[kZoomItemCount] = {{1, 4}, {1, 2}, {1, 1}, {2, 1}, {4, 1}};

int64_t Min64(int64_t a, int64_t b) { return a < b ? a : b; }

} // namespace

PreviewZoom ZoomOfItem(int item) {
    if (item < 0 || item >= kZoomItemCount) return kZooms[kZoomItemUnit];
    return kZooms[item];
}

int ItemOfZoom(PreviewZoom zoom) {
    for (int i = 0; i < kZoomItemCount; ++i)
        if (kZooms[i].m == zoom.m && kZooms[i].d == zoom.d) return i;
    return kZoomItemUnit;
}

SheetLayout ComputeSheetLayout(int clientWidth, int clientHeight) {
    SheetLayout l;
    const int s = 2 + (clientHeight - 4) / 2;
    l.square = {2, 2, s, s};
    const int panelRight = 2 * s + 1 < s + 3 + 254 ? 2 * s + 1 : s + 3 + 254;
    l.panel = {s + 3, 2, panelRight, s};
    (void)clientWidth; // every template has the same size; the height alone decides
    return l;
}

PreviewRegion ComputePreviewRegion(int x0, int y0, PreviewZoom zoom, int previewWidth, int previewHeight,
                                   int imageWidth, int imageHeight) {
    PreviewRegion r;
    if (zoom.m < 1 || zoom.d < 1) return r;
    const int64_t w = Min64((int64_t)zoom.m * ((int64_t)imageWidth - x0) / zoom.d, previewWidth);
    const int64_t h = Min64((int64_t)zoom.m * ((int64_t)imageHeight - y0) / zoom.d, previewHeight);
    if (w <= 0 || h <= 0 || x0 < 0 || y0 < 0) return r;
    r.width = (int)w;
    r.height = (int)h;
    r.copyWidth = (int)(zoom.d * w / zoom.m);
    r.copyHeight = (int)(zoom.d * h / zoom.m);
    r.empty = r.copyWidth <= 0 || r.copyHeight <= 0;
    return r;
}

int OpeningOrigin(int scrollPosition, float scale, int imageSize) {
    double origin = (double)scrollPosition * (double)scale;
    if (!(origin > 0)) return 0; // also NaN
    if (origin > (double)imageSize - 1) origin = (double)imageSize - 1;
    return origin < 0 ? 0 : (int)origin;
}

int DraggedOrigin(int origin, int start, int end, PreviewZoom zoom, int previewSize, int imageSize) {
    int64_t o = origin + ((int64_t)start - end) * zoom.d / zoom.m;
    const int64_t shown = (int64_t)previewSize * zoom.d / zoom.m;
    if (imageSize - o < shown) o = imageSize - shown;
    if (o < 0) o = 0;
    return (int)o;
}

int FingertipCoordinate(int click, int squareStart, PreviewZoom zoom) { return (click - squareStart) / zoom.m; }

HistogramColumn HistogramColumnOf(int level, int scaledCount, const SheetRect &panel) {
    const int64_t wh = panel.right - panel.left, hh = panel.bottom - panel.top;
    HistogramColumn c;
    c.x = (int)(panel.left + (int64_t)(level - 1) * wh / 254);
    c.y = (int)(panel.top + (255 - (int64_t)scaledCount) * hh / 255);
    c.height = (int)((int64_t)scaledCount * hh / 254);
    return c;
}

int NextScrollPosition(int code, int position, int thumb16, int page, int low, int high) {
    int64_t p = position;
    switch (code) {
    case kScrollLineUp: p -= 1; break;
    case kScrollLineDown: p += 1; break;
    case kScrollPageUp: p -= page; break;
    case kScrollPageDown: p += page; break;
    case kScrollThumbTrack: p = (int16_t)(uint16_t)thumb16; break;
    case kScrollTop: p = low; break;
    case kScrollBottom: p = high; break;
    default: break;
    }
    if (p < low) p = low;
    if (p > high) p = high;
    return (int)p;
}
