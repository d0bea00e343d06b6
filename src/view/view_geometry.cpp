// The view's arithmetic, kept apart from the window so it can be tested on its own.
#include "view/view_geometry.h"

#include <algorithm>

int ScaledExtent(int pixels, float divisor) { return (int)((float)pixels / divisor); }

int ScalePercent(float divisor) { return (int)(100.0f / divisor); }

float AutoReduceDivisor(int bitmapWidth, int bitmapHeight, int clientWidth, int clientHeight, float current) {
    if (clientWidth <= 0 || clientHeight <= 0) return current;
    float sx = (float)bitmapWidth / (float)clientWidth;
    float sy = (float)bitmapHeight / (float)clientHeight;
    float s = std::max(sx, sy);
    return s > 0.0f ? s : current;
}

ScrollRanges ComputeScrollRanges(const ScrollInput &in) {
    int fullW = in.clientWidth + (in.vBarShown ? in.vBarWidth : 0);
    int fullH = in.clientHeight + (in.hBarShown ? in.hBarHeight : 0);
    int dw = ScaledExtent(in.pictureWidth, in.scaleX);
    int dh = ScaledExtent(in.pictureHeight, in.scaleY);
    if (dw <= 0 || dh <= 0) return {0, 0};
    bool needH = fullW < dw;
    if (needH) fullH -= in.hBarHeight;
    bool needV = fullH < dh;
    if (needV) {
        fullW -= in.vBarWidth;
        if (!needH && fullW < dw) {
            needH = true;
            fullH -= in.hBarHeight;
        }
    }
    return {needH ? dw - fullW : 0, needV ? dh - fullH : 0};
}

int ScrollTarget(int code, int extent, int thumb, int current, int max) {
    int step = std::max(extent / 8, 1);
    long long delta = 0;
    switch (code) {
    case kScrollLineUp: delta = -step; break;
    case kScrollLineDown: delta = step; break;
    case kScrollPageUp: delta = -(long long)extent; break;
    case kScrollPageDown: delta = extent; break;
    case kScrollThumbPosition:
    case kScrollThumbTrack: delta = (long long)thumb - current; break;
    default: delta = 0; break;
    }
    long long target = (long long)current + delta;
    if (target > max) target = max;
    if (target < 0) target = 0;
    return (int)target;
}

int MarginRects(int displayWidth, int displayHeight, int hScroll, int vScroll, int clientWidth, int clientHeight,
                MarginRect out[2]) {
    int n = 0;
    // The picture covers [-hScroll, dw - hScroll) x [-vScroll, dh - vScroll) of the client area.
    int right = std::max(displayWidth - hScroll, 0);
    int bottom = std::max(displayHeight - vScroll, 0);
    if (right < clientWidth) out[n++] = {right, 0, clientWidth, clientHeight};
    if (bottom < clientHeight) out[n++] = {0, bottom, std::min(right, clientWidth), clientHeight};
    if (n == 2 && out[1].right <= 0) n = 1;
    return n;
}
